// The tree-free file layer: one load task, one proven Save task, and what identifies a
// content.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <set>
#include <thread>

#include "templates/TemplateFile.h"
#include "tests/support/TempFolder.h"
#include "tests/templates/TableFixture.h"

using regfile::ImportReading;
using templates::ContentOf;
using templates::FileIdentity;
using templates::LoadTemplateFile;
using templates::SaveRequest;
using templates::SaveTemplateFile;
using templates::TemplateRecord;
using testing_support::ReadBytes;
using testing_support::Section;
using testing_support::TempFolder;
using testing_support::WriteBytes;

namespace {

const std::string kHead = "REGEDIT4\r\n\r\n\"Dll\"=\"VKR3916S.dll\"\r\n";
const std::string kZeros = "00,00,00,00,00,00,00,00";

std::string Plain(int index, int switchId) {
    return Section(index, switchId, kZeros, kZeros);
}

// Records with every value different from the files' ones.
void Edited(TemplateRecord (&records)[templates::kTemplateCount]) {
    for (int i = 0; i < templates::kTemplateCount; ++i) {
        records[i] = TemplateRecord{templates::kRecordTag, 15 - i, {}, {}};
        records[i].TriggerMode[0] = static_cast<std::uint8_t>(4 + i);
        records[i].LatchData[6] = 1;
    }
}

// Files whose sections are out of order, hold a comment with "[", CR-only line ends, a
// second section of one template and an unrelated key in the middle.
std::vector<std::string> HazardousFiles() {
    return {
        kHead + Plain(3, 3) + Plain(0, 0) + Plain(12, 9),
        kHead + Plain(1, 1) + "; see [notes]\r\n" + Plain(2, 2) +
            "[HKEY_LOCAL_MACHINE\\Other]\r\n" + "\"X\"=dword:1\r\n" + Plain(5, 5),
        "REGEDIT4\r\r" + Plain(6, 6) + Plain(7, 7),
        kHead + Plain(2, 2) + Plain(2, 7) + Plain(9, 1),
        kHead,
    };
}

// A request over a file's templates: deletes 2, 4 and 12 where present, adds 7 and 13
// where absent, and changes every value of the others.
SaveRequest RequestFor(std::uint16_t present) {
    SaveRequest request;
    for (int i = 0; i < templates::kTemplateCount; ++i) {
        const bool there = present & (1u << i);
        if (there && (i == 2 || i == 4 || i == 12))
            request.Deletes = static_cast<std::uint16_t>(request.Deletes | (1u << i));
        else if (there)
            request.Changed[i] = templates::kAllValues;
        else if (i == 7 || i == 13)
            request.Adds.push_back(i);
    }
    return request;
}

// One Save of many changes gives, byte for byte, what one Save per change gives, and reads
// back as the records.
TEST(TemplateFileSave, OneSaveGivesTheBytesOfOneSavePerChange) {
    TemplateRecord records[templates::kTemplateCount];
    Edited(records);
    for (const std::string& start : HazardousFiles()) {
        TempFolder folder;
        const std::string once = folder.PathOf("once.reg");
        const std::string stepwise = folder.PathOf("stepwise.reg");
        WriteBytes(once, start);
        WriteBytes(stepwise, start);
        const SaveRequest request = RequestFor(ContentOf(start).Present);

        const auto result = SaveTemplateFile(once, records, request);
        ASSERT_TRUE(result.Ok) << result.Refusal << result.Error.Text << "\nfrom:\n" << start;
        EXPECT_FALSE(result.Merged);
        for (int i = templates::kTemplateCount - 1; i >= 0; --i) {
            SaveRequest one;
            one.Deletes = static_cast<std::uint16_t>(request.Deletes & (1u << i));
            one.Changed[i] = request.Changed[i];
            if (one.ChangesAnything()) {
                ASSERT_TRUE(SaveTemplateFile(stepwise, records, one).Ok) << i;
            }
        }
        for (const int index : request.Adds) {
            SaveRequest one;
            one.Adds = {index};
            ASSERT_TRUE(SaveTemplateFile(stepwise, records, one).Ok) << index;
        }
        const std::string saved = ReadBytes(once);
        EXPECT_EQ(saved, ReadBytes(stepwise)) << "from:\n" << start;
        EXPECT_EQ(result.Content.Identity, templates::IdentityOf(saved));
        const auto loaded = LoadTemplateFile(once);
        ASSERT_TRUE(loaded.Ok);
        EXPECT_EQ(loaded.Content.Present, result.Content.Present);
        for (int i = 0; i < templates::kTemplateCount; ++i) {
            if (request.Deletes & (1u << i)) {
                EXPECT_FALSE(loaded.Content.Present & (1u << i)) << i;
            } else if (request.Changed[i] != 0 ||
                       std::find(request.Adds.begin(), request.Adds.end(), i) !=
                           request.Adds.end()) {
                EXPECT_EQ(loaded.Content.Records[i].SwitchId, records[i].SwitchId) << i;
                EXPECT_EQ(loaded.Content.Records[i].TriggerMode[0], records[i].TriggerMode[0]) << i;
                EXPECT_EQ(loaded.Content.Records[i].LatchData[6], 1) << i;
            }
        }
    }
}

// Only the value lines of the changed values are written: odd forms, other types, other
// lengths and lines of other templates stay byte for byte.
TEST(TemplateFileSave, OnlyTheChangedValueLinesAreWritten) {
    const std::string odd =
        kHead + "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template0]\r\n"
                "\"SwitchID\"=dword:00000003 ; kept\r\n"
                "\"TriggerMode\"=hex:04,00,\\\r\n  04,00,00,00,00,00,00,00,11\r\n"
                "\"LatchData\"=hex(7):41,00,00,00\r\n"
                "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template1]\n"
                "\"Switch\\ID\"=dword:1\n"
                "\"TriggerMode\"=hex(b):00,00,00,00,00,00,00,00\n";
    TempFolder folder;
    const std::string path = folder.PathOf("PCI3916.reg");
    WriteBytes(path, odd);
    const auto read = LoadTemplateFile(path);
    ASSERT_TRUE(read.Ok);
    EXPECT_EQ(read.Content.Present, 0x3u);
    EXPECT_EQ(read.Content.Records[0].SwitchId, 3);
    EXPECT_EQ(read.Content.Records[0].TriggerMode[2], 4) << "the continued list is read";
    EXPECT_EQ(read.Content.Records[1].SwitchId, 1) << "\"Switch\\ID\" is SwitchID unescaped";

    TemplateRecord records[templates::kTemplateCount];
    std::copy(std::begin(read.Content.Records), std::end(read.Content.Records), records);
    records[0].SwitchId = 5;
    records[1].LatchData[0] = 1;
    SaveRequest request;
    request.Changed[0] = templates::kSwitchIdValue;
    request.Changed[1] = templates::kLatchDataValue;
    const auto saved = SaveTemplateFile(path, records, request, read.Content.Identity);
    ASSERT_TRUE(saved.Ok) << saved.Refusal;
    std::string expected = odd;
    expected.replace(expected.find("\"SwitchID\"=dword:00000003 ; kept\r\n"), 34,
                     "\"SwitchID\"=dword:5\r\n ; kept\r\n");
    expected += "\n\"LatchData\"=hex:01,00,00,00,00,00,00,00\r\n";
    EXPECT_EQ(ReadBytes(path), expected);

    // A request that changes nothing writes nothing.
    const auto again = SaveTemplateFile(path, records, SaveRequest{});
    EXPECT_TRUE(again.Ok);
    EXPECT_FALSE(again.Written);
    EXPECT_EQ(ReadBytes(path), expected);
}

// The faults of hand-edited files that a rule-by-rule reader got wrong: each edit changes
// what the user chose and nothing else, as the import reads the result.
TEST(TemplateFileSave, EditsOfHandEditedFilesChangeOnlyWhatTheUserChose) {
    const std::string key =
        "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template";
    struct Case {
        const char* What;
        std::string Text;
        SaveRequest Request;
        int Index;       // the template edited
        int Untouched;   // a template whose switch ID must stay
        int UntouchedId; // that switch ID, as the import reads the file before the Save
    };
    SaveRequest setSwitchId;
    setSwitchId.Changed[1] = templates::kSwitchIdValue;
    SaveRequest remove2;
    remove2.Deletes = 1u << 2;
    std::vector<Case> cases = {
        {"two lists ending in a backslash before a header",
         kHead + key + "1]\r\n\"SwitchID\"=dword:1\r\n\"TriggerMode\"=hex:00,00,00,00,\\\r\n" +
             "\"LatchData\"=hex:00,00,00,00,\\\r\n" + key + "2]\r\n\"SwitchID\"=dword:2\r\n",
         setSwitchId, 1, 2, 2},
        {"a look-alike key line keeps the key before it open",
         kHead + key + "0]\r\n\"SwitchID\"=dword:0\r\n" + key + "2]\r\n\"SwitchID\"=dword:2\r\n" +
             "[ HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template3]\r\n" +
             "\"SwitchID\"=dword:7\r\n",
         remove2, 2, 0, 0},
    };
    TemplateRecord records[templates::kTemplateCount];
    Edited(records);
    records[1].SwitchId = 9;
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string path = folder.PathOf("PCI3916.reg");
        WriteBytes(path, c.Text);
        ASSERT_EQ(ContentOf(c.Text).Records[c.Untouched].SwitchId, c.UntouchedId) << c.What;
        const auto saved = SaveTemplateFile(path, records, c.Request);
        ASSERT_TRUE(saved.Ok) << c.What << ": " << saved.Refusal;
        const auto after = ContentOf(ReadBytes(path));
        EXPECT_EQ(after.Records[c.Untouched].SwitchId, c.UntouchedId) << c.What;
        if (c.Request.Changed[c.Index] != 0) {
            EXPECT_EQ(after.Records[c.Index].SwitchId, records[c.Index].SwitchId) << c.What;
        }
        if (c.Request.Deletes != 0) {
            EXPECT_FALSE(after.Present & (1u << c.Index)) << c.What;
        }
    }
}

