// The commit technique.
//
// An edit task ends with the old content (as read) and the new content in memory. They
// share a head and a tail; only the region between differs. With the length unchanged the
// region's new bytes are written over its old ones; with the length changed the tail
// moves, so everything from the region's start to the new end is written. Before the file
// is touched, an undo journal "<path>.undo" is created (exclusively: never over anything
// at that name, never through a link), held and synced. It records what the file was and
// what it becomes, so that the next opener can tell whether the file is still the one the
// journal was made for:
//
//   "REGUNDO3"               8 bytes
//   original length          8, little-endian, as every number below
//   offset of the region     8
//   old byte count           8   the old bytes from the offset (to the old end when resized)
//   new length               8
//   new byte count           8   the bytes written at the offset
//   moved tail               8   the last bytes of both: the tail that moved (resized only)
//   run count                8
//   run bytes                8
//   outside checksum         8   over the bytes outside the region: the head, and the tail
//                                when the length is unchanged
//   header checksum          8   over the 80 bytes above
//   old bytes                old byte count
//   runs                     run count times: start, count (8 each), count bytes
//   journal checksum         8   over everything above
//   "REGUNDOE"               8
//
// The new bytes are the old ones with the runs laid over them (the runs hold the bytes
// that differ), then the moved tail. Then the new bytes are written in place, the length
// is set (write first, shorten last), the file is synced and the journal removed. When a
// call of that phase fails, the old bytes are written back from memory, the old length is
// set, the journal is removed and the error raised.
//
// When the process dies on the way, the next opener finds the journal. One whose header
// is not sound is not ours and stays as it is, except an empty file and a part of a
// header that starts with the magic. One whose
// header is sound but whose body is short or fails its checksum was never relied on (the
// file was not touched yet); it is removed like such a part. A sound one is applied only to the
// file it was made for: the length lies between the old and the new one, the bytes outside the
// region are those of the commit, and each byte of the region is the old or the new one (a write
// cut anywhere, pages of a stopped machine reaching the disk in any order, a cut roll-back). Then
// the old bytes and length are put back, unless the file already is the commit's new content;
// either way the journal is removed. A file that does not fit (edited since by hand or by another
// program) is left exactly as it is, and the journal is renamed to "<path>.undo.stale-N"
// (a name not yet taken) and the user told.
//
// A folder that takes no new file (read-only for this user) cannot hold a journal. The
// change is then written without one, in the same order: a failed call is undone from
// memory as above, so it never leaves the file cut, but a crash in the middle of the write
// does, with nothing to put it right. Refusing the Save instead would leave a user who may
// change the file unable to save at all.
//
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
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "regfile/Checksum.h"

namespace regfile {

namespace {

using platform::File;
using platform::SeekOrigin;

constexpr std::string_view kHeadMagic = "REGUNDO3";
constexpr std::string_view kTailMagic = "REGUNDOE";
// The magic, nine numbers and the header's checksum.
constexpr std::size_t kHeadSize = 8 + 9 * 8 + 8;
constexpr std::size_t kTailSize = 8 + 8;
// Larger than any journal of a file the editor accepts (its old bytes and its runs each
// at most a whole file); a longer one is not ours.
constexpr std::uint64_t kMaxJournalLength = 2 * 256ull * 1024u * 1024u + 64u * 1024u * 1024u;
// Equal bytes shorter than this between two differing ones stay inside one run: a run's
// start and count cost 16 bytes.
constexpr std::size_t kRunGap = 32;
constexpr std::size_t kChunk = 64 * 1024;

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

// Bytes of the new region that differ from the old bytes at the same place.
struct Run {
    std::uint64_t Start = 0;
    std::string_view Bytes;
};

// A journal's header; the views point into the journal's bytes (or the commit's contents).
struct Record {
    std::uint64_t OriginalLength = 0;
    std::uint64_t Offset = 0;
    std::uint64_t NewLength = 0;
    std::uint64_t NewCount = 0;
    std::uint64_t MovedTail = 0;
    std::uint64_t RunCount = 0;
    std::uint64_t RunBytes = 0;
    std::uint64_t OutsideChecksum = 0;
    std::string_view OldBytes;
    std::vector<Run> Runs;

