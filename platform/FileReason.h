// A short reason for a file error that reads the same on every platform for the common
// causes (missing, in use, access denied, disk full), else the system's own text.
#pragma once

#include <string>
#include <string_view>

#include "platform/File.h"

namespace platform {

std::string FileReasonText(const FileErrorInfo& info);

// True when the open was refused because another opener holds the file.
bool IsFileInUse(const FileErrorInfo& info);

// A path as messages show it: with the platform's own directory separators.
std::string DisplayPath(std::string_view path);
// The same in double quotes. Appended, not "\"" + text: GCC 12 warns (-Wrestrict) about
// that form when optimising.
inline std::string QuotedDisplayPath(std::string_view path) {
    std::string quoted = "\"";
    quoted += DisplayPath(path);
    quoted += '"';
    return quoted;
}

// The reason given for kFileEncodingCode.
inline constexpr const char* kEncodingReason =
    "the file is in UTF-16 (Unicode) text, which this editor does not change";
// The reason given for kUnfinishedChangeCode.
inline constexpr const char* kUnfinishedChangeReason =
    "the file is read-only, and the journal of a change of it that was cut short lies "
    "beside it: until the file may be written, that change can be neither completed nor "
    "undone, so its content is not known";
// The reason given for kFileTooLargeCode: the editor's own refusal to open or read a file
// longer than kMaxEditableLength names that limit; a write refused as too large by the
// system says only that.
inline std::string TooLargeReason(const FileErrorInfo& info) {
    if (info.Cause != "open" && info.Cause != "read")
        return "the file is too large";
    return "the file is too large: it is longer than " + std::to_string(kMaxEditableLength) +
           " bytes (" + std::to_string(kMaxEditableLength >> 20) + " MiB), the most this " +
           "editor reads";
}
// The reason given when the file refuses to be written while it can be read.
inline constexpr const char* kReadOnlyReason = "the file is read-only";

} // namespace platform
