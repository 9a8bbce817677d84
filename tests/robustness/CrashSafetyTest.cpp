// Crash safety: devhost saves over and over and is killed with SIGKILL at seeded random
// moments. After every kill the file, as the next opener sees it (an interrupted commit is
// rolled back on open), is one of the states that completed file tasks produce.
#include <gtest/gtest.h>

#include <algorithm>

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

#include <chrono>
#include <iostream>
#include <random>
#include <set>
#include <thread>

#include "regfile/RegFile.h"
#include "tests/robustness/SaveLoop.h"
#include "tests/robustness/Session.h"

namespace robustness {
namespace {

// Runs `scriptText` from `start` and kills the host `kills` times at seeded random moments
// while it saves; after each kill the file, once opened, must be one of `valid`.
void KillWhileSaving(const std::string& start, const std::string& scriptText,
                     const std::set<std::string>& valid, int kills, const char* name) {
    const int kKills = kills;
    DriverTree tree;
    tree.Write(start);
    const std::string script = tree.Folder() + "/script";
    testing_support::WriteBytes(script, scriptText);

    // A run that only opens and closes the window, and one to the end, give the span in
    // which the Saves happen; the run to the end must leave a valid state.
    const auto timeOf = [&](const std::string& scriptPath) {
        const auto begin = std::chrono::steady_clock::now();
        const HostRun run = StartHost(tree.Root(), scriptPath, tree.Folder());
        EXPECT_EQ(WaitHost(run), 0) << ReadText(run.Err);
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now() - begin)
            .count();
    };
    const std::string openOnly = tree.Folder() + "/open-only";
    testing_support::WriteBytes(openOnly, "expand PCI-3916\n");
    const long loadTime = timeOf(openOnly);
    const long runTime = timeOf(script);
    ASSERT_TRUE(valid.count(tree.Read()));

    std::mt19937 random(3916);
    // Kill well before the measured end: a loaded machine (the sanitizer build, parallel
    // tests) runs the host slower or faster than the measuring run did.
    const long earliest = loadTime * 8 / 10;
    std::uniform_int_distribution<long> moment(earliest, std::max(earliest + 1, runTime * 6 / 10));
    int survived = 0;
    int insideCommit = 0;
    int partial = 0;
    for (int attempt = 0; attempt < 6 * kKills && survived < kKills; ++attempt) {
        // Each run starts from the same file, so the states it can leave are known.
        tree.Write(start);
        const HostRun run = StartHost(tree.Root(), script, tree.Folder());
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ASSERT_GT(run.Pid, 0);
        if (KillHost(run) != 128 + SIGKILL)
            continue; // it ended before the kill
        ++survived;
        SCOPED_TRACE("kill " + std::to_string(survived));
        const bool journal = tree.JournalLeft();
        const bool partialBefore = !valid.count(tree.Read());
        EXPECT_FALSE(partialBefore && !journal) << "a partial file without a journal";
        regfile::RegFile file;
        ASSERT_EQ(file.Open(tree.RegPath(), "PCI3916"), 0);
        EXPECT_TRUE(valid.count(std::string(file.Block(), file.Length())))
            << "the file after recovery is not a completed state";
        file.Close();
        EXPECT_FALSE(tree.JournalLeft());
        EXPECT_TRUE(valid.count(tree.Read()));
        insideCommit += journal ? 1 : 0;
        partial += partialBefore ? 1 : 0;
        if (::testing::Test::HasFailure())
            break;
    }
    EXPECT_EQ(survived, kKills);
    std::cout << name << ": kills survived: " << survived << " (" << insideCommit
              << " inside a commit, " << partial
              << " of them with a partly written file, all recovered on open)" << std::endl;
}

// On a memory file system a sync costs next to nothing, so the kills spread over every
// step of a commit instead of falling mostly into the waits for the disk.
void PreferMemoryFiles() {
    if (access("/dev/shm", W_OK) == 0)
        setenv("TMPDIR", "/dev/shm", 1);
}

TEST(CrashSafety, KilledWhileSavingLeavesACompletedState) {
    PreferMemoryFiles();
    KillWhileSaving(SaveLoop::Start(), SaveLoop::Script(2), SaveLoop::ValidStates(), 40,
                    "one change per Save");
}

// Saves that each delete a template, replace a value of another and append a section: a
// kill leaves the file as one of the Saves left it, never with part of a Save's changes.
TEST(CrashSafety, KilledWhileSavingSeveralChangesAtOnce) {
    PreferMemoryFiles();
    constexpr int kRounds = 4;
    std::string round = "select Template1\nclick 103\nselect Template0\ntab 1\nclick 2101\n"
                        "tab 0\nselect PCI-3916\nclick 104\nclick 1006\n";
    // The states the Saves leave: the file after each prefix of the rounds, run to the end.
    std::set<std::string> valid{SaveLoop::Start()};
    std::string script = "expand PCI-3916\n";
    for (int i = 0; i < kRounds; ++i) {
        script += round;
        DriverTree tree;
        tree.Write(SaveLoop::Start());
        const std::string path = tree.Folder() + "/prefix";
        testing_support::WriteBytes(path, script);
        const HostRun run = StartHost(tree.Root(), path, tree.Folder());
        ASSERT_EQ(WaitHost(run), 0) << ReadText(run.Err);
        valid.insert(tree.Read());
    }
    ASSERT_EQ(valid.size(), kRounds + 1u) << "a round whose Save changed nothing";
    KillWhileSaving(SaveLoop::Start(), script, valid, 30, "several changes per Save");
}

} // namespace
} // namespace robustness
