// The next opener's side of the commit (Journal.cpp): a journal beside the file means a
// commit was cut short.
//
// What is ours: a regular file at the journal's name that is empty or starts with the
// magic. An empty one, or one whose record does not verify (cut short, or its header torn),
// was never relied on, since the file is touched only once the journal is synced: it is
// removed. One with a sound header that is longer than its record was added to by someone
// else and stays, as does anything without the magic.
//
// A sound record is applied only to the file it was made for: the length lies between
// the old and the new one (any length between for a file that grows with the write; the
// old or the new one for a file shortened by its last call), the bytes the commit never
// writes match the kept checksum, and each byte from the offset on is its old or its new
// one (a write cut anywhere, pages of a stopped machine reaching the disk in any order, a
// cut roll-back), or zero where a file grew past its old end. Then the old bytes and
// length are put back, unless the file already is the commit's old or new content; either
// way the journal is removed. A file that does not fit (edited since by hand or by another
// program) is left exactly as it is; the journal is renamed to "<path>.undo.stale-N" (a
// name not yet taken) and the user told.
#include <algorithm>
#include <optional>
#include <span>
#include <vector>

#include "regfile/Checksum.h"
#include "regfile/Journal.h"
#include "regfile/JournalRecord.h"

namespace regfile {

namespace {

using journal::Record;
using platform::File;
using platform::SeekOrigin;

constexpr std::size_t kChunk = 64 * 1024;

enum class FileState { Original, Committed, Between, Other };

// Reads the whole file in chunks, handing each to `use(bytes, offset)`; false when it
// ends early or `use` refuses.
template <class Use> bool ReadAll(File& file, std::uint64_t length, Use&& use) {
    file.Seek(0, SeekOrigin::Begin);
    std::vector<char> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(length, kChunk)));
    for (std::uint64_t done = 0; done < length;) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, kChunk));
        const std::size_t got = file.Read(std::span<char>(chunk.data(), want));
        if (got != want || !use(std::string_view(chunk.data(), got), done)) {
            return false;
        }
        done += got;
    }
    return true;
}

FileState Compare(File& file, const Record& record) {
    const std::uint64_t length = file.Length();
    const bool lengthFits = record.NewLength > record.OldLength
                                ? length >= record.OldLength && length <= record.NewLength
                                : length == record.OldLength || length == record.NewLength;
    if (!lengthFits) {
        return FileState::Other;
    }
    const std::uint64_t regionEnd = record.Resized() ? length : record.Offset + record.OldCount;
    Checksum kept;
    bool allOld = length == record.OldLength;
    bool allNew = length == record.NewLength;
    const bool fits = ReadAll(file, length, [&](std::string_view bytes, std::uint64_t done) {
        for (std::size_t i = 0; i < bytes.size();) {
            const std::uint64_t at = done + i;
            if (at < record.Offset || at >= regionEnd) {
                const std::uint64_t stop = at < record.Offset ? record.Offset : length;
                const auto count =
                    static_cast<std::size_t>(std::min<std::uint64_t>(stop - at, bytes.size() - i));
                kept.Add(bytes.substr(i, count));
                i += count;
                continue;
            }
            const int byte = static_cast<std::uint8_t>(bytes[i]);
            const std::uint64_t inRegion = at - record.Offset;
            const bool isOld = byte == record.OldByteAt(inRegion);
            const bool isNew = byte == record.NewByteAt(inRegion);
            const bool isHole = at >= record.OldLength && byte == 0;
            if (!isOld && !isNew && !isHole) {
                return false;
            }
            allOld = allOld && isOld;
            allNew = allNew && isNew;
            ++i;
        }
        return true;
    });
    if (!fits || kept.Value() != record.KeptChecksum) {
        return FileState::Other;
    }
    if (allNew) {
        return FileState::Committed;
    }
    return allOld ? FileState::Original : FileState::Between;
}

void RollBack(File& file, const Record& record) {
    file.Seek(static_cast<std::int64_t>(record.Offset), SeekOrigin::Begin);
    for (std::string_view bytes : {record.OldBytes, record.TailBytes}) {
        if (!bytes.empty()) {
            file.Write(std::span<const char>(bytes.data(), bytes.size()));
        }
    }
    if (record.Resized()) {
        file.SetLength(record.OldLength);
    }
    file.Sync();
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
    std::string notice = "The file \"" + std::string(journal::BaseName(path)) +
                         "\" was changed after a save into it was cut short, so the record "
                         "kept to undo that save no longer fits it. The file was left exactly "
                         "as it is; check that it holds what you expect. ";
    if (aside.empty()) {
        notice += "The record \"" + std::string(journal::BaseName(journalPath)) +
                  "\" in the same folder could not be renamed and is still in the way of "
                  "saving; move it away.";
    } else {
        notice += "The record was kept as \"" + std::string(journal::BaseName(aside)) +
                  "\" in the same folder.";
    }
    return notice;
}

// The journal's bytes when it is ours and whole; nullopt when it is ours but was cut
// short (to be removed). `foreign` is set when it is not ours at all.
std::optional<std::string> ReadJournal(File& journal, bool& foreign) {
    foreign = false;
    std::string bytes(journal::kHeadSize, '\0');
    bytes.resize(journal.Read(bytes));
    if (bytes.empty()) {
        return std::nullopt;
    }
    if (!bytes.starts_with(journal::kMagic)) {
        foreign = true;
        return std::nullopt;
    }
    const std::optional<Record> head = journal::ParseHead(bytes);
    const std::uint64_t length = journal.Length();
    if (!head || length != head->JournalLength()) {
        foreign = head && length > head->JournalLength();
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(length));
    const std::size_t got = journal.Read(
        std::span<char>(bytes.data() + journal::kHeadSize, bytes.size() - journal::kHeadSize));
    bytes.resize(journal::kHeadSize + got);
    return bytes;
}

} // namespace

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
    bool foreign = false;
    const std::optional<std::string> bytes = ReadJournal(journal, foreign);
    journal.Close();
    if (foreign) {
        return 0;
    }
    const std::optional<Record> record =
        bytes ? journal::ParseRecord(*bytes) : std::optional<Record>();
    if (record) {
        switch (Compare(file, *record)) {
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
    }
    // Applied, or cut short while it was written (the file not touched yet).
    platform::RemoveFile(journalPath);
    // The checks and the roll-back moved the file's position; the caller reads from 0.
    file.Seek(0, SeekOrigin::Begin);
    return 0;
}

} // namespace regfile
