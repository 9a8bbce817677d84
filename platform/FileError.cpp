// The portable half of the file layer: the error type and the call names.
#include "platform/File.h"

#include <utility>

namespace platform {

namespace {

std::string FileErrorMessage(const FileErrorInfo& info) {
    std::string message = "Cannot ";
    message += info.Cause;
    message += " \"";
    message += info.FileName;
    message += "\": ";
    message += info.Text;
    return message;
}

} // namespace

std::string_view FileCallName(FileCall call) {
    switch (call) {
    case FileCall::Open:
        return "open";
    case FileCall::Create:
        return "create";
    case FileCall::Length:
        return "get the length of";
    case FileCall::Seek:
        return "seek in";
    case FileCall::Read:
        return "read";
    case FileCall::Write:
        return "write";
    case FileCall::SetLength:
        return "set the length of";
    case FileCall::Sync:
        return "flush";
    case FileCall::Close:
        return "close";
    case FileCall::Remove:
        return "remove";
    case FileCall::Rename:
        return "rename";
    }
    return "use";
}

FileError::FileError(FileErrorInfo info)
    : std::runtime_error(FileErrorMessage(info)), info_(std::move(info)) {}

} // namespace platform
