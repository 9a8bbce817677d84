// The commit technique.
//
// An edit task ends with the old content (as read) and the new content in memory. Only
// the region that differs is written: with the length unchanged, from the first to the
// last differing byte; with the length changed, from the first differing byte to the new
// end (the tail moved). Before the file is touched, an undo journal "<path>.undo" is
// created, held exclusively and synced. It records:
//
//   "REGUNDO1"            8 bytes
//   original length       8 bytes, little-endian, as every number below
//   offset of the region  8
//   old byte count        8   the old bytes from the offset to the old end of the region
//   new length            8
//   new byte count        8   the bytes written at the offset
//   checksum of new bytes 8   FNV-1a over the bytes written at the offset
//   old bytes             old byte count
//   journal checksum      8   FNV-1a over everything above
//   "REGUNDOE"            8
//
// Then the new bytes are written in place, the length is set (write first, shorten last),
// the file is synced and the journal removed. When a call of that phase fails, the old
// bytes are written back from memory, the old length is set, the journal is removed and
// the error raised. When the process dies on the way, the next opener finds the journal:
// one that is short or fails its checksum was never relied on (the file was not touched
// yet) and is removed; a sound one whose new bytes and length are in the file marks a
// finished commit and is removed; otherwise the old bytes and length are put back first.
// Every call goes through platform::File, so the fault hook sees each of them.
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
#include "regfile/Journal.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace regfile {

