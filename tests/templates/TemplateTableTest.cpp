// The template table over a real tree and real driver files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "dialogs/TemplateNodes.h"
#include "platform/FileSeam.h"
#include "templates/TemplateRules.h"
#include "tests/templates/TableFixture.h"

using templates::TemplateRecord;
using testing_support::Section;
using testing_support::TableFixture;

namespace {

const std::string kHead = "REGEDIT4\r\n\r\n; driver keys\r\n\"Dll\"=\"VKR3916S.dll\"\r\n";

const std::string kZeros = "00,00,00,00,00,00,00,00";

std::string Bytes(const std::uint8_t (&bytes)[8]) {
    return std::string(bytes, bytes + 8);
}

TEST(TemplateTableLoad, ListsSectionsInIndexOrderAndKeepsDefaultsElsewhere) {
    const std::string file = kHead +
                             Section(12, 7, "04,00,00,00,00,00,00,00", "01,00,00,00,00,00,00,00") +
                             Section(0, 2, "00,00,04,00,00,00,00,00", "00,00,00,00,00,00,01,00") +
                             Section(3, 15, "FF,01,FF,02,FF,03,FF,04", "01,00,01,00,01,00,01,00");
    TableFixture fixture(&file);
    fixture.Load();

    EXPECT_EQ(fixture.NodeTexts(), "Template0,Template3,Template12");
    EXPECT_EQ(fixture.Table.Records[0].SwitchId, 2);
    EXPECT_EQ(fixture.Table.Records[3].SwitchId, 15);
    EXPECT_EQ(Bytes(fixture.Table.Records[3].TriggerMode),
              std::string("\xFF\x01\xFF\x02\xFF\x03\xFF\x04", 8));
    EXPECT_EQ(fixture.Table.Records[12].LatchData[0], 1);
    EXPECT_EQ(fixture.Table.UsedSwitchIds, (1u << 2) | (1u << 15) | (1u << 7));
    for (int i : {1, 2, 4, 11, 13, 15}) {
        const TemplateRecord& record = fixture.Table.Records[i];
        EXPECT_EQ(record.Tag, 123);
        EXPECT_EQ(record.SwitchId, i);
        EXPECT_EQ(Bytes(record.TriggerMode), std::string(8, '\0'));
        EXPECT_EQ(Bytes(record.LatchData), std::string(8, '\0'));
    }
    EXPECT_EQ(fixture.Table.CurrentRecord, &fixture.Table.Records[0]);
    EXPECT_TRUE(fixture.Table.Loaded());
    // The model node is scrolled into view, not selected or expanded.
    EXPECT_EQ(fixture.Host.Tree.GetSelectedItem(), nullptr);
    EXPECT_FALSE(fixture.Host.Tree.IsExpanded(dialogs::ModelNode(fixture.Host.Tree)));
}

TEST(TemplateTableLoad, ShortHexValueFillsOnlyItsFirstBytes) {
    const std::string file = kHead + Section(1, 4, "04,00,04,00", "01,00,00,00,00,00,00,00,01,01");
    TableFixture fixture(&file);
    fixture.Load();
    EXPECT_EQ(Bytes(fixture.Table.Records[1].TriggerMode), std::string("\x04\0\x04\0\0\0\0\0", 8));
    EXPECT_EQ(Bytes(fixture.Table.Records[1].LatchData), std::string("\x01\0\0\0\0\0\0\0", 8));
}

TEST(TemplateTableLoad, MissingFileGivesNoNodesAndRefusesToSave) {
    TableFixture fixture(nullptr);
    fixture.Load();
    EXPECT_EQ(fixture.NodeTexts(), "");
    EXPECT_EQ(fixture.Table.UsedSwitchIds, 0);
    EXPECT_FALSE(fixture.Table.Loaded());
    EXPECT_FALSE(fixture.Save());
    EXPECT_EQ(fixture.Table.LastError().Code, ENOENT);
    EXPECT_FALSE(std::filesystem::exists(fixture.Path())); // never created
}

// A switch ID is taken exactly while a template shown in the tree has it.
TEST(TemplateTableSwitchIds, SectionWithoutLatchDataStillTakesItsSwitchId) {
    const std::string file = kHead + " \r\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\"
                                     "VKR3916S\\Template0] \r\n\n\"SwitchID\"=dword:0\r\n";
    TableFixture fixture(&file);
    fixture.Load();
    EXPECT_EQ(fixture.Table.UsedSwitchIds, 1u);
    fixture.Host.Tree.SelectItem(dialogs::ModelNode(fixture.Host.Tree), TVGN_CARET);
    const int index = templates::LowestFreeTemplateIndex(
        dialogs::SiblingTemplates(fixture.Host.Tree, fixture.Host.Tree.GetSelectedItem()).Mask());
    EXPECT_EQ(index, 1);
    ASSERT_TRUE(fixture.Table.AssignFreeSwitchId(index));
    EXPECT_EQ(fixture.Table.Records[1].SwitchId, 1); // not 0, which template 0 has
}

TEST(TemplateTableSwitchIds, ShownTemplateWithoutSwitchIdOrLatchDataTakesItsIndex) {
    const std::string file = kHead +
                             " \r\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\"
                             "VKR3916S\\Template0] \r\n\n\"TriggerMode\"=hex:04,00\r\n" +
                             " \r\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\"
                             "VKR3916S\\Template2] \r\n";
    TableFixture fixture(&file);
    fixture.Load();
    EXPECT_EQ(fixture.NodeTexts(), "Template0,Template2");
    EXPECT_EQ(fixture.Table.UsedSwitchIds, (1u << 0) | (1u << 2));
    ASSERT_TRUE(fixture.Table.AssignFreeSwitchId(1));
    EXPECT_EQ(fixture.Table.Records[1].SwitchId, 1) << "a shown template's switch ID handed out";
}

TEST(TemplateTableSwitchIds, SharedSwitchIdStaysTakenUntilTheLastHolderGoes) {
    const std::string file = kHead +
                             Section(0, 6, "00,00,00,00,00,00,00,00", "00,00,00,00,00,00,00,00") +
                             Section(1, 6, "00,00,00,00,00,00,00,00", "00,00,00,00,00,00,00,00");
    TableFixture fixture(&file);
    fixture.Load();
    ASSERT_EQ(fixture.Table.UsedSwitchIds, 1u << 6);
    auto& tree = fixture.Host.Tree;

    fixture.Table.ReleaseSwitchId(fixture.Listed(), 6, 0);
    tree.DeleteItem(fixture.Node("Template0"));
    EXPECT_EQ(fixture.Table.UsedSwitchIds, 1u << 6) << "template 1 still uses switch ID 6";

    fixture.Table.ReleaseSwitchId(fixture.Listed(), 6, 1);
    tree.DeleteItem(fixture.Node("Template1"));
    EXPECT_EQ(fixture.Table.UsedSwitchIds, 0u);
}

TEST(TemplateTableSwitchIds, AllTakenAssignsNothing) {
    TableFixture fixture(nullptr);
    fixture.Table.UsedSwitchIds = 0xFFFF;
    fixture.Table.Records[4].SwitchId = 9;
    EXPECT_FALSE(fixture.Table.AssignFreeSwitchId(4));
    EXPECT_EQ(fixture.Table.Records[4].SwitchId, 9);
}

TEST(TemplateTableIndices, LowestFreeComesFromTheTreeAndIsSixteenWhenFull) {
    TableFixture fixture(nullptr);
    auto& tree = fixture.Host.Tree;
    const ui::TreeItem model = dialogs::ModelNode(tree);
    for (int i = 0; i < 16; ++i)
        if (i != 5)
            tree.InsertItem(dialogs::TemplateNodeText(i), model);
    tree.SelectItem(fixture.Node("Template12"), TVGN_CARET);
    int index = -1;
    index = templates::LowestFreeTemplateIndex(
        dialogs::SiblingTemplates(tree, tree.GetSelectedItem()).Mask());
    EXPECT_EQ(index, 5);
    tree.InsertItem("Template5", model);
    index = templates::LowestFreeTemplateIndex(dialogs::SiblingTemplates(tree, model).Mask());
    EXPECT_EQ(index, 16);
}

TEST(TemplateTableSave, WritesEveryTemplateAlsoUnderACollapsedModelNode) {
    const std::string file =
        kHead + Section(0, 1, "00,00,00,00,00,00,00,00", "00,00,00,00,00,00,00,00");
    TableFixture fixture(&file);
    fixture.Load();
    auto& tree = fixture.Host.Tree;
    ASSERT_FALSE(tree.IsExpanded(dialogs::ModelNode(tree)));
    fixture.Table.Records[0].SwitchId = 9;
    fixture.Table.Records[0].LatchData[6] = 1;

    ASSERT_TRUE(fixture.Save());
    EXPECT_EQ(fixture.FileBytes(),
              kHead + Section(0, 9, "00,00,00,00,00,00,00,00", "00,00,00,00,00,00,01,00"));
}

// Remove of template `index` as the window does it, then Add: the index that Add gives (the
// lowest free one), with the lowest free switch ID.
int RemoveThenAdd(TableFixture& fixture, int index) {
    fixture.Remove(index);
    auto& tree = fixture.Host.Tree;
    const int added = templates::LowestFreeTemplateIndex(
        dialogs::SiblingTemplates(tree, dialogs::ModelNode(tree)).Mask());
    if (added < templates::kTemplateCount && fixture.Table.AssignFreeSwitchId(added))
        tree.InsertItem(dialogs::TemplateNodeText(added), dialogs::ModelNode(tree));
    return added;
}

TEST(TemplateTableSave, RemovedThenReAddedIndexIsDeletedThenAppendedAtTheEnd) {
    auto plain = [](int index, int switchId) {
        return Section(index, switchId, "00,00,00,00,00,00,00,00", "00,00,00,00,00,00,00,00");
    };
    const std::string s3 = Section(3, 9, "04,00,00,00,00,00,00,00", "01,00,00,00,00,00,00,00");
    const std::string file = kHead + plain(0, 0) + plain(1, 1) + plain(2, 2) + s3 + plain(5, 5);
    TableFixture fixture(&file);
    fixture.Load();

    // Remove template 3, then add: index 3 again, the lowest free switch ID (3, now that 9
    // is released), and the removed template's trigger and latch settings.
    ASSERT_EQ(RemoveThenAdd(fixture, 3), 3);
    EXPECT_EQ(fixture.Table.Records[3].SwitchId, 3);

    ASSERT_TRUE(fixture.Save());
    EXPECT_EQ(fixture.Table.PendingDeletes, 0);
    EXPECT_EQ(fixture.FileBytes(),
              kHead + plain(0, 0) + plain(1, 1) + plain(2, 2) + plain(5, 5) +
                  Section(3, 3, "04,00,00,00,00,00,00,00", "01,00,00,00,00,00,00,00"));
}

// Removed and added again with the very values it had: the Save still deletes the old key
// (its other values go with it) and appends the template anew.
TEST(TemplateTableSave, RemovedThenReAddedWithTheSameValuesIsStillWritten) {
    const std::string zeros = "00,00,00,00,00,00,00,00";
    const std::string head = kHead + Section(0, 0, zeros, zeros) + Section(1, 1, zeros, zeros) +
                             Section(2, 2, zeros, zeros);
    const std::string file =
        head + Section(3, 3, zeros, zeros) + "\"Extra\"=dword:1\r\n" + Section(5, 5, zeros, zeros);
    TableFixture fixture(&file);
    fixture.Load();
    ASSERT_EQ(RemoveThenAdd(fixture, 3), 3);
    ASSERT_EQ(fixture.Table.Records[3].SwitchId, 3) << "the same values as before";

    ASSERT_TRUE(fixture.Save());
    EXPECT_EQ(fixture.FileBytes(),
              head + Section(5, 5, zeros, zeros) + Section(3, 3, zeros, zeros));
    EXPECT_EQ(fixture.Table.PendingDeletes, 0);
}

// Switch IDs the board cannot have (dword:40, dword:ffffffff) are shown as read, take no
// bit, and an Add next to them gets the lowest free switch ID; the Save writes the Add only.
TEST(TemplateTableSwitchIds, SwitchIdsBeyondTheBoardsTakeNothing) {
    const std::string zeros = "00,00,00,00,00,00,00,00";
    std::string file = kHead + Section(0, 0x40, zeros, zeros) + Section(1, 0, zeros, zeros);
    file.replace(file.find("dword:0\r"), 8, "dword:ffffffff\r");
    TableFixture fixture(&file);
    fixture.Load();
    auto& tree = fixture.Host.Tree;
    EXPECT_EQ(fixture.Table.Records[0].SwitchId, 64);
    EXPECT_EQ(fixture.Table.Records[1].SwitchId, -1);
    EXPECT_EQ(fixture.Table.UsedSwitchIds, 0u);
    fixture.Table.ReleaseSwitchId(fixture.Listed(), 64, 0);
    fixture.Table.ReleaseSwitchId(fixture.Listed(), -1, 1);
    EXPECT_EQ(fixture.Table.UsedSwitchIds, 0u);
    int index = -1;
    index = templates::LowestFreeTemplateIndex(
        dialogs::SiblingTemplates(tree, dialogs::ModelNode(tree)).Mask());
    ASSERT_EQ(index, 2);
    ASSERT_TRUE(fixture.Table.AssignFreeSwitchId(index));
    EXPECT_EQ(fixture.Table.Records[2].SwitchId, 0);
    tree.InsertItem("Template2", dialogs::ModelNode(tree));
    ASSERT_TRUE(fixture.Save());
    EXPECT_EQ(fixture.FileBytes(), file + Section(2, 0, zeros, zeros));
}

TEST(TemplateTableSave, FileHeldByAnotherOpenerFailsAndKeepsDeletionsPending) {
    const std::string file =
        kHead + Section(2, 2, "00,00,00,00,00,00,00,00", "00,00,00,00,00,00,00,00");
    TableFixture fixture(&file);
    fixture.Table.BusyWait = std::chrono::milliseconds(100);
    fixture.Load();
    fixture.Table.PendingDeletes = 1u << 2;
    fixture.Host.Tree.DeleteItem(fixture.Node("Template2"));

    const int held = open(fixture.Path().c_str(), O_RDWR);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(fixture.Save());
    EXPECT_EQ(fixture.Table.LastError().Code, EWOULDBLOCK);
    EXPECT_EQ(fixture.Table.PendingDeletes, 1u << 2);
    close(held);

    EXPECT_EQ(fixture.FileBytes(), file);
    ASSERT_TRUE(fixture.Save());
    EXPECT_EQ(fixture.FileBytes(), kHead + " \r\n");
}

// Two tables over one file, as two windows or two hosts: a Save over a file that changed
// since its table read it writes only that table's own changes.
TEST(TemplateTableSave, ChangedFileGetsOnlyThisWindowsChanges) {
    const std::string file = kHead + Section(0, 0, kZeros, kZeros) + Section(1, 1, kZeros, kZeros) +
                             Section(2, 2, kZeros, kZeros) + Section(5, 5, kZeros, kZeros);
    TableFixture first(&file);
    first.Load();
    testing_support::TableHost second(first.Path());
    second.Load();

    // The second window edits template 1, removes template 2 and adds template 3, and saves.
    second.Table.Records[1].SwitchId = 9;
    second.Table.PendingDeletes |= 1u << 2;
    second.Host.Tree.DeleteItem(second.Node("Template2"));
    second.Host.Tree.InsertItem("Template3", dialogs::ModelNode(second.Host.Tree));
    second.Table.Records[3].SwitchId = 3;
    ASSERT_TRUE(second.Save());

    // The first window edits template 0 and template 5 (which the second did not touch),
    // and template 1's trigger edges: only that value of template 1 is written.
    first.Table.Records[0].LatchData[0] = 1;
    first.Table.Records[5].SwitchId = 12;
    first.Table.Records[1].TriggerMode[0] = 4;
    ASSERT_TRUE(first.Save());
    const auto read = templates::LoadTemplateFile(first.Path());
    ASSERT_TRUE(read.Ok);
    EXPECT_EQ(read.Content.Present, (1u << 0) | (1u << 1) | (1u << 3) | (1u << 5))
        << "template 2 came back or template 3 went";
    EXPECT_EQ(read.Content.Records[0].LatchData[0], 1);
    EXPECT_EQ(read.Content.Records[1].SwitchId, 9) << "the second window's switch ID stays";
    EXPECT_EQ(read.Content.Records[1].TriggerMode[0], 4);
    EXPECT_EQ(read.Content.Records[3].SwitchId, 3);
    EXPECT_EQ(read.Content.Records[5].SwitchId, 12);

    // The first window now shows the file as it is: template 3 listed, template 2 gone,
    // template 1's switch ID that of the file.
    EXPECT_EQ(first.NodeTexts(), "Template0,Template1,Template5,Template3");
    EXPECT_EQ(first.Table.Records[1].SwitchId, 9);
    const std::string before = first.FileBytes();
    ASSERT_TRUE(first.Save());
    EXPECT_EQ(first.FileBytes(), before) << "an unchanged window rewrote templates";
}

// A Save that fails changes nothing in the file or in the table: the deletions stay pending
// and the same Save, once the fault is gone, completes.
TEST(TemplateTableSave, FailedSaveLeavesFileAndTableAsTheyWere) {
    struct FailWrites : platform::FaultHook {
        int BeforeCall(platform::FileCall call, std::string_view) override {
            return call == platform::FileCall::Write ? ENOSPC : 0;
        }
    } hook;
    const std::string file = kHead + Section(0, 0, kZeros, kZeros) + Section(4, 4, kZeros, kZeros);
    TableFixture fixture(&file);
    fixture.Load();
    auto& tree = fixture.Host.Tree;
    fixture.Table.PendingDeletes = 1u << 0;
    tree.DeleteItem(fixture.Node("Template0"));
    fixture.Table.Records[4].SwitchId = 7;
    tree.InsertItem("Template1", dialogs::ModelNode(tree));

    platform::FaultHook* previous = platform::SetFaultHook(&hook);
    const bool saved = fixture.Save();
    platform::SetFaultHook(previous);
    EXPECT_FALSE(saved);
    EXPECT_EQ(fixture.Table.LastError().Code, ENOSPC);
    EXPECT_EQ(fixture.Table.PendingDeletes, 1u << 0);
    EXPECT_EQ(fixture.FileBytes(), file);

    ASSERT_TRUE(fixture.Save());
    EXPECT_EQ(fixture.FileBytes(),
              kHead + Section(4, 7, kZeros, kZeros) + Section(1, 1, kZeros, kZeros));
}

} // namespace

