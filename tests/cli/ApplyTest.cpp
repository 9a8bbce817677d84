// export and apply over generated driver files: a file's own export applied changes no
// byte, a document applied is what export then gives back, the bytes equal those of set,
// add and remove for the same change, and a refused apply leaves the file as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/TemplateDocument.h"
#include "templates/TemplateFile.h"
#include "templates/TemplateRules.h"
#include "tests/support/TempFolder.h"

namespace cli {
namespace {

using templates::TemplateRecord;
using testing_support::ReadBytes;
using testing_support::WriteBytes;

Outcome RunWords(std::vector<std::string> words) {
    std::vector<const char*> argv = {"pci3916cfg"};
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    const ParseResult parsed = ParseArguments(static_cast<int>(argv.size()), argv.data());
    const auto* arguments = std::get_if<Arguments>(&parsed);
    if (!arguments) {
        ADD_FAILURE() << "not a command line";
        return {};
    }
    return RunCommand(*arguments, ResolvePath(*arguments).Path);
}

// A dword's digits: eight or as few as needed, either case.
std::string Hex(int value, bool upper, bool shortForm) {
    char text[16];
    std::snprintf(text, sizeof text, shortForm ? (upper ? "%X" : "%x") : (upper ? "%08X" : "%08x"),
                  static_cast<unsigned>(value));
    return text;
}

std::string HexBytes(const std::uint8_t (&bytes)[8], bool upper) {
    std::string text;
    for (int i = 0; i < 8; ++i) {
        char digits[4];
        std::snprintf(digits, sizeof digits, upper ? "%02X" : "%02x", bytes[i]);
        text += (i == 0 ? "" : ",") + std::string(digits);
    }
    return text;
}

// A byte that mostly holds only the group's bit, now and then any bits: both forms of
// export (with and without the bytes) get their share.
std::uint8_t RandomByte(std::mt19937& random, bool even, std::uint8_t mask) {
    if (random() % 4 == 0)
        return static_cast<std::uint8_t>(random());
    return even && random() % 2 ? mask : 0;
}

TemplateRecord RandomRecord(std::mt19937& random, int switchId) {
    TemplateRecord record{templates::kRecordTag, switchId, {}, {}};
    for (int i = 0; i < 8; ++i) {
        record.TriggerMode[i] = RandomByte(random, i % 2 == 0, templates::kTriggerRisingMask);
        record.LatchData[i] = RandomByte(random, i % 2 == 0, templates::kLatchEnableMask);
    }
    return record;
}

// Random templates (indices, unique switch IDs, bytes) in a random order, in odd but valid
// forms: either line end, short and lower-case dwords, comments, other values and keys
// between the templates, a switch ID left to its default.
std::string RandomFile(std::mt19937& random) {
    const std::string end = random() % 2 ? "\r\n" : "\n";
    const std::string driverKey = "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S";
    std::string text = "REGEDIT4" + end + end + "; generated" + end + driverKey + "]" + end +
                       "\"Dll\"=\"VKR3916S.dll\"" + end;
    std::vector<int> indices(16), switchIds(16);
    for (int i = 0; i < 16; ++i)
        indices[i] = switchIds[i] = i;
    std::shuffle(indices.begin(), indices.end(), random);
    // A few swaps: unique switch IDs, many of them the index, whose value may be left out.
    for (int swaps = static_cast<int>(random() % 9); swaps > 0; --swaps)
        std::swap(switchIds[random() % 16], switchIds[random() % 16]);
    const int count = static_cast<int>(random() % 17);
    for (int k = 0; k < count; ++k) {
        const int index = indices[k];
        const int switchId = switchIds[index];
        const TemplateRecord record = RandomRecord(random, switchId);
        const bool upper = random() % 2;
        text += end + driverKey + "\\Template" + std::to_string(index) + "]" + end;
        if (switchId != index || random() % 2)
            text += "\"SwitchID\"=dword:" + Hex(switchId, upper, random() % 2) +
                    (random() % 3 == 0 ? " ; bench" : "") + end;
        if (random() % 4 == 0)
            text += "\"Label\"=\"rack " + std::to_string(k) + "\"" + end;
        text += "\"TriggerMode\"=hex:" + HexBytes(record.TriggerMode, upper) + end;
        text += "\"LatchData\"=hex:" + HexBytes(record.LatchData, !upper) + end;
        if (random() % 5 == 0)
            text += end + "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Other" + std::to_string(k) +
                    "]" + end + "\"Label\"=\"x\"" + end;
    }
    return text;
}

// A document that differs from the file of `content` in random ways, in index order as
// export writes it: templates kept as they are, given other bytes, given a switch ID of
// another (two swap theirs), left out, and added with the switch IDs left free.
std::string RandomDocument(std::mt19937& random, const templates::TemplateFileContent& content) {
    std::vector<ShownTemplate> shown;
    std::uint16_t used = 0;
    for (int i = 0; i < 16; ++i) {
        if (!(content.Present & (1u << i)) || random() % 4 == 0)
            continue;
        ShownTemplate kept{i, content.Records[i]};
        if (random() % 3 == 0)
            kept.Record = RandomRecord(random, kept.Record.SwitchId);
        used = static_cast<std::uint16_t>(used | (1u << kept.Record.SwitchId));
        shown.push_back(kept);
    }
    if (shown.size() >= 2 && random() % 2)
        std::swap(shown.front().Record.SwitchId, shown.back().Record.SwitchId);
    for (int i = 0; i < 16; ++i) {
        if ((content.Present & (1u << i)) || random() % 2)
            continue;
        const std::optional<int> free = templates::LowestFreeSwitchId(used);
        if (!free)
            break;
        used = static_cast<std::uint16_t>(used | (1u << *free));
        shown.push_back({i, RandomRecord(random, *free)});
    }
    std::sort(shown.begin(), shown.end(),
              [](const ShownTemplate& a, const ShownTemplate& b) { return a.Index < b.Index; });
    return TemplateDocumentText(shown);
}

// Template `index`'s lines in a generated file: from its header to the line before the next
// key line (each template has one section there).
std::string SectionOf(const std::string& text, int index) {
    const std::size_t header = text.find("\\Template" + std::to_string(index) + "]");
    if (header == std::string::npos)
        return "";
    const std::size_t start = text.rfind('[', header);
    const std::size_t next = text.find("\n[", header);
    return text.substr(start, next == std::string::npos ? std::string::npos : next + 1 - start);
}

void SetOldTime(const std::string& path) {
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() -
                                               std::chrono::hours(24 * 400));
}

class ApplyTest : public testing::Test {
protected:
    testing_support::TempFolder folder_;
    const std::string file_ = folder_.PathOf("PCI3916.reg");
    const std::string document_ = folder_.PathOf("doc.json");