// A value a template lacks goes at the end of its section, which is where the next
// template's section starts: removing that template in the same Save is no overlap.
TEST(TemplateFileSave, AValueAddedBeforeARemovedTemplateIsWritten) {
    const std::string key =
        "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template";
    const std::string text = kHead + key + "0]\r\n\"TriggerMode\"=hex:" + kZeros + "\r\n" + key +
                             "1]\r\n\"SwitchID\"=dword:1\r\n";
    TemplateRecord records[templates::kTemplateCount];
    Edited(records);
    SaveRequest request;
    request.Changed[0] = templates::kSwitchIdValue;
    request.Deletes = 1u << 1;
    TempFolder folder;
    const std::string path = folder.PathOf("PCI3916.reg");
    WriteBytes(path, text);
    const auto saved = SaveTemplateFile(path, records, request);
    ASSERT_TRUE(saved.Ok) << saved.Refusal;
    EXPECT_EQ(ReadBytes(path), kHead + key + "0]\r\n\"TriggerMode\"=hex:" + kZeros + "\r\n" +
                                   "\n\"SwitchID\"=dword:f\r\n");
}

// A header that the import would take for hex list bytes, and a file past a zero byte,
// are refused with the line named; nothing is written.
TEST(TemplateFileSave, ASaveTheImportWouldReadOtherwiseIsRefused) {
    TemplateRecord records[templates::kTemplateCount];
    Edited(records);
    SaveRequest add;
    add.Adds = {1};
    const std::vector<std::pair<std::string, std::string>> refused = {
        {kHead + Plain(0, 0) + "\"Extra\"=hex:00,\\\r\n",
         "Template1's header would be read as part of the hex list value on line 12"},
        {kHead + Plain(0, 0) + std::string("\0tail", 5), "holds a zero byte"},
        {"not a header\r\n" + Plain(0, 0), "line 1 is not a registry file header"},
    };
    for (const auto& [text, why] : refused) {
        TempFolder folder;
        const std::string path = folder.PathOf("PCI3916.reg");
        WriteBytes(path, text);
        const auto saved = SaveTemplateFile(path, records, add);
        EXPECT_FALSE(saved.Ok);
        EXPECT_EQ(saved.Failure, templates::SaveFailure::Refused);
        EXPECT_NE(saved.Refusal.find(why), std::string::npos) << saved.Refusal;
        EXPECT_EQ(ReadBytes(path), text);
    }
}

