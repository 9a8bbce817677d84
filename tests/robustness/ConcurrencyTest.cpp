// Concurrent use: while one opener holds the driver file inside a file task, a second
// process cannot open it, tells its user and writes nothing; two windows of one host keep
// their own templates.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>
#include <set>
#include <thread>

#include "platform/File.h"
#include "platform/linux/Desktop.h"
#include "regfile/RegFile.h"
#include "tests/robustness/SaveLoop.h"
#include "tests/robustness/Session.h"

namespace robustness {
namespace {

// A second host tries to add and save a template while the file is held.
void ExpectSecondHostWritesNothing(const DriverTree& tree) {
    const std::string before = tree.Read();
    const std::string script = tree.Folder() + "/second-script";
    testing_support::WriteBytes(script, "click 104\nclick 1006\n");
    const std::string outDir = tree.Folder() + "/second";
    std::filesystem::create_directories(outDir);
    const HostRun second = StartHost(tree.Root(), script, outDir);
    EXPECT_EQ(WaitHost(second), 0) << ReadText(second.Err);
    const std::string transcript = ReadText(second.Out);
    EXPECT_NE(transcript.find("icon=stop"), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("in use by another program"), std::string::npos) << transcript;
    EXPECT_TRUE(SameBytes(tree.Read(), before)) << "the second host wrote to a held file";
}

TEST(Concurrency, HeldFileRefusesASecondProcess) {
    DriverTree tree;
    tree.Write(DriverFile({0, 3}));
    regfile::RegFile holder;
    ASSERT_EQ(holder.Open(tree.RegPath(), "PCI3916"), 0);
    ExpectSecondHostWritesNothing(tree);
    EXPECT_FALSE(tree.JournalLeft());
    holder.Close();
}

// The holder is a devhost of its own, stopped at random moments until it is caught inside
// a file task; a second devhost then runs against the file it holds.
TEST(Concurrency, DevhostInsideAFileTaskRefusesASecondDevhost) {
    DriverTree tree;
    tree.Write(SaveLoop::Start());
    const std::string script = tree.Folder() + "/script";
    testing_support::WriteBytes(script, SaveLoop::Script(10));
    const HostRun first = StartHost(tree.Root(), script, tree.Folder());
    ASSERT_GT(first.Pid, 0);

    std::mt19937 random(16);
    std::uniform_int_distribution<int> pause(0, 3000);
    int caught = 0;
    for (int attempt = 0; attempt < 400 && caught < 5; ++attempt) {
        std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
        int status = 0;
        if (!StopHost(first, status)) {
            EXPECT_EQ(status, 0) << "the first host failed";
            break;
        }
        platform::File probe;
        platform::FileErrorInfo error;
        const int code = probe.Open(tree.RegPath(), error);
        if (code == 0) {
            probe.Close();
        } else if (code == EWOULDBLOCK) {
            ++caught;
            SCOPED_TRACE("caught inside a file task, time " + std::to_string(caught));
            const bool journal = tree.JournalLeft();
            const std::string journalBytes =
                journal ? testing_support::ReadBytes(tree.RegPath() + ".undo") : "";
            ExpectSecondHostWritesNothing(tree);
            if (journal) {
                EXPECT_TRUE(
                    SameBytes(testing_support::ReadBytes(tree.RegPath() + ".undo"), journalBytes));
            }
        }
        ContinueHost(first);
    }
    KillHost(first);
    EXPECT_GE(caught, 1) << "the first host was never caught holding the file";
    std::cout << "second openers refused while a devhost held the file: " << caught << std::endl;

    regfile::RegFile file;
    ASSERT_EQ(file.Open(tree.RegPath(), "PCI3916"), 0);
    EXPECT_TRUE(SaveLoop::ValidStates().count(std::string(file.Block(), file.Length())));
    file.Close();
}

// Two windows in one host: each Save writes that window's own records, never the other's
// unsaved edits.
TEST(Concurrency, TwoWindowsOfOneHostEditTheirOwnTemplates) {
    const std::string start = DriverFile({0, 3});
    DriverTree tree;
    tree.Write(start);
    Session session(tree.Root());
    ASSERT_EQ(session.Open(), 1);
    const ui::WindowHandle firstWindow = session.Window();
    session.Select("Template0");
    session.Tab(1);
    session.Click(2101);

    ASSERT_EQ(session.Open(), 1);
    const ui::WindowHandle secondWindow = session.Window();
    ASSERT_NE(secondWindow, firstWindow);
    session.Select("Template3");
    session.Choose(1002, 9);
    session.Click(1006);
    const std::string secondSaved = tree.Read();
    EXPECT_EQ(secondSaved.find("hex:00,00,04,00"), std::string::npos)
        << "the first window's edit reached the file through the second";
    EXPECT_NE(secondSaved.find("\"SwitchID\"=dword:9"), std::string::npos);

    ui::desktop::SetActiveWindow(firstWindow);
    ASSERT_EQ(session.Window(), firstWindow);
    EXPECT_TRUE(session.Enabled(1006)) << "the second window's Save cleared the first's changes";
    session.Click(1006);
    EXPECT_NE(tree.Read().find("\"TriggerMode\"=hex:00,00,04,00"), std::string::npos);
    EXPECT_NE(tree.Read().find("\"SwitchID\"=dword:9"), std::string::npos)
        << "the first window's Save reverted the second window's saved change";
}

// A second host saves while this window is open: this window's Save then writes only its
// own change and keeps the other host's, every time.
TEST(Concurrency, SecondHostsSavedChangeIsNotReverted) {
    for (int run = 0; run < 5; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        DriverTree tree;
        tree.Write(DriverFile({0, 3, 5}));
        Session session(tree.Root());
        ASSERT_EQ(session.Open(), 1);
        session.Select("Template0");
        session.Tab(1);
        session.Click(2101);

        // The other host changes template 3's switch ID and removes template 5.
        const std::string script = tree.Folder() + "/second-script";
        testing_support::WriteBytes(script, "expand PCI-3916\nselect Template3\nchoose 1002 9\n"
                                            "select Template5\nclick 103\nclick 1006\n");
        const HostRun second = StartHost(tree.Root(), script, tree.Folder());
        ASSERT_EQ(WaitHost(second), 0) << ReadText(second.Err);
        ASSERT_NE(tree.Read().find("\"SwitchID\"=dword:9"), std::string::npos);

        session.Click(1006);
        EXPECT_FALSE(session.Enabled(1006));
        const std::string saved = tree.Read();
        EXPECT_NE(saved.find("\"TriggerMode\"=hex:00,00,04,00"), std::string::npos)
            << "this window's change is missing";
        EXPECT_NE(saved.find("\"SwitchID\"=dword:9"), std::string::npos)
            << "the other host's switch ID was reverted";
        EXPECT_EQ(saved.find("Template5]"), std::string::npos)
            << "the template the other host removed came back";
        if (::testing::Test::HasFailure())
            break;
    }
}

// Two hosts started together: the one that finds the file held for a moment waits for it
// and shows the templates, with no message. The moment is a tenth of the host's wait.
TEST(Concurrency, FileHeldForAMomentAtOpeningIsWaitedFor) {
    DriverTree tree;
    tree.Write(DriverFile({0, 3}));
    regfile::RegFile holder;
    ASSERT_EQ(holder.Open(tree.RegPath(), "PCI3916"), 0);
    std::thread release([&holder] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        holder.Close();
    });
    Session session(tree.Root());
    EXPECT_EQ(session.Open(), 1);
    release.join();
    EXPECT_EQ(session.TemplateNodes(), "Template0,Template3");
    EXPECT_TRUE(session.Boxes().empty());
}

} // namespace
} // namespace robustness
