// Fuzz target: the registration file editor over arbitrary file bytes.
//
// The input is the file's content; its last bytes choose the template index and the
// record that is written. Each run performs the file tasks of the template table on a
// real file and checks what must hold for any content:
//   - the held block equals the file, and listing and testing leave it unchanged;
//   - a located span lies inside the text and agrees with the existence test;
//   - the sections found while reading, and by a search fed the text in pieces, are those
//     of the line-by-line reading of the key lines;
//   - reading never stores more than the capacity it was given (the buffers have exactly
//     that size, so the address sanitizer sees any overrun);
//   - writing a template changes only the stretch from its first section's start to its
//     last section's end (or appends to the file), the section exists afterwards and reads
//     back the values written;
//   - deleting a template removes every section of it, keeps the bytes ahead of its first
//     section and behind its last, and leaves the other templates listed;
//   - what Close commits is byte for byte the edited block, and no journal stays behind;
//   - a file in UTF-16 text is refused and left as it is.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

#include "regfile/Journal.h"
#include "regfile/KeyLines.h"
#include "regfile/RegFile.h"
#include "tests/support/ReferenceSections.h"

namespace {

using regfile::RegFile;
using regfile::RegValueSpec;

constexpr std::string_view kModel = "PCI3916";
constexpr std::string_view kKey = "VKR3916S";

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "regfile fuzzer: %s\n", what);
        std::abort();
    }
}

void RemoveFixture();

// Never destroyed: RemoveFixture runs at exit, after the destructors of function-local
// statics constructed later than its registration.
const std::string& FilePath() {
    static const std::string* path = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        auto* made = new std::string(std::string(base) + "/regfile-fuzz-" +
                                     std::to_string(getpid()) + ".reg");
        std::atexit(RemoveFixture);
        return made;
    }();
    return *path;
}

void RemoveFixture() {
    ::unlink(FilePath().c_str());
    ::unlink(regfile::JournalPath(FilePath()).c_str());
}

