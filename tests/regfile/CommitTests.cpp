// How a task's edits reach the file: only the changed bytes, all or nothing, also when a
// call fails or the process is killed halfway; and the file held exclusively meanwhile.
#include <cerrno>
#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "Fixture.h"
#include "platform/File.h"
#include "regfile/Journal.h"

namespace regfile::test {
namespace {

using platform::FileCall;

const std::string kSection2 = AppendedHeader(2) + "\n\"SwitchID\"=dword:a\r\n" +
                              "\n\"TriggerMode\"=hex:04,00,04,00,00,00,00,00\r\n" +
                              "\n\"LatchData\"=hex:01,00,00,00,00,00,01,00\r\n";

std::string LongTail() {
    std::string tail = AppendedHeader(3);
    for (int i = 0; i < 500; ++i) {
        tail += "; filler line " + std::to_string(i) + " of the driver package\r\n";
    }
    return tail;
}

// A task that moves the tail and shortens the file: template 2 deleted and written again
// at the end with one value.
void RewriteTemplate2(RegFile& editor) {
    editor.DeleteSection(2, kKey);
    editor.AppendSection(2);
    std::uint32_t switchId = 6;
    RegValueSpec list[] = {{"SwitchID", REG_DWORD, 4, &switchId}, {nullptr, 0, 0, nullptr}};
    ASSERT_EQ(editor.ApplyValueList(kKey, 2, list, 1), 1);
}

using CommitTest = RegFileTest;

TEST_F(CommitTest, AnUnchangedTaskWritesNothing) {
    Write(kSection2);
    std::vector<FileCall> calls;
    Hook hook([&](FileCall call, std::string_view) {
        calls.push_back(call);
        return 0;
    });
    RegFile editor;
    OpenEditor(editor);
    std::uint16_t mask = 0;
    editor.ListTemplates(mask);
    editor.DeleteSection(9, kKey);
    std::uint32_t same = 10;
    editor.WriteValue(kKey, 2, "SwitchID", REG_DWORD, &same, 4);
    editor.Close();
    for (FileCall call : calls) {
        EXPECT_NE(call, FileCall::Write);
        EXPECT_NE(call, FileCall::Create);
        EXPECT_NE(call, FileCall::SetLength);
    }
    EXPECT_EQ(Read(), kSection2);
}

TEST_F(CommitTest, SameLengthReplacementWritesOnlyTheChangedBytes) {
    const std::string tail = LongTail();
    Write(kSection2 + tail);
    RegFile editor;
    OpenEditor(editor);
    std::uint32_t five = 5;
    editor.WriteValue(kKey, 2, "SwitchID", REG_DWORD, &five, 4);
    platform::Counters() = {};
    editor.Close();
    std::string expected = kSection2;
    expected.replace(expected.find("dword:a"), 7, "dword:5");
    EXPECT_EQ(Read(), expected + tail);
    // One byte in place plus the journal's fixed part and that byte's old value.
    EXPECT_LT(platform::Counters().BytesWritten, 100u);
    EXPECT_GT(tail.size(), 10000u);
}

TEST_F(CommitTest, ReloadAndDestructionDropEdits) {
    Write(kSection2);
    {
        RegFile editor;
        OpenEditor(editor);
        editor.DeleteSection(2, kKey);
        editor.Reload();
        EXPECT_EQ(std::string(editor.Block()), kSection2);
        EXPECT_EQ(editor.LastIndex(), -1);
        editor.DeleteSection(2, kKey);
    }
    EXPECT_EQ(Read(), kSection2);
}

TEST_F(CommitTest, AFailingCallLeavesTheFileAsBeforeOrAsAfter) {
    const std::string before = kSection2 + LongTail();
    std::string after;
    int closeCalls = 0;
    {
        Write(before);
        RegFile editor;
        OpenEditor(editor);
        RewriteTemplate2(editor);
        Hook count([&](FileCall, std::string_view) { return ++closeCalls, 0; });
        editor.Close();
        after = Read();
    }
    ASSERT_NE(after, before);
    ASSERT_GT(closeCalls, 5);

    for (int code : {ENOSPC, EIO}) {
        for (int n = 1; n <= closeCalls; ++n) {
            Write(before);
            RegFile editor;
            OpenEditor(editor);
            RewriteTemplate2(editor);
            int seen = 0;
            bool mainFileClosed = false;
            FileCall failed = FileCall::Open;
            Hook fail([&](FileCall call, std::string_view path) {
                if (++seen != n) {
                    return 0;
                }
                failed = call;
                mainFileClosed = call == FileCall::Close && path == path_;
                return code;
            });
            try {
                editor.Close();
                EXPECT_TRUE(Read() == after) << "call " << n;
            } catch (const platform::FileError& error) {
                EXPECT_EQ(error.Code(), code);
                // Only the final close of the file itself fails after the change is made.
                const std::string& expected = mainFileClosed ? after : before;
                EXPECT_TRUE(Read() == expected)
                    << "call " << n << ": " << platform::FileCallName(failed) << " "
                    << error.what();
            }
            EXPECT_FALSE(Exists(JournalPath(path_))) << "call " << n;
        }
    }
}

TEST_F(CommitTest, DiskFullReportsTheFileAndTheSystemText) {
    Write(kSection2);
    RegFile editor;
    OpenEditor(editor);
    editor.DeleteSection(2, kKey);
    Hook full([&](FileCall call, std::string_view path) {
        return call == FileCall::SetLength && path == path_ ? ENOSPC : 0;
    });
    try {
        editor.Close();
        FAIL() << "Close did not raise";
    } catch (const platform::FileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot set the length of \"" + path_ + "\": No space left on device");
    }
    EXPECT_EQ(Read(), kSection2);
}

// Runs `task` in a child process that is killed at the first call `killAt` selects.
void RunKilled(const std::function<void()>& task,
               const std::function<bool(FileCall, std::string_view)>& killAt) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Hook kill([&](FileCall call, std::string_view path) {
            if (killAt(call, path)) {
                raise(SIGKILL);
            }
            return 0;
        });
        task();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(WTERMSIG(status), SIGKILL);
}

