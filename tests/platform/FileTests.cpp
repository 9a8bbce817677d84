// The platform file layer: exclusive open, the calls on an open file, the file error and
// the fault hook. Built for both layers: the tests of what only one system has (a second
// process, pipes, links and modes on Linux; sharing, the read-only attribute and long
// paths on Windows) are each built for their own.
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "platform/File.h"
#include "platform/FileSeam.h"
#include "platform/FileReason.h"

namespace platform {
namespace {

// A new folder of its own in the temporary folder.
std::string MakeTempFolder() {
#ifdef _WIN32
    static int made = 0;
    for (;;) {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() /
            ("file-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++made));
        if (std::filesystem::create_directory(folder))
            return folder.string();
    }
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "file-XXXXXX").string();
    return mkdtemp(pattern.data()) ? pattern : std::string();
#endif
}

class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeTempFolder();
        ASSERT_FALSE(folder_.empty());
        path_ = folder_ + "/data.reg";
        Put("0123456789");
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    void Put(const std::string& bytes) const {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string Get() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
#ifndef _WIN32
    // Exit status of a child process that tries to open the file.
    int OpenInChild() const {
        pid_t child = fork();
        if (child == 0) {
            File file;
            FileErrorInfo info;
            _exit(file.Open(path_, info));
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
#endif

    std::string folder_;
    std::string path_;
};

// Fails the n-th call it sees with `code`, recording every call.
class FailNth : public FaultHook {
public:
    FailNth(int n, int code) : n_(n), code_(code) { previous_ = SetFaultHook(this); }
    ~FailNth() override { SetFaultHook(previous_); }
    int BeforeCall(FileCall call, std::string_view) override {
        Calls.push_back(call);
        return static_cast<int>(Calls.size()) == n_ ? code_ : 0;
    }
    std::vector<FileCall> Calls;

private:
    int n_;
    int code_;
    FaultHook* previous_ = nullptr;
};

#ifndef _WIN32
// --- Linux: the system's codes and texts, a second process, pipes, links and modes --------

TEST_F(FileTest, OpenNeverCreatesAndRefusesFolders) {
    File file;
    FileErrorInfo info;
    const std::string missing = folder_ + "/missing.reg";
    EXPECT_EQ(file.Open(missing, info), ENOENT);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(info.Cause, "open");
    EXPECT_EQ(info.Code, ENOENT);
    EXPECT_EQ(info.FileName, missing);
    EXPECT_EQ(info.Text, "No such file or directory");

    EXPECT_EQ(file.Open(folder_, info), EISDIR);
    EXPECT_FALSE(file.IsOpen());
}
#endif

TEST_F(FileTest, BackslashSeparatesFolders) {
    File file;
    FileErrorInfo info;
    const std::string given = folder_ + "\\data.reg";
    ASSERT_EQ(file.Open(given, info), 0);
    EXPECT_EQ(file.Path(), given);
    EXPECT_EQ(file.Length(), 10u);
}

#ifndef _WIN32
TEST_F(FileTest, HeldExclusivelyUntilClose) {
    File first;
    FileErrorInfo info;
    ASSERT_EQ(first.Open(path_, info), 0);
    File second;
    EXPECT_EQ(second.Open(path_, info), EWOULDBLOCK);
    EXPECT_EQ(info.Code, EWOULDBLOCK);
    EXPECT_EQ(OpenInChild(), EWOULDBLOCK);
    first.Close();
    EXPECT_FALSE(first.IsOpen());
    EXPECT_EQ(OpenInChild(), 0);
}
#endif

TEST_F(FileTest, ReadWriteSeekAndLength) {
    File file;
    FileErrorInfo info;
    ASSERT_EQ(file.Open(path_, info), 0);
    file.Seek(-3, SeekOrigin::End);
    std::string tail(5, '.');
    EXPECT_EQ(file.Read(tail), 3u);
    EXPECT_EQ(tail, "789..");
    file.Seek(2, SeekOrigin::Begin);
    file.Write(std::string_view("ab"));
    file.Seek(0, SeekOrigin::End);
    file.Write(std::string_view("XY"));
    EXPECT_EQ(file.Length(), 12u);
    file.SetLength(6);
    file.Sync();
    file.Close();
    EXPECT_EQ(Get(), "01ab45");
}

// Cutting keeps the position; reading from the start sees the cut content.
TEST_F(FileTest, CutKeepsThePosition) {
    File file;
    FileErrorInfo info;
    ASSERT_EQ(file.Create(folder_ + "/new.reg", info), 0);
    file.Write(std::string_view("0123456789"));
    EXPECT_EQ(file.Length(), 10u);
    file.Seek(8, SeekOrigin::Begin);
    file.SetLength(4);
    EXPECT_EQ(file.Length(), 4u);
    file.Seek(0, SeekOrigin::End);
    file.Write(std::string_view("ab"));
    file.Seek(0, SeekOrigin::Begin);
    std::string bytes(16, '.');
    EXPECT_EQ(file.Read(bytes), 6u);
    EXPECT_EQ(bytes.substr(0, 6), "0123ab");
}

#ifndef _WIN32
TEST_F(FileTest, CreateMakesOnlyNewFilesAndRemoveIgnoresMissingFiles) {
    File file;
    FileErrorInfo info;
    const std::string fresh = folder_ + "/fresh";
    ASSERT_EQ(file.Create(fresh, info), 0);
    EXPECT_EQ(file.Length(), 0u);
    file.Close();
    // Anything at the name refuses it, untouched: a file, a link (dangling or not, never
    // followed), a folder.
    const std::string dangling = folder_ + "/dangling";
    std::filesystem::create_symlink(folder_ + "/target", dangling);
    const std::string linked = folder_ + "/linked";
    std::filesystem::create_symlink(path_, linked);
    std::filesystem::create_directory(folder_ + "/dir");
    for (const std::string& taken : {path_, dangling, linked, folder_ + "/dir"}) {
        File other;
        EXPECT_EQ(other.Create(taken, info), EEXIST) << taken;
    }
    EXPECT_EQ(Get(), "0123456789");
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/target"));
    RemoveFile(fresh);
    EXPECT_FALSE(FileExists(fresh));
    EXPECT_NO_THROW(RemoveFile(fresh));
}

TEST_F(FileTest, OpenToReadTakesOnlyRegularFilesAndNeverWaits) {
    File file;
    FileErrorInfo info;
    ASSERT_EQ(file.OpenToRead(path_, info), 0);
    char bytes[4];
    EXPECT_EQ(file.Read(bytes), 4u);
    file.Close();
    const std::string fifo = folder_ + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    const std::string link = folder_ + "/link";
    std::filesystem::create_symlink(path_, link);
    EXPECT_EQ(file.OpenToRead(fifo, info), EINVAL);
    EXPECT_EQ(file.OpenToRead(link, info), ELOOP);
    EXPECT_EQ(file.OpenToRead(folder_, info), EISDIR);
    EXPECT_EQ(QueryEntry(path_), EntryKind::RegularFile);
    EXPECT_EQ(QueryEntry(fifo), EntryKind::Other);
    EXPECT_EQ(QueryEntry(link), EntryKind::Other);
    EXPECT_EQ(QueryEntry(folder_ + "/none"), EntryKind::None);

    // A rename never replaces what is at the new name.
    EXPECT_EQ(RenameNoReplace(link, fifo), EEXIST);
    EXPECT_EQ(QueryEntry(fifo), EntryKind::Other);
    EXPECT_EQ(RenameNoReplace(path_, folder_ + "/moved"), 0);
    EXPECT_EQ(QueryEntry(folder_ + "/moved"), EntryKind::RegularFile);
    EXPECT_EQ(QueryEntry(path_), EntryKind::None);
}

// A read-only file, as a user sees it: for root no file is read-only, so the checks then
// run in a child process under an unprivileged user id. Returns the child's exit status.
int AsUnprivilegedUser(int (*check)(const std::string&), const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(100);
        _exit(check(path));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Each failed step exits with its own number.
int ReadOnlyFileSteps(const std::string& path) {
    File file;
    FileErrorInfo info;
    if (file.Open(path, info) != EACCES)
        return 1;
    if (FileReasonText(info) != "the file is read-only" || !IsReadOnlyFile(path))
        return 2;
    if (file.Open(path, info, FileAccess::Read) != 0)
        return 3;
    std::string bytes(16, '.');
    if (file.Read(bytes) != 10 || bytes.substr(0, 10) != "0123456789")
        return 4;
    try {
        file.Write(std::string_view("x"));
        return 5;
    } catch (const FileError&) {
    }
    // Held exclusively like a file opened to be written.
    File second;
    if (second.Open(path, info, FileAccess::Read) != EWOULDBLOCK)
        return 6;
    return 0;
}

TEST_F(FileTest, ReadAccessOpensAReadOnlyFileAndRefusesWrites) {
    ASSERT_EQ(chmod(folder_.c_str(), 0755), 0);
    EXPECT_FALSE(IsReadOnlyFile(path_));
    ASSERT_EQ(chmod(path_.c_str(), 0444), 0);
    EXPECT_EQ(AsUnprivilegedUser(ReadOnlyFileSteps, path_), 0);
    EXPECT_EQ(Get(), "0123456789");
    // Neither a missing file nor a folder is a read-only file.
    EXPECT_FALSE(IsReadOnlyFile(folder_ + "/missing.reg"));
    EXPECT_FALSE(IsReadOnlyFile(folder_ + "/missing/data.reg"));
}

TEST_F(FileTest, ReadAccessRefusesWhatIsNoRegularFileWithoutWaiting) {
    const std::string fifo = folder_ + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    // A pipe waited on would never open: the alarm ends the test instead.
    alarm(20);
    File file;
    FileErrorInfo info;
    EXPECT_EQ(file.Open(fifo, info, FileAccess::Read), EINVAL);
    EXPECT_EQ(file.Open(folder_, info, FileAccess::Read), EISDIR);
    alarm(0);
    EXPECT_FALSE(file.IsOpen());
}
#endif

// The editor's own refusal of a long file names its limit; the system's refusal of a write
// cannot know it.
TEST(FileReason, TooLargeNamesTheLimitOfTheEditor) {
    EXPECT_EQ(FileReasonText(MakeFileErrorInfo("open", kFileTooLargeCode, "/x.reg")),
              "the file is too large: it is longer than 268435456 bytes (256 MiB), the most "
              "this editor reads");
    EXPECT_EQ(FileReasonText(MakeFileErrorInfo("write", kFileTooLargeCode, "/x.reg")),
              "the file is too large");
}

#ifdef _WIN32
constexpr int kDiskFull = ERROR_DISK_FULL;
#else
constexpr int kDiskFull = ENOSPC;
#endif

TEST_F(FileTest, HookFailsTheChosenCallOnly) {
    File file;
    FileErrorInfo info;
    ASSERT_EQ(file.Open(path_, info), 0);
    FailNth hook(3, kDiskFull);
    file.Seek(0, SeekOrigin::Begin);
    file.Write(std::string_view("ab"));
    try {
        file.Write(std::string_view("cd"));
        FAIL() << "the third call did not fail";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Code(), kDiskFull);
        EXPECT_EQ(error.Info().Cause, "write");
        EXPECT_EQ(error.Info().FileName, path_);
#ifdef _WIN32
        // The system's own text for the code (FormatMessage), in Wine's words.
        EXPECT_FALSE(error.Info().Text.empty());
        EXPECT_EQ(std::string(error.what()),
                  "Cannot write \"" + path_ + "\": " + error.Info().Text);
#else
        EXPECT_EQ(std::string(error.what()),
                  "Cannot write \"" + path_ + "\": No space left on device");
#endif
    }
    file.Write(std::string_view("ef"));
    file.Close();
    EXPECT_EQ(Get(), "abef456789");
    EXPECT_EQ(hook.Calls, (std::vector<FileCall>{FileCall::Seek, FileCall::Write, FileCall::Write,
                                                 FileCall::Write, FileCall::Close}));
}

#ifndef _WIN32
TEST_F(FileTest, HookFailsOpenAndCloseToo) {
    File file;
    FileErrorInfo info;
    {
        FailNth hook(1, EACCES);
        EXPECT_EQ(file.Open(path_, info), EACCES);
        EXPECT_EQ(info.Text, "Permission denied");
        EXPECT_FALSE(file.IsOpen());
    }
    ASSERT_EQ(file.Open(path_, info), 0);
    {
        FailNth hook(1, EIO);
        EXPECT_THROW(file.Close(), FileError);
    }
    // A failed close still releases the file.
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(OpenInChild(), 0);
}
#endif

#ifdef _WIN32
// --- Windows: the system's codes and texts, sharing, the read-only attribute, long paths --

TEST_F(FileTest, OpenNeverCreatesAndNamesTheSystemsError) {
    File file;
    FileErrorInfo info;
    const std::string missing = folder_ + "\\missing.reg";
    EXPECT_EQ(file.Open(missing, info), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(info.Code, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(info.Cause, "open");
    EXPECT_FALSE(info.Text.empty()) << "the system's text";
    EXPECT_EQ(info.FileName, missing);
    EXPECT_FALSE(FileExists(missing));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_NE(file.Open(folder_, info), 0) << "a folder";
    EXPECT_FALSE(file.IsOpen());
}

// Held without sharing: a second open of the file fails until the first one closes.
TEST_F(FileTest, HeldWithoutSharingUntilClose) {
    File first;
    FileErrorInfo info;
    ASSERT_EQ(first.Open(path_, info), 0);
    File second;
    EXPECT_EQ(second.Open(path_, info), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(second.OpenToRead(path_, info), ERROR_SHARING_VIOLATION);
    first.Close();
    EXPECT_FALSE(first.IsOpen());
    EXPECT_EQ(second.Open(path_, info), 0);
}

// A new file only: anything at the name refuses the creation and stays as it was; a rename
// never replaces what is at the new name.
TEST_F(FileTest, CreateMakesOnlyNewFilesAndRenameNeverReplaces) {
    File file;
    FileErrorInfo info;
    EXPECT_EQ(file.Create(path_, info), kFileExistsCode);
    EXPECT_EQ(QueryEntry(path_), EntryKind::RegularFile);
    EXPECT_EQ(Get(), "0123456789");
    const std::string folder = folder_ + "\\folder";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_EQ(QueryEntry(folder), EntryKind::Other);
    EXPECT_EQ(QueryEntry(folder_ + "\\none"), EntryKind::None);
    EXPECT_NE(file.Create(folder, info), 0);
    EXPECT_NE(file.OpenToRead(folder, info), 0);
    ASSERT_EQ(file.OpenToRead(path_, info), 0);
    char head[4] = {};
    EXPECT_EQ(file.Read(head), 4u);
    EXPECT_EQ(std::string(head, 4), "0123");
    file.Close();

    const std::string moved = folder_ + "\\moved.reg";
    EXPECT_EQ(RenameNoReplace(path_, folder), kFileExistsCode);
    EXPECT_EQ(RenameNoReplace(path_, moved), 0);
    EXPECT_EQ(QueryEntry(path_), EntryKind::None);
    EXPECT_EQ(QueryEntry(moved), EntryKind::RegularFile);
    RemoveFile(moved);
    EXPECT_FALSE(FileExists(moved));
    EXPECT_NO_THROW(RemoveFile(moved));
}

// A file with the read-only attribute: opened for reading (and held without sharing), it
// refuses writes, and a refused open of it for writing names the cause.
TEST_F(FileTest, ReadAccessOpensAReadOnlyFileAndRefusesWrites) {
    EXPECT_FALSE(IsReadOnlyFile(path_));
    const FileErrorInfo refusal = MakeFileErrorInfo("open", ERROR_ACCESS_DENIED, path_);
    EXPECT_EQ(FileReasonText(refusal), "access is denied");

    ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(IsReadOnlyFile(path_));
    EXPECT_EQ(FileReasonText(refusal), "the file is read-only");
    File file;
    FileErrorInfo info;
    ASSERT_EQ(file.Open(path_, info, FileAccess::Read), 0);
    std::string bytes(16, '.');
    EXPECT_EQ(file.Read(bytes), 10u);
    EXPECT_EQ(bytes.substr(0, 10), "0123456789");
    EXPECT_THROW(file.Write(std::string_view("x")), FileError);
    File second;
    EXPECT_EQ(second.Open(path_, info, FileAccess::Read), ERROR_SHARING_VIOLATION);
    file.Close();
    // Neither a missing file nor a folder is a read-only file.
    EXPECT_FALSE(IsReadOnlyFile(folder_ + "\\none.reg"));
    EXPECT_FALSE(IsReadOnlyFile(folder_));
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Get(), "0123456789");
}

// Paths longer than the 259 characters of the plain system calls: every call of the file
// layer takes them, in any of the forms a caller may give ("/", "..").
TEST_F(FileTest, LongPaths) {
    std::string folder = folder_;
    std::vector<std::string> folders;
    while (folder.size() < 300) {
        folder += "\\" + std::string(60, 'f');
        folders.push_back(folder);
        const std::wstring wide(folder.begin(), folder.end());
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + wide).c_str(), nullptr)) << folder;
    }
    const std::string path = folder + "\\PCI3916.reg";
    File file;
    FileErrorInfo info;
    ASSERT_EQ(file.Create(path, info), 0);
    file.Write(std::string_view("0123456789"));
    file.Sync();
    file.Close();
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(QueryEntry(path), EntryKind::RegularFile);
    EXPECT_EQ(QueryEntry(folder), EntryKind::Other);

    // The same file through "/" separators and a "..".
    const std::string other = folder + "\\..\\" + std::string(60, 'f') + "/PCI3916.reg";
    ASSERT_EQ(file.Open(other, info), 0);
    EXPECT_EQ(file.Path(), other);
    EXPECT_EQ(file.Length(), 10u);
    file.Close();
    ASSERT_EQ(file.OpenToRead(path, info), 0);
    file.Close();

    const std::string moved = path + ".undo";
    EXPECT_EQ(RenameNoReplace(path, moved), 0);
    EXPECT_EQ(QueryEntry(path), EntryKind::None);
    RemoveFile(moved);
    EXPECT_FALSE(FileExists(moved));
    // A missing file in a long path is told as such, with the path as given.
    EXPECT_EQ(file.Open(path, info), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(info.FileName, path);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        const std::wstring wide(it->begin(), it->end());
        EXPECT_TRUE(RemoveDirectoryW((L"\\\\?\\" + wide).c_str())) << *it;
    }
}
#endif

} // namespace
} // namespace platform
