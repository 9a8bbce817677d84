// File access over POSIX. The file is held exclusively with a non-blocking flock taken
// right after opening: flock locks belong to the open file description, so a second
// opener fails with EWOULDBLOCK in this process as in any other.
#include "platform/File.h"
#include "platform/FileCalls.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string NativePath(std::string_view path) {
    std::string native(path);
    for (char& c : native) {
        if (c == '\\') {
            c = '/';
        }
    }
    return native;
}

[[noreturn]] void Raise(FileCall call, int code, std::string_view path) {
    throw FileError(MakeFileErrorInfo(FileCallName(call), code, path));
}

// Runs the hook for a call on an open file; raises the injected or the "not open" error.
void Enter(FileCall call, std::intptr_t handle, const std::string& path) {
    if (int code = detail::BeforeFileCall(call, path)) {
        Raise(call, code, path);
    }
    if (handle < 0) {
        Raise(call, EBADF, path);
    }
}

// Takes the exclusive lock and checks that the descriptor names a regular file.
int Claim(int fd) {
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) {
            return errno;
        }
    }
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        return errno;
    }
    if (S_ISDIR(info.st_mode)) {
        return EISDIR;
    }
    return S_ISREG(info.st_mode) ? 0 : EINVAL;
}

void SyncDirectoryOf(const std::string& nativePath) {
    std::string::size_type slash = nativePath.rfind('/');
    std::string directory = slash == std::string::npos ? "." : nativePath.substr(0, slash + 1);
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    // Not every file system syncs directories; the file's own data is synced already.
    (void)fsync(fd);
    ::close(fd);
}

} // namespace

const int kFileTooLargeCode = EFBIG;
const int kFileEncodingCode = EILSEQ;
const int kInvalidArgumentCode = EINVAL;
const int kFileExistsCode = EEXIST;
// "State not recoverable": never a result of a file call, so it names this case alone.
const int kUnfinishedChangeCode = ENOTRECOVERABLE;

bool RefusesNewFiles(int code) {
    return code == EACCES || code == EPERM || code == EROFS;
}

FileErrorInfo MakeFileErrorInfo(std::string_view cause, int code, std::string_view fileName) {
    FileErrorInfo info;
    info.Cause = cause;
    info.Code = code;
    info.FileName = fileName;
    info.Text = std::strerror(code);
    return info;
}

File::~File() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
    }
}

namespace {

// A regular file only: a pipe, a device or a folder at the name is refused.
int RequireRegularFile(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0)
        return errno;
    if (!S_ISREG(info.st_mode))
        return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return 0;
}

// Opens `path` with `flags` (retrying an interrupted call), then runs `check` on the new
// descriptor. Returns the descriptor, or -1 with `error` filled and nothing left open.
int OpenDescriptor(FileCall call, std::string_view path, int flags, int (*check)(int),
                   FileErrorInfo& error) {
    int code = detail::BeforeFileCall(call, path);
    int fd = -1;
    if (code == 0) {
        const std::string native = NativePath(path);
        do {
            fd = ::open(native.c_str(), flags | O_CLOEXEC | O_NOCTTY, 0666);
        } while (fd < 0 && errno == EINTR);
        code = fd < 0 ? errno : check(fd);
    }
    if (code == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    error = MakeFileErrorInfo(FileCallName(call), code, path);
    return -1;
}

void CloseIfOpen(std::intptr_t& handle) {
    if (handle >= 0) {
        ::close(static_cast<int>(handle));
        handle = -1;
    }
}

} // namespace

int File::Open(std::string_view path, FileErrorInfo& error, FileAccess access) {
    CloseIfOpen(handle_);
    // flock takes the exclusive lock on a descriptor opened for reading alone just as well.
    // O_NONBLOCK: a pipe at the name opens for reading without waiting for a writer (and is
    // then refused); it changes nothing for a regular file.
    const int flags = access == FileAccess::Read ? O_RDONLY | O_NONBLOCK : O_RDWR;
    const int fd = OpenDescriptor(FileCall::Open, path, flags, Claim, error);
    if (fd < 0)
        return error.Code;
    path_ = path;
    handle_ = fd;
    created_ = false;
    return 0;
}

int File::Create(std::string_view path, FileErrorInfo& error) {
    CloseIfOpen(handle_);
    // O_EXCL with O_CREAT fails on any entry at the name, a symbolic link included.
    const int fd = OpenDescriptor(FileCall::Create, path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW,
                                  Claim, error);
    if (fd < 0)
        return error.Code;
    path_ = path;
    handle_ = fd;
    created_ = true;
    return 0;
}

int File::OpenToRead(std::string_view path, FileErrorInfo& error) {
    CloseIfOpen(handle_);
    // O_NONBLOCK: a pipe at the name opens without waiting for a writer (and is then
    // refused); it changes nothing for a regular file.
    const int fd = OpenDescriptor(FileCall::Open, path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK,
                                  RequireRegularFile, error);
    if (fd < 0)
        return error.Code;
    path_ = path;
    handle_ = fd;
    created_ = false;
    return 0;
}

