#include "host/MessageBoxAnswers.h"

#include <ostream>

#include "host/Script.h"

namespace host {
namespace {

constexpr unsigned kButtonsMask = 0x0F;
constexpr unsigned kOkCancel = 0x01; // MB_OKCANCEL

} // namespace

bool MessageBoxAnswers::Answer(std::string_view caption, std::string_view text, unsigned flags) {
    const bool hasCancel = (flags & kButtonsMask) == kOkCancel;
    bool ok = true;
    if (!answers_.empty()) {
        ok = answers_.front() || !hasCancel;
        answers_.pop_front();
    }
    transcript_ << MessageBoxLine(caption, text, flags, ok) << '\n' << std::flush;
    return ok;
}

} // namespace host
