// The editor object, opening and closing, and the section operations.
#include "regfile/RegFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "regfile/DriverNames.h"
#include "regfile/FixedText.h"
#include "regfile/Journal.h"
#include "regfile/TextScan.h"

namespace regfile {

namespace {

constexpr std::size_t kMinModelText = 3;
constexpr std::size_t kMaxModelText = 12;
// The header text ahead of the driver key.
constexpr std::string_view kKeyPath = "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\";

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
    notice_.clear();
    if (modelText.size() < kMinModelText || modelText.size() > kMaxModelText) {
        fileError_ = platform::MakeFileErrorInfo(platform::FileCallName(platform::FileCall::Open),
                                                 platform::kInvalidArgumentCode, path);
        return platform::kInvalidArgumentCode;
    }
    if (int code = File_.Open(path, fileError_)) {
        return code;
    }
    try {
        if (int code = RecoverFromJournal(File_, fileError_, notice_)) {
            Discard();
            return code;
        }
        const std::uint64_t length = File_.Length();
        if (length > kMaxLength) {
            fileError_ =
                platform::MakeFileErrorInfo(platform::FileCallName(platform::FileCall::Open),
                                            platform::kFileTooLargeCode, path);
            Discard();
            return platform::kFileTooLargeCode;
        }
        // A freshly opened file is read from its start: no seek.
        ReadWholeFile(length, false);
    } catch (...) {
        Discard();
        throw;
    }