bool File::IsOpen() const {
    return handle_ >= 0;
}

std::uint64_t File::Length() {
    Enter(FileCall::Length, handle_, path_);
    struct stat info {};
    if (fstat(static_cast<int>(handle_), &info) != 0) {
        Raise(FileCall::Length, errno, path_);
    }
    return static_cast<std::uint64_t>(info.st_size);
}

void File::Seek(std::int64_t offset, SeekOrigin origin) {
    Enter(FileCall::Seek, handle_, path_);
    int whence = origin == SeekOrigin::Begin ? SEEK_SET : SEEK_END;
    if (lseek(static_cast<int>(handle_), static_cast<off_t>(offset), whence) < 0) {
        Raise(FileCall::Seek, errno, path_);
    }
}

std::size_t File::Read(std::span<char> bytes) {
    Enter(FileCall::Read, handle_, path_);
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t count = ::read(static_cast<int>(handle_), bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            Raise(FileCall::Read, errno, path_);
        }
        if (count == 0) {
            break;
        }
        done += static_cast<std::size_t>(count);
    }
    detail::CountRead(done);
    return done;
}

void File::Write(std::span<const char> bytes) {
    Enter(FileCall::Write, handle_, path_);
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t count =
            ::write(static_cast<int>(handle_), bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            detail::CountWritten(done);
            Raise(FileCall::Write, count < 0 ? errno : ENOSPC, path_);
        }
        done += static_cast<std::size_t>(count);
    }
    detail::CountWritten(done);
}

void File::SetLength(std::uint64_t length) {
    Enter(FileCall::SetLength, handle_, path_);
    if (ftruncate(static_cast<int>(handle_), static_cast<off_t>(length)) != 0) {
        Raise(FileCall::SetLength, errno, path_);
    }
}

void File::Sync() {
    Enter(FileCall::Sync, handle_, path_);
    if (fsync(static_cast<int>(handle_)) != 0) {
        Raise(FileCall::Sync, errno, path_);
    }
    if (created_) {
        SyncDirectoryOf(NativePath(path_));
        created_ = false;
    }
}

void File::Close() {
    if (handle_ < 0) {
        return;
    }
    int fd = static_cast<int>(handle_);
    handle_ = -1;
    int code = detail::BeforeFileCall(FileCall::Close, path_);
    // The descriptor is released whatever the outcome, so the lock never outlives Close.
    if (::close(fd) != 0 && code == 0 && errno != EINTR) {
        code = errno;
    }
    if (code != 0) {
        Raise(FileCall::Close, code, path_);
    }
}

void RemoveFile(std::string_view path) {
    if (int code = detail::BeforeFileCall(FileCall::Remove, path)) {
        Raise(FileCall::Remove, code, path);
    }
    std::string native = NativePath(path);
    if (::unlink(native.c_str()) != 0 && errno != ENOENT) {
        Raise(FileCall::Remove, errno, path);
    }
}

bool FileExists(std::string_view path) {
    std::string native = NativePath(path);
    struct stat info {};
    return ::stat(native.c_str(), &info) == 0;
}

bool IsReadOnlyFile(std::string_view path) {
    const std::string native = NativePath(path);
    // The effective ids decide, as they decide an open.
    if (::faccessat(AT_FDCWD, native.c_str(), R_OK, AT_EACCESS) != 0)
        return false;
    if (::faccessat(AT_FDCWD, native.c_str(), W_OK, AT_EACCESS) == 0)
        return false;
    return errno == EACCES || errno == EPERM || errno == EROFS;
}

EntryKind QueryEntry(std::string_view path) {
    std::string native = NativePath(path);
    struct stat info {};
    if (::lstat(native.c_str(), &info) != 0) {
        // A name that cannot even be looked at is not known to be free.
        return errno == ENOENT || errno == ENOTDIR ? EntryKind::None : EntryKind::Other;
    }
    return S_ISREG(info.st_mode) ? EntryKind::RegularFile : EntryKind::Other;
}

int RenameNoReplace(std::string_view from, std::string_view to) {
    if (int code = detail::BeforeFileCall(FileCall::Rename, from)) {
        return code;
    }
    std::string nativeFrom = NativePath(from);
    std::string nativeTo = NativePath(to);
    if (::renameat2(AT_FDCWD, nativeFrom.c_str(), AT_FDCWD, nativeTo.c_str(), RENAME_NOREPLACE) ==
        0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    // A file system without the no-replace rename: a new link fails on an existing name
    // just as well, and the old name is then dropped.
    if (::link(nativeFrom.c_str(), nativeTo.c_str()) != 0) {
        return errno;
    }
    return ::unlink(nativeFrom.c_str()) == 0 ? 0 : errno;
}

} // namespace platform