    Outcome Export() { return RunWords({"--file", file_, "export"}); }
    Outcome Apply(std::vector<std::string> options = {}) {
        std::vector<std::string> words = {"--file", file_, "apply", document_};
        words.insert(words.end(), options.begin(), options.end());
        return RunWords(words);
    }
};

TEST_F(ApplyTest, ItsOwnExportChangesNoByteNorTheTimeStamp) {
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::mt19937 random(seed);
        const std::string start = RandomFile(random);
        WriteBytes(file_, start);
        const Outcome exported = Export();
        ASSERT_EQ(exported.Status, kDone) << seed << exported.Err;
        WriteBytes(document_, exported.Out);
        SetOldTime(file_);
        const auto stamp = std::filesystem::last_write_time(file_);

        const Outcome applied = Apply();
        ASSERT_EQ(applied.Status, kDone) << seed << applied.Err;
        EXPECT_TRUE(applied.Out.starts_with("no change: ")) << seed << applied.Out;
        EXPECT_EQ(ReadBytes(file_), start) << seed;
        EXPECT_EQ(std::filesystem::last_write_time(file_), stamp) << seed;
        EXPECT_EQ(Apply({"--check-only"}).Status, kDone) << seed;
    }
}

TEST_F(ApplyTest, ADocumentAppliedIsWhatExportGivesBack) {
    std::size_t sameCount = 0;
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::mt19937 random(seed);
        const std::string start = RandomFile(random);
        WriteBytes(file_, start);
        const templates::TemplateFileContent before = templates::ContentOf(start);
        const std::string document = RandomDocument(random, before);
        WriteBytes(document_, document);
        // Templates whose values the document leaves as they are.
        std::vector<int> same;
        for (const DocumentTemplate& wanted : ReadTemplateDocument(document).Templates) {
            const TemplateRecord& had = before.Records[wanted.Index];
            if ((before.Present & (1u << wanted.Index)) &&
                templates::ChangedValues(had, wanted.Record) == 0)
                same.push_back(wanted.Index);
        }

        const Outcome applied = Apply();
        ASSERT_EQ(applied.Status, kDone) << seed << applied.Err << document << ReadBytes(file_);
        EXPECT_EQ(Export().Out, document) << seed;
        const std::string after = ReadBytes(file_);
        for (const int index : same)
            EXPECT_NE(after.find(SectionOf(start, index)), std::string::npos)
                << seed << " " << index; // its lines, each byte as it was
        sameCount += same.size();

        // Applying it again writes nothing: the bytes and the time stamp stay.
        const std::string once = ReadBytes(file_);
        SetOldTime(file_);
        const auto stamp = std::filesystem::last_write_time(file_);
        EXPECT_TRUE(Apply().Out.starts_with("no change: ")) << seed;
        EXPECT_EQ(ReadBytes(file_), once) << seed;
        EXPECT_EQ(std::filesystem::last_write_time(file_), stamp) << seed;
    }
    EXPECT_GT(sameCount, 100u); // templates kept byte for byte were there to compare
}