// A file that ends right behind its header line keeps its header: its line end goes ahead
// of the appended template, which a blank behind the header would make no header.
TEST(TemplateFileSave, AHeaderThatEndsTheFileGetsItsLineEnd) {
    TemplateRecord records[templates::kTemplateCount];
    Edited(records);
    SaveRequest add;
    add.Adds = {1};
    for (const std::string header : {"REGEDIT4", "Windows Registry Editor Version 5.00"}) {
        TempFolder folder;
        const std::string path = folder.PathOf("PCI3916.reg");
        WriteBytes(path, header);
        const auto saved = SaveTemplateFile(path, records, add);
        ASSERT_TRUE(saved.Ok) << saved.Refusal;
        const std::string after = ReadBytes(path);
        EXPECT_EQ(after.substr(0, header.size() + 5), header + "\r\n \r\n");
        EXPECT_EQ(ContentOf(after).Records[1].SwitchId, records[1].SwitchId);
    }
}

// Wrong edits planted into the text after a correct composition are caught by the proof,
// whether the readings hold everything or the driver key alone (then the lines of other
// keys are held to what they were).
TEST(TemplateFileSave, TheProofCatchesPlantedWrongEdits) {
    const std::string other = "[HKEY_USERS\\Other]\r\n\"V\"=dword:7\r\n";
    const std::string before = kHead + other + Plain(0, 0) + Plain(1, 1) + other;
    for (const auto reach : {regfile::Reach::Everything, regfile::Reach::DriverKey}) {
        const bool alone = reach == regfile::Reach::DriverKey;
        const auto reading = ImportReading::Read(before, "VKR3916S", reach);
        TemplateRecord records[templates::kTemplateCount];
        Edited(records);
        SaveRequest request;
        request.Changed[0] = templates::kSwitchIdValue;
        const auto composed = templates::ComposeSave(before, reading, records, request);
        ASSERT_TRUE(composed.Refusal.empty()) << composed.Refusal;
        auto prove = [&](const std::string& after) {
            return templates::ProveSave(reading, before, after,
                                        ImportReading::Read(after, "VKR3916S", reach), records,
                                        request);
        };
        EXPECT_EQ(prove(composed.Text), "");
        auto planted = [&](std::string_view from, std::string_view to) {
            std::string text = composed.Text;
            const std::size_t at = text.rfind(from);
            EXPECT_NE(at, std::string::npos) << from;
            return at == std::string::npos ? text : text.replace(at, from.size(), to);
        };
        const std::string outside = alone ? "outside the driver key's sections" : "Other";
        const std::vector<std::pair<std::string, std::string>> wrong = {
            {planted("\"SwitchID\"=dword:1\r\n", "\"SwitchID\"=dword:2\r\n"), "SwitchID"},
            {planted("dword:f\r\n", "dword:e\r\n"), "SwitchID"},
            {planted("\"LatchData\"=hex:00,00,00,00,00,00,00,00\r\n \r\n[",
                     "\"LatchData\"=hex:00,00,00,00,00,00,00,00,\\\r\n \r\n["),
             "Template1's header would be read as part of the hex list value on line"},
            {composed.Text + "[HKEY_LOCAL_MACHINE\\Other]\r\n",
             alone ? outside : "HKEY_LOCAL_MACHINE\\Other"},
            {planted("\"TriggerMode\"", "\"Trigger Mode\""), "Template1 cannot be saved safely"},
            {planted("\"V\"=dword:7", "\"V\"=dword:8"), outside},
            {planted("[HKEY_USERS\\Other]", "[HKEY_USERS\\Moved]"), alone ? outside : "Moved"},
        };
        for (const auto& [text, named] : wrong) {
            const std::string why = prove(text);
            EXPECT_NE(why.find(named), std::string::npos) << why << "\n" << text;
        }
    }
}