void WriteWhole(const std::string& path, std::string_view bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Require(fd >= 0, "cannot create the fixture file");
    for (std::size_t done = 0; done < bytes.size();) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        Require(n > 0, "cannot write the fixture file");
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

std::string ReadWhole(const std::string& path) {
    std::string bytes;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    Require(fd >= 0, "cannot read the file back");
    char chunk[4096];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        Require(n >= 0, "cannot read the file back");
        if (n == 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

std::string BlockOf(const RegFile& file) {
    return std::string(file.Block(), file.Length());
}

void OpenOrDie(RegFile& file) {
    Require(file.Open(FilePath(), kModel) == 0, "Open failed on a regular file");
}

void CloseAndCompare(RegFile& file) {
    const std::string expected = BlockOf(file);
    file.Close();
    Require(ReadWhole(FilePath()) == expected, "the committed file differs from the edited block");
    Require(access(regfile::JournalPath(FilePath()).c_str(), F_OK) != 0,
            "a journal stayed behind after a commit");
}

// Reads one value into a heap buffer of exactly `capacity` bytes.
void ReadInto(RegFile& file, int index, const char* name, std::uint32_t capacity) {
    std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[capacity == 0 ? 1 : capacity]);
    std::int32_t type = -1;
    std::uint32_t size = capacity;
    file.ReadValue(kKey, index, name, &type, capacity == 0 ? nullptr : data.get(), &size);
    std::int32_t probeType = -1;
    std::uint32_t probeSize = 0;
    file.ReadValue(kKey, index, name, &probeType, nullptr, &probeSize);
    Require(probeType == type, "the type of a value depends on the data buffer");
}

// The offset of the "[" of the template's first header, or the text's end.
std::size_t FirstSectionStart(const std::string& content, int index) {
    const std::string_view text(content.c_str());
    for (const regfile::KeyLineInfo& line : regfile::ScanKeyLines(text, kKey)) {
        if (line.Role == regfile::KeyLineRole::TemplateHeader && line.Template == index)
            return line.Offset + line.Text.find('[');
    }
    return text.size();
}

struct Template {
    std::int32_t SwitchId = 0;
    std::uint8_t TriggerMode[8] = {};
    std::uint8_t LatchData[8] = {};
};

void CheckScans(const RegFile& file, const std::string& content) {
    std::uint16_t mask = 0xFFFF;
    Require(file.ListTemplates(mask) == 0, "ListTemplates failed");
    Require(BlockOf(file) == content, "ListTemplates changed the block");
    for (int i = 0; i < 16; ++i) {
        const int exists = file.SectionExists(i, kKey);
        std::uint32_t start = 0;
        std::uint32_t end = 0;
        file.LocateSection(kKey, i, start, end);
        Require(exists == 0 || exists == 1, "SectionExists answered neither 0 nor 1");
        Require(start <= end && end <= file.Length(), "a located span lies outside the file");
        Require((exists == 1) == (start != end), "LocateSection and SectionExists disagree");
    }
    Require(BlockOf(file) == content, "SectionExists changed the block");

    // The sections found while reading, and those of a search over the text in pieces,
    // are those of the line-by-line reading of the key lines.
    const std::string_view text = std::string_view(content).substr(0, content.find('\0'));
    const auto expected = testing_support::ReferenceSections(text, kKey);
    const std::optional<regfile::TextLayout> layout = file.KnownLayout();
    Require(layout && layout->TextEnd == text.size(), "the text end found while reading is wrong");
    Require(testing_support::SameSections(layout->Sections, expected),
            "the sections found while reading differ from the key lines");
    regfile::TemplateSectionScan scan(kKey);
    for (std::size_t got = 0; got < text.size();) {
        got = std::min(text.size(), got + 1 + (got * 7 + content.size()) % 37);
        scan.Scan(text.substr(0, got), false);
    }
    scan.Scan(text, true);
    Require(testing_support::SameSections(scan.Take(), expected),
            "the sections of a search in pieces differ from the key lines");
}

void WriteTemplateAndReadBack(const std::string& content, int index, Template wanted) {
    RegFile file;
    OpenOrDie(file);
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    file.LocateSection(kKey, index, start, end);
    const bool existed = file.SectionExists(index, kKey) == 1;
    if (existed)
        start = static_cast<std::uint32_t>(FirstSectionStart(content, index));
    if (!existed)
        file.AppendSection(index);
    RegValueSpec list[] = {{"SwitchID", regfile::REG_DWORD, 4, &wanted.SwitchId},
                           {"TriggerMode", regfile::REG_BINARY, 8, wanted.TriggerMode},
                           {"LatchData", regfile::REG_BINARY, 8, wanted.LatchData},
                           {nullptr, 0, 0, nullptr}};
    Require(file.ApplyValueList(kKey, index, list, 1) == 1, "writing the value list failed");

    // Everything outside the section's span stays; a missing section is added at the end
    // of the text, which is ahead of a zero byte when the file holds one.
    if (!existed)
        start = end = static_cast<std::uint32_t>(std::min(content.find('\0'), content.size()));
    const std::string edited = BlockOf(file);
    const std::size_t tail = content.size() - end;
    Require(edited.size() >= start + tail, "the edited file lost bytes outside the section");
    // Appending behind a hex list carried on by "\" drops that one "\" (the list then ends
    // as the import read it); nothing else ahead of the section changes.
    std::size_t same = 0;
    while (same < start && edited[same] == content[same])
        ++same;
    if (same < start) {
        Require(!existed && content[same] == '\\', "a write changed bytes ahead of its section");
        Require(edited.compare(same, start - same - 1, content, same + 1, start - same - 1) == 0,
                "a write changed bytes ahead of its section");
    }
    Require(edited.compare(edited.size() - tail, tail, content, end, tail) == 0,
            "a write changed bytes after its section");
    Require(file.SectionExists(index, kKey) == 1, "the written section is not found");

    Template read;
    read.SwitchId = ~wanted.SwitchId;
    RegValueSpec readList[] = {{"SwitchID", 0, 4, &read.SwitchId},
                               {"TriggerMode", 0, 8, read.TriggerMode},
                               {"LatchData", 0, 8, read.LatchData},
                               {nullptr, 0, 0, nullptr}};
    Require(file.ApplyValueList(kKey, index, readList, 0) == 1, "the written values do not read");
    Require(read.SwitchId == wanted.SwitchId, "SwitchID reads back differently");
    Require(std::memcmp(read.TriggerMode, wanted.TriggerMode, 8) == 0,
            "TriggerMode reads back differently");
    Require(std::memcmp(read.LatchData, wanted.LatchData, 8) == 0,
            "LatchData reads back differently");
    CloseAndCompare(file);
}

void DeleteAndCompare(const std::string& content, int index) {
    RegFile file;
    OpenOrDie(file);
    std::uint16_t before = 0;
    file.ListTemplates(before);
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    file.LocateSection(kKey, index, start, end);
    const std::size_t first = FirstSectionStart(content, index);
    Require(file.DeleteSection(index, kKey) == 0, "DeleteSection failed");
    const std::string edited = BlockOf(file);
    const std::size_t tail = content.size() - end;
    Require(edited.size() >= std::min<std::size_t>(first, start) + tail,
            "DeleteSection removed bytes outside the template's sections");
    Require(edited.compare(0, first, content, 0, first) == 0 || first > start,
            "DeleteSection changed bytes ahead of the first section");
    Require(edited.compare(edited.size() - tail, tail, content, end, tail) == 0,
            "DeleteSection changed bytes behind the last section");
    Require(file.SectionExists(index, kKey) == 0, "a section of the deleted template remains");
    std::uint16_t after = 0;
    file.ListTemplates(after);
    Require(after == (before & ~(1u << index)), "DeleteSection changed other templates");
    CloseAndCompare(file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const int index = provider.ConsumeIntegralInRange<int>(0, 15);
    Template wanted;
    wanted.SwitchId = provider.ConsumeIntegral<std::int32_t>();
    for (auto& byte : wanted.TriggerMode)
        byte = provider.ConsumeIntegral<std::uint8_t>();
    for (auto& byte : wanted.LatchData)
        byte = provider.ConsumeIntegral<std::uint8_t>();
    const std::string content = provider.ConsumeRemainingBytesAsString();

    WriteWhole(FilePath(), content);
    const std::string_view mark = std::string_view(content).substr(0, 2);
    if (mark == "\xFF\xFE" || mark == "\xFE\xFF") {
        // UTF-16 text is refused, and left as it is.
        RegFile file;
        Require(file.Open(FilePath(), kModel) == platform::kFileEncodingCode,
                "a UTF-16 file was not refused");
        Require(ReadWhole(FilePath()) == content, "a refused file changed");
        return 0;
    }
    {
        RegFile file;
        OpenOrDie(file);
        Require(file.Length() == content.size() && BlockOf(file) == content,
                "the held block differs from the file");
        CheckScans(file, content);

        // The file is held exclusively while the editor has it open.
        RegFile second;
        Require(second.Open(FilePath(), kModel) != 0, "a second editor opened a held file");

        for (const char* name : {"SwitchID", "TriggerMode", "LatchData"}) {
            for (std::uint32_t capacity : {0u, 1u, 3u, 4u, 8u})
                ReadInto(file, index, name, capacity);
        }
        Require(BlockOf(file) == content, "reading values changed the block");
        CloseAndCompare(file);
        Require(ReadWhole(FilePath()) == content, "a task without edits changed the file");
    }

    WriteTemplateAndReadBack(content, index, wanted);
    const std::string written = ReadWhole(FilePath());
    DeleteAndCompare(written, index);
    return 0;
}