class KilledCommitTest : public RegFileTest {
protected:
    void SetUp() override {
        RegFileTest::SetUp();
        before_ = kSection2 + LongTail();
        Write(before_);
        {
            RegFile editor;
            OpenEditor(editor);
            RewriteTemplate2(editor);
            after_ = editor.Block();
        }
        journal_ = JournalPath(path_);
    }
    void RunTask(const std::function<bool(FileCall, std::string_view)>& killAt) {
        RunKilled(
            [&] {
                RegFile editor;
                if (editor.Open(path_, kModel) == 0) {
                    RewriteTemplate2(editor);
                    editor.Close();
                }
            },
            killAt);
    }
    // What the next task sees and leaves behind.
    std::string OpenAgain() {
        RegFile editor;
        EXPECT_EQ(editor.Open(path_, kModel), 0);
        std::string seen = editor.Block();
        editor.Close();
        EXPECT_FALSE(Exists(journal_));
        return seen;
    }

    std::string before_;
    std::string after_;
    std::string journal_;
};

TEST_F(KilledCommitTest, HalfWrittenFileIsRolledBack) {
    RunTask([&](FileCall call, std::string_view path) {
        return call == FileCall::SetLength && path == path_;
    });
    ASSERT_TRUE(Exists(journal_));
    std::string cut = Read();
    ASSERT_NE(cut, before_);
    ASSERT_NE(cut, after_);
    EXPECT_EQ(OpenAgain(), before_);
    EXPECT_EQ(Read(), before_);
}

TEST_F(KilledCommitTest, FinishedCommitIsKept) {
    RunTask([&](FileCall call, std::string_view) { return call == FileCall::Remove; });
    ASSERT_TRUE(Exists(journal_));
    EXPECT_EQ(OpenAgain(), after_);
    EXPECT_EQ(Read(), after_);
}

TEST_F(KilledCommitTest, IncompleteJournalIsIgnored) {
    int journalWrites = 0;
    RunTask([&](FileCall call, std::string_view path) {
        return call == FileCall::Write && path == journal_ && ++journalWrites == 2;
    });
    ASSERT_TRUE(Exists(journal_));
    EXPECT_EQ(OpenAgain(), before_);
    EXPECT_EQ(Read(), before_);
}

TEST_F(CommitTest, SecondOpenerInAnotherProcessFailsWhileHeld) {
    Write(kSection2);
    auto openInChild = [&] {
        pid_t child = fork();
        if (child == 0) {
            RegFile other;
            _exit(other.Open(path_, kModel));
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    {
        RegFile editor;
        OpenEditor(editor);
        EXPECT_EQ(openInChild(), EWOULDBLOCK);
        RegFile sameProcess;
        EXPECT_EQ(sameProcess.Open(path_, kModel), EWOULDBLOCK);
        EXPECT_EQ(sameProcess.FileError().Code, EWOULDBLOCK);
        editor.Close();
    }
    EXPECT_EQ(openInChild(), 0);
}

} // namespace
} // namespace regfile::test
