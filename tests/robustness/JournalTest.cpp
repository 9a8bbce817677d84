// The undo journal beside the driver file, seen through the template window: a journal
// that no longer fits the file (edited by hand after a kill), anything else at the
// journal's name, and a folder that takes no new file.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <vector>

#include "platform/Constants.h"
#include "platform/File.h"
#include "platform/FileSeam.h"
#include "regfile/RegFile.h"
#include "tests/robustness/Session.h"

namespace robustness {
namespace {

using platform::FileCall;

constexpr int kAdd = 104;
constexpr int kRemove = 103;
constexpr int kSave = 1006;

std::string Native(std::string_view path) {
    std::string native(path);
    for (char& c : native)
        c = c == '\\' ? '/' : c;
    return native;
}

class HookScope : public platform::FaultHook {
public:
    using Handler = std::function<int(FileCall, const std::string&)>;
    explicit HookScope(Handler handler)
        : handler_(std::move(handler)), previous_(platform::SetFaultHook(this)) {}
    ~HookScope() override { platform::SetFaultHook(previous_); }
    HookScope(const HookScope&) = delete;
    HookScope& operator=(const HookScope&) = delete;
    int BeforeCall(FileCall call, std::string_view path) override {
        return handler_(call, Native(path));
    }

private:
    Handler handler_;
    platform::FaultHook* previous_;
};

std::string JournalOf(const DriverTree& tree) {
    return tree.RegPath() + ".undo";
}

// Deletes template 0 in a child process that is killed as its commit shortens the file:
// the file is then partly written and its journal is on disk.
void KillInsideCommit(const DriverTree& tree) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        HookScope kill([&](FileCall call, const std::string& path) {
            if (call == FileCall::SetLength && path == tree.RegPath())
                raise(SIGKILL);
            return 0;
        });
        regfile::RegFile file;
        if (file.Open(tree.RegPath(), "PCI3916") == 0) {
            file.DeleteSection(0, "VKR3916S");
            file.Close();
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    ASSERT_TRUE(tree.JournalLeft());
}

TEST(Journal, EditedByHandAfterAKillTheFileIsLeftAndTheUserTold) {
    DriverTree tree;
    tree.Write(DriverFile({0, 1, 2}));
    KillInsideCommit(tree);
    const std::string journal = testing_support::ReadBytes(JournalOf(tree));
    // The user mends the cut file by hand: it now holds templates 1 and 2 and a note.
    const std::string edited = DriverFile({1, 2}) + "; mended by hand\r\n";
    tree.Write(edited);

    Session session(tree.Root());
    ASSERT_EQ(session.Open(), 1);
    ASSERT_EQ(session.Boxes().size(), 1u);
    const auto& box = session.Boxes()[0];
    EXPECT_EQ(box.Flags & 0xF0u, MB_ICONINFORMATION);
    EXPECT_NE(box.Text.find("left exactly as it is"), std::string::npos) << box.Text;
    EXPECT_NE(box.Text.find("\"PCI3916.reg.undo.stale-1\""), std::string::npos) << box.Text;
    EXPECT_EQ(session.TemplateNodes(), "Template1,Template2");
    EXPECT_TRUE(SameBytes(tree.Read(), edited));
    EXPECT_FALSE(tree.JournalLeft());
    EXPECT_EQ(testing_support::ReadBytes(JournalOf(tree) + ".stale-1"), journal);

    // Saving works again and starts from the edited file.
    session.Select("Template2");
    session.Click(kRemove);
    session.Click(kSave);
    EXPECT_EQ(session.StopBoxesSince(0), 0);
    EXPECT_TRUE(SameBytes(tree.Read(), DriverFile({1}) + " \r\n"));
}

TEST(Journal, CutShortByAKillWithTheFileUntouchedSinceItIsRolledBackSilently) {
    DriverTree tree;
    const std::string start = DriverFile({0, 1, 2});
    tree.Write(start);
    KillInsideCommit(tree);
    ASSERT_NE(tree.Read(), start);
    Session session(tree.Root());
    ASSERT_EQ(session.Open(), 1);
    EXPECT_TRUE(session.Boxes().empty());
    EXPECT_EQ(session.TemplateNodes(), "Template0,Template1,Template2");
    EXPECT_TRUE(SameBytes(tree.Read(), start));
    EXPECT_FALSE(tree.JournalLeft());
}

// Anything at the journal's name that is not a journal: the window opens as without it,
// Save says which file is in the way, and nothing there is removed, changed or followed.
TEST(Journal, ForeignEntryAtTheJournalName) {
    struct Foreign {
        const char* Name;
        std::function<void(const std::string& journal, const std::string& outside)> Make;
    };
    const std::vector<Foreign> kinds = {
        {"text file",
         [](const std::string& journal, const std::string&) {
             testing_support::WriteBytes(journal, "my notes\r\n");
         }},
        {"big file",
         [](const std::string& journal, const std::string&) {
             testing_support::WriteBytes(journal, "data");
             std::filesystem::resize_file(journal, 600u * 1024u * 1024u);
         }},
        {"directory", [](const std::string& journal,
                         const std::string&) { std::filesystem::create_directory(journal); }},
        {"fifo", [](const std::string& journal,
                    const std::string&) { ASSERT_EQ(mkfifo(journal.c_str(), 0666), 0); }},
        {"symbolic link",
         [](const std::string& journal, const std::string& outside) {
             testing_support::WriteBytes(outside, "outside");
             std::filesystem::create_symlink(outside, journal);
         }},
        {"dangling symbolic link",
         [](const std::string& journal, const std::string& outside) {
             std::filesystem::create_symlink(outside, journal);
         }},
    };
    const std::string start = DriverFile({0, 1});
    for (const Foreign& kind : kinds) {
        SCOPED_TRACE(kind.Name);
        DriverTree tree;
        tree.Write(start);
        const std::string journal = JournalOf(tree);
        const std::string outside = tree.Folder() + "/outside";
        kind.Make(journal, outside);
        const auto type = std::filesystem::symlink_status(journal).type();
        const bool outsideExisted = std::filesystem::exists(outside);
        {
            Session session(tree.Root());
            ASSERT_EQ(session.Open(), 1);
            EXPECT_TRUE(session.Boxes().empty());
            EXPECT_EQ(session.TemplateNodes(), "Template0,Template1");
            session.Select("PCI-3916");
            session.Click(kAdd);
            session.Click(kSave);
            ASSERT_EQ(session.StopBoxesSince(0), 1);
            const std::string& text = session.Boxes().back().Text;
            EXPECT_NE(text.find("\"PCI3916.reg.undo\" in the same folder is in the way"),
                      std::string::npos)
                << text;
            EXPECT_TRUE(session.Enabled(kSave));
            EXPECT_TRUE(SameBytes(tree.Read(), start));

            // Moved away, the next Save goes through.
            std::filesystem::rename(journal, journal + ".moved");
            session.Click(kSave);
            EXPECT_EQ(session.StopBoxesSince(0), 1);
            EXPECT_FALSE(session.Enabled(kSave));
            EXPECT_NE(tree.Read(), start);
            std::filesystem::rename(journal + ".moved", journal);
        }
        EXPECT_EQ(std::filesystem::symlink_status(journal).type(), type);
        EXPECT_EQ(std::filesystem::exists(outside), outsideExisted);
        if (type == std::filesystem::file_type::regular) {
            EXPECT_GT(std::filesystem::file_size(journal), 0u);
        }
    }
}

// A read-only folder with a writable driver file: Save writes the file in place without a
// journal. Run by an unprivileged user when the tests run as root.
TEST(Journal, ReadOnlyFolderStillSaves) {
    DriverTree reference;
    reference.Write(DriverFile({0, 2}));
    const std::string script = reference.Folder() + "/script";
    testing_support::WriteBytes(script, "select PCI-3916\nclick 104\nclick 1006\n");
    ASSERT_EQ(WaitHost(StartHost(reference.Root(), script, reference.Folder())), 0);
    const std::string expected = reference.Read();
    ASSERT_NE(expected, DriverFile({0, 2}));

    DriverTree tree;
    tree.Write(DriverFile({0, 2}));
    const std::string folder = std::filesystem::path(tree.RegPath()).parent_path().string();
    std::optional<uid_t> user;
    if (geteuid() == 0) {
        user = 65534;
        std::filesystem::permissions(tree.Folder(), std::filesystem::perms::all);
    }
    const std::string ownScript = tree.Folder() + "/script";
    testing_support::WriteBytes(ownScript, testing_support::ReadBytes(script));
    ASSERT_EQ(chmod(ownScript.c_str(), 0644), 0);
    ASSERT_EQ(chmod(tree.RegPath().c_str(), 0666), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    const HostRun run = StartHost(tree.Root(), ownScript, tree.Folder(), user);
    EXPECT_EQ(WaitHost(run), 0) << ReadText(run.Err);
    chmod(folder.c_str(), 0755);
    const std::string transcript = ReadText(run.Out);
    EXPECT_EQ(transcript.find("icon=stop"), std::string::npos) << transcript;
    EXPECT_TRUE(SameBytes(tree.Read(), expected));
    EXPECT_FALSE(tree.JournalLeft());
}

// Runs the scenario's Save with the journal's creation refused as the folder refuses it,
// and call `failAt` (from 1; 0: none) failing with `code`. Returns whether the fault was
// reached; `states` gets the file at each task's start (each opens the file) and at the end.
bool SaveInRefusingFolder(long failAt, int code, std::vector<std::string>& states,
                          std::string& now) {
    DriverTree tree;
    tree.Write(DriverFile({0, 1, 2, 3, 12}));
    const std::string journal = JournalOf(tree);
    Session session(tree.Root());
    EXPECT_EQ(session.Open(), 1);
    session.Select("Template3");
    session.Click(kRemove);
    session.Select("Template1");
    session.Tab(1);
    session.Click(2101);
    session.Select("PCI-3916");
    session.Click(kAdd);
    long calls = 0;
    bool reached = false;
    {
        HookScope hook([&](FileCall call, const std::string& path) {
            if (call == FileCall::Create && path == journal)
                return EACCES;
            if (call == FileCall::Open && path == tree.RegPath())
                states.push_back(tree.Read());
            if (++calls != failAt)
                return 0;
            reached = true;
            return code;
        });
        session.Click(kSave);
    }
    now = tree.Read();
    states.push_back(now);
    EXPECT_FALSE(std::filesystem::exists(journal));
    EXPECT_EQ(session.StopBoxesSince(0), reached && session.Enabled(kSave) ? 1 : 0);
    return reached;
}

// The same folder, faults injected: every call of the Save failing in turn. The file is
// never cut: it is always a state that whole file tasks of a Save without faults leave.
TEST(Journal, ReadOnlyFolderFaultsNeverCutTheFile) {
    std::vector<std::string> valid;
    std::string final;
    ASSERT_FALSE(SaveInRefusingFolder(0, 0, valid, final));
    ASSERT_NE(final, DriverFile({0, 1, 2, 3, 12}));
    int faulted = 0;
    for (int code : {ENOSPC, EIO}) {
        for (long n = 1;; ++n) {
            std::vector<std::string> states;
            std::string now;
            if (!SaveInRefusingFolder(n, code, states, now)) {
                EXPECT_TRUE(SameBytes(now, final));
                break;
            }
            ++faulted;
            SCOPED_TRACE("call " + std::to_string(n));
            EXPECT_TRUE(std::find(valid.begin(), valid.end(), now) != valid.end())
                << "the file is not a state that whole file tasks leave";
            if (::testing::Test::HasFailure())
                break;
        }
    }
    EXPECT_GT(faulted, 10);
    std::cout << "faulted Saves in a folder refusing the journal: " << faulted << std::endl;
}

} // namespace
} // namespace robustness
