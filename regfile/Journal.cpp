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
//   "REGUNDO4"               8 bytes
//   original length          8, little-endian, as every number of the header
//   new length               8
//   offset of the region     8
//   old byte count           8   resized: the old bytes from the offset to the old end;
//                                otherwise 0 (the runs hold the old bytes)
//   moved tail               8   resized: the last bytes of both, the tail that moved
//   run count                8
//   runs length              8   the bytes of the runs below
//   outside checksum         8   over the bytes the commit keeps where they are: the head
//                                when resized; otherwise every byte outside the runs
//   body checksum            8   over everything below the header
//   header checksum          8   over the 80 bytes above
//   runs                     run count times: the distance from the end of the run before
//                                (from the offset for the first) and the byte count, each a
//                                variable-length number (7 bits a byte, lowest first, the
//                                top bit set on every byte but the last), then the bytes:
//                                the old ones and the new ones when the length is unchanged,
//                                the new ones when resized
//   old bytes                old byte count
//
// With the length unchanged the runs are the differing stretches of the region, so the
// journal grows with the bytes that change (twice those, and a few bytes a run), not with
// the region or the file; every other byte is vouched for by the outside checksum. Resized,
// the region's new bytes are the old ones with the runs laid over them, then the moved
// tail; the old bytes are all kept, since the moving tail overwrites them. The journal goes
// out in few writes: its header and runs gathered in one buffer, the long pieces (the old
// bytes, a long run) written straight from the contents in memory, never copied.
//
// Then the new bytes are written in place, the length is set (write first, shorten last),
// the file is synced and the journal removed. When a call of that phase fails, the old
// bytes are written back from memory, the old length is set, the journal is removed and
// the error raised.
//
// When the process dies on the way, the next opener finds the journal. One whose header
// is not sound is not ours and stays as it is, except an empty file and a part of a
// header that starts with the magic. One whose header is sound but whose body is short or
// fails its checksum was never relied on (the file was not touched yet); it is removed
// like such a part. A sound one is applied only to the file it was made for: the length
// lies between the old and the new one, the bytes outside the region (outside the runs)
// are those of the commit, and each byte of the region (of the runs) is the old or the
// new one (a write cut anywhere, pages of a stopped machine reaching the disk in any
// order, a cut roll-back). Then the old bytes and length are put back, unless the file
// already is the commit's new content; either way the journal is removed. A file that
// does not fit (edited since by hand or by another program) is left exactly as it is, and
// the journal is renamed to "<path>.undo.stale-N" (a name not yet taken) and the user
// told.
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
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "regfile/Checksum.h"