    bool Resized() const { return OriginalLength != NewLength; }
    // Where the bytes outside the region resume: the old region's end, when the length is
    // unchanged; nothing of the old content lies outside behind a moved tail.
    std::uint64_t OutsideTailStart() const {
        return Resized() ? OriginalLength : Offset + OldBytes.size();
    }
};

std::size_t CommonPrefix(const char* a, const char* b, std::size_t n) {
    std::size_t i = 0;
    while (i + kChunk <= n && std::memcmp(a + i, b + i, kChunk) == 0) {
        i += kChunk;
    }
    while (i < n && a[i] == b[i]) {
        ++i;
    }
    return i;
}

// Equal bytes at the ends of a[0, aSize) and b[0, bSize), at most `n` of them.
std::size_t CommonSuffix(const char* a, std::size_t aSize, const char* b, std::size_t bSize,
                         std::size_t n) {
    const char* aEnd = a + aSize;
    const char* bEnd = b + bSize;
    std::size_t i = 0;
    while (i + kChunk <= n && std::memcmp(aEnd - i - kChunk, bEnd - i - kChunk, kChunk) == 0) {
        i += kChunk;
    }
    while (i < n &&
           aEnd[-1 - static_cast<std::ptrdiff_t>(i)] == bEnd[-1 - static_cast<std::ptrdiff_t>(i)]) {
        ++i;
    }
    return i;
}

// The runs that turn `oldBytes` into `newBytes` where both have bytes, and the new bytes
// past the old ones as one more run.
std::vector<Run> RunsBetween(std::string_view oldBytes, std::string_view newBytes) {
    std::vector<Run> runs;
    const std::size_t common = std::min(oldBytes.size(), newBytes.size());
    std::size_t at = 0;
    while (at < common) {
        at += CommonPrefix(oldBytes.data() + at, newBytes.data() + at, common - at);
        if (at == common) {
            break;
        }
        // The run ends at the last differing byte before kRunGap equal ones.
        const std::size_t start = at;
        std::size_t end = at + 1;
        for (std::size_t scan = end; scan < common && scan - end < kRunGap; ++scan) {
            if (oldBytes[scan] != newBytes[scan]) {
                end = scan + 1;
            }
        }
        runs.push_back(Run{start, newBytes.substr(start, end - start)});
        at = end;
    }
    if (newBytes.size() > common) {
        if (!runs.empty() && runs.back().Start + runs.back().Bytes.size() + kRunGap > common) {
            const std::size_t start = static_cast<std::size_t>(runs.back().Start);
            runs.back().Bytes = newBytes.substr(start);
        } else {
            runs.push_back(Run{common, newBytes.substr(common)});
        }
    }
    return runs;
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

std::string HeaderBytes(const Record& record) {
    std::string head;
    head.reserve(kHeadSize);
    head += kHeadMagic;
    AppendNumber(head, record.OriginalLength);
    AppendNumber(head, record.Offset);
    AppendNumber(head, record.OldBytes.size());
    AppendNumber(head, record.NewLength);
    AppendNumber(head, record.NewCount);
    AppendNumber(head, record.MovedTail);
    AppendNumber(head, record.RunCount);
    AppendNumber(head, record.RunBytes);
    AppendNumber(head, record.OutsideChecksum);
    AppendNumber(head, ChecksumOf(head));
    return head;
}

void WriteJournal(File& journal, const Record& record) {
    std::string head = HeaderBytes(record);
    Checksum sum;
    sum.Add(head);
    sum.Add(record.OldBytes);
    // The runs' numbers go out in one block after the old bytes; each run's bytes follow
    // its numbers, so they are gathered into one buffer only when they are few.
    std::string runs;
    for (const Run& run : record.Runs) {
        AppendNumber(runs, run.Start);
        AppendNumber(runs, run.Bytes.size());
        runs += run.Bytes;
    }
    sum.Add(runs);
    std::string tail;
    AppendNumber(tail, sum.Value());
    tail += kTailMagic;

    if (record.OldBytes.size() < kChunk) {
        journal.Write(head + std::string(record.OldBytes) + runs + tail);
        return;
    }
    journal.Write(head);
    journal.Write(record.OldBytes);
    journal.Write(runs + tail);
}

// The record of a sound header: the magic, the header checksum and counts that fit
// together and fit the editor's limits. Anything else is not one of our journals.
std::optional<Record> ParseHeader(std::string_view head) {
    if (head.size() < kHeadSize || head.substr(0, 8) != kHeadMagic ||
        NumberAt(head, kHeadSize - 8) != ChecksumOf(head.substr(0, kHeadSize - 8))) {
        return std::nullopt;
    }
    Record record;
    record.OriginalLength = NumberAt(head, 8);
    record.Offset = NumberAt(head, 16);
    const std::uint64_t oldCount = NumberAt(head, 24);
    record.NewLength = NumberAt(head, 32);
    record.NewCount = NumberAt(head, 40);
    record.MovedTail = NumberAt(head, 48);
    record.RunCount = NumberAt(head, 56);
    record.RunBytes = NumberAt(head, 64);
    record.OutsideChecksum = NumberAt(head, 72);
    const std::uint64_t limit = kMaxJournalLength;
    if (record.OriginalLength > limit || record.NewLength > limit || oldCount > limit ||
        record.NewCount > limit || record.RunBytes > limit || record.RunCount > limit ||
        record.Offset + oldCount > record.OriginalLength ||
        record.Offset + record.NewCount > record.NewLength || record.MovedTail > oldCount ||
        record.MovedTail > record.NewCount) {
        return std::nullopt;
    }
    // The old bytes and the runs are filled in by ParseBody.
    return record;
}

std::uint64_t JournalLength(std::string_view head) {
    return kHeadSize + NumberAt(head, 24) + NumberAt(head, 56) * 16 + NumberAt(head, 64) +
           kTailSize;
}

// Fills in the old bytes and the runs from a whole journal whose header parsed; false when
// the body is cut short, fails its checksum or does not describe the new bytes.
bool ParseBody(std::string_view bytes, Record& record) {
    if (bytes.size() != JournalLength(bytes)) {
        return false;
    }
    const std::size_t tailAt = bytes.size() - kTailSize;
    if (bytes.substr(tailAt + 8) != kTailMagic ||
        NumberAt(bytes, tailAt) != ChecksumOf(bytes.substr(0, tailAt))) {
        return false;
    }
    const std::size_t oldCount = static_cast<std::size_t>(NumberAt(bytes, 24));
    record.OldBytes = bytes.substr(kHeadSize, oldCount);
    // The new region is the old bytes with the runs laid over them, then the moved tail:
    // the runs lie in order inside the part ahead of the moved tail, and cover whatever of
    // it lies past the old bytes.
    const std::uint64_t head = record.NewCount - record.MovedTail;
    const std::uint64_t oldHead = oldCount - record.MovedTail;
    std::uint64_t covered = std::min(head, oldHead);
    std::uint64_t previousEnd = 0;
    std::size_t at = kHeadSize + oldCount;
    for (std::uint64_t i = 0; i < record.RunCount; ++i) {
        if (at + 16 > tailAt) {
            return false;
        }
        const std::uint64_t start = NumberAt(bytes, at);
        const std::uint64_t count = NumberAt(bytes, at + 8);
        at += 16;
        if (count > tailAt - at || start < previousEnd || start > head || count > head - start) {
            return false;
        }
        if (start <= covered) {
            covered = std::max(covered, start + count);
        }
        record.Runs.push_back(Run{start, bytes.substr(at, static_cast<std::size_t>(count))});
        at += static_cast<std::size_t>(count);
        previousEnd = start + count;
    }
    return at == tailAt && covered >= head;
}

// The new region's bytes from a parsed journal.
std::string NewBytesOf(const Record& record) {
    const std::size_t head = static_cast<std::size_t>(record.NewCount - record.MovedTail);
    const std::size_t oldHead = record.OldBytes.size() - static_cast<std::size_t>(record.MovedTail);
    std::string bytes(record.OldBytes.substr(0, std::min(head, oldHead)));
    bytes.resize(head, '\0');
    for (const Run& run : record.Runs) {
        std::memcpy(bytes.data() + run.Start, run.Bytes.data(), run.Bytes.size());
    }
    bytes += record.OldBytes.substr(oldHead);
    return bytes;
}

// Reads [from, from + count) of `file` in chunks, handing each to `use(bytes, offset)`;
// false when the file ends first.
template <class Use>
bool ReadRange(File& file, std::uint64_t from, std::uint64_t count, Use&& use) {
    if (count == 0) {
        return true;
    }
    file.Seek(static_cast<std::int64_t>(from), SeekOrigin::Begin);
    std::vector<char> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(count, kChunk)));
    for (std::uint64_t done = 0; done < count;) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(count - done, chunk.size()));
        const std::size_t got = file.Read(std::span<char>(chunk.data(), want));
        if (got != want) {
            return false;
        }
        if (!use(std::string_view(chunk.data(), got), done)) {
            return false;
        }
        done += got;
    }
    return true;
}

