#include "platform/FileReason.h"

#include <cerrno>

#include <sys/stat.h>

namespace platform {

std::string FileReasonText(const FileErrorInfo& info) {
    switch (info.Code) {
    case ENOENT:
    case ENOTDIR:
        return "the file does not exist";
    case EWOULDBLOCK:
        return "the file is in use by another program";
    case EACCES:
    case EPERM:
    case EROFS:
        // Refused a write open of a file this user may read: say what stands in the way.
        if (info.Cause == "open" && IsReadOnlyFile(info.FileName))
            return kReadOnlyReason;
        return "access is denied";
    case ENOSPC:
    case EDQUOT:
        return "the disk is full";
    case EISDIR:
        return "the name belongs to a folder, not a file";
    case EFBIG:
        return TooLargeReason(info);
    case EINVAL: {
        // The file layer refuses a name that is not a regular file (a FIFO, a device).
        struct stat status {};
        if (info.Cause == "open" && stat(DisplayPath(info.FileName).c_str(), &status) == 0 &&
            !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode))
            return "the name does not belong to a regular file";
        return info.Text.empty() ? "unknown error" : info.Text;
    }
    case EILSEQ:
        return kEncodingReason;
    case ENOTRECOVERABLE:
        return kUnfinishedChangeReason;
    default:
        return info.Text.empty() ? "unknown error" : info.Text;
    }
}

bool IsFileInUse(const FileErrorInfo& info) {
    return info.Code == EWOULDBLOCK;
}

std::string DisplayPath(std::string_view path) {
    std::string shown(path);
    for (char& c : shown) {
        if (c == '\\')
            c = '/';
    }
    return shown;
}

} // namespace platform
