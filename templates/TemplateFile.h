// The template file, one file task per user action and no tree involved.
//
// LoadTemplateFile reads the listing and all 16 records from one open, one read, under one
// lock. SaveTemplateFile applies every pending deletion and every template write to the
// text in memory, in the order the window saves them, and commits once at Close: the file
// then holds every template as before the Save or every template as after it, and its bytes
// are those that one task per deletion and per template, run one after the other, give.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/File.h"
#include "regfile/KeyLines.h"
#include "templates/TemplateRecord.h"

namespace templates {

// Identifies the content of the file as a task read it (or left it): two contents with
// the same length and checksum are taken to be the same.
struct FileIdentity {
    std::uint64_t Length = 0;
    std::uint64_t Checksum = 0;
    bool Known = false; // false: nothing was read, so no content matches
    // Where that content's text ends and its template sections lie, when the task knew it:
    // the next task finding the same content takes them instead of searching. Not part of
    // the identity.
    std::optional<regfile::TextLayout> Layout;

    friend bool operator==(const FileIdentity& a, const FileIdentity& b) {
        return a.Length == b.Length && a.Checksum == b.Checksum && a.Known == b.Known;
    }
};
FileIdentity IdentityOf(std::string_view bytes);
// The content of the file at `path` as an open reads it now (not Known when it cannot be
// read).
FileIdentity IdentityOnDisk(std::string_view path);

// How long an open refused because another opener holds the file is retried.
inline constexpr std::chrono::milliseconds kBusyWait{2000};

// The file's templates as the window reads them.
struct TemplateFileContent {
    // Bit i: the file has a section of template i.
    std::uint16_t Present = 0;
    // Each record starts as the table initialises it (tag, switch ID = index, zero bytes)
    // and takes the values found in template i's section, present or not.
    TemplateRecord Records[kTemplateCount] = {};
    // Bit i: the value list read reported success (its last value was found).
    std::uint16_t ListRead = 0;
    // Bit i: the section has a "SwitchID" value.
    std::uint16_t SwitchIdRead = 0;
    // Bit i: the section holds the three values read as a Save writes them, so that a Save
    // of the record as read changes no byte of it.
    std::uint16_t AsWritten = 0;
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

// One Save's work: the deletions (15 down to 0), then the writes in the given order (a
// missing section is appended, then the three values are written).
struct SavePlan {
    std::uint16_t Deletes = 0;
    std::vector<int> Writes;
};

struct SaveResult {
    bool Ok = false;
    platform::FileErrorInfo Error; // when not Ok; the file is as it was before the Save
    // The file had changed since `expected` and the merge plan was applied.
    bool Merged = false;
    // Bit i: a value line of template i could not be composed and was left as it was.
    std::uint16_t SkippedValues = 0;
    // The content the file holds after the Save (when Ok).
    FileIdentity Identity;
};

// Applies `plan` with `records` (16 entries, by index). When `merge` is given and the file
// as read now is not `expected`, `merge` is applied instead. With `preview`, nothing is
// written: the bytes before and after the Save are stored there.
// The file's bytes as a Save read them and as it would leave them.
struct SavePreview {
    std::string Before;
    std::string After;
};

SaveResult SaveTemplateFile(std::string_view path, const TemplateRecord* records,
                            const SavePlan& plan, const FileIdentity& expected = {},
                            const SavePlan* merge = nullptr,
                            std::chrono::milliseconds busyWait = kBusyWait,
                            SavePreview* preview = nullptr);

} // namespace templates
