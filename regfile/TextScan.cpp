#include "regfile/TextScan.h"

#include <algorithm>
#include <cstring>

namespace regfile {

std::size_t FindLineEnd(std::string_view text, std::size_t from) {
    if (from >= text.size()) {
        return text.size();
    }
    const char* begin = text.data() + from;
    const std::size_t rest = text.size() - from;
    const void* lf = std::memchr(begin, '\n', rest);
    const std::size_t limit =
        lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - begin) : rest;
    const void* cr = limit > 0 ? std::memchr(begin, '\r', limit) : nullptr;
    return from +
           (cr != nullptr ? static_cast<std::size_t>(static_cast<const char*>(cr) - begin) : limit);
}

LineSpan LineAt(std::string_view text, std::size_t begin) {
    LineSpan line{begin, FindLineEnd(text, begin), 0};
    line.Next = line.End;
    if (line.Next < text.size()) {
        const bool crlf =
            text[line.Next] == '\r' && line.Next + 1 < text.size() && text[line.Next + 1] == '\n';
        line.Next += crlf ? 2 : 1;
    }
    return line;
}

std::size_t FindLineStart(std::string_view text, std::size_t pos) {
    while (pos > 0 && text[pos - 1] != '\n' && text[pos - 1] != '\r') {
        --pos;
    }
    return pos;
}

bool ContainsByte(std::string_view text, char c) {
    return !text.empty() && std::memchr(text.data(), c, text.size()) != nullptr;
}

std::size_t FindLastByte(std::string_view text, char c, std::size_t from, std::size_t to) {
    to = std::min(to, text.size());
    if (from >= to) {
        return kNotFound;
    }
#if defined(__GLIBC__)
    const void* found = memrchr(text.data() + from, c, to - from);
    return found != nullptr
               ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data())
               : kNotFound;
#else
    for (std::size_t at = to; at > from; --at) {
        if (text[at - 1] == c) {
            return at - 1;
        }
    }
    return kNotFound;
#endif
}

std::size_t FindNoCase(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.empty() || needle.size() > text.size()) {
        return kNotFound;
    }
    for (std::size_t at = from; at + needle.size() <= text.size(); ++at) {
        if (EqualNoCase(text.substr(at, needle.size()), needle)) {
            return at;
        }
    }
    return kNotFound;
}

std::string_view TrimBlanksEnd(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

} // namespace regfile
