#include <windows.h>

#include <algorithm>
#include <limits>
#include <string>

#include "platform/File.h"
#include "platform/FileCalls.h"

namespace platform {
namespace {

HANDLE ToHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// Largest transfer of one ReadFile or WriteFile call.
constexpr std::size_t kMaxTransfer = std::numeric_limits<DWORD>::max() / 2;

[[noreturn]] void Raise(FileCall call, int code, std::string_view path) {
    throw FileError(MakeFileErrorInfo(FileCallName(call), code, path));
}

[[noreturn]] void RaiseLastError(FileCall call, std::string_view path) {
    Raise(call, static_cast<int>(GetLastError()), path);
}

// Runs the hook for a call on an open file; raises the injected or the "not open" error.
void Enter(FileCall call, std::intptr_t handle, std::string_view path) {
    if (const int code = detail::BeforeFileCall(call, path))
        Raise(call, code, path);
    if (ToHandle(handle) == INVALID_HANDLE_VALUE)
        Raise(call, ERROR_INVALID_HANDLE, path);
}

// The name the system calls get for a path as given: made absolute (as the calls would
// resolve it, "/" and "." and ".." included) and, on a drive or a share, prefixed with
// "\\?\" so that names longer than the 259 characters of the plain calls work too (the
// journal's name is 5 longer than the file's). Texts for the user keep the path as given.
std::wstring SystemPath(std::string_view path) {
    if (path.empty())
        return {};
    const int size = static_cast<int>(std::min<std::size_t>(path.size(), 32767));
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    const int converted = MultiByteToWideChar(CP_ACP, 0, path.data(), size, wide.data(), size);
    wide.resize(static_cast<std::size_t>(std::max(converted, 0)));
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return wide;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return wide;
    full.resize(length);
    // Only "X:\..." and "\\server\share\..." take the prefix; a device name ("\\.\NUL")
    // or a path already prefixed stays as it is.
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\')
        return L"\\\\?\\" + full;
    if (full.size() >= 3 && full[0] == L'\\' && full[1] == L'\\' && full[2] != L'?' &&
        full[2] != L'.')
        return L"\\\\?\\UNC\\" + full.substr(2);
    return full;
}

// Opens without sharing, so that any other opener fails while the file is held; a
// directory cannot be opened this way (the system refuses with "access denied").
int OpenHandle(FileCall call, std::string_view path, DWORD disposition, std::intptr_t& handle,
               DWORD access = GENERIC_READ | GENERIC_WRITE, DWORD share = 0,
               DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    if (const int code = detail::BeforeFileCall(call, path))
        return code;
    const std::wstring name = SystemPath(path);
    HANDLE opened = CreateFileW(name.c_str(), access, share, nullptr, disposition, flags, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return static_cast<int>(GetLastError());
    handle = reinterpret_cast<std::intptr_t>(opened);
    return 0;
}

// Releases a handle that is still open, without raising.
void CloseQuietly(std::intptr_t& handle) {
    if (ToHandle(handle) != INVALID_HANDLE_VALUE)
        CloseHandle(ToHandle(handle));
    handle = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
}

} // namespace

File::~File() {
    CloseQuietly(handle_);
}

int File::Open(std::string_view path, FileErrorInfo& error, FileAccess access) {
    CloseQuietly(handle_);
    const DWORD rights = access == FileAccess::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    if (const int code = OpenHandle(FileCall::Open, path, OPEN_EXISTING, handle_, rights)) {
        error = MakeFileErrorInfo(FileCallName(FileCall::Open), code, path);
        return code;
    }
    path_ = std::string(path);
    created_ = false;
    return 0;
}

int File::Create(std::string_view path, FileErrorInfo& error) {
    CloseQuietly(handle_);
    // CREATE_NEW fails on any name that exists, a reparse point (a link) included, so it
    // never creates a link's target.
    if (const int code = OpenHandle(FileCall::Create, path, CREATE_NEW, handle_)) {
        error = MakeFileErrorInfo(FileCallName(FileCall::Create), code, path);
        return code;
    }
    path_ = std::string(path);
    created_ = true;
    return 0;
}

int File::OpenToRead(std::string_view path, FileErrorInfo& error) {
    CloseQuietly(handle_);
    // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself instead of its target; the link (or
    // any other kind of entry) is then refused below. A directory is refused by the
    // system without FILE_FLAG_BACKUP_SEMANTICS.
    int code = OpenHandle(FileCall::Open, path, OPEN_EXISTING, handle_, GENERIC_READ,
                          FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
    if (code == 0) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(ToHandle(handle_), &info))
            code = static_cast<int>(GetLastError());
        else if ((info.dwFileAttributes &
                  (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
                 GetFileType(ToHandle(handle_)) != FILE_TYPE_DISK)
            code = ERROR_INVALID_PARAMETER;
        if (code != 0)
            CloseQuietly(handle_);
    }
    if (code != 0) {
        error = MakeFileErrorInfo(FileCallName(FileCall::Open), code, path);
        return code;
    }
    path_ = std::string(path);
    created_ = false;
    return 0;
}

bool File::IsOpen() const {
    return ToHandle(handle_) != INVALID_HANDLE_VALUE;
}

std::uint64_t File::Length() {
    Enter(FileCall::Length, handle_, path_);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(ToHandle(handle_), &size))
        RaiseLastError(FileCall::Length, path_);
    return static_cast<std::uint64_t>(size.QuadPart);
}

void File::Seek(std::int64_t offset, SeekOrigin origin) {
    Enter(FileCall::Seek, handle_, path_);
    LARGE_INTEGER distance{};
    distance.QuadPart = offset;
    const DWORD method = origin == SeekOrigin::Begin ? FILE_BEGIN : FILE_END;
    if (!SetFilePointerEx(ToHandle(handle_), distance, nullptr, method))
        RaiseLastError(FileCall::Seek, path_);
}

std::size_t File::Read(std::span<char> bytes) {
    Enter(FileCall::Read, handle_, path_);
    std::size_t total = 0;
    while (total < bytes.size()) {
        const auto chunk = static_cast<DWORD>(std::min(bytes.size() - total, kMaxTransfer));
        DWORD read = 0;
        if (!ReadFile(ToHandle(handle_), bytes.data() + total, chunk, &read, nullptr))
            RaiseLastError(FileCall::Read, path_);
        if (read == 0)
            break;
        total += read;
    }
    detail::CountRead(total);
    return total;
}

void File::Write(std::span<const char> bytes) {
    Enter(FileCall::Write, handle_, path_);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto chunk = static_cast<DWORD>(std::min(bytes.size() - done, kMaxTransfer));
        DWORD written = 0;
        if (!WriteFile(ToHandle(handle_), bytes.data() + done, chunk, &written, nullptr)) {
            detail::CountWritten(done);
            RaiseLastError(FileCall::Write, path_);
        }
        if (written == 0) {
            detail::CountWritten(done);
            Raise(FileCall::Write, ERROR_DISK_FULL, path_);
        }
        done += written;
    }
    detail::CountWritten(done);
}

void File::SetLength(std::uint64_t length) {
    Enter(FileCall::SetLength, handle_, path_);
    // SetEndOfFile cuts at the file pointer; the position is kept as it was, as when a
    // file is truncated elsewhere.
    HANDLE handle = ToHandle(handle_);
    LARGE_INTEGER zero{};
    LARGE_INTEGER position{};
    if (!SetFilePointerEx(handle, zero, &position, FILE_CURRENT))
        RaiseLastError(FileCall::SetLength, path_);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(length);
    if (!SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) || !SetEndOfFile(handle))
        RaiseLastError(FileCall::SetLength, path_);
    if (!SetFilePointerEx(handle, position, nullptr, FILE_BEGIN))
        RaiseLastError(FileCall::SetLength, path_);
}

