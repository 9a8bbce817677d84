// The commit: an edit task ends with the old content (as read) and the new one in memory.
// They share a head and a tail; only the stretch between differs. With the length
// unchanged the new bytes of that stretch are written over its old ones; with the length
// changed the tail moves, so everything from the stretch's start to the new end is
// written. Before the file is touched, an undo journal "<path>.undo" is created
// (exclusively: never over anything at that name, never through a link), written straight
// from the contents in memory and synced (its layout: JournalRecord.h). Then the new bytes
// are written in place, the length is set (write first, shorten last), the file is synced
// and the journal removed. When a call of that phase fails, the old bytes are written back
// from memory, the old length is set, the journal is removed and the error raised.
//
// A folder that takes no new file (read-only for this user) cannot hold a journal. The
// change is then written without one, in the same order: a failed call is undone from
// memory as above, so it never leaves the file cut, but a crash in the middle of the write
// does, with nothing to put it right. Refusing the Save instead would leave a user who may
// change the file unable to save at all.
//
// Syncs. A task that changes no byte makes none. A commit makes three, and each one keeps
// a crash (of the process or of the machine) from leaving a cut file that cannot be put
// right: the journal's bytes, and its directory entry, must be on disk before the first
// in-place write, or the cut file would have no old bytes to go back to; the file's new
// bytes must be on disk before the journal is removed, or the cut file would have no
// journal. The folder is synced only when the journal file was newly created (File::Sync
// does so on the first sync of a file made by Create); it is newly created by every commit
// because no journal may stay beside the file between tasks: no journal means the file
// is complete. The removal is not synced: a journal that outlives a crash after the file's
// sync records a finished commit, which the next opener recognises and removes.
//
// Every call goes through platform::File, so a test's fault hook sees each of them.
#include "regfile/Journal.h"

#include <span>

#include "regfile/Checksum.h"
#include "regfile/JournalRecord.h"

namespace regfile {

namespace {

using platform::File;
using platform::SeekOrigin;

// Writes `bytes` at the file's position; no call at all when there are none.
void WriteHere(File& file, std::string_view bytes) {
    if (!bytes.empty()) {
        file.Write(std::span<const char>(bytes.data(), bytes.size()));
    }
}

void WriteAt(File& file, std::uint64_t offset, std::string_view bytes) {
    if (!bytes.empty()) {
        file.Seek(static_cast<std::int64_t>(offset), SeekOrigin::Begin);
        WriteHere(file, bytes);
    }
}

// The journal's pieces in order, each written from where it lies in memory.
void WriteJournal(File& journal, const journal::Record& record) {
    const std::string head = journal::HeadBytes(record);
    Checksum sum;
    for (std::string_view piece :
         {std::string_view(head), record.OldBytes, record.NewBytes, record.TailBytes}) {
        sum.Add(piece);
        WriteHere(journal, piece);
    }
    WriteHere(journal, journal::TrailerBytes(sum.Value()));
}

void CloseQuietly(File& file) {
    try {
        file.Close();
    } catch (const platform::FileError&) {
    }
}

void RemoveQuietly(const std::string& path) {
    try {
        platform::RemoveFile(path);
    } catch (const platform::FileError&) {
    }
}

// Puts the old bytes and length back after a failed call; false when that fails too.
bool Restore(File& file, std::string_view before, const journal::Record& record) {
    try {
        WriteAt(file, record.Offset,
                before.substr(static_cast<std::size_t>(record.Offset),
                              static_cast<std::size_t>(record.OldCount + record.MovedTail)));
        if (record.Resized()) {
            file.SetLength(before.size());
        }
        file.Sync();
        return true;
    } catch (const platform::FileError&) {
        return false;
    }
}

// The refusal of a commit because something that is not our journal has its name.
platform::FileError InTheWay(const std::string& path, const std::string& journalPath) {
    platform::FileErrorInfo info;
    info.Cause = "save";
    info.Code = platform::kFileExistsCode;
    info.FileName = path;
    // Appended piece by piece: GCC's -Wrestrict misreads the chain of + here (MinGW build).
    info.Text = "\"";
    info.Text += journal::BaseName(journalPath);
    info.Text += "\" in the same folder is in the way (this program keeps its undo record "
                 "under that name; the file there is not one and was left as it is); move it "
                 "away and save again";
    return platform::FileError(info);
}

} // namespace

std::string JournalPath(std::string_view path) {
    std::string journal(path);
    journal += ".undo";
    return journal;
}

void CommitChange(File& file, std::string_view before, std::string_view after) {
    const std::optional<journal::Record> record = journal::DescribeChange(before, after);
    if (!record) {
        return;
    }
    // Resized, everything from the offset to the end is written; else the replaced bytes.
    const std::string_view written =
        after.substr(static_cast<std::size_t>(record->Offset),
                     static_cast<std::size_t>(record->NewCount + record->MovedTail));

    const std::string journalPath = JournalPath(file.Path());
    File journal;
    platform::FileErrorInfo info;
    const int created = journal.Create(journalPath, info);
    if (created != 0 && platform::QueryEntry(journalPath) != platform::EntryKind::None) {
        throw InTheWay(file.Path(), journalPath);
    }
    if (created != 0 && !platform::RefusesNewFiles(created)) {
        throw platform::FileError(info);
    }
    // A creation that failed past these checks was refused by the folder: the change goes
    // in without a journal (see the top of this file).
    const bool journaled = created == 0;
    if (journaled) {
        try {
            WriteJournal(journal, *record);
            journal.Sync();
        } catch (...) {
            CloseQuietly(journal);
            RemoveQuietly(journalPath);
            throw;
        }
    }

    try {
        WriteAt(file, record->Offset, written);
        if (record->Resized()) {
            file.SetLength(after.size());
        }
        file.Sync();
        if (journaled) {
            journal.Close();
            platform::RemoveFile(journalPath);
        }
    } catch (...) {
        const bool restored = Restore(file, before, *record);
        if (journaled) {
            CloseQuietly(journal);
            if (restored) {
                RemoveQuietly(journalPath);
            }
        }
        throw;
    }
}

} // namespace regfile