enum class FileState { Original, Committed, Between, Other };

// How the file relates to the commit the journal records.
FileState CompareWithCommit(File& file, const Record& record) {
    const std::uint64_t length = file.Length();
    const std::uint64_t lower = std::min(record.OriginalLength, record.NewLength);
    const std::uint64_t upper = std::max(record.OriginalLength, record.NewLength);
    // A growing file grows with the write, to any length between; a shrinking one is
    // shortened by one call, last: it has the old length or the new one.
    const bool lengthFits = record.NewLength > record.OriginalLength
                                ? length >= lower && length <= upper
                                : length == lower || length == upper;
    if (!lengthFits) {
        return FileState::Other;
    }
    Checksum outside;
    auto addOutside = [&](std::string_view bytes, std::uint64_t) {
        outside.Add(bytes);
        return true;
    };
    const std::uint64_t tailStart = record.OutsideTailStart();
    if (!ReadRange(file, 0, record.Offset, addOutside) ||
        !ReadRange(file, tailStart, record.OriginalLength - tailStart, addOutside) ||
        outside.Value() != record.OutsideChecksum) {
        return FileState::Other;
    }

    // Each byte of the region is the old byte or the new byte of its place; past the old
    // length a byte may also be zero (a file grown by a write whose data never reached the
    // disk reads zeros there).
    const std::string newBytes = NewBytesOf(record);
    const std::string_view oldBytes = record.OldBytes;
    const std::uint64_t oldEnd = record.Offset + oldBytes.size();
    const std::uint64_t regionEnd = record.Resized() ? length : oldEnd;
    bool allOld = length == record.OriginalLength;
    bool allNew = length == record.NewLength;
    const bool fits =
        ReadRange(file, record.Offset, regionEnd - record.Offset,
                  [&](std::string_view bytes, std::uint64_t done) {
                      for (std::size_t i = 0; i < bytes.size(); ++i) {
                          const std::size_t at = static_cast<std::size_t>(done + i);
                          const bool isOld = at < oldBytes.size() && bytes[i] == oldBytes[at];
                          const bool isNew = at < newBytes.size() && bytes[i] == newBytes[at];
                          const bool isHole =
                              record.Offset + at >= record.OriginalLength && bytes[i] == 0;
                          if (!isOld && !isNew && !isHole) {
                              return false;
                          }
                          allOld = allOld && isOld;
                          allNew = allNew && isNew;
                      }
                      return true;
                  });
    if (!fits) {
        return FileState::Other;
    }
    if (allNew) {
        return FileState::Committed;
    }
    return allOld ? FileState::Original : FileState::Between;
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

std::string_view BaseName(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The refusal of a commit because something that is not our journal has its name.
platform::FileError InTheWay(const std::string& path, const std::string& journalPath) {
    platform::FileErrorInfo info;
    info.Cause = "save";
    info.Code = platform::kFileExistsCode;
    info.FileName = path;
    info.Text = "\"" + std::string(BaseName(journalPath)) +
                "\" in the same folder is in the way (this program keeps its undo record "
                "under that name; the file there is not one and was left as it is); move it "
                "away and save again";
    return platform::FileError(info);
}

// Renames a journal that does not fit its file to the first free "<journal>.stale-N";
// the new name, or empty when no rename succeeded.
std::string SetAside(const std::string& journalPath) {
    for (int n = 1; n <= 999; ++n) {
        std::string aside = journalPath + ".stale-" + std::to_string(n);
        const int code = platform::RenameNoReplace(journalPath, aside);
        if (code == 0) {
            return aside;
        }
        if (code != platform::kFileExistsCode) {
            return {};
        }
    }
    return {};
}

std::string StaleNotice(const std::string& path, const std::string& journalPath,
                        const std::string& aside) {
    std::string notice = "The file \"" + std::string(BaseName(path)) +
                         "\" was changed after a save into it was cut short, so the record "
                         "kept to undo that save no longer fits it. The file was left exactly "
                         "as it is; check that it holds what you expect. ";
    if (aside.empty()) {
        notice += "The record \"" + std::string(BaseName(journalPath)) +
                  "\" in the same folder could not be renamed and is still in the way of "
                  "saving; move it away.";
    } else {
        notice +=
            "The record was kept as \"" + std::string(BaseName(aside)) + "\" in the same folder.";
    }
    return notice;
}

} // namespace

std::string JournalPath(std::string_view path) {
    std::string journal(path);
    journal += ".undo";
    return journal;
}

void CommitChange(File& file, std::string_view original, std::string_view updated,
                  KnownSame known) {
    // The shared head and tail, the tail never reaching into the head.
    const std::size_t common = std::min(original.size(), updated.size());
    const std::size_t knownHead = std::min(known.Head, common);
    const std::size_t offset =
        knownHead +
        CommonPrefix(original.data() + knownHead, updated.data() + knownHead, common - knownHead);
    if (offset == common && original.size() == updated.size()) {
        return;
    }
    const std::size_t rest = common - offset;
    const std::size_t knownTail = std::min(known.Tail, rest);
    const std::size_t tail =
        knownTail + CommonSuffix(original.data(), original.size() - knownTail, updated.data(),
                                 updated.size() - knownTail, rest - knownTail);
    const bool resized = original.size() != updated.size();
    // Resized, the tail moves and is written again; otherwise it stays where it is.
    const std::size_t oldEnd = resized ? original.size() : original.size() - tail;
    const std::size_t newEnd = resized ? updated.size() : updated.size() - tail;
    const std::string_view oldBytes = original.substr(offset, oldEnd - offset);
    const std::string_view newBytes = updated.substr(offset, newEnd - offset);

    // The record is made ahead of the journal, which then exists only as long as it must.
    Record record;
    record.OriginalLength = original.size();
    record.Offset = offset;
    record.NewLength = updated.size();
    record.NewCount = newBytes.size();
    record.MovedTail = resized ? tail : 0;
    record.OldBytes = oldBytes;
    record.Runs = RunsBetween(oldBytes.substr(0, oldBytes.size() - record.MovedTail),
                              newBytes.substr(0, newBytes.size() - record.MovedTail));
    record.RunCount = record.Runs.size();
    for (const Run& run : record.Runs) {
        record.RunBytes += run.Bytes.size();
    }
    Checksum outside;
    outside.Add(original.substr(0, offset));
    outside.Add(original.substr(record.OutsideTailStart()));
    record.OutsideChecksum = outside.Value();

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
            WriteJournal(journal, record);
            journal.Sync();
        } catch (...) {
            CloseQuietly(journal);
            RemoveQuietly(journalPath);
            throw;
        }
    }

    try {
        WriteAt(file, offset, newBytes);
        if (resized) {
            file.SetLength(updated.size());
        }
        file.Sync();
        if (journaled) {
            journal.Close();
            platform::RemoveFile(journalPath);
        }
    } catch (...) {
        bool restored = Restore(file, offset, oldBytes, original.size(), resized);
        if (journaled) {
            CloseQuietly(journal);
            if (restored) {
                RemoveQuietly(journalPath);
            }
        }
        throw;
    }
}

