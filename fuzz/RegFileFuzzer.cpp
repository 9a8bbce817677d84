// Fuzz target: the registration file editor and the Save over arbitrary file bytes.
//
// The input is the file's content; its first bytes choose the template index and the
// record that is written. Each run performs file tasks on a real file and checks what must
// hold for any content:
//   - the held block equals the file, and listing and testing leave it unchanged;
//   - a located span lies inside the text, starts at a "[" and belongs to a template that
//     exists;
//   - reading never stores more than the capacity it was given (the buffers have exactly
//     that size, so the address sanitizer sees any overrun);
//   - writing a template changes only the stretch from its key's first section to its last
//     section's end (or appends to the text), and where the import reads the whole file,
//     the section exists afterwards and reads back the values written;
//   - deleting a template removes every section of its key and the keys below, keeps the
//     bytes around them, and leaves the other templates listed;
//   - a Save through the template file is either refused, leaving the file as it was, or
//     leaves a file whose reading has the record written (or the template removed) and
//     every key outside the template as it was;
//   - what Close commits is byte for byte the edited block, and no journal stays behind;
//   - a file in UTF-16 text is refused and left as it is;
//   - the reading of the driver key alone, which the editor makes, agrees with the reading
//     of everything on the driver key.
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
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "regfile/ImportReading.h"
#include "tests/regfile/ReachAgreement.h"
#include "regfile/Journal.h"
#include "regfile/RegFile.h"
#include "regfile/TextEdits.h"
#include "templates/TemplateFile.h"

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

// The stretch of the sections of template `index`'s key and of the keys below it, as the
// import reads `content`; (size, size) when there are none.
struct Stretch {
    std::size_t First = 0;
    std::size_t End = 0;
};
Stretch TemplateStretch(const std::string& content, int index) {
    const auto reading = regfile::ImportReading::Read(content, kKey);
    std::vector<regfile::TextEdit> edits;
    regfile::DeleteKeyEdits(reading, regfile::ImportReading::TemplateKeyPath(kKey, index), index,
                            edits);
    if (edits.empty())
        return {content.size(), content.size()};
    Stretch stretch{edits.front().Start, edits.front().End};
    for (const regfile::TextEdit& edit : edits) {
        stretch.First = std::min(stretch.First, edit.Start);
        stretch.End = std::max(stretch.End, edit.End);
    }
    return stretch;
}

// Whether the import reads the whole text: a header, nothing undefined, no line it stops at.
bool ImportReadsAll(const regfile::ImportReading& reading) {
    if (!reading.HasHeader() || reading.UndefinedAt())
        return false;
    for (const regfile::ImportNote& note : reading.Notes()) {
        if (note.Kind == regfile::NoteKind::ImportStops)
            return false;
    }
    return true;
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
        Require(start == end || (exists == 1 && content[start] == '['),
                "a located span is no existing template's section");
    }
    Require(BlockOf(file) == content, "SectionExists changed the block");
}

void WriteTemplateAndReadBack(const std::string& content, int index, Template wanted) {
    RegFile file;
    OpenOrDie(file);
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    file.LocateSection(kKey, index, start, end);
    // A key with no section of its own (made by a subkey's line) gets one appended.
    const bool existed = start != end;
    if (existed)
        start = static_cast<std::uint32_t>(TemplateStretch(content, index).First);
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
    if (!ImportReadsAll(regfile::ImportReading::Read(content, kKey))) {
        CloseAndCompare(file);
        return;
    }
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
    const Stretch stretch = TemplateStretch(content, index);
    Require(file.DeleteSection(index, kKey) == 0, "DeleteSection failed");
    const std::string edited = BlockOf(file);
    const std::size_t tail = content.size() - stretch.End;
    Require(edited.size() >= stretch.First + tail,
            "DeleteSection removed bytes outside the template's sections");
    Require(edited.compare(0, stretch.First, content, 0, stretch.First) == 0,
            "DeleteSection changed bytes ahead of the first section");
    Require(edited.compare(edited.size() - tail, tail, content, stretch.End, tail) == 0,
            "DeleteSection changed bytes behind the last section");
    const auto after = regfile::ImportReading::Read(edited, kKey);
    for (const regfile::ImportedKey& key : after.Keys()) {
        Require(!key.Alive || key.Sections.empty() ||
                    !regfile::IsKeyOrBelow(
                        regfile::LowerCase(key.Path),
                        regfile::LowerCase(regfile::ImportReading::TemplateKeyPath(kKey, index))),
                "a section of the deleted template remains");
    }
    std::uint16_t listed = 0;
    file.ListTemplates(listed);
    Require((listed & ~(1u << index)) == (before & ~(1u << index)),
            "DeleteSection changed other templates");
    CloseAndCompare(file);
}