namespace regfile {

namespace {

using platform::File;
using platform::SeekOrigin;

constexpr std::string_view kHeadMagic = "REGUNDO4";
// The magic, nine numbers and the header's checksum.
constexpr std::size_t kHeadSize = 8 + 9 * 8 + 8;
// Larger than any count in a journal of a file the editor accepts (the runs of a same-length
// commit hold at most the whole file twice, and a few bytes a run); a larger one is not ours.
constexpr std::uint64_t kMaxCount = 4ull * 256u * 1024u * 1024u;
constexpr std::size_t kChunk = 64 * 1024;
// Equal bytes fewer than this between two differing ones stay inside one run: a run's two
// numbers cost two bytes or more, and each equal byte kept in a run costs two bytes when
// the length is unchanged (old and new), one when resized.
constexpr std::size_t kSameLengthRunGap = 2;
constexpr std::size_t kResizedRunGap = 4;
// Journal pieces this long are written straight from memory instead of being gathered.
constexpr std::size_t kDirectWrite = 1024;

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

// A variable-length number into `out` (room for 10 bytes); returns the bytes used.
std::size_t PutVarNumber(char* out, std::uint64_t value) {
    std::size_t used = 0;
    while (value >= 0x80) {
        out[used++] = static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    out[used++] = static_cast<char>(value);
    return used;
}

// Reads a variable-length number at `at` of bytes[0, end), moving `at` past it; false when
// it runs past `end` or past 64 bits.
bool GetVarNumber(std::string_view bytes, std::size_t& at, std::size_t end, std::uint64_t& value) {
    value = 0;
    for (int shift = 0; shift < 64 && at < end; shift += 7) {
        const auto byte = static_cast<std::uint8_t>(bytes[at++]);
        const std::uint64_t bits = byte & 0x7Fu;
        if (shift == 63 && bits > 1) {
            return false;
        }
        value |= bits << shift;
        if ((byte & 0x80u) == 0) {
            return true;
        }
    }
    return false;
}

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

// Bytes held in up to three places in memory, read as one text: a commit's original
// content (its head and tail are those of the updated content, see OriginalText) and the
// stretches of it that the commit reads.
class Pieces {
public:
    Pieces() = default;
    // A text held in one place is one piece.
    Pieces(std::string_view bytes) { Add(bytes); }
    Pieces(std::string_view first, std::string_view second, std::string_view third) {
        Add(first);
        Add(second);
        Add(third);
    }

    std::size_t size() const { return size_; }
    // The pieces in order, none of them empty.
    std::span<const std::string_view> Parts() const { return {parts_.data(), count_}; }
    char operator[](std::size_t at) const {
        for (const std::string_view part : Parts()) {
            if (at < part.size()) {
                return part[at];
            }
            at -= part.size();
        }
        return '\0';
    }
    // [from, from + count), cut at the end as std::string_view::substr does.
    Pieces substr(std::size_t from, std::size_t count = std::string_view::npos) const {
        Pieces out;
        for (const std::string_view part : Parts()) {
            if (from >= part.size()) {
                from -= part.size();
                continue;
            }
            const std::string_view taken = part.substr(from, count);
            out.Add(taken);
            count -= taken.size();
            from = 0;
        }
        return out;
    }

private:
    void Add(std::string_view part) {
        if (!part.empty()) {
            parts_[count_++] = part;
            size_ += part.size();
        }
    }

    std::array<std::string_view, 3> parts_{};
    std::size_t count_ = 0;
    std::size_t size_ = 0;
};

// Equal bytes at the starts of `a` and of `b` (which holds a.size() bytes or more).
std::size_t CommonPrefix(const Pieces& a, const char* b) {
    std::size_t done = 0;
    for (const std::string_view part : a.Parts()) {
        const std::size_t same = CommonPrefix(part.data(), b + done, part.size());
        done += same;
        if (same < part.size()) {
            break;
        }
    }
    return done;
}

// Equal bytes at the ends of `a` and of the bytes that end at `bEnd` (a.size() or more).
std::size_t CommonSuffix(const Pieces& a, const char* bEnd) {
    std::size_t done = 0;
    const std::span<const std::string_view> parts = a.Parts();
    for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
        const char* b = bEnd - done - part->size();
        const std::size_t same =
            CommonSuffix(part->data(), part->size(), b, part->size(), part->size());
        done += same;
        if (same < part->size()) {
            break;
        }
    }
    return done;
}

void AddTo(Checksum& sum, const Pieces& bytes) {
    for (const std::string_view part : bytes.Parts()) {
        sum.Add(part);
    }
}

// Writes the pieces at the file's position in one write call.
void WriteHere(File& file, const Pieces& bytes) {
    std::array<std::span<const char>, 3> spans;
    const std::span<const std::string_view> parts = bytes.Parts();
    std::copy(parts.begin(), parts.end(), spans.begin());
    file.WritePieces(std::span<const std::span<const char>>(spans.data(), parts.size()));
}

// Writes the pieces at `offset` (no call at all when there are no bytes).
void WriteAt(File& file, std::uint64_t offset, const Pieces& bytes) {
    if (bytes.size() == 0) {
        return;
    }
    file.Seek(static_cast<std::int64_t>(offset), SeekOrigin::Begin);
    WriteHere(file, bytes);
}

// Calls found(start, end) for each stretch of `newBytes` that differs from `oldBytes` at
// the same place, equal stretches shorter than `gap` kept inside a run; the new bytes past
// the old ones end the last run or form one of their own.
template <class Found>
void ForEachRun(const Pieces& oldBytes, std::string_view newBytes, std::size_t gap, Found&& found) {
    const std::size_t common = std::min(oldBytes.size(), newBytes.size());
    std::optional<std::pair<std::size_t, std::size_t>> last;
    std::size_t at = 0;
    while (at < common) {
        at += CommonPrefix(oldBytes.substr(at, common - at), newBytes.data() + at);
        if (at == common) {
            break;
        }
        // The run ends at the last differing byte before `gap` equal ones.
        const std::size_t start = at;
        std::size_t end = at + 1;
        for (std::size_t scan = end; scan < common && scan - end < gap; ++scan) {
            if (oldBytes[scan] != newBytes[scan]) {
                end = scan + 1;
            }
        }
        if (last) {
            found(last->first, last->second);
        }
        last.emplace(start, end);
        at = end;
    }
    if (newBytes.size() > common) {
        if (last && last->second + gap > common) {
            last->second = newBytes.size();
        } else {
            if (last) {
                found(last->first, last->second);
            }
            last.emplace(common, newBytes.size());
        }
    }
    if (last) {
        found(last->first, last->second);
    }
}

// One commit: the two contents and the region between their shared head and tail.
struct Change {
    Pieces Original;
    std::string_view Updated;
    std::size_t Offset = 0;
    Pieces OldBytes;           // the region in Original (to its end when resized)
    std::string_view NewBytes; // the region in Updated, written in place
    std::size_t MovedTail = 0; // resized: the shared tail, at the end of both regions