// set, add and remove on one copy, apply of that copy's export on another: the same bytes.
TEST_F(ApplyTest, WritesTheBytesOfSetAddAndRemove) {
    const std::string other = folder_.PathOf("other.reg");
    int compared = 0;
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::mt19937 random(seed);
        const std::string start = RandomFile(random);
        WriteBytes(file_, start);
        WriteBytes(other, start);
        const std::string index = std::to_string(random() % 16);
        const std::string switchId = std::to_string(random() % 16);
        const std::string edge = random() % 2 ? "ch16=rising" : "ch48=falling";
        const std::string latch = random() % 2 ? "ch0=enable" : "ch32=disable";
        std::vector<std::string> command;
        switch (seed % 3) {
        case 0:
            command = {"set", index, "--switch-id", switchId, "--edge", edge};
            break;
        case 1:
            command = {"add", "--latch", latch, "--edge", edge};
            break;
        default:
            command = {"remove", index};
        }
        std::vector<std::string> words = {"--file", other};
        words.insert(words.end(), command.begin(), command.end());
        if (RunWords(words).Status != kDone)
            continue; // refused (no such template, a switch ID in use, a full table)
        ++compared;
        WriteBytes(document_, RunWords({"--file", other, "export"}).Out);
        const Outcome applied = Apply();
        ASSERT_EQ(applied.Status, kDone) << seed << applied.Err << start;
        EXPECT_EQ(ReadBytes(file_), ReadBytes(other)) << seed << " " << command[0];
    }
    EXPECT_GT(compared, 75);
}

const char kTwoTemplates[] = "REGEDIT4\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S]\r\n"
                             "\"Dll\"=\"VKR3916S.dll\"\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\"
                             "Template0]\r\n\"SwitchID\"=dword:00000004\r\n"
                             "\"TriggerMode\"=hex:00,00,00,00,00,00,00,00\r\n"
                             "\"LatchData\"=hex:00,00,00,00,00,00,00,00\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\"
                             "Template3]\r\n\"SwitchID\"=dword:00000009\r\n"
                             "\"TriggerMode\"=hex:04,00,00,00,00,00,00,00\r\n"
                             "\"LatchData\"=hex:00,00,00,00,00,00,00,00\r\n";