void File::Sync() {
    Enter(FileCall::Sync, handle_, path_);
    // The directory entry of a created file is made durable by the system with the file.
    if (!FlushFileBuffers(ToHandle(handle_)))
        RaiseLastError(FileCall::Sync, path_);
    created_ = false;
}

void File::Close() {
    if (!IsOpen())
        return;
    HANDLE handle = ToHandle(handle_);
    handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
    int code = detail::BeforeFileCall(FileCall::Close, path_);
    // The handle is released whatever the outcome, so the file is never held after Close.
    if (!CloseHandle(handle) && code == 0)
        code = static_cast<int>(GetLastError());
    if (code != 0)
        Raise(FileCall::Close, code, path_);
}

void RemoveFile(std::string_view path) {
    if (const int code = detail::BeforeFileCall(FileCall::Remove, path))
        Raise(FileCall::Remove, code, path);
    if (DeleteFileW(SystemPath(path).c_str()))
        return;
    const DWORD code = GetLastError();
    if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND)
        Raise(FileCall::Remove, static_cast<int>(code), path);
}
bool FileExists(std::string_view path) {
    return GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsReadOnlyFile(std::string_view path) {
    const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    return (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

EntryKind QueryEntry(std::string_view path) {
    const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // A name that cannot even be looked at is not known to be free.
        const DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? EntryKind::None
                                                                            : EntryKind::Other;
    }
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return EntryKind::Other;
    return EntryKind::RegularFile;
}

int RenameNoReplace(std::string_view from, std::string_view to) {
    if (const int code = detail::BeforeFileCall(FileCall::Rename, from))
        return code;
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the new name exists.
    if (MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), 0))
        return 0;
    const DWORD code = GetLastError();
    return code == ERROR_ALREADY_EXISTS ? kFileExistsCode : static_cast<int>(code);
}

const int kFileTooLargeCode = ERROR_FILE_TOO_LARGE;
const int kFileEncodingCode = ERROR_NO_UNICODE_TRANSLATION;
const int kInvalidArgumentCode = ERROR_INVALID_PARAMETER;
const int kFileExistsCode = ERROR_FILE_EXISTS;
// "Recovery failed": no file call ends with it, so it names this case alone.
const int kUnfinishedChangeCode = ERROR_RECOVERY_FAILURE;

bool RefusesNewFiles(int code) {
    return code == ERROR_ACCESS_DENIED || code == ERROR_WRITE_PROTECT;
}

FileErrorInfo MakeFileErrorInfo(std::string_view cause, int code, std::string_view fileName) {
    FileErrorInfo info;
    info.Cause = std::string(cause);
    info.Code = code;
    info.FileName = std::string(fileName);
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    if (length && text) {
        info.Text.assign(text, length);
        while (!info.Text.empty() &&
               (info.Text.back() == '\n' || info.Text.back() == '\r' || info.Text.back() == ' '))
            info.Text.pop_back();
    }
    LocalFree(text);
    return info;
}

} // namespace platform
