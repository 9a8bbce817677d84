// Crash-safe commit of an edited file through an undo journal kept beside it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/File.h"

namespace regfile {

// "<path>.undo": the journal of the file at `path`.
std::string JournalPath(std::string_view path);

// Byte counts known to be equal at the start (Head) and at the end (Tail) of the original
// and the updated content: the search for the region that differs starts past them.
struct KnownSame {
    std::size_t Head = 0;
    std::size_t Tail = 0;
};

// Replaces the content of `file` (open and held, currently `original`) by `updated`,
// writing only the region that differs. Writes nothing when the two are equal. Raises
// platform::FileError when the change cannot be made; the file then holds `original`.
// `known` must be true of the two contents; it only saves comparing those bytes.
void CommitChange(platform::File& file, std::string_view original, std::string_view updated,
                  KnownSame known = {});

// Run right after `file` was opened and locked: completes or undoes a commit that was
// cut short (the process killed, the machine stopped). Returns 0, or the operating
// system's error code when the journal exists but cannot be opened (`error` filled).
// Raises platform::FileError when the file cannot be read or rolled back. Leaves the
// file's position at its start.
int RecoverFromJournal(platform::File& file, platform::FileErrorInfo& error);

} // namespace regfile