// A Save of template `index` (written whole, or removed when `remove`) over the file.
void SaveAndCheck(const std::string& content, int index, const Template& wanted, bool remove) {
    templates::TemplateRecord records[templates::kTemplateCount] = {};
    templates::TemplateRecord& record = records[index];
    record = {templates::kRecordTag, wanted.SwitchId, {}, {}};
    std::memcpy(record.TriggerMode, wanted.TriggerMode, 8);
    std::memcpy(record.LatchData, wanted.LatchData, 8);
    const auto before = regfile::ImportReading::Read(content, kKey);
    const bool exists = before.TemplateKey(index) >= 0;
    templates::SaveRequest request;
    if (remove)
        request.Deletes = static_cast<std::uint16_t>(1u << index);
    else if (exists)
        request.Changed[index] = templates::kAllValues;
    else
        request.Adds.push_back(index);
    const templates::SaveResult result = templates::SaveTemplateFile(FilePath(), records, request);
    const std::string saved = ReadWhole(FilePath());
    if (!result.Ok) {
        Require(saved == content, "a refused or failed Save changed the file");
        return;
    }
    const auto after = regfile::ImportReading::Read(saved, kKey);
    const std::string key =
        regfile::LowerCase(regfile::ImportReading::TemplateKeyPath(kKey, index));
    if (remove) {
        Require(after.TemplateKey(index) < 0, "a removed template is still there");
    } else {
        const templates::ReadTemplate read = templates::ReadTemplateOf(after, index);
        Require(read.SwitchIdRead && read.Record.SwitchId == wanted.SwitchId &&
                    std::memcmp(read.Record.TriggerMode, wanted.TriggerMode, 8) == 0 &&
                    std::memcmp(read.Record.LatchData, wanted.LatchData, 8) == 0,
                "a saved template reads back differently");
    }
    // Every key outside the template keeps its values; the keys above it may be made by a
    // header appended, or go with the one removed.
    const regfile::Registry was = regfile::RegistryOf(before);
    const regfile::Registry now = regfile::RegistryOf(after);
    for (const auto& [path, entry] : was) {
        if (regfile::IsKeyOrBelow(path, key) || regfile::IsKeyOrBelow(key, path))
            continue;
        const auto found = now.find(path);
        Require(found != now.end() && found->second.Values == entry.Values,
                "a Save changed a key outside its template");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const int index = provider.ConsumeIntegralInRange<int>(0, 15);
    const bool remove = provider.ConsumeBool();
    Template wanted;
    wanted.SwitchId = provider.ConsumeIntegral<std::int32_t>();
    for (auto& byte : wanted.TriggerMode)
        byte = provider.ConsumeIntegral<std::uint8_t>();
    for (auto& byte : wanted.LatchData)
        byte = provider.ConsumeIntegral<std::uint8_t>();
    const std::string content = provider.ConsumeRemainingBytesAsString();

    if (const std::string why = regfile::DriverKeyDisagreement(content, kKey); !why.empty()) {
        std::fprintf(stderr, "regfile fuzzer: the reading of the driver key alone differs: %s\n",
                     why.c_str());
        std::abort();
    }
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

    WriteWhole(FilePath(), content);
    SaveAndCheck(content, index, wanted, remove);
    return 0;
}
