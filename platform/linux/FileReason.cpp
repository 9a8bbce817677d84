#include "platform/FileReason.h"

#include <cerrno>

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
        return "access is denied";
    case ENOSPC:
    case EDQUOT:
        return "the disk is full";
    case EISDIR:
        return "the name belongs to a folder, not a file";
    case EFBIG:
        return "the file is too large";
    case EILSEQ:
        return kEncodingReason;
    default:
        return info.Text.empty() ? "unknown error" : info.Text;
    }
}

} // namespace platform