std::string OneTemplate(int index, int switchId) {
    return "{\"version\": 1, \"templates\": [{\"index\": " + std::to_string(index) +
           ", \"switchId\": " + std::to_string(switchId) +
           ", \"edges\": {\"ch0\": \"falling\", \"ch16\": \"falling\", \"ch32\": \"falling\", "
           "\"ch48\": \"falling\"}, \"latches\": {\"ch0\": \"disable\", \"ch16\": \"disable\", "
           "\"ch32\": \"disable\", \"ch48\": \"disable\"}}]}";
}

TEST_F(ApplyTest, RefusalsLeaveTheFile) {
    WriteBytes(file_, kTwoTemplates);

    // Template3 is kept and has switch ID 9.
    WriteBytes(document_, OneTemplate(5, 9));
    Outcome outcome = Apply({"--keep-others"});
    EXPECT_EQ(outcome.Status, kRefused);
    EXPECT_NE(outcome.Err.find("SwitchID already used! (switch ID 9 of templates[0] belongs to "
                               "Template3, which the document does not list)"),
              std::string::npos)
        << outcome.Err;
    // Without --keep-others Template3 goes, and its switch ID is free.
    EXPECT_EQ(Apply({"--check-only"}).Status, kRefused);
    EXPECT_EQ(Apply({"--check-only"}).Out,
              "Template0 removed\nTemplate3 removed\nTemplate5 added\n");
    EXPECT_EQ(Apply({"--dry-run"}).Status, kDone);
    EXPECT_EQ(ReadBytes(file_), kTwoTemplates);

    // The document is checked first: its errors come before the file is even looked for.
    WriteBytes(document_, OneTemplate(5, 16));
    outcome = RunWords({"--file", folder_.PathOf("absent.reg"), "apply", document_});
    EXPECT_EQ(outcome.Status, kUsageError);
    EXPECT_NE(outcome.Err.find("doc.json: templates[0].switchId: 16 is outside 0..15\n"),
              std::string::npos)
        << outcome.Err;
    EXPECT_EQ(Apply().Status, kUsageError);
    EXPECT_EQ(ReadBytes(file_), kTwoTemplates);

    WriteBytes(document_, OneTemplate(5, 1));
    EXPECT_EQ(RunWords({"--file", folder_.PathOf("absent.reg"), "apply", document_}).Status,
              kFileError);
}

TEST_F(ApplyTest, KeepOthersAddsAndSetsOnly) {
    WriteBytes(file_, kTwoTemplates);
    WriteBytes(document_, OneTemplate(3, 2));
    const Outcome outcome = Apply({"--keep-others"});
    EXPECT_EQ(outcome.Status, kDone) << outcome.Err;
    EXPECT_EQ(outcome.Out, "Template3 set: SwitchID, TriggerMode\n");
    const std::string expected = [] {
        std::string text = kTwoTemplates;
        text.replace(text.rfind("dword:00000009"), 14, "dword:2"); // as the window writes it
        text.replace(text.rfind("hex:04,00"), 9, "hex:00,00");
        return text;
    }();
    EXPECT_EQ(ReadBytes(file_), expected);
}

TEST_F(ApplyTest, ExportOutputFile) {
    WriteBytes(file_, kTwoTemplates);
    const std::string written = folder_.PathOf("out.json");
    const Outcome outcome = RunWords({"--file", file_, "export", "--output", written});
    EXPECT_EQ(outcome.Status, kDone) << outcome.Err;
    EXPECT_EQ(outcome.Out, "");
    EXPECT_EQ(ReadBytes(written), Export().Out);
    EXPECT_EQ(RunWords({"--file", file_, "export", "--output", folder_.PathOf("no/such/dir.json")})
                  .Status,
              kFileError);
}

} // namespace
} // namespace cli