namespace {

using platform::File;
using platform::SeekOrigin;

constexpr std::string_view kHeadMagic = "REGUNDO1";
constexpr std::string_view kTailMagic = "REGUNDOE";
constexpr std::size_t kHeadSize = 8 + 6 * 8;
constexpr std::size_t kTailSize = 8 + 8;
// Larger than any journal of a file the editor accepts; a longer one is not ours.
constexpr std::uint64_t kMaxJournalLength = 512u * 1024u * 1024u;

class Checksum {
public:
    void Add(std::string_view bytes) {
        for (char c : bytes) {
            value_ = (value_ ^ static_cast<std::uint8_t>(c)) * 0x100000001b3u;
        }
    }
    std::uint64_t Value() const { return value_; }

private:
    std::uint64_t value_ = 0xcbf29ce484222325u;
};

std::uint64_t ChecksumOf(std::string_view bytes) {
    Checksum sum;
    sum.Add(bytes);
    return sum.Value();
}

void AppendNumber(std::string& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::uint64_t NumberAt(std::string_view bytes, std::size_t at) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

struct Record {
    std::uint64_t OriginalLength = 0;
    std::uint64_t Offset = 0;
    std::uint64_t NewLength = 0;
    std::uint64_t NewCount = 0;
    std::uint64_t NewChecksum = 0;
    std::string_view OldBytes;
};

// The region of a change: [Offset, OldEnd) of the original becomes [Offset, NewEnd).
struct Change {
    std::size_t Offset = 0;
    std::size_t OldEnd = 0;
    std::size_t NewEnd = 0;
};

std::size_t CommonPrefix(const char* a, const char* b, std::size_t n) {
    constexpr std::size_t kChunk = 4096;
    std::size_t i = 0;
    while (i + kChunk <= n && std::memcmp(a + i, b + i, kChunk) == 0) {
        i += kChunk;
    }
    while (i < n && a[i] == b[i]) {
        ++i;
    }
    return i;
}

std::size_t CommonSuffix(const char* a, const char* b, std::size_t n) {
    constexpr std::size_t kChunk = 4096;
    std::size_t i = 0;
    while (i + kChunk <= n && std::memcmp(a + n - i - kChunk, b + n - i - kChunk, kChunk) == 0) {
        i += kChunk;
    }
    while (i < n && a[n - i - 1] == b[n - i - 1]) {
        ++i;
    }
    return i;
}

std::optional<Change> FindChange(std::string_view original, std::string_view updated,
                                 KnownSame known) {
    const std::size_t common = std::min(original.size(), updated.size());
    const std::size_t head = std::min(known.Head, common);
    const std::size_t offset =
        head + CommonPrefix(original.data() + head, updated.data() + head, common - head);
    if (original.size() != updated.size()) {
        return Change{offset, original.size(), updated.size()};
    }
    if (offset == common) {
        return std::nullopt;
    }
    const std::size_t rest = common - offset;
    const std::size_t tail = std::min(known.Tail, rest);
    const std::size_t end =
        common - tail -
        CommonSuffix(original.data() + offset, updated.data() + offset, rest - tail);
    return Change{offset, end, end};
}

void WriteAt(File& file, std::uint64_t offset, std::string_view bytes) {
    if (bytes.empty()) {
        return;
    }
    file.Seek(static_cast<std::int64_t>(offset), SeekOrigin::Begin);
    file.Write(bytes);
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

void WriteJournal(File& journal, const Record& record) {
    std::string head;
    head.reserve(kHeadSize);
    head += kHeadMagic;
    AppendNumber(head, record.OriginalLength);
    AppendNumber(head, record.Offset);
    AppendNumber(head, record.OldBytes.size());
    AppendNumber(head, record.NewLength);
    AppendNumber(head, record.NewCount);
    AppendNumber(head, record.NewChecksum);

    Checksum sum;
    sum.Add(head);
    sum.Add(record.OldBytes);
    std::string tail;
    AppendNumber(tail, sum.Value());
    tail += kTailMagic;

    journal.Write(head);
    if (!record.OldBytes.empty()) {
        journal.Write(record.OldBytes);
    }
    journal.Write(tail);
}

// The record of a complete, sound journal; nullopt for anything else.
std::optional<Record> ParseJournal(std::string_view bytes) {
    if (bytes.size() < kHeadSize + kTailSize || bytes.substr(0, 8) != kHeadMagic) {
        return std::nullopt;
    }
    Record record;
    record.OriginalLength = NumberAt(bytes, 8);
    record.Offset = NumberAt(bytes, 16);
    std::uint64_t oldCount = NumberAt(bytes, 24);
    record.NewLength = NumberAt(bytes, 32);
    record.NewCount = NumberAt(bytes, 40);
    record.NewChecksum = NumberAt(bytes, 48);
    if (oldCount != bytes.size() - kHeadSize - kTailSize) {
        return std::nullopt;
    }
    std::size_t tailAt = bytes.size() - kTailSize;
    if (bytes.substr(tailAt + 8) != kTailMagic ||
        NumberAt(bytes, tailAt) != ChecksumOf(bytes.substr(0, tailAt))) {
        return std::nullopt;
    }
    if (record.Offset + oldCount > record.OriginalLength ||
        record.Offset + record.NewCount > record.NewLength) {
        return std::nullopt;
    }
    record.OldBytes = bytes.substr(kHeadSize, static_cast<std::size_t>(oldCount));
    return record;
}

// True when the file holds the commit's new length and new bytes.
bool CommitCompleted(File& file, const Record& record) {
    if (file.Length() != record.NewLength) {
        return false;
    }
    file.Seek(static_cast<std::int64_t>(record.Offset), SeekOrigin::Begin);
    std::vector<char> chunk(64 * 1024);
    Checksum sum;
    for (std::uint64_t left = record.NewCount; left > 0;) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
        std::size_t got = file.Read(std::span<char>(chunk.data(), want));
        if (got != want) {
            return false;
        }
        sum.Add(std::string_view(chunk.data(), got));
        left -= got;
    }
    return sum.Value() == record.NewChecksum;
}

void RollBack(File& file, const Record& record) {
    WriteAt(file, record.Offset, record.OldBytes);
    file.SetLength(record.OriginalLength);
    file.Sync();
}

// Puts the old bytes back after a failed in-place write; false when that fails too, in
// which case the journal must stay for the next opener.
bool Restore(File& file, std::size_t offset, std::string_view oldBytes,
             std::uint64_t originalLength, bool resized) {
    try {
        WriteAt(file, offset, oldBytes);
        if (resized) {
            file.SetLength(originalLength);
        }
        file.Sync();
        return true;
    } catch (const platform::FileError&) {
        return false;
    }
}

} // namespace

std::string JournalPath(std::string_view path) {
    std::string journal(path);
    journal += ".undo";
    return journal;
}

void CommitChange(File& file, std::string_view original, std::string_view updated,
                  KnownSame known) {
    std::optional<Change> change = FindChange(original, updated, known);
    if (!change) {
        return;
    }
    std::string_view oldBytes = original.substr(change->Offset, change->OldEnd - change->Offset);
    std::string_view newBytes = updated.substr(change->Offset, change->NewEnd - change->Offset);
    const bool resized = original.size() != updated.size();

    Record record;
    record.OriginalLength = original.size();
    record.Offset = change->Offset;
    record.NewLength = updated.size();
    record.NewCount = newBytes.size();
    record.NewChecksum = ChecksumOf(newBytes);
    record.OldBytes = oldBytes;

    const std::string journalPath = JournalPath(file.Path());
    File journal;
    platform::FileErrorInfo info;
    if (journal.Create(journalPath, info) != 0) {
        throw platform::FileError(info);
    }
    try {
        WriteJournal(journal, record);
        journal.Sync();
    } catch (...) {
        CloseQuietly(journal);
        RemoveQuietly(journalPath);
        throw;
    }

    try {
        WriteAt(file, change->Offset, newBytes);
        if (resized) {
            file.SetLength(updated.size());
        }
        file.Sync();
        journal.Close();
        platform::RemoveFile(journalPath);
    } catch (...) {
        bool restored = Restore(file, change->Offset, oldBytes, original.size(), resized);
        CloseQuietly(journal);
        if (restored) {
            RemoveQuietly(journalPath);
        }
        throw;
    }
}

int RecoverFromJournal(File& file, platform::FileErrorInfo& error) {
    const std::string journalPath = JournalPath(file.Path());
    if (!platform::FileExists(journalPath)) {
        return 0;
    }
    File journal;
    if (int code = journal.Open(journalPath, error)) {
        return code;
    }
    std::uint64_t length = journal.Length();
    if (length <= kMaxJournalLength) {
        std::string bytes(static_cast<std::size_t>(length), '\0');
        journal.Seek(0, SeekOrigin::Begin);
        bytes.resize(journal.Read(bytes));
        std::optional<Record> record = ParseJournal(bytes);
        if (record && !CommitCompleted(file, *record)) {
            RollBack(file, *record);
        }
    }
    journal.Close();
    platform::RemoveFile(journalPath);
    // The checks and the roll-back moved the file's position; the caller reads from 0.
    file.Seek(0, SeekOrigin::Begin);
    return 0;
}

} // namespace regfile
