// A short reason for a file error that reads the same on every platform for the common
// causes (missing, in use, access denied, disk full), else the system's own text.
#pragma once

#include <string>
#include <string_view>

#include "platform/File.h"

namespace platform {

std::string FileReasonText(const FileErrorInfo& info);

// The reason given for kFileEncodingCode.
inline constexpr const char* kEncodingReason =
    "the file is in UTF-16 (Unicode) text, which this editor does not change";

// True when the open was refused because another opener holds the file.
bool IsFileInUse(const FileErrorInfo& info);

// A path as messages show it: with the platform's own directory separators.
std::string DisplayPath(std::string_view path);

} // namespace platform