    CopyText(ModelText_, modelText);
    CopyText(DriverKey_, DriverKeyOf(modelText));
    std::string prefix(kKeyPath);
    prefix += DriverKey_;
    prefix += "\\Template";
    CopyText(SectionPrefix_, prefix);
    LastIndex_ = -1;
    return 0;
}

int RegFile::Close() {
    if (File_.IsOpen() && Original_) {
        try {
            CommitChange(File_, std::string_view(Original_.get(), OriginalLength_),
                         std::string_view(Block(), Length_), KnownSame{SameHead_, SameTail_});
        } catch (...) {
            Discard();
            throw;
        }
    }
    DropText();
    File_.Close();
    return 0;
}

void RegFile::Reload() {
    const std::uint64_t length = File_.Length();
    if (length > kMaxLength) {
        throw platform::FileError(
            platform::MakeFileErrorInfo(platform::FileCallName(platform::FileCall::Read),
                                        platform::kFileTooLargeCode, File_.Path()));
    }
    ReadWholeFile(length, true);
    LastIndex_ = -1;
}

void RegFile::ReadWholeFile(std::uint64_t length, bool rewind) {
    // The edits are dropped first, so that only the one new buffer is held. It is not
    // cleared ahead of the read: the read fills it.
    DropText();
    const std::size_t size = static_cast<std::size_t>(length);
    auto block = std::make_unique_for_overwrite<char[]>(size + 1);
    if (rewind) {
        File_.Seek(0, platform::SeekOrigin::Begin);
    }
    const std::size_t got = File_.Read(std::span<char>(block.get(), size));
    block[got] = '\0';
    Block_ = std::move(block);
    Capacity_ = size + 1;
    Length_ = static_cast<std::uint32_t>(got);
}

void RegFile::DropText() noexcept {
    Block_.reset();
    Original_.reset();
    Capacity_ = 0;
    Length_ = 0;
    OriginalLength_ = 0;
    SameHead_ = 0;
    SameTail_ = 0;
    TextEnd_ = 0;
    TextEndKnown_ = false;
    ZeroFree_ = 0;
    SpanKept_ = false;
}

void RegFile::Discard() noexcept {
    try {
        File_.Close();
    } catch (...) {
        // The handle is released all the same; dropping the edits is all that is asked.
    }
    DropText();
}

std::size_t RegFile::TextEnd() const {
    if (!TextEndKnown_) {
        const char* block = Block();
        const void* zero = std::memchr(block + ZeroFree_, '\0', Length_ - ZeroFree_);
        TextEnd_ = zero != nullptr
                       ? static_cast<std::size_t>(static_cast<const char*>(zero) - block)
                       : Length_;
        TextEndKnown_ = true;
    }
    return TextEnd_;
}

void RegFile::Splice(std::size_t start, std::size_t end, std::string_view bytes) {
    const std::size_t removed = end - start;
    if (removed == bytes.size() &&
        (bytes.empty() || std::memcmp(Block() + start, bytes.data(), bytes.size()) == 0)) {
        return;
    }
    TrackTextEnd(start, end, bytes);
    TrackSection(start, end, bytes);
    const std::size_t length = Length_ - removed + bytes.size();
    if (!Original_ || length + 1 > Capacity_) {
        // The first change keeps the buffer as read for Close and builds the edited text in
        // a new one; a text outgrowing its buffer moves to a larger one. The room left is
        // more than a template task adds (a header and three value lines of at most 255
        // bytes each), so such a task moves the text once.
        const std::size_t capacity = length + 1 + length / 64 + 1024;
        auto block = std::make_unique_for_overwrite<char[]>(capacity);
        const char* old = Block();
        std::memcpy(block.get(), old, start);
        if (!bytes.empty()) {
            std::memcpy(block.get() + start, bytes.data(), bytes.size());
        }
        std::memcpy(block.get() + start + bytes.size(), old + end, Length_ - end + 1);
        if (!Original_) {
            Original_ = Block_ ? std::move(Block_) : std::make_unique<char[]>(1);
            OriginalLength_ = Length_;
            SameHead_ = Length_;
            SameTail_ = Length_;
        }
        Block_ = std::move(block);
        Capacity_ = capacity;
    } else {
        char* block = Block_.get();
        std::memmove(block + start + bytes.size(), block + end, Length_ - end + 1);
        if (!bytes.empty()) {
            std::memcpy(block + start, bytes.data(), bytes.size());
        }
    }
    // The bytes ahead of the splice and those behind it stay as they were.
    SameHead_ = std::min(SameHead_, start);
    SameTail_ = std::min(SameTail_, static_cast<std::size_t>(Length_) - end);
    Length_ = static_cast<std::uint32_t>(length);
}

void RegFile::TrackTextEnd(std::size_t start, std::size_t end, std::string_view bytes) {
    const void* zero = bytes.empty() ? nullptr : std::memchr(bytes.data(), '\0', bytes.size());
    const std::size_t zeroAt =
        zero != nullptr
            ? start + static_cast<std::size_t>(static_cast<const char*>(zero) - bytes.data())
            : 0;
    if (TextEndKnown_) {
        if (start > TextEnd_) {
            return; // behind the text: the text is untouched
        }
        if (zero != nullptr) {
            TextEnd_ = zeroAt;
        } else if (end <= TextEnd_) {
            TextEnd_ = TextEnd_ - (end - start) + bytes.size();
        } else {
            // The zero byte that ended the text is gone; the next one is found when needed.
            TextEndKnown_ = false;
            ZeroFree_ = start + bytes.size();
        }
        return;
    }
    if (zero != nullptr && start <= ZeroFree_) {
        TextEnd_ = zeroAt;
        TextEndKnown_ = true;
    } else if (zero == nullptr && end <= ZeroFree_) {
        ZeroFree_ = ZeroFree_ - (end - start) + bytes.size();
    } else {
        ZeroFree_ = std::min(ZeroFree_, start);
    }
}

void RegFile::TrackSection(std::size_t start, std::size_t end, std::string_view bytes) {
    // A splice inside the kept section behind its header's line, bringing no "[" and no
    // zero byte, leaves the header where it was and moves the section's end by the change
    // in length: a new search would find what the kept span says. Anything else can move
    // or hide the header, so the section is searched for again.
    if (SpanKept_ && KeptSpan_.Found && start > KeptSpan_.HeaderLineEnd && end <= KeptSpan_.End &&
        !ContainsByte(bytes, '[') && !ContainsByte(bytes, '\0')) {
        KeptSpan_.End = KeptSpan_.End - (end - start) + bytes.size();
        return;
    }
    SpanKept_ = false;
}

int RegFile::ListTemplates(std::uint16_t& mask) const {
    mask = 0;
    std::string lowerPrefix(SectionPrefix_);
    // Lines split at CR and at LF, as every other scan splits them: split at LF alone, a
    // file with CR line ends would be one line, listing at most one template (none when a
    // comment is anywhere), and the templates not listed would be overwritten by Add. A
    // prefix holding a line end never lies on one line.
    if (lowerPrefix.empty() || ContainsByte(lowerPrefix, '\r') || ContainsByte(lowerPrefix, '\n')) {
        return 0;
    }
    std::transform(lowerPrefix.begin(), lowerPrefix.end(), lowerPrefix.begin(), LowerAscii);

    // Every line whose first match of the prefix is followed by an index and that holds no
    // ";". The search jumps from match to match; after one, it goes on at that line's end,
    // so each match found is the first of its line.
    const char* text = Block();
    std::size_t pos = 0;
    for (;;) {
        const std::size_t at = FindNoCaseInText(text, Length_, pos, lowerPrefix);
        if (at == kNotFound) {
            return 0;
        }
        const std::size_t indexAt = at + lowerPrefix.size();
        const std::size_t lineEnd = FindLineEndInText(text, indexAt);
        const std::size_t lineStart = FindLineStart(text, at);
        if (std::memchr(text + lineStart, ';', lineEnd - lineStart) == nullptr) {
            std::optional<int> index = IndexAfterPrefix(
                std::string_view(text + indexAt, std::min<std::size_t>(lineEnd - indexAt, 2)));
            if (index && *index >= 0 && *index <= 15) {
                mask = static_cast<std::uint16_t>(mask | (1u << *index));
            }
        }
        pos = lineEnd;
    }
}

RegFile::SectionSpan RegFile::Locate(std::string_view driverKey, int index) const {
    std::string search = HeaderSearchText(driverKey, index);
    if (!SpanKept_ || search != KeptSearch_) {
        KeptSpan_ = Search(search);
        KeptSearch_ = std::move(search);
        SpanKept_ = true;
    }
    return KeptSpan_;
}

RegFile::SectionSpan RegFile::Search(const std::string& search) const {
    SectionSpan span{Length_, Length_, Length_, Length_, false};
    // Lines split at CR and LF: a search text holding a line end never lies on one line.
    if (ContainsByte(search, '\r') || ContainsByte(search, '\n')) {
        return span;
    }
    // The search runs from candidate to candidate, positions that hold the search text's
    // first byte and, at its length, its last one, and stops at the zero byte that ends
    // the text, which it thereby finds when the header is absent.
    const char* text = Block();
    const std::size_t size = search.size();
    std::size_t from = 0;
    for (;;) {
        const std::size_t at =
            FindPairOrZero(text, Length_, from, search.front(), search.back(), size - 1);
        if (text[at] == '\0') {
            TextEnd_ = at;
            TextEndKnown_ = true;
            return span;
        }
        // A candidate's last byte lies ahead of the terminating zero byte, so it lies in Block.
        if (std::memcmp(text + at, search.data(), size) != 0) {
            from = at + 1;
            continue;
        }
        const std::size_t headerEnd = at + size;
        const std::size_t lineStart = FindLineStart(text, at);
        const std::size_t lineEnd = FindLineEndInText(text, headerEnd);
        if (std::memchr(text + lineStart, ';', lineEnd - lineStart) != nullptr) {
            from = lineEnd;
            continue;
        }
        // The header opens at the last "[" before the match on its own line, which keeps
        // the span inside Block and inside this header's line.
        std::size_t bracket = std::string_view(text + lineStart, at - lineStart + 1).rfind('[');
        span.Start = bracket == kNotFound ? lineStart : lineStart + bracket;
        span.HeaderEnd = headerEnd;
        span.HeaderLineEnd = lineEnd;
        // The last section ends with the text: bytes behind a zero byte belong to none.
        span.End = FindByteOrZero(text, Length_, headerEnd, '[');
        if (text[span.End] == '\0') {
            TextEnd_ = span.End;
            TextEndKnown_ = true;
        } else if (!TextEndKnown_) {
            // No zero byte lies ahead of the section's end.
            ZeroFree_ = std::max(ZeroFree_, span.End);
        }
        span.Found = true;
        return span;
    }
}

std::size_t RegFile::EndOfSectionLines(const SectionSpan& span) const {
    // A section ends at a "[" or at the text's end.
    if (Block()[span.End] != '[') {
        return span.End;
    }
    // The section ends at a "[" that may stand inside a line (a comment): the new line goes
    // ahead of that line, but never ahead of the header's own line.
    const std::size_t lineStart = FindLineStart(Block(), span.End);
    return lineStart >= span.HeaderEnd ? lineStart : span.End;
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
    const std::size_t textEnd = TextEnd();
    Splice(textEnd, textEnd, bytes);
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