int RecoverFromJournal(File& file, platform::FileErrorInfo& error, std::string& notice) {
    notice.clear();
    const std::string journalPath = JournalPath(file.Path());
    // A folder, a pipe, a link or anything else at the name is not ours, and is neither
    // opened nor followed.
    if (platform::QueryEntry(journalPath) != platform::EntryKind::RegularFile) {
        return 0;
    }
    File journal;
    if (int code = journal.OpenToRead(journalPath, error)) {
        const platform::EntryKind now = platform::QueryEntry(journalPath);
        // Gone meanwhile, replaced by something else, or a file this user may not read:
        // none of them is a journal this program wrote.
        if (now != platform::EntryKind::RegularFile || platform::RefusesNewFiles(code)) {
            return 0;
        }
        return code;
    }
    std::string bytes(kHeadSize, '\0');
    bytes.resize(journal.Read(bytes));
    std::optional<Record> record = ParseHeader(bytes);
    if (!record) {
        journal.Close();
        // Empty, or shorter than a header and starting with the magic: ours, cut short
        // between its creation and its first write, before the file was touched (an empty
        // file holds nothing to lose). Anything else is somebody else's and stays.
        if (bytes.empty() || (bytes.size() < kHeadSize && bytes.starts_with(kHeadMagic))) {
            platform::RemoveFile(journalPath);
        }
        return 0;
    }
    // Ours: read the rest, as long as the header says it is. Longer than that, it has
    // been added to by someone else, and is left alone.
    const std::uint64_t length = journal.Length();
    if (length > JournalLength(bytes)) {
        journal.Close();
        return 0;
    }
    const bool whole = length == JournalLength(bytes);
    if (whole) {
        bytes.resize(static_cast<std::size_t>(length));
        const std::size_t got =
            journal.Read(std::span<char>(bytes.data() + kHeadSize, bytes.size() - kHeadSize));
        bytes.resize(kHeadSize + got);
    }
    journal.Close();
    if (!whole || !ParseBody(bytes, *record)) {
        // Cut short while it was written: the file was not touched yet.
        platform::RemoveFile(journalPath);
        file.Seek(0, SeekOrigin::Begin);
        return 0;
    }

    switch (CompareWithCommit(file, *record)) {
    case FileState::Original:
    case FileState::Committed:
        break;
    case FileState::Between:
        RollBack(file, *record);
        break;
    case FileState::Other:
        notice = StaleNotice(file.Path(), journalPath, SetAside(journalPath));
        file.Seek(0, SeekOrigin::Begin);
        return 0;
    }
    platform::RemoveFile(journalPath);
    // The checks and the roll-back moved the file's position; the caller reads from 0.
    file.Seek(0, SeekOrigin::Begin);
    return 0;
}

} // namespace regfile
