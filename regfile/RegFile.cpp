// The editor object, opening and closing, and the section operations.
#include "regfile/RegFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "regfile/Journal.h"
#include "regfile/TextScan.h"

namespace regfile {

namespace {

constexpr std::size_t kMinModelText = 3;
constexpr std::size_t kMaxModelText = 12;
// The header text ahead of the driver key.
constexpr std::string_view kKeyPath = "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\";

// Copies `text` into a fixed-capacity field, zero-filled and always zero-terminated.
template <std::size_t N> void CopyText(char (&field)[N], std::string_view text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

// "<driverKey>\Template<index>]", the text that locates a template's header.
std::string HeaderSearchText(std::string_view driverKey, int index) {
    std::string search(driverKey.substr(0, driverKey.find('\0')));
    search += "\\Template";
    search += std::to_string(index);
    search += ']';
    return search;
}

// The template index written in the (at most two) characters after a header prefix:
// leading white space and a sign accepted, reading stops at the first non-digit. No digit
// at all is no index.
std::optional<int> IndexAfterPrefix(std::string_view chars) {
    std::size_t i = 0;
    while (i < chars.size() && (chars[i] == ' ' || (chars[i] >= '\t' && chars[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < chars.size() && (chars[i] == '+' || chars[i] == '-')) {
        negative = chars[i] == '-';
        ++i;
    }
    if (i == chars.size() || chars[i] < '0' || chars[i] > '9') {
        return std::nullopt;
    }
    int value = 0;
    for (; i < chars.size() && chars[i] >= '0' && chars[i] <= '9'; ++i) {
        value = value * 10 + (chars[i] - '0');
    }
    return negative ? -value : value;
}

} // namespace

RegFile::RegFile() = default;

RegFile::~RegFile() {
    Discard();
}

int RegFile::Open(std::string_view path, std::string_view modelText) {
    Discard();
    if (modelText.size() < kMinModelText || modelText.size() > kMaxModelText) {
        fileError_ = platform::MakeFileErrorInfo(platform::FileCallName(platform::FileCall::Open),
                                                 EINVAL, path);
        return EINVAL;
    }
    if (int code = File_.Open(path, fileError_)) {
        return code;
    }
    try {
        if (int code = RecoverFromJournal(File_, fileError_)) {
            Discard();
            return code;
        }
        if (File_.Length() > kMaxLength) {
            fileError_ = platform::MakeFileErrorInfo(
                platform::FileCallName(platform::FileCall::Open), EFBIG, path);
            Discard();
            return EFBIG;
        }
        ReadWholeFile();
    } catch (...) {
        Discard();
        throw;
    }

    CopyText(ModelText_, modelText);
    std::string driverKey = "VKR";
    driverKey += modelText.substr(kMinModelText);
    driverKey += 'S';
    CopyText(DriverKey_, driverKey);
    std::string prefix(kKeyPath);
    prefix += DriverKey_;
    prefix += "\\Template";
    CopyText(SectionPrefix_, prefix);
    LastIndex_ = -1;
    return 0;
}

int RegFile::Close() {
    if (File_.IsOpen()) {
        try {
            CommitChange(File_, Original_, Block_);
        } catch (...) {
            Discard();
            throw;
        }
    }
    std::string().swap(Block_);
    std::string().swap(Original_);
    Length_ = 0;
    TextEnd_ = 0;
    File_.Close();
    return 0;
}

void RegFile::Reload() {
    ReadWholeFile();
    LastIndex_ = -1;
}

void RegFile::ReadWholeFile() {
    std::uint64_t length = File_.Length();
    if (length > kMaxLength) {
        throw platform::FileError(platform::MakeFileErrorInfo(
            platform::FileCallName(platform::FileCall::Read), EFBIG, File_.Path()));
    }
    std::string content(static_cast<std::size_t>(length), '\0');
    File_.Seek(0, platform::SeekOrigin::Begin);
    content.resize(File_.Read(content));
    // Original first, so the old copies are released one at a time (peak: three copies).
    Original_ = std::move(content);
    Block_.assign(Original_);
    Length_ = static_cast<std::uint32_t>(Block_.size());
    TextEnd_ = std::min(std::strlen(Block_.c_str()), Block_.size());
}

void RegFile::Discard() noexcept {
    try {
        File_.Close();
    } catch (...) {
        // The handle is released all the same; dropping the edits is all that is asked.
    }
    std::string().swap(Block_);
    std::string().swap(Original_);
    Length_ = 0;
    TextEnd_ = 0;
}

void RegFile::Splice(std::size_t start, std::size_t end, std::string_view bytes) {
    Block_.replace(start, end - start, bytes);
    Length_ = static_cast<std::uint32_t>(Block_.size());
    if (TextEnd_ >= start) {
        const void* zero = std::memchr(Block_.data() + start, '\0', Block_.size() - start);
        TextEnd_ = zero != nullptr
                       ? static_cast<std::size_t>(static_cast<const char*>(zero) - Block_.data())
                       : Block_.size();
    }
}

int RegFile::ListTemplates(std::uint16_t& mask) const {
    mask = 0;
    std::string lowerPrefix(SectionPrefix_);
    if (lowerPrefix.empty()) {
        return 0;
    }
    std::transform(lowerPrefix.begin(), lowerPrefix.end(), lowerPrefix.begin(), LowerAscii);

    // Lines split at CR and at LF, as every other scan splits them: split at LF alone, a
    // file with CR line ends would be one line, listing at most one template (none when a
    // comment is anywhere), and the templates not listed would be overwritten by Add.
    const std::string_view text = Text();
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t lineEnd = FindLineEnd(text, pos);
        std::string_view line = text.substr(pos, lineEnd - pos);
        pos = lineEnd + 1;
        if (line.empty() || ContainsByte(line, ';')) {
            continue;
        }
        std::size_t at = FindNoCase(line, lowerPrefix);
        if (at == kNotFound) {
            continue;
        }
        std::optional<int> index = IndexAfterPrefix(line.substr(at + lowerPrefix.size(), 2));
        if (index && *index >= 0 && *index <= 15) {
            mask = static_cast<std::uint16_t>(mask | (1u << *index));
        }
    }
    return 0;
}

RegFile::SectionSpan RegFile::Locate(std::string_view driverKey, int index) const {
    SectionSpan span{Length_, Length_, Length_, false};
    const std::string search = HeaderSearchText(driverKey, index);
    // Lines split at CR and LF: a search text holding a line end never lies on one line.
    if (ContainsByte(search, '\r') || ContainsByte(search, '\n')) {
        return span;
    }
    const std::string_view text = Text();
    std::size_t from = 0;
    for (;;) {
        std::size_t at = text.find(search, from);
        if (at == kNotFound) {
            return span;
        }
        LineSpan line = LineAround(text, at);
        if (ContainsByte(text.substr(line.Begin, line.End - line.Begin), ';')) {
            from = line.End;
            continue;
        }
        // The header opens at the last "[" before the match on its own line, which keeps
        // the span inside Block and inside this header's line.
        std::size_t bracket = text.substr(line.Begin, at - line.Begin + 1).rfind('[');
        span.Start = bracket == kNotFound ? line.Begin : line.Begin + bracket;
        span.HeaderEnd = at + search.size();
        // The last section ends with the text: bytes behind a zero byte belong to none.
        std::size_t next = text.find('[', span.HeaderEnd);
        span.End = next == kNotFound ? TextEnd_ : next;
        span.Found = true;
        return span;
    }
}

std::size_t RegFile::EndOfSectionLines(const SectionSpan& span) const {
    if (span.End >= TextEnd_) {
        return TextEnd_;
    }
    // The section ends at a "[" that may stand inside a line (a comment): the new line goes
    // ahead of that line, but never ahead of the header's own line.
    LineSpan line = LineAround(Text(), span.End);
    return line.Begin >= span.HeaderEnd ? line.Begin : span.End;
}

int RegFile::SectionExists(int index, std::string_view driverKey) const {
    return Locate(driverKey, index).Found ? 1 : 0;
}

int RegFile::LocateSection(std::string_view driverKey, int index, std::uint32_t& start,
                           std::uint32_t& end) const {
    SectionSpan span = Locate(driverKey, index);
    start = static_cast<std::uint32_t>(span.Start);
    end = static_cast<std::uint32_t>(span.End);
    return 0;
}

int RegFile::AppendSection(int index) {
    std::string bytes = " \r\n";
    bytes += SectionPrefix_;
    bytes += std::to_string(index);
    bytes += "] \r\n";
    // At the end of the text: behind a zero byte no scan would ever find the section again.
    Splice(TextEnd_, TextEnd_, bytes);
    LastIndex_ = -1;
    return 0;
}

int RegFile::DeleteSection(int index, std::string_view driverKey) {
    SectionSpan span = Locate(driverKey, index);
    if (span.Found) {
        Splice(span.Start, span.End, {});
    }
    return 0;
}

} // namespace regfile
