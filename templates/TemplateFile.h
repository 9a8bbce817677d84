// The template file, one file task per user action and no tree involved.
//
// LoadTemplateFile reads the file once, with the reader that models the registry import,
// and takes the templates from the registry that reading gives. SaveTemplateFile lays the
// user's changes over the file's text, proves with the same reader that the new text
// imports to exactly the registry intended, and then commits it once at Close: the file
// holds its content from before the Save or the proven content after it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/File.h"
#include "templates/SaveEdits.h"
#include "templates/TemplateRecord.h"

namespace templates {

// Identifies the content of the file as a task read it (or left it): two contents with
// the same length and checksum are taken to be the same.
struct FileIdentity {
    std::uint64_t Length = 0;
    std::uint64_t Checksum = 0;
    bool Known = false; // false: nothing was read, so no content matches

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
FileIdentity IdentityOf(std::string_view bytes);
// The content of the file at `path` as an open reads it now (not Known when it cannot be
// read).
FileIdentity IdentityOnDisk(std::string_view path);

// How long an open refused because another opener holds the file is retried.
inline constexpr std::chrono::milliseconds kBusyWait{2000};

// The file's templates as the registry import reads them.
struct TemplateFileContent {
    // Bit i: template i's key exists when the import ends.
    std::uint16_t Present = 0;
    // Each record starts as the table initialises it (tag, switch ID = index, zero bytes)
    // and takes the values the import gives template i.
    TemplateRecord Records[kTemplateCount] = {};
    // Bit i: template i has a "LatchData" value, the last of its value list.
    std::uint16_t ListRead = 0;
    // Bit i: template i has a dword "SwitchID".
    std::uint16_t SwitchIdRead = 0;
    // Set when the file can be shown but not saved: why.
    std::string NotSavable;
    FileIdentity Identity;
};

struct LoadResult {
    bool Ok = false;
    // The file was opened: a failure then happened while reading it.
    bool Opened = false;
    platform::FileErrorInfo Error; // when not Ok
    TemplateFileContent Content;   // defaults when not Ok
    std::string Notice;            // what opening the file had to tell (RegFile::Notice)
};

LoadResult LoadTemplateFile(std::string_view path, std::chrono::milliseconds busyWait = kBusyWait);

// The templates of a text as the import reads them.
TemplateFileContent ContentOf(std::string_view text);

enum class SaveFailure { None, File, Refused };

struct SaveResult {
    bool Ok = false;
    SaveFailure Failure = SaveFailure::None;
    platform::FileErrorInfo Error; // Failure File: the file is as it was before the Save
    std::string Refusal;           // Failure Refused: why nothing was written
    // The file had changed since `expected`: the request was laid over its new content.
    bool Merged = false;
    // The Save changed the file's bytes (an unchanged text is not written at all).
    bool Written = false;
    // The templates the file holds after the Save (when Ok).
    TemplateFileContent Content;
};

// The file's bytes as a Save read them and as it would leave them.
struct SavePreview {
    std::string Before;
    std::string After;
};

// Lays `request`, with the values of `records` (16 entries, by index), over the file as it
// is now, proves the result and commits it. `expected`: the content the caller read; when
// the file holds another now, the Save is a merge (SaveResult::Merged). With `preview`,
// nothing is written: the bytes before and after the Save are stored there.
SaveResult SaveTemplateFile(std::string_view path, const TemplateRecord* records,
                            const SaveRequest& request, const FileIdentity& expected = {},
                            std::chrono::milliseconds busyWait = kBusyWait,
                            SavePreview* preview = nullptr);

} // namespace templates