    bool Resized() const { return Original.size() != Updated.size(); }
};

// Hands the journal's body to the sink, piece by piece: sink.Run(start, end) as each run
// is found (offsets in the region), sink.Piece(bytes) for each piece of bytes in order.
template <class Sink> void EmitBody(const Change& change, Sink& sink) {
    const bool resized = change.Resized();
    const Pieces oldHead = change.OldBytes.substr(0, change.OldBytes.size() - change.MovedTail);
    const std::string_view newHead =
        change.NewBytes.substr(0, change.NewBytes.size() - change.MovedTail);
    std::size_t previousEnd = 0;
    ForEachRun(oldHead, newHead, resized ? kResizedRunGap : kSameLengthRunGap,
               [&](std::size_t start, std::size_t end) {
                   sink.Run(start, end);
                   char numbers[20];
                   std::size_t used = PutVarNumber(numbers, start - previousEnd);
                   used += PutVarNumber(numbers + used, end - start);
                   sink.Piece(std::string_view(numbers, used));
                   if (!resized) {
                       sink.Piece(oldHead.substr(start, end - start));
                   }
                   sink.Piece(newHead.substr(start, end - start));
                   previousEnd = end;
               });
    sink.EndOfRuns();
    if (resized) {
        sink.Piece(change.OldBytes);
    }
}

// The first walk over the body: what the header says of it, and how much of it is gathered.
struct BodyPlan {
    explicit BodyPlan(const Change& change) : change_(change) {}

    void Run(std::size_t start, std::size_t end) {
        ++RunCount;
        if (!change_.Resized()) {
            const std::size_t from = change_.Offset + start;
            AddTo(Outside, change_.Original.substr(outsideFrom_, from - outsideFrom_));
            outsideFrom_ = change_.Offset + end;
        }
    }
    void Piece(const Pieces& bytes) {
        AddTo(Body, bytes);
        length_ += bytes.size();
        if (bytes.size() < kDirectWrite) {
            Gathered += bytes.size();
        }
    }
    void EndOfRuns() {
        RunsLength = length_;
        AddTo(Outside, change_.Resized() ? change_.Original.substr(0, change_.Offset)
                                         : change_.Original.substr(outsideFrom_));
    }

    std::uint64_t RunCount = 0;
    std::uint64_t RunsLength = 0;
    std::size_t Gathered = 0;
    Checksum Body;
    Checksum Outside;

private:
    const Change& change_;
    std::size_t outsideFrom_ = 0;
    std::uint64_t length_ = 0;
};

// The second walk: writes the pieces, the short ones gathered into one buffer of the size
// the plan found, the long ones straight from memory.
class GatherWriter {
public:
    GatherWriter(File& file, std::size_t capacity)
        : file_(file), buffer_(std::make_unique_for_overwrite<char[]>(capacity)),
          capacity_(capacity) {}