// After another program changed the file, the Save lays this Save's changes over the new
// content, keeps the rules and tells the file's current values.
TEST(TemplateFileSave, TheMergeKeepsTheRules) {
    TempFolder folder;
    const std::string path = folder.PathOf("PCI3916.reg");
    const std::string start = kHead + Plain(0, 0) + Plain(1, 1);
    WriteBytes(path, start);
    const auto read = LoadTemplateFile(path);
    ASSERT_TRUE(read.Ok);
    TemplateRecord records[templates::kTemplateCount];
    std::copy(std::begin(read.Content.Records), std::end(read.Content.Records), records);
    records[1].SwitchId = 4;
    SaveRequest request;
    request.Changed[1] = templates::kSwitchIdValue;

    // Another program gives template 0 switch ID 6: template 1's change goes over it.
    WriteBytes(path, kHead + Plain(0, 6) + Plain(1, 1));
    const auto merged = SaveTemplateFile(path, records, request, read.Content.Identity);
    ASSERT_TRUE(merged.Ok) << merged.Refusal;
    EXPECT_TRUE(merged.Merged);
    EXPECT_EQ(merged.Content.Records[0].SwitchId, 6) << "the other program's value stays";
    EXPECT_EQ(merged.Content.Records[1].SwitchId, 4);

    const std::vector<std::pair<std::string, std::string>> clashes = {
        {kHead + Plain(0, 4) + Plain(1, 1), "Template1 and Template0 would both have switch ID 4"},
        {kHead + Plain(0, 0), "Template1 was removed by another program"},
    };
    for (const auto& [other, why] : clashes) {
        WriteBytes(path, other);
        const auto refused = SaveTemplateFile(path, records, request, read.Content.Identity);
        EXPECT_EQ(refused.Failure, templates::SaveFailure::Refused);
        EXPECT_NE(refused.Refusal.find(why), std::string::npos) << refused.Refusal;
        EXPECT_EQ(ReadBytes(path), other);
    }
    SaveRequest add;
    add.Adds = {2};
    WriteBytes(path, kHead + Plain(0, 0) + Plain(2, 2));
    const auto added = SaveTemplateFile(path, records, add, read.Content.Identity);
    EXPECT_NE(added.Refusal.find("Template2 was added by another program"), std::string::npos)
        << added.Refusal;
}

