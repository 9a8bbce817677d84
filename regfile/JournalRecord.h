// The undo journal's bytes, shared by the commit that writes them (Journal.cpp) and the
// recovery that reads them (JournalRecovery.cpp).
//
// A commit replaces the OldCount bytes at Offset by NewCount new ones. When the length
// changes, the MovedTail bytes behind the replaced ones (the end of the file, the same in
// both contents) move with them and are written again; when it stays, nothing behind the
// replaced bytes is written and MovedTail is 0. The journal is:
//
//   "REGUNDO5"         8 bytes
//   old length         8, little-endian, as every number here: the file's length before
//   new length         8   and after the commit
//   offset             8
//   old count          8
//   new count          8
//   moved tail         8
//   kept checksum      8   over the bytes the commit never writes: those ahead of the
//                          offset and, the length kept, those behind the replaced ones
//   old bytes          old count
//   new bytes          new count
//   moved tail bytes   moved tail
//   record checksum    8   over every byte above
//
// Rolling back writes the old bytes and the moved tail at the offset and sets the old
// length; the new bytes are there to tell, byte by byte, a file that the commit left cut
// (each written byte its old or its new one) from one edited since.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace regfile::journal {

inline constexpr std::string_view kMagic = "REGUNDO5";
// The magic, six counts and the kept checksum.
inline constexpr std::size_t kHeadSize = 8 + 6 * 8 + 8;
inline constexpr std::size_t kTrailerSize = 8;
// Counts larger than this do not come from a file the editor accepts.
inline constexpr std::uint64_t kMaxCount = 256u * 1024u * 1024u;

struct Record {
    std::uint64_t OldLength = 0;
    std::uint64_t NewLength = 0;
    std::uint64_t Offset = 0;
    std::uint64_t OldCount = 0;
    std::uint64_t NewCount = 0;
    std::uint64_t MovedTail = 0;
    std::uint64_t KeptChecksum = 0;
    // Views into the journal's bytes.
    std::string_view OldBytes;
    std::string_view NewBytes;
    std::string_view TailBytes;

    bool Resized() const { return OldLength != NewLength; }
    // The bytes a roll-back writes at the offset, and those the commit wrote there, as the
    // file holds them from the offset on. Past its end a region has no byte: -1.
    int OldByteAt(std::uint64_t at) const;
    int NewByteAt(std::uint64_t at) const;
    std::uint64_t JournalLength() const {
        return kHeadSize + OldCount + NewCount + MovedTail + kTrailerSize;
    }
};

// The shape of a commit of `before` into `after`, the views pointing into the two
// contents; nullopt when they are equal.
std::optional<Record> DescribeChange(std::string_view before, std::string_view after);

// The header of a record (kHeadSize bytes) and its trailer, given the checksum of
// everything ahead of the trailer.
std::string HeadBytes(const Record& record);
std::string TrailerBytes(std::uint64_t recordChecksum);

// What a header says, read without trusting it: nullopt when it is short, lacks the magic
// or holds counts that do not fit together.
std::optional<Record> ParseHead(std::string_view bytes);

// A whole journal: its header, its length and its record checksum agree. The views of
// the result point into `bytes`.
std::optional<Record> ParseRecord(std::string_view bytes);

// The last component of a path, as the user's messages name the journal and the file.
std::string_view BaseName(std::string_view path);

} // namespace regfile::journal
