// Exclusive file access for the registration file editor.
//
// One interface, two implementations (platform/linux/File.cpp over POSIX with an
// exclusive flock, platform/windows/File.cpp over CreateFile with share mode 0).
// A backslash in a path is a directory separator on every platform.
//
// platform/FileError.cpp holds the portable half of this layer (the error type and the
// call names). A build with test seams lets a test fail any single call and count the
// bytes moved (platform/FileSeam.h); the library built for shipping has neither.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// The calls of the layer, as error messages name them.
enum class FileCall {
    Open,
    Create,
    Length,
    Seek,
    Read,
    Write,
    SetLength,
    Sync,
    Close,
    Remove,
    Rename
};

// The verb of the call as error messages use it: "open", "write", "set the length of".
std::string_view FileCallName(FileCall call);

// What went wrong with a file: filled by a failed open, carried by FileError.
struct FileErrorInfo {
    std::string Cause;    // the operation, for example "open" or "write"
    int Code = 0;         // the operating system's error code (errno, GetLastError)
    std::string FileName; // the path as given
    std::string Text;     // the operating system's own text for Code
};

// The platform's file error: raised by every failing call other than Open.
// what() reads: Cannot write "D:\Drivers\PCI3916.reg": No space left on device
class FileError : public std::runtime_error {
public:
    explicit FileError(FileErrorInfo info);
    const FileErrorInfo& Info() const { return info_; }
    int Code() const { return info_.Code; }

private:
    FileErrorInfo info_;
};

// Builds the record for an operating-system error code, with the platform's text for it.
FileErrorInfo MakeFileErrorInfo(std::string_view cause, int code, std::string_view fileName);

// The operating system's own codes, with its texts, for the refusals that the layers above
// make themselves: a file too large to edit, a file in a text encoding the editor does not
// change (UTF-16), an argument out of range, and a read-only file beside which a change
// cut short waits to be completed or undone (which needs the file written).
extern const int kFileTooLargeCode;
extern const int kFileEncodingCode;
extern const int kInvalidArgumentCode;
extern const int kUnfinishedChangeCode;
// The code of "a file of that name exists".
extern const int kFileExistsCode;
// The largest file that the editor takes; a longer one is refused with kFileTooLargeCode.
inline constexpr std::uint64_t kMaxEditableLength = 256u * 1024u * 1024u;

// True for the codes with which a folder (or its disk) refuses a new file in it: no
// permission to add entries, a read-only file system or medium.
bool RefusesNewFiles(int code);

enum class SeekOrigin { Begin, End };

// What an Open asks for: reading and writing, or reading alone, which a read-only file (or
// one on a read-only disk) also grants.
enum class FileAccess { ReadWrite, Read };

class File {
public:
    File() = default;
    // Closes a file still open, without raising.
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens an existing file for reading and writing (or for reading alone), never creating
    // it, and holds it exclusively until Close: a second opener in any process fails.
    // Returns 0, or the operating system's error code with `error` filled. A directory is
    // refused. A file opened for reading refuses every write.
    int Open(std::string_view path, FileErrorInfo& error,
             FileAccess access = FileAccess::ReadWrite);
    // Creates a new file for reading and writing, held exclusively likewise. Fails with
    // kFileExistsCode when anything is at the name already (a file, a folder, a pipe, a
    // symbolic link, dangling or not, which it never follows).
    int Create(std::string_view path, FileErrorInfo& error);
    // Opens an existing regular file for reading only, without taking a lock, never
    // following a symbolic link at the name and never waiting (a pipe is refused without
    // being waited on). Anything but a regular file is refused.
    int OpenToRead(std::string_view path, FileErrorInfo& error);

    bool IsOpen() const;
    std::uint64_t Length();
    void Seek(std::int64_t offset, SeekOrigin origin);
    // Reads up to bytes.size() bytes at the current position; returns the count read,
    // which is smaller only at the end of the file.
    std::size_t Read(std::span<char> bytes);
    // Writes every byte at the current position, or raises.
    void Write(std::span<const char> bytes);
    void SetLength(std::uint64_t length);
    // Makes the written bytes durable before the caller relies on them (for a file made
    // by Create, its directory entry too).
    void Sync();
    // Releases the file even when the close itself fails (and then raises).
    void Close();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::intptr_t handle_ = -1;
    bool created_ = false;
};

// Removes a file; raises FileError on failure other than "does not exist".
void RemoveFile(std::string_view path);
bool FileExists(std::string_view path);
// True when the file at `path` can be read but not written by this process: its read-only
// attribute or permissions, or a read-only disk. Consults no fault hook.
bool IsReadOnlyFile(std::string_view path);

// What is at a name, the name itself looked at (a symbolic link is not followed).
enum class EntryKind { None, RegularFile, Other };
EntryKind QueryEntry(std::string_view path);

// Gives the file at `from` the name `to` unless something is at `to` already (then it
// returns kFileExistsCode); 0 on success, else the operating system's error code.
int RenameNoReplace(std::string_view from, std::string_view to);

} // namespace platform
