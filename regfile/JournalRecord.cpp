#include "regfile/JournalRecord.h"

#include <algorithm>
#include <cstring>

#include "regfile/Checksum.h"

namespace regfile::journal {

namespace {

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

// Compared a block at a time with memcmp, then byte by byte in the block that differs: a
// commit compares the whole file as read with the whole file as written.
constexpr std::size_t kCompareBlock = 4096;

std::size_t CommonPrefix(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t at = 0;
    while (at + kCompareBlock <= n && std::memcmp(a.data() + at, b.data() + at, kCompareBlock) == 0)
        at += kCompareBlock;
    while (at < n && a[at] == b[at])
        ++at;
    return at;
}

std::size_t CommonSuffix(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    const char* ea = a.data() + a.size();
    const char* eb = b.data() + b.size();
    std::size_t tail = 0;
    while (tail + kCompareBlock <= n &&
           std::memcmp(ea - tail - kCompareBlock, eb - tail - kCompareBlock, kCompareBlock) == 0)
        tail += kCompareBlock;
    while (tail < n &&
           ea[-1 - static_cast<std::ptrdiff_t>(tail)] == eb[-1 - static_cast<std::ptrdiff_t>(tail)])
        ++tail;
    return tail;
}

int ByteOf(std::string_view bytes, std::uint64_t at) {
    return static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(at)]);
}

} // namespace

int Record::OldByteAt(std::uint64_t at) const {
    if (at < OldCount) {
        return ByteOf(OldBytes, at);
    }
    return at - OldCount < MovedTail ? ByteOf(TailBytes, at - OldCount) : -1;
}

int Record::NewByteAt(std::uint64_t at) const {
    if (at < NewCount) {
        return ByteOf(NewBytes, at);
    }
    return at - NewCount < MovedTail ? ByteOf(TailBytes, at - NewCount) : -1;
}

std::optional<Record> DescribeChange(std::string_view before, std::string_view after) {
    if (before == after) {
        return std::nullopt;
    }
    const std::size_t offset = CommonPrefix(before, after);
    const std::size_t tail = CommonSuffix(before.substr(offset), after.substr(offset));
    Record record;
    record.OldLength = before.size();
    record.NewLength = after.size();
    record.Offset = offset;
    record.OldCount = before.size() - offset - tail;
    record.NewCount = after.size() - offset - tail;
    record.OldBytes = before.substr(offset, static_cast<std::size_t>(record.OldCount));
    record.NewBytes = after.substr(offset, static_cast<std::size_t>(record.NewCount));
    if (record.Resized()) {
        record.MovedTail = tail;
        record.TailBytes = before.substr(before.size() - tail);
    }
    Checksum kept;
    kept.Add(before.substr(0, offset));
    if (!record.Resized()) {
        kept.Add(before.substr(before.size() - tail));
    }
    record.KeptChecksum = kept.Value();
    return record;
}

std::string HeadBytes(const Record& record) {
    std::string head(kMagic);
    head.reserve(kHeadSize);
    for (std::uint64_t number : {record.OldLength, record.NewLength, record.Offset, record.OldCount,
                                 record.NewCount, record.MovedTail, record.KeptChecksum}) {
        AppendNumber(head, number);
    }
    return head;
}

std::string TrailerBytes(std::uint64_t recordChecksum) {
    std::string trailer;
    AppendNumber(trailer, recordChecksum);
    return trailer;
}

std::optional<Record> ParseHead(std::string_view bytes) {
    if (bytes.size() < kHeadSize || !bytes.starts_with(kMagic)) {
        return std::nullopt;
    }
    Record record;
    record.OldLength = NumberAt(bytes, 8);
    record.NewLength = NumberAt(bytes, 16);
    record.Offset = NumberAt(bytes, 24);
    record.OldCount = NumberAt(bytes, 32);
    record.NewCount = NumberAt(bytes, 40);
    record.MovedTail = NumberAt(bytes, 48);
    record.KeptChecksum = NumberAt(bytes, 56);
    for (std::uint64_t count : {record.OldLength, record.NewLength, record.Offset, record.OldCount,
                                record.NewCount, record.MovedTail}) {
        if (count > kMaxCount) {
            return std::nullopt;
        }
    }
    // With every count bounded, none of these sums overflows.
    const bool fits =
        record.Resized()
            ? record.Offset + record.OldCount + record.MovedTail == record.OldLength &&
                  record.Offset + record.NewCount + record.MovedTail == record.NewLength
            : record.OldCount == record.NewCount && record.OldCount != 0 && record.MovedTail == 0 &&
                  record.Offset + record.OldCount <= record.OldLength;
    if (!fits) {
        return std::nullopt;
    }
    return record;
}

std::optional<Record> ParseRecord(std::string_view bytes) {
    std::optional<Record> record = ParseHead(bytes);
    if (!record || bytes.size() != record->JournalLength()) {
        return std::nullopt;
    }
    const std::size_t trailer = bytes.size() - kTrailerSize;
    if (NumberAt(bytes, trailer) != ChecksumOf(bytes.substr(0, trailer))) {
        return std::nullopt;
    }
    std::size_t at = kHeadSize;
    const auto take = [&](std::uint64_t count) {
        const std::string_view part = bytes.substr(at, static_cast<std::size_t>(count));
        at += part.size();
        return part;
    };
    record->OldBytes = take(record->OldCount);
    record->NewBytes = take(record->NewCount);
    record->TailBytes = take(record->MovedTail);
    return record;
}

std::string_view BaseName(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace regfile::journal
