// Fault injection: every file call of a load or a Save fails in turn, with a full disk and
// with an I/O error, until the scenario runs without reaching the fault. After each run the
// driver file holds exactly its content from before the failing file task or from after
// it, the user was told when the Save did not complete, nothing stays open, and a second
// Save without the fault completes the change.
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>

#include "platform/File.h"
#include "platform/FileSeam.h"
#include "tests/robustness/Session.h"

namespace robustness {
namespace {

using platform::FileCall;

std::string Native(std::string_view path) {
    std::string native(path);
    for (char& c : native)
        c = c == '\\' ? '/' : c;
    return native;
}

// Fails call number `failAt` (counted from 1; 0 fails none) with `code`, and notes where
// each file task starts: every task opens the driver file first, so the content at that
// moment is the content before the task.
class FailNthCall : public platform::FaultHook {
public:
    FailNthCall(long failAt, int code, std::string regPath)
        : failAt_(failAt), code_(code), regPath_(std::move(regPath)) {}

    int BeforeCall(FileCall call, std::string_view path) override {
        ++calls_;
        if (call == FileCall::Open && Native(path) == regPath_) {
            TaskStarts.push_back(calls_);
            std::ifstream in(regPath_, std::ios::binary);
            ContentBefore.emplace_back(std::istreambuf_iterator<char>(in),
                                       std::istreambuf_iterator<char>());
        }
        if (calls_ != failAt_)
            return 0;
        Reached = true;
        FailedCall = call;
        return code_;
    }

    std::vector<long> TaskStarts;
    std::vector<std::string> ContentBefore;
    bool Reached = false;
    FileCall FailedCall = FileCall::Open;

private:
    long calls_ = 0;
    long failAt_;
    int code_;
    std::string regPath_;
};

class HookScope {
public:
    explicit HookScope(platform::FaultHook& hook) : previous_(platform::SetFaultHook(&hook)) {}
    ~HookScope() { platform::SetFaultHook(previous_); }
    HookScope(const HookScope&) = delete;
    HookScope& operator=(const HookScope&) = delete;

private:
    platform::FaultHook* previous_;
};

const char* ErrorName(int code) {
    return code == ENOSPC ? "ENOSPC" : "EIO";
}

using Prepare = std::function<void(Session&)>;

const std::string kStart = DriverFile({0, 1, 2, 3, 12});

// The file tasks of a Save without faults: the content before each and after the last.
struct Reference {
    std::vector<long> TaskStarts;
    std::vector<std::string> Before;
    std::string Final;