    void Run(std::size_t, std::size_t) {}
    void EndOfRuns() {}
    void Piece(const Pieces& bytes) {
        if (bytes.size() >= kDirectWrite || bytes.size() > capacity_ - used_) {
            Flush();
        }
        if (bytes.size() >= kDirectWrite || bytes.size() > capacity_) {
            WriteHere(file_, bytes);
            return;
        }
        for (const std::string_view part : bytes.Parts()) {
            std::memcpy(buffer_.get() + used_, part.data(), part.size());
            used_ += part.size();
        }
    }
    void Flush() {
        if (used_ != 0) {
            file_.Write(std::span<const char>(buffer_.get(), used_));
            used_ = 0;
        }
    }

private:
    File& file_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t used_ = 0;
};

std::string HeaderBytes(const Change& change, const BodyPlan& plan) {
    std::string head;
    head.reserve(kHeadSize);
    head += kHeadMagic;
    AppendNumber(head, change.Original.size());
    AppendNumber(head, change.Updated.size());
    AppendNumber(head, change.Offset);
    AppendNumber(head, change.Resized() ? change.OldBytes.size() : 0);
    AppendNumber(head, change.MovedTail);
    AppendNumber(head, plan.RunCount);
    AppendNumber(head, plan.RunsLength);
    AppendNumber(head, plan.Outside.Value());
    AppendNumber(head, plan.Body.Value());
    AppendNumber(head, ChecksumOf(head));
    return head;
}

void WriteJournal(File& journal, const Change& change, std::string_view head,
                  std::size_t gathered) {
    GatherWriter writer(journal, head.size() + gathered);
    writer.Piece(head);
    EmitBody(change, writer);
    writer.Flush();
}

// Bytes of the region that the commit changes, from a journal: offsets in the region, the
// old bytes (empty when resized: they are the journal's old bytes) and the new ones.
struct Run {
    std::uint64_t Start = 0;
    std::string_view Old;
    std::string_view New;
};

// A journal's header; the views point into the journal's bytes.
struct Record {
    std::uint64_t OriginalLength = 0;
    std::uint64_t NewLength = 0;
    std::uint64_t Offset = 0;
    std::uint64_t OldCount = 0;
    std::uint64_t MovedTail = 0;
    std::uint64_t RunCount = 0;
    std::uint64_t RunsLength = 0;
    std::uint64_t OutsideChecksum = 0;
    std::uint64_t BodyChecksum = 0;
    std::string_view OldBytes;
    std::vector<Run> Runs;

