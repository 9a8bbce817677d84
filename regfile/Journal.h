// Crash-safe commit of an edited file through an undo journal kept beside it.
#pragma once

#include <string>
#include <string_view>

#include "platform/File.h"

namespace regfile {

// "<path>.undo": the journal of the file at `path`.
std::string JournalPath(std::string_view path);

// Replaces the content of `file` (open and held, currently `before`, its whole content as
// read) by `after`, writing only the stretch that differs. Writes nothing when the two are
// equal. Raises platform::FileError when the change cannot be made; the file then holds
// `before`. Anything already at the journal's name is left alone and refuses the commit
// (the error names it); a folder that takes no new file gets the change without a journal.
void CommitChange(platform::File& file, std::string_view before, std::string_view after);

// Run right after `file` was opened and locked: completes or undoes a commit that was
// cut short (the process killed, the machine stopped), when the file is still as that
// commit left it. A journal that no longer fits the file (edited since) leaves the file
// as it is and is set aside under a name of its own; `notice` then says so for the user
// (otherwise it is left empty). Anything at the journal's name that is not a journal is
// left alone. Returns 0, or the operating system's error code when a journal exists but
// cannot be read (`error` filled). Raises platform::FileError when the file cannot be
// read or rolled back. Leaves the file's position at its start.
int RecoverFromJournal(platform::File& file, platform::FileErrorInfo& error, std::string& notice);

} // namespace regfile