// A Save with nothing to change never opens the file, whatever form its values have.
TEST(TemplateTableSave, NothingChangedNeverTouchesTheFile) {
    const std::string written =
        kHead + Section(0, 0, kZeros, kZeros) + Section(4, 2, kZeros, kZeros);
    TableFixture fixture(&written);
    fixture.Table.BusyWait = std::chrono::milliseconds(50);
    fixture.Load();
    // Another opener holds the file: a Save that opened it would fail.
    const int held = open(fixture.Path().c_str(), O_RDWR);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    EXPECT_TRUE(fixture.Save()) << fixture.Table.LastError().Text;
    EXPECT_EQ(fixture.FileBytes(), written);
    // One change, and the Save is a real one again.
    fixture.Table.Records[4].SwitchId = 6;
    EXPECT_FALSE(fixture.Save()) << "the change went nowhere";
    close(held);
    ASSERT_TRUE(fixture.Save());
    EXPECT_EQ(fixture.FileBytes(),
              kHead + Section(0, 0, kZeros, kZeros) + Section(4, 6, kZeros, kZeros));

    // Not in the written form: a dword in another form, a missing value, a value name in
    // another letter case. An unchanged Save leaves each as it is.
    for (const std::string& odd : {std::string("\"SwitchID\"=hex(4):03,00,00,00"),
                                   std::string("\"SwitchID\"=dword:00000003"),
                                   std::string("\"switchid\"=dword:3"), std::string()}) {
        std::string file = Section(3, 3, kZeros, kZeros);
        const std::size_t at = file.find("\"SwitchID\"=dword:3");
        ASSERT_NE(at, std::string::npos);
        file.replace(at, std::string("\"SwitchID\"=dword:3").size(), odd);
        file = kHead + file;
        TableFixture other(&file);
        other.Load();
        ASSERT_TRUE(other.Save());
        EXPECT_EQ(other.FileBytes(), file) << odd;
    }
}
