// The commands over a real file: the path rule, and an edit whose file another program
// changes between the command's read and its write.
#include <gtest/gtest.h>

#include <string>

#include "cli/Commands.h"
#include "platform/File.h"
#include "platform/FileSeam.h"
#include "tests/support/TempFolder.h"

namespace cli {
namespace {

using testing_support::ReadBytes;
using testing_support::WriteBytes;

TEST(ResolvePath, BuiltAsTheWindowBuildsIt) {
    Arguments arguments;
    EXPECT_EQ(ResolvePath(arguments).Path,
              "Public\\Tarnwick\\Device_Drivers\\PCI3916\\PCI3916.reg");
    arguments.Root = "/srv/t";
    arguments.Module = "PCI3916ICfg.dll";
    EXPECT_EQ(ResolvePath(arguments).Path,
              "/srv/tPublic\\Tarnwick\\Device_Drivers\\PCI3916I\\PCI3916I.reg");
    arguments.Root = std::string(220, 'r');
    const PathResult tooLong = ResolvePath(arguments);
    EXPECT_TRUE(tooLong.Path.empty());
    EXPECT_TRUE(tooLong.Error.starts_with("the path of the template file is longer than 255"))
        << tooLong.Error;

    Arguments file;
    file.File = "x.reg";
    file.Module = "ignored";
    EXPECT_EQ(ResolvePath(file).Path, "x.reg");
}

std::string Section(int index, int switchId) {
    return "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template" +
           std::to_string(index) + "]\r\n\"SwitchID\"=dword:" + std::to_string(switchId) +
           "\r\n\"TriggerMode\"=hex:00,00,00,00,00,00,00,00\r\n"
           "\"LatchData\"=hex:00,00,00,00,00,00,00,00\r\n";
}

// Another program writes `bytes` into the file just before the command's third open of it
// (the Save's, after the check's and the load's), as if it had saved in between.
class ChangeBeforeSave : public platform::FaultHook {
public:
    ChangeBeforeSave(std::string path, std::string bytes)
        : path_(std::move(path)), bytes_(std::move(bytes)) {}
    int BeforeCall(platform::FileCall call, std::string_view path) override {
        if (call == platform::FileCall::Open && path == path_ && ++opens_ == 3)
            WriteBytes(path_, bytes_);
        return 0;
    }

private:
    std::string path_;
    std::string bytes_;
    int opens_ = 0;
};

TEST(Commands, AnEditOverAFileChangedMeanwhileWritesOnlyItsTemplate) {
    testing_support::TempFolder folder;
    const std::string path = folder.PathOf("PCI3916.reg");
    WriteBytes(path, "REGEDIT4\r\n" + Section(0, 0) + Section(2, 1));
    // The other program gives Template0 switch ID 5 and removes nothing.
    const std::string changed = "REGEDIT4\r\n" + Section(0, 5) + Section(2, 1);

    Arguments arguments;
    arguments.Command = CommandKind::Set;
    arguments.Index = 2;
    arguments.Edits.SwitchId = 7;
    ChangeBeforeSave hook(path, changed);
    platform::FaultHook* previous = platform::SetFaultHook(&hook);
    const Outcome outcome = RunCommand(arguments, path);
    platform::SetFaultHook(previous);

    EXPECT_EQ(outcome.Status, kDone) << outcome.Err;
    EXPECT_NE(outcome.Err.find("was changed by another program since it was read: only "
                               "Template2 was written"),
              std::string::npos)
        << outcome.Err;
    // The other program's Template0 stays; only Template2 takes the command's change.
    EXPECT_EQ(ReadBytes(path), "REGEDIT4\r\n" + Section(0, 5) + Section(2, 7));
}

TEST(Commands, RefusalsWriteNothing) {
    testing_support::TempFolder folder;
    const std::string path = folder.PathOf("PCI3916.reg");
    const std::string start = "REGEDIT4\r\n" + Section(0, 0) + Section(2, 1);
    WriteBytes(path, start);

    Arguments used;
    used.Command = CommandKind::Set;
    used.Index = 0;
    used.Edits.SwitchId = 1;
    Outcome outcome = RunCommand(used, path);
    EXPECT_EQ(outcome.Status, kRefused);
    EXPECT_NE(outcome.Err.find("SwitchID already used! (switch ID 1 belongs to Template2)"),
              std::string::npos)
        << outcome.Err;

    Arguments dryRun;
    dryRun.Command = CommandKind::Remove;
    dryRun.Index = 0;
    dryRun.DryRun = true;
    outcome = RunCommand(dryRun, path);
    EXPECT_EQ(outcome.Status, kDone) << outcome.Err;
    EXPECT_NE(outcome.Out.find("\n-\"SwitchID\"=dword:0\r\n"), std::string::npos) << outcome.Out;
    EXPECT_EQ(ReadBytes(path), start);
    EXPECT_FALSE(platform::FileExists(path + ".undo"));
}

} // namespace
} // namespace cli