    bool Resized() const { return OriginalLength != NewLength; }
    std::uint64_t JournalLength() const { return kHeadSize + RunsLength + OldCount; }
};

// The record of a sound header: the magic, the header checksum and counts that fit
// together and fit the editor's limits. Anything else is not one of our journals.
std::optional<Record> ParseHeader(std::string_view head) {
    if (head.size() < kHeadSize || head.substr(0, 8) != kHeadMagic ||
        NumberAt(head, kHeadSize - 8) != ChecksumOf(head.substr(0, kHeadSize - 8))) {
        return std::nullopt;
    }
    Record record;
    record.OriginalLength = NumberAt(head, 8);
    record.NewLength = NumberAt(head, 16);
    record.Offset = NumberAt(head, 24);
    record.OldCount = NumberAt(head, 32);
    record.MovedTail = NumberAt(head, 40);
    record.RunCount = NumberAt(head, 48);
    record.RunsLength = NumberAt(head, 56);
    record.OutsideChecksum = NumberAt(head, 64);
    record.BodyChecksum = NumberAt(head, 72);
    for (std::uint64_t count : {record.OriginalLength, record.NewLength, record.Offset,
                                record.OldCount, record.MovedTail, record.RunsLength}) {
        if (count > kMaxCount) {
            return std::nullopt;
        }
    }
    // Each run takes two numbers and a byte at least.
    if (record.RunCount > record.RunsLength / 3) {
        return std::nullopt;
    }
    const bool fits = record.Resized() ? record.Offset + record.OldCount == record.OriginalLength &&
                                             record.Offset <= record.NewLength &&
                                             record.MovedTail <= record.OldCount &&
                                             record.MovedTail <= record.NewLength - record.Offset
                                       : record.OldCount == 0 && record.MovedTail == 0 &&
                                             record.Offset <= record.OriginalLength;
    if (!fits) {
        return std::nullopt;
    }
    // The runs and the old bytes are filled in by ParseBody.
    return record;
}

// Fills in the runs and the old bytes from a whole journal whose header parsed; false when
// the body fails its checksum or does not describe the new bytes.
bool ParseBody(std::string_view bytes, Record& record) {
    if (bytes.size() != record.JournalLength() ||
        ChecksumOf(bytes.substr(kHeadSize)) != record.BodyChecksum) {
        return false;
    }
    const std::size_t runsEnd = kHeadSize + static_cast<std::size_t>(record.RunsLength);
    record.OldBytes = bytes.substr(runsEnd);
    const bool resized = record.Resized();
    // Runs lie in the region's head: resized, the new bytes ahead of the moved tail, which
    // they must cover where it lies past the old bytes.
    const std::uint64_t head = resized ? record.NewLength - record.Offset - record.MovedTail
                                       : record.OriginalLength - record.Offset;
    std::uint64_t covered = resized ? std::min(head, record.OldCount - record.MovedTail) : head;
    std::uint64_t previousEnd = 0;
    std::size_t at = kHeadSize;
    for (std::uint64_t i = 0; i < record.RunCount; ++i) {
        std::uint64_t distance = 0;
        std::uint64_t count = 0;
        if (!GetVarNumber(bytes, at, runsEnd, distance) ||
            !GetVarNumber(bytes, at, runsEnd, count) || count == 0 ||
            distance > head - previousEnd || count > head - previousEnd - distance ||
            count * (resized ? 1 : 2) > runsEnd - at) {
            return false;
        }
        Run run;
        run.Start = previousEnd + distance;
        const auto size = static_cast<std::size_t>(count);
        if (!resized) {
            run.Old = bytes.substr(at, size);
            at += size;
        }
        run.New = bytes.substr(at, size);
        at += size;
        if (run.Start <= covered) {
            covered = std::max(covered, run.Start + count);
        }
        record.Runs.push_back(run);
        previousEnd = run.Start + count;
    }
    return at == runsEnd && covered >= head;
}

// The new region's bytes from a parsed journal of a resized commit.
std::string NewBytesOf(const Record& record) {
    const auto head = static_cast<std::size_t>(record.NewLength - record.Offset - record.MovedTail);
    const std::size_t oldHead = record.OldBytes.size() - static_cast<std::size_t>(record.MovedTail);
    std::string bytes(record.OldBytes.substr(0, std::min(head, oldHead)));
    bytes.resize(head, '\0');
    for (const Run& run : record.Runs) {
        std::memcpy(bytes.data() + run.Start, run.New.data(), run.New.size());
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

// Tells old, new and mixed bytes apart, byte by byte.
struct Mix {
    bool AllOld = true;
    bool AllNew = true;

    // False when the byte is neither.
    bool Take(bool isOld, bool isNew) {
        AllOld = AllOld && isOld;
        AllNew = AllNew && isNew;
        return isOld || isNew;
    }
    FileState State() const {
        if (AllNew) {
            return FileState::Committed;
        }
        return AllOld ? FileState::Original : FileState::Between;
    }
};

// A commit that kept the length: the bytes outside the runs as recorded, each byte of a
// run its old or its new one.
FileState CompareSameLength(File& file, const Record& record) {
    if (file.Length() != record.OriginalLength) {
        return FileState::Other;
    }
    Checksum outside;
    Mix mix;
    std::size_t next = 0;
    const bool fits =
        ReadRange(file, 0, record.OriginalLength, [&](std::string_view bytes, std::uint64_t done) {
            const std::uint64_t end = done + bytes.size();
            for (std::uint64_t at = done; at < end;) {
                const Run* run = next < record.Runs.size() ? &record.Runs[next] : nullptr;
                const std::uint64_t runStart = run ? record.Offset + run->Start : end;
                if (at < runStart) {
                    const std::uint64_t stop = std::min(end, runStart);
                    outside.Add(bytes.substr(static_cast<std::size_t>(at - done),
                                             static_cast<std::size_t>(stop - at)));
                    at = stop;
                    continue;
                }
                const std::uint64_t runEnd = runStart + run->New.size();
                for (; at < std::min(end, runEnd); ++at) {
                    const char byte = bytes[static_cast<std::size_t>(at - done)];
                    const auto i = static_cast<std::size_t>(at - runStart);
                    if (!mix.Take(byte == run->Old[i], byte == run->New[i])) {
                        return false;
                    }
                }
                if (at == runEnd) {
                    ++next;
                }
            }
            return true;
        });
    if (!fits || outside.Value() != record.OutsideChecksum) {
        return FileState::Other;
    }
    return mix.State();
}

// A commit that changed the length: the head as recorded, each byte from the offset on its
// old or its new one.
FileState CompareResized(File& file, const Record& record) {
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
    if (!ReadRange(file, 0, record.Offset,
                   [&](std::string_view bytes, std::uint64_t) {
                       outside.Add(bytes);
                       return true;
                   }) ||
        outside.Value() != record.OutsideChecksum) {
        return FileState::Other;
    }

    // Past the old length a byte may also be zero (a file grown by a write whose data never
    // reached the disk reads zeros there).
    const std::string newBytes = NewBytesOf(record);
    const std::string_view oldBytes = record.OldBytes;
    Mix mix;
    mix.AllOld = length == record.OriginalLength;
    mix.AllNew = length == record.NewLength;
    const bool fits =
        ReadRange(file, record.Offset, length - record.Offset,
                  [&](std::string_view bytes, std::uint64_t done) {
                      for (std::size_t i = 0; i < bytes.size(); ++i) {
                          const auto at = static_cast<std::size_t>(done + i);
                          const bool isOld = at < oldBytes.size() && bytes[i] == oldBytes[at];
                          const bool isNew = at < newBytes.size() && bytes[i] == newBytes[at];
                          const bool isHole =
                              record.Offset + at >= record.OriginalLength && bytes[i] == 0;
                          if (!mix.Take(isOld, isNew) && !isHole) {
                              return false;
                          }
                      }
                      return true;
                  });
    return fits ? mix.State() : FileState::Other;
}

void RollBack(File& file, const Record& record) {
    if (record.Resized()) {
        WriteAt(file, record.Offset, record.OldBytes);
        file.SetLength(record.OriginalLength);
    } else {
        for (const Run& run : record.Runs) {
            WriteAt(file, record.Offset + run.Start, run.Old);
        }
    }
    file.Sync();
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

bool Restore(File& file, std::size_t offset, const Pieces& oldBytes, std::uint64_t originalLength,
             bool resized) {
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

void CommitChange(File& file, const OriginalText& text, std::string_view updated) {
    // The original's head and tail are the updated content's own bytes: the search for the
    // region that differs starts past them, and the old bytes that lie there (the tail
    // that moves) are read from the updated content, never copied.
    const Pieces original(updated.substr(0, text.Head), text.Kept, updated.substr(text.TailStart));
    // The shared head and tail, the tail never reaching into the head.
    const std::size_t common = std::min(original.size(), updated.size());
    const std::size_t knownHead = std::min(text.Head, common);
    const std::size_t offset =
        knownHead +
        CommonPrefix(original.substr(knownHead, common - knownHead), updated.data() + knownHead);
    if (offset == common && original.size() == updated.size()) {
        return;
    }
    const std::size_t rest = common - offset;
    const std::size_t knownTail = std::min(updated.size() - text.TailStart, rest);
    const std::size_t tail =
        knownTail + CommonSuffix(original.substr(original.size() - rest, rest - knownTail),
                                 updated.data() + updated.size() - knownTail);
    const bool resized = original.size() != updated.size();
    // Resized, the tail moves and is written again; otherwise it stays where it is.
    const std::size_t oldEnd = resized ? original.size() : original.size() - tail;
    const std::size_t newEnd = resized ? updated.size() : updated.size() - tail;
    Change change;
    change.Original = original;
    change.Updated = updated;
    change.Offset = offset;
    change.OldBytes = original.substr(offset, oldEnd - offset);
    change.NewBytes = updated.substr(offset, newEnd - offset);
    change.MovedTail = resized ? tail : 0;

    // The journal's header is made ahead of the journal, which then exists only as long as
    // it must.
    BodyPlan plan(change);
    EmitBody(change, plan);
    const std::string head = HeaderBytes(change, plan);

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
            WriteJournal(journal, change, head, plan.Gathered);
            journal.Sync();
        } catch (...) {
            CloseQuietly(journal);
            RemoveQuietly(journalPath);
            throw;
        }
    }

    try {
        WriteAt(file, offset, change.NewBytes);
        if (resized) {
            file.SetLength(updated.size());
        }
        file.Sync();
        if (journaled) {
            journal.Close();
            platform::RemoveFile(journalPath);
        }
    } catch (...) {
        bool restored = Restore(file, offset, change.OldBytes, original.size(), resized);
        if (journaled) {
            CloseQuietly(journal);
            if (restored) {
                RemoveQuietly(journalPath);
            }
        }
        throw;
    }
}

void CommitChange(File& file, std::string_view original, std::string_view updated) {
    CommitChange(file, OriginalText{0, original, updated.size()}, updated);
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
    if (length > record->JournalLength()) {
        journal.Close();
        return 0;
    }
    const bool whole = length == record->JournalLength();
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

    switch (record->Resized() ? CompareResized(file, *record) : CompareSameLength(file, *record)) {
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