TEST(TemplateFileIdentity, EveryOneByteChangeAndEveryLengthTells) {
    std::string text = kHead + Plain(0, 0);
    const FileIdentity original = templates::IdentityOf(text);
    EXPECT_TRUE(original.Known);
    EXPECT_EQ(original, templates::IdentityOf(std::string(text)));
    EXPECT_NE(original, FileIdentity{}) << "nothing read matches no content";
    std::set<std::uint64_t> seen{original.Checksum};
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string changed = text;
        changed[i] = static_cast<char>(changed[i] ^ 0x01);
        EXPECT_NE(templates::IdentityOf(changed), original) << "byte " << i;
        seen.insert(templates::IdentityOf(changed).Checksum);
        // Two bytes swapped keep the length and the bytes, not the order.
        if (i + 1 < text.size() && text[i] != text[i + 1]) {
            std::string swapped = text;
            std::swap(swapped[i], swapped[i + 1]);
            EXPECT_NE(templates::IdentityOf(swapped), original) << "swap at " << i;
        }
    }
    EXPECT_EQ(seen.size(), text.size() + 1) << "two one-byte changes gave one checksum";
    for (std::size_t cut = 0; cut < text.size(); ++cut)
        EXPECT_NE(templates::IdentityOf(std::string_view(text).substr(0, cut)), original);
}

// An opener that holds the file for a moment is waited for; one that keeps it is reported
// as in use once the wait is over. The margins are seconds wide, for a loaded machine.
TEST(TemplateFileLoad, WaitsForAFileHeldForAMomentThenReportsItInUse) {
    TempFolder folder;
    const std::string path = folder.PathOf("PCI3916.reg");
    WriteBytes(path, kHead + Plain(3, 3));
    const int held = open(path.c_str(), O_RDWR);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);

    std::thread release([held] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        close(held);
    });
    const auto waited = LoadTemplateFile(path, std::chrono::milliseconds(5000));
    release.join();
    ASSERT_TRUE(waited.Ok) << waited.Error.Text;
    EXPECT_EQ(waited.Content.Present, 1u << 3);

    const int kept = open(path.c_str(), O_RDWR);
    ASSERT_EQ(flock(kept, LOCK_EX | LOCK_NB), 0);
    const auto begin = std::chrono::steady_clock::now();
    const auto refused = LoadTemplateFile(path, std::chrono::milliseconds(200));
    const auto spent = std::chrono::steady_clock::now() - begin;
    close(kept);
    EXPECT_FALSE(refused.Ok);
    EXPECT_FALSE(refused.Opened);
    EXPECT_EQ(refused.Error.Code, EWOULDBLOCK);
    EXPECT_GE(spent, std::chrono::milliseconds(200));
    EXPECT_LT(spent, std::chrono::milliseconds(3000));

    // Not in use: missing is told at once.
    const auto start = std::chrono::steady_clock::now();
    const auto missing = LoadTemplateFile(folder.PathOf("absent.reg"), std::chrono::seconds(5));
    EXPECT_EQ(missing.Error.Code, ENOENT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

} // namespace