    std::string After(std::size_t task) const {
        return task + 1 < Before.size() ? Before[task + 1] : Final;
    }
};

Reference RunReference(const Prepare& prepare) {
    DriverTree tree;
    tree.Write(kStart);
    Session session(tree.Root());
    session.Open();
    prepare(session);
    FailNthCall hook(0, 0, tree.RegPath());
    {
        HookScope scope(hook);
        session.Click(1006);
    }
    EXPECT_EQ(session.StopBoxesSince(0), 0);
    EXPECT_NE(tree.Read(), kStart) << "the scenario's Save changes nothing";
    EXPECT_EQ(hook.TaskStarts.size(), 1u) << "a Save is one file task";
    return Reference{hook.TaskStarts, hook.ContentBefore, tree.Read()};
}

// Runs the scenario's Save with call n failing, for n = 1, 2, ... until the Save no longer
// reaches call n. Returns the number of fault points exercised.
int FailEachCallOfSave(const Prepare& prepare, int code) {
    const Reference reference = RunReference(prepare);
    int points = 0;
    for (long n = 1;; ++n) {
        DriverTree tree;
        tree.Write(kStart);
        const int descriptors = OpenDescriptors();
        FailNthCall hook(n, code, tree.RegPath());
        {
            Session session(tree.Root());
            session.Open();
            prepare(session);
            const std::size_t boxesBefore = session.Boxes().size();
            {
                HookScope scope(hook);
                session.Click(1006);
            }
            if (!hook.Reached) {
                EXPECT_TRUE(SameBytes(tree.Read(), reference.Final));
                break;
            }
            ++points;
            SCOPED_TRACE(std::string(ErrorName(code)) + " at call " + std::to_string(n) + " (" +
                         std::string(platform::FileCallName(hook.FailedCall)) + ")");

            std::size_t task = 0;
            while (task + 1 < reference.TaskStarts.size() && reference.TaskStarts[task + 1] <= n)
                ++task;
            const std::string after = tree.Read();
            EXPECT_TRUE(after == reference.Before[task] || after == reference.After(task))
                << "the file is neither as before nor as after file task " << task + 1;
            EXPECT_FALSE(tree.JournalLeft());
            if (after != reference.Final) {
                EXPECT_EQ(session.StopBoxesSince(boxesBefore), 1)
                    << "the Save did not complete and the user was not told";
                EXPECT_TRUE(session.Enabled(1006)) << "the unsaved changes were dropped";
            }

            // The fault is gone: saving again completes the change.
            const std::size_t boxesRetry = session.Boxes().size();
            if (session.Enabled(1006))
                session.Click(1006);
            EXPECT_TRUE(SameBytes(tree.Read(), reference.Final));
            EXPECT_EQ(session.StopBoxesSince(boxesRetry), 0);
            EXPECT_FALSE(session.Enabled(1006));
        }
        EXPECT_EQ(OpenDescriptors(), descriptors) << "a file stayed open";
        if (::testing::Test::HasFailure())
            break;
    }
    return points;
}

void RunSaveScenario(const char* name, const Prepare& prepare) {
    int points = 0;
    for (int code : {ENOSPC, EIO})
        points += FailEachCallOfSave(prepare, code);
    EXPECT_GT(points, 10);
    std::cout << "fault points exercised (" << name << "): " << points << std::endl;
}

TEST(FaultInjection, SaveAppendingASection) {
    RunSaveScenario("save appending", [](Session& session) {
        session.Select("PCI-3916");
        session.Click(104);
        EXPECT_EQ(session.TemplateNodes(), "Template0,Template1,Template2,Template3,Template12,"
                                           "Template4");
    });
}

TEST(FaultInjection, SaveReplacingValues) {
    RunSaveScenario("save replacing", [](Session& session) {
        session.Select("Template3");
        session.Tab(1);
        session.Click(2101);
        session.Tab(0);
        session.Choose(1002, 9);
    });
}

TEST(FaultInjection, SaveDeletingSections) {
    RunSaveScenario("save deleting", [](Session& session) {
        session.Select("Template0");
        session.Click(103);
        session.Select("Template12");
        session.Click(103);
        EXPECT_EQ(session.TemplateNodes(), "Template1,Template2,Template3");
    });
}

TEST(FaultInjection, RemoveThenSave) {
    RunSaveScenario("remove then save", [](Session& session) {
        session.Select("Template3");
        session.Click(103);
        session.Select("PCI-3916");
        session.Click(104);
        EXPECT_EQ(session.TemplateNodes(), "Template0,Template1,Template2,Template12,Template3");
    });
}

// Every kind of change in one Save: a deletion, a replaced value and an appended section.
// Whatever call fails, the file holds all of them or none.
TEST(FaultInjection, SaveDeletingReplacingAndAppendingAtOnce) {
    RunSaveScenario("save deleting, replacing and appending", [](Session& session) {
        session.Select("Template1");
        session.Click(103);
        session.Select("Template12");
        session.Tab(1);
        session.Click(2101);
        session.Tab(0);
        session.Choose(1002, 10);
        session.Select("PCI-3916");
        session.Click(104);
        session.Click(104);
        EXPECT_EQ(session.TemplateNodes(), "Template0,Template2,Template3,Template12,Template1,"
                                           "Template4");
    });
}

// A load that fails at any call never writes: the window tells the user and refuses to
// save over templates it could not read. The load is one file task, so it makes few calls.
TEST(FaultInjection, Load) {
    int points = 0;
    for (int code : {ENOSPC, EIO}) {
        for (long n = 1;; ++n) {
            DriverTree tree;
            tree.Write(kStart);
            const int descriptors = OpenDescriptors();
            FailNthCall hook(n, code, tree.RegPath());
            {
                Session session(tree.Root());
                {
                    HookScope scope(hook);
                    EXPECT_EQ(session.Open(), 1);
                }
                if (!hook.Reached) {
                    EXPECT_EQ(session.TemplateNodes(),
                              "Template0,Template1,Template2,Template3,Template12");
                    break;
                }
                ++points;
                SCOPED_TRACE(std::string(ErrorName(code)) + " at call " + std::to_string(n));
                EXPECT_EQ(session.StopBoxesSince(0), 1);
                const std::size_t boxesBefore = session.Boxes().size();
                session.Click(104);
                session.Click(1006);
                EXPECT_EQ(session.StopBoxesSince(boxesBefore), 1);
                EXPECT_TRUE(SameBytes(tree.Read(), kStart));
                EXPECT_FALSE(tree.JournalLeft());
            }
            EXPECT_EQ(OpenDescriptors(), descriptors) << "a file stayed open";
            if (::testing::Test::HasFailure())
                break;
        }
    }
    EXPECT_GE(points, 2 * 4);
    std::cout << "fault points exercised (load): " << points << std::endl;
}

} // namespace
} // namespace robustness
