#include "platform/FileReason.h"

#include <windows.h>

namespace platform {

std::string FileReasonText(const FileErrorInfo& info) {
    switch (info.Code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "the file does not exist";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "the file is in use by another program";
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: {
        // The system refuses a folder as "access denied"; say what it is.
        const DWORD attributes = GetFileAttributesA(info.FileName.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return "the name belongs to a folder, not a file";
        if (info.Cause == "open" && IsReadOnlyFile(info.FileName))
            return kReadOnlyReason;
        return "access is denied";
    }
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "the disk is full";
    case ERROR_FILE_TOO_LARGE:
        return TooLargeReason(info);
    case ERROR_NO_UNICODE_TRANSLATION:
        return kEncodingReason;
    case ERROR_RECOVERY_FAILURE:
        return kUnfinishedChangeReason;
    default:
        return info.Text.empty() ? "unknown error" : info.Text;
    }
}

bool IsFileInUse(const FileErrorInfo& info) {
    return info.Code == ERROR_SHARING_VIOLATION || info.Code == ERROR_LOCK_VIOLATION;
}

// "\" is this platform's separator already, and a caller's "/" is one too: shown as given.
std::string DisplayPath(std::string_view path) {
    return std::string(path);
}

} // namespace platform
