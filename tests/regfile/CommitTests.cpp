// How a task's edits reach the file: only the changed bytes, all or nothing, also when a
// call fails or the process is killed halfway; and the file held exclusively meanwhile.
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Fixture.h"
#include "platform/File.h"
#include "platform/FileSeam.h"
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

// A task that keeps the length: values of templates 2 and 3 changed in place, far apart
// (the tail's filler lies between them).
void ChangeValuesInPlace(RegFile& editor) {
    std::uint32_t five = 5;
    ASSERT_EQ(editor.WriteValue(kKey, 2, "SwitchID", REG_DWORD, &five, 4), 0);
    const unsigned char edges[8] = {4, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(editor.WriteValue(kKey, 2, "TriggerMode", REG_BINARY, edges, 8), 0);
    std::uint32_t seven = 7;
    ASSERT_EQ(editor.WriteValue(kKey, 3, "SwitchID", REG_DWORD, &seven, 4), 0);
}

// The two forms a commit takes, each with the file that its task edits.
struct Task {
    const char* Name;
    void (*Edit)(RegFile&);
    // The call on the driver file after which it is wholly written but not yet complete:
    // the length still to set (moving the tail), or the sync (keeping the length).
    platform::FileCall Completing;
};
const Task kTasks[] = {
    {"moving the tail", RewriteTemplate2, FileCall::SetLength},
    {"keeping the length", ChangeValuesInPlace, FileCall::Sync},
};

std::string TaskFile() {
    return kSection2 + LongTail() + "\"SwitchID\"=dword:3\r\n";
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
    // One byte in place plus the journal's fixed part, that byte's old value and its new
    // value as a run.
    EXPECT_LT(platform::Counters().BytesWritten, 160u);
    EXPECT_GT(tail.size(), 10000u);
}

TEST_F(CommitTest, ReloadAndDestructionDropEdits) {
    Write(kSection2);
    {
        RegFile editor;
        OpenEditor(editor);
        editor.DeleteSection(2, kKey);
        editor.Reload();
        EXPECT_EQ(Held(editor), kSection2);
        EXPECT_EQ(editor.LastIndex(), -1);
        editor.DeleteSection(2, kKey);
    }
    EXPECT_EQ(Read(), kSection2);
}

TEST_F(CommitTest, AFailingCallLeavesTheFileAsBeforeOrAsAfter) {
    for (const Task& task : kTasks) {
        SCOPED_TRACE(task.Name);
        const std::string before = TaskFile();
        std::string after;
        int closeCalls = 0;
        {
            Write(before);
            RegFile editor;
            OpenEditor(editor);
            task.Edit(editor);
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
                task.Edit(editor);
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
        journal_ = JournalPath(path_);
        Prepare(kTasks[0]);
    }
    // Writes the task's file and finds what the task makes of it.
    void Prepare(const Task& task) {
        task_ = &task;
        before_ = TaskFile();
        if (NeedsRegHeader(before_))
            before_.insert(0, kRegHeader);
        Write(before_);
        RegFile editor;
        OpenEditor(editor);
        task.Edit(editor);
        after_ = Held(editor);
    }
    void RunTask(const std::function<bool(FileCall, std::string_view)>& killAt) {
        RunKilled(
            [&] {
                RegFile editor;
                if (editor.Open(path_, kModel) == 0) {
                    task_->Edit(editor);
                    editor.Close();
                }
            },
            killAt);
    }
    // Kills the task once the driver file is written in full but the commit is not done:
    // the file holds the new bytes (but for the length, when moving the tail) and the
    // journal is on disk.
    void RunTaskUntilCompleting() {
        RunTask([&](FileCall call, std::string_view path) {
            return call == task_->Completing && path == path_;
        });
        ASSERT_TRUE(Exists(journal_));
    }
    // What the next task sees and leaves behind.
    std::string OpenAgain() {
        RegFile editor;
        EXPECT_EQ(editor.Open(path_, kModel), 0);
        std::string seen = Held(editor);
        editor.Close();
        EXPECT_FALSE(Exists(journal_));
        return seen;
    }

    const Task* task_ = nullptr;
    std::string before_;
    std::string after_;
    std::string journal_;
};

TEST_F(KilledCommitTest, HalfWrittenFileIsRolledBack) {
    RunTaskUntilCompleting();
    std::string cut = Read();
    ASSERT_NE(cut, before_);
    ASSERT_NE(cut, after_);
    EXPECT_EQ(OpenAgain(), before_);
    EXPECT_EQ(Read(), before_);
}

TEST_F(KilledCommitTest, FinishedCommitIsKept) {
    for (const Task& task : kTasks) {
        SCOPED_TRACE(task.Name);
        Prepare(task);
        RunTask([&](FileCall call, std::string_view) { return call == FileCall::Remove; });
        ASSERT_TRUE(Exists(journal_));
        EXPECT_EQ(OpenAgain(), after_);
        EXPECT_EQ(Read(), after_);
    }
}

// Killed at each file call of the task in turn, from its open to its last: the next
// opener always finds the file as before the task or as after it, and no journal.
TEST_F(KilledCommitTest, KilledAtAnyCallTheNextOpenerFindsBeforeOrAfter) {
    for (const Task& task : kTasks) {
        SCOPED_TRACE(task.Name);
        Prepare(task);
        int calls = 0;
        {
            Hook count([&](FileCall, std::string_view) { return ++calls, 0; });
            RegFile editor;
            OpenEditor(editor);
            task.Edit(editor);
            editor.Close();
        }
        ASSERT_EQ(Read(), after_);
        int rolledBack = 0;
        for (int n = 1; n <= calls; ++n) {
            Write(before_);
            int seen = 0;
            RunTask([&](FileCall, std::string_view) { return ++seen == n; });
            const std::string cut = Read();
            rolledBack += cut != before_ && cut != after_ ? 1 : 0;
            const std::string seenNext = OpenAgain();
            EXPECT_TRUE(seenNext == before_ || seenNext == after_) << "call " << n;
            EXPECT_EQ(Read(), seenNext) << "call " << n;
        }
        // Moving the tail, a kill at the length leaves a cut file to roll back.
        EXPECT_EQ(rolledBack, task.Completing == FileCall::SetLength ? 1 : 0);
    }
}

// The journal goes out in several writes straight from the contents in memory (its
// header, the old bytes, the new ones, the tail that moved, its checksum): a kill at any
// call of the commit still leaves the file before or after it for the next opener. Both
// forms, through CommitChange.
TEST_F(KilledCommitTest, JournalOfSeveralWritesKilledAtAnyCall) {
    std::string sameLength = before_;
    for (std::size_t i = 100; i < 3100; ++i) {
        sameLength[i] = static_cast<char>(sameLength[i] ^ 1);
    }
    sameLength[5000] = static_cast<char>(sameLength[5000] ^ 1);
    sameLength[9000] = static_cast<char>(sameLength[9000] ^ 1);
    std::string resized = sameLength;
    resized.insert(200, 1500, 'i');
    for (const std::string& updated : {sameLength, resized}) {
        SCOPED_TRACE(updated.size() == before_.size() ? "keeping the length" : "moving the tail");
        auto commit = [&] {
            platform::File file;
            platform::FileErrorInfo info;
            if (file.Open(path_, info) == 0) {
                CommitChange(file, before_, updated);
                file.Close();
            }
        };
        Write(before_);
        int calls = 0;
        int journalWrites = 0;
        {
            Hook count([&](FileCall call, std::string_view path) {
                journalWrites += call == FileCall::Write && path == journal_ ? 1 : 0;
                return ++calls, 0;
            });
            commit();
        }
        ASSERT_EQ(Read(), updated);
        EXPECT_GE(journalWrites, 3);
        after_ = updated;
        for (int n = 1; n <= calls; ++n) {
            Write(before_);
            int seen = 0;
            RunKilled(commit, [&](FileCall, std::string_view) { return ++seen == n; });
            const std::string seenNext = OpenAgain();
            EXPECT_TRUE(seenNext == before_ || seenNext == after_) << "call " << n;
        }
    }
}

// A journal cut short (killed between its creation and its first write, a machine stopped
// while it was written) was never relied on: the file is untouched and the journal goes.
TEST_F(KilledCommitTest, JournalCutShortIsRemoved) {
    for (const Task& task : kTasks) {
        SCOPED_TRACE(task.Name);
        Prepare(task);
        RunTask([&](FileCall call, std::string_view path) {
            return call == FileCall::Sync && path == journal_;
        });
        ASSERT_TRUE(Exists(journal_));
        const std::string whole = ReadBytes(journal_);
        for (std::size_t keep :
             {whole.size() - 1, whole.size() / 2, std::size_t{20}, std::size_t{0}}) {
            WriteBytes(journal_, whole.substr(0, keep));
            EXPECT_EQ(OpenAgain(), before_) << keep;
        }
    }
}

// Keeping the length, the journal holds the stretch from the first changed byte to the
// last, old and new, and nothing of the file around it: its size follows the stretch.
TEST_F(KilledCommitTest, SameLengthJournalHoldsOnlyTheChangedStretch) {
    Prepare(kTasks[1]);
    ASSERT_EQ(after_.size(), before_.size());
    std::size_t first = 0;
    while (before_[first] == after_[first]) {
        ++first;
    }
    std::size_t last = before_.size();
    while (before_[last - 1] == after_[last - 1]) {
        --last;
    }
    ASSERT_GT(last - first, 10000u);
    RunTaskUntilCompleting();
    const std::string journal = ReadBytes(journal_);
    // A header of 64 bytes and a checksum of 8 around the two copies of the stretch.
    EXPECT_EQ(journal.size(), 64 + 2 * (last - first) + 8);
    EXPECT_NE(journal.find(before_.substr(first, last - first)), std::string::npos);
    EXPECT_NE(journal.find(after_.substr(first, last - first)), std::string::npos);
    EXPECT_EQ(OpenAgain(), after_);
}

// Each byte of the region old or new, in any mix (pages reaching the disk in any order, a
// roll-back cut short): rolled back.
TEST_F(KilledCommitTest, RegionMixingOldAndNewBytesIsRolledBack) {
    for (const Task& task : kTasks) {
        SCOPED_TRACE(task.Name);
        Prepare(task);
        RunTaskUntilCompleting();
        std::string mixed = Read();
        ASSERT_EQ(mixed.size(), before_.size());
        int fromOld = 0;
        for (std::size_t i = 0; i < mixed.size(); ++i) {
            if (mixed[i] != before_[i] && ++fromOld % 2 == 0) {
                mixed[i] = before_[i];
            }
        }
        ASSERT_GE(fromOld, 3);
        ASSERT_NE(mixed, before_);
        ASSERT_NE(mixed, after_);
        Write(mixed);
        EXPECT_EQ(OpenAgain(), before_);
    }
}

// The file edited by hand after the kill, outside the region (or between the changed
// bytes), inside it, in its length, or wholly: left exactly as it is, the journal renamed
// to a free name and the user told.
TEST_F(KilledCommitTest, EditedFileIsLeftAsItIsAndTheJournalSetAside) {
    struct Edit {
        const char* Name;
        std::function<std::string(std::string)> Apply;
    };
    const std::vector<Edit> edits = {
        {"head", [](std::string f) { return f.replace(f.find("Template2]"), 10, "Templat0]M"); }},
        {"region", [](std::string f) { return f.replace(f.size() - 200, 1, "#"); }},
        {"a changed byte made a third one",
         [&](std::string f) {
             std::size_t at = 0;
             while (before_[at] == after_[at]) {
                 ++at;
             }
             f[at] = '#';
             return f;
         }},
        {"longer", [](std::string f) { return f + "; a note\r\n"; }},
        {"cut to the old length", [&](std::string f) { return f.substr(0, before_.size() - 40); }},
        {"replaced", [](std::string) { return std::string("REGEDIT4\r\n"); }},
    };
    int setAside = 0;
    for (const Task& task : kTasks) {
        for (const Edit& edit : edits) {
            SCOPED_TRACE(std::string(task.Name) + ", " + edit.Name);
            Prepare(task);
            RunTaskUntilCompleting();
            const std::string journalBytes = ReadBytes(journal_);
            const std::string edited = edit.Apply(Read());
            Write(edited);
            RegFile editor;
            OpenEditor(editor);
            EXPECT_EQ(Held(editor), edited);
            editor.Close();
            EXPECT_EQ(Read(), edited);
            EXPECT_FALSE(Exists(journal_));
            const std::string aside = journal_ + ".stale-" + std::to_string(++setAside);
            EXPECT_EQ(ReadBytes(aside), journalBytes);
            EXPECT_NE(editor.Notice().find("PCI3916.reg.undo.stale-" + std::to_string(setAside)),
                      std::string::npos)
                << editor.Notice();
        }
    }
    // Earlier ones are kept, and nothing is told when nothing is found.
    EXPECT_TRUE(Exists(journal_ + ".stale-1"));
    RegFile editor;
    OpenEditor(editor);
    EXPECT_TRUE(editor.Notice().empty());
}

// Things at the journal's name that are not a journal: opening works and leaves them
// alone; a commit is refused naming the file in the way, and the driver file is unchanged.
TEST_F(CommitTest, ForeignEntryAtTheJournalNameIsNeverTouched) {
    const std::string journal = JournalPath(path_);
    const std::string outside = folder_.PathOf("outside.txt");
    struct Foreign {
        const char* Name;
        std::function<void()> Make;
    };
    const std::vector<Foreign> foreign = {
        {"text file", [&] { WriteBytes(journal, "my notes\n"); }},
        {"big file",
         [&] {
             WriteBytes(journal, "REGUNDO1 but not ours");
             std::filesystem::resize_file(journal, 600u * 1024u * 1024u);
         }},
        {"longer than a header", [&] { WriteBytes(journal, std::string(200, 'x')); }},
        {"directory", [&] { std::filesystem::create_directory(journal); }},
        {"fifo", [&] { ASSERT_EQ(mkfifo(journal.c_str(), 0666), 0); }},
        {"symbolic link",
         [&] {
             WriteBytes(outside, "outside");
             std::filesystem::create_symlink(outside, journal);
         }},
        {"dangling symbolic link", [&] { std::filesystem::create_symlink(outside, journal); }},
    };
    for (const Foreign& entry : foreign) {
        SCOPED_TRACE(entry.Name);
        std::filesystem::remove(outside);
        std::filesystem::remove(journal);
        Write(kSection2);
        entry.Make();
        const auto status = std::filesystem::symlink_status(journal);
        const bool regular = std::filesystem::is_regular_file(status);
        const std::uintmax_t size = regular ? std::filesystem::file_size(journal) : 0;
        const std::string content = regular && size < 4096 ? ReadBytes(journal) : "";
        const bool outsideExisted = Exists(outside);
        {
            RegFile editor;
            OpenEditor(editor);
            EXPECT_EQ(Held(editor), kSection2);
            EXPECT_TRUE(editor.Notice().empty());
            editor.DeleteSection(2, kKey);
            try {
                editor.Close();
                ADD_FAILURE() << "the commit went through";
            } catch (const platform::FileError& error) {
                EXPECT_EQ(error.Code(), EEXIST);
                EXPECT_NE(error.Info().Text.find("\"PCI3916.reg.undo\" in the same folder is "
                                                 "in the way"),
                          std::string::npos)
                    << error.what();
            }
        }
        EXPECT_EQ(Read(), kSection2);
        EXPECT_EQ(std::filesystem::symlink_status(journal).type(), status.type());
        if (regular) {
            EXPECT_EQ(std::filesystem::file_size(journal), size);
            EXPECT_EQ(size < 4096 ? ReadBytes(journal) : "", content);
        }
        EXPECT_EQ(Exists(outside), outsideExisted);
    }
    std::filesystem::remove(journal);
    RegFile editor;
    OpenEditor(editor);
    editor.DeleteSection(2, kKey);
    editor.Close();
    EXPECT_EQ(Read(), " \r\n");
}

// A folder that takes no new file: the change goes in without a journal, and a failing
// call on the way still leaves the file as before or as after, never cut.
TEST_F(CommitTest, FolderRefusingTheJournalStillCommitsAllOrNothing) {
    const std::string before = kSection2 + LongTail();
    const std::string journal = JournalPath(path_);
    auto refuse = [&](FileCall call, std::string_view path) {
        return call == FileCall::Create && path == journal ? EACCES : 0;
    };
    std::string after;
    int calls = 0;
    {
        Write(before);
        RegFile editor;
        OpenEditor(editor);
        RewriteTemplate2(editor);
        Hook count([&](FileCall call, std::string_view path) {
            ++calls;
            return refuse(call, path);
        });
        editor.Close();
        after = Read();
        EXPECT_FALSE(Exists(journal));
    }
    ASSERT_NE(after, before);
    int faulted = 0;
    for (int code : {ENOSPC, EIO}) {
        for (int n = 1; n <= calls; ++n) {
            Write(before);
            RegFile editor;
            OpenEditor(editor);
            RewriteTemplate2(editor);
            int seen = 0;
            Hook fail([&](FileCall call, std::string_view path) {
                if (int refused = refuse(call, path); refused != 0 || ++seen != n) {
                    return refused;
                }
                return code;
            });
            try {
                editor.Close();
            } catch (const platform::FileError&) {
                ++faulted;
            }
            const std::string now = Read();
            EXPECT_TRUE(now == before || now == after) << "call " << n;
            EXPECT_FALSE(Exists(journal));
        }
    }
    EXPECT_GT(faulted, 4);
    std::cout << "faulted commits without a journal: " << faulted << std::endl;
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
