#include "regfile/KeyLines.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#include "regfile/ByteSearch.h"
#include "regfile/TextScan.h"
#include "regfile/ValueLines.h"

namespace regfile {

namespace {

// The components of a template header's key ahead of the driver key.
constexpr std::array<std::string_view, 5> kTemplateKeyRoot = {"HKEY_LOCAL_MACHINE", "Drivers",
                                                              "BuiltIn", "PCI", "Template"};

// The next component of a key from `pos` on, empty ones skipped; empty at the key's end.
std::string_view NextComponent(std::string_view key, std::size_t& pos) {
    while (pos < key.size() && key[pos] == '\\') {
        ++pos;
    }
    const std::size_t begin = pos;
    while (pos < key.size() && key[pos] != '\\') {
        ++pos;
    }
    return key.substr(begin, pos - begin);
}

// The previous line that is neither blank nor a ";" comment, ahead of `lineBegin`.
std::optional<LineSpan> PreviousMeaningfulLine(std::string_view text, std::size_t lineBegin) {
    std::size_t pos = lineBegin;
    while (pos > 0) {
        std::size_t end = pos - 1; // the line end ahead of pos
        if (text[end] == '\n' && end > 0 && text[end - 1] == '\r') {
            --end;
        }
        const std::size_t begin = FindLineStart(text, end);
        const std::string_view line = text.substr(begin, end - begin);
        const std::size_t at = SkipBlanks(line, 0);
        if (at < line.size() && line[at] != ';') {
            return LineSpan{begin, end, pos};
        }
        pos = begin;
    }
    return std::nullopt;
}

} // namespace

KeyText KeyOfLine(std::string_view line) {
    KeyText key;
    const std::size_t at = SkipBlanks(line, 0);
    if (at == line.size() || line[at] != '[') {
        return key;
    }
    key.IsKeyLine = true;
    key.Bracket = at;
    const std::size_t close = line.rfind(']');
    if (close == kNotFound || close < at) {
        return key;
    }
    key.Valid = true;
    key.Key = line.substr(at + 1, close - at - 1);
    return key;
}

int TemplateIndexOfKey(std::string_view key, std::string_view driverKey) {
    // Such a key holds at least 58 characters besides the driver key.
    if (key.size() < 51 + driverKey.size() || key.front() == '\\') {
        return -1;
    }
    // The last component first: most keys are some other device's, and it tells at once.
    std::size_t lastEnd = key.size();
    while (key[lastEnd - 1] == '\\') {
        --lastEnd;
    }
    const std::size_t lastBegin = lastEnd >= 10 ? key.rfind('\\', lastEnd - 1) : kNotFound;
    if (lastBegin == kNotFound || lastEnd - lastBegin < 10 || lastEnd - lastBegin > 11 ||
        !EqualNoCase(key.substr(lastBegin + 1, 8), "Template")) {
        return -1;
    }
    std::size_t pos = 0;
    for (std::string_view expected : kTemplateKeyRoot) {
        if (!EqualNoCase(NextComponent(key, pos), expected)) {
            return -1;
        }
    }
    if (!EqualNoCase(NextComponent(key, pos), driverKey)) {
        return -1;
    }
    const std::string_view last = NextComponent(key, pos);
    if (!NextComponent(key, pos).empty() || last.size() < 9 || last.size() > 10 ||
        !EqualNoCase(last.substr(0, 8), "Template")) {
        return -1;
    }
    const std::string_view digits = last.substr(8);
    int index = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return -1;
        }
        index = index * 10 + (c - '0');
    }
    if (digits.size() == 2 && digits[0] == '0') {
        return -1;
    }
    return index <= 15 ? index : -1;
}

bool IsCommentLine(std::string_view line) {
    const std::size_t at = SkipBlanks(line, 0);
    return at < line.size() && (line[at] == ';' || line[at] == '#');
}

bool IsContinuationLine(std::string_view text, std::size_t lineBegin) {
    return CarryingBackslash(text, lineBegin).has_value();
}

std::optional<std::size_t> CarryingBackslash(std::string_view text, std::size_t lineBegin) {
    // Back over lines that end in "\" where a byte is expected, to the value line that
    // opened the list: a line ends the chain when it does not carry on.
    std::size_t pos = lineBegin;
    std::optional<std::size_t> backslash;
    for (;;) {
        std::optional<LineSpan> previous = PreviousMeaningfulLine(text, pos);
        if (!previous) {
            return std::nullopt;
        }
        const std::string_view line = text.substr(previous->Begin, previous->End - previous->Begin);
        if (!ContainsByte(line, '\\')) {
            return std::nullopt; // nothing carries on
        }
        const ValueLine value = ParseValueLine(line);
        if (value.IsValue) {
            if (value.Form != ValueForm::Hex || !value.Continues) {
                return std::nullopt;
            }
            return backslash ? backslash : previous->Begin + line.rfind('\\', value.Comment);
        }
        bool continues = false;
        std::size_t comment = 0;
        if (!ParseHexItems(line, nullptr, continues, comment) || !continues) {
            return std::nullopt;
        }
        if (!backslash) {
            backslash = previous->Begin + line.rfind('\\', comment);
        }
        pos = previous->Begin;
    }
}

namespace {

// Whether the line at `lineBegin` may carry on a hex list, `from` being a point no list
// carries on across: only when the last "\\" since `from` stands on the line's previous
// meaningful line. Most key lines fail this at once, without parsing any line above.
bool MayCarryOn(std::string_view text, std::size_t from, std::size_t lineBegin) {
    const std::size_t backslash = FindLastByte(text, '\\', from, lineBegin);
    if (backslash == kNotFound) {
        return false;
    }
    for (std::size_t pos = LineAt(text, backslash).Next; pos < lineBegin;) {
        const LineSpan line = LineAt(text, pos);
        const std::size_t at = SkipBlanks(text.substr(0, line.End), line.Begin);
        if (at < line.End && text[at] != ';') {
            return false; // a meaningful line without "\\" lies between
        }
        pos = line.Next;
    }
    return true;
}

// Whether the text from `at` (behind a key line's "[") opens with the components of a
// template header's key ahead of its number. False proves the line no template's header,
// without looking for its end.
bool MayBeTemplateHeader(std::string_view text, std::size_t at, std::string_view driverKey) {
    // Most keys differ from a template's early in the path. Eight bytes at a time, letter
    // case aside (bit 5 set on both sides, which never parts two bytes that are equal
    // letter case aside), the path is checked as written with single separators; a
    // difference at a "\\" may be a repeated separator, which the walk below settles.
    constexpr std::string_view kPath = "HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\";
    static_assert(kPath.size() == 48);
    if (at + kPath.size() <= text.size()) {
        constexpr std::uint64_t kCaseBits = 0x2020202020202020u;
        for (std::size_t i = 0; i < kPath.size(); i += 8) {
            std::uint64_t got = 0;
            std::uint64_t expected = 0;
            std::memcpy(&got, text.data() + at + i, 8);
            std::memcpy(&expected, kPath.data() + i, 8);
            const std::uint64_t differ = (got | kCaseBits) ^ (expected | kCaseBits);
            if (differ != 0) {
                const int bit = std::endian::native == std::endian::little
                                    ? std::countr_zero(differ)
                                    : std::countl_zero(differ);
                if (text[at + i + static_cast<std::size_t>(bit / 8)] != '\\') {
                    return false;
                }
                break;
            }
        }
    }
    const std::array<std::string_view, 7> path = {
        kTemplateKeyRoot[0], kTemplateKeyRoot[1], kTemplateKeyRoot[2], kTemplateKeyRoot[3],
        kTemplateKeyRoot[4], driverKey,           "Template"};
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i > 0) {
            // One "\\" or more between components.
            if (at >= text.size() || text[at] != '\\') {
                return false;
            }
            while (at < text.size() && text[at] == '\\') {
                ++at;
            }
        }
        if (!EqualNoCase(text.substr(at, path[i].size()), path[i])) {
            return false;
        }
        at += path[i].size();
    }
    return true;
}

} // namespace

TemplateSectionScan::Found TemplateSectionScan::NextKeyLine(std::string_view view) const {
    const BytePattern bracket{'[', '[', 0, 0};
    for (std::size_t at = FindPattern(view, next_, bracket); at != kNotFound;
         at = FindPattern(view, at + 1, bracket)) {
        std::size_t begin = at;
        while (begin > 0 && IsBlank(view[begin - 1])) {
            --begin;
        }
        if (begin == 0 || view[begin - 1] == '\n' || view[begin - 1] == '\r') {
            return {at, begin};
        }
    }
    return {};
}

TemplateSectionScan::Found TemplateSectionScan::NextHeaderLike(std::string_view view) const {
    // A template's header holds the driver key, and few other lines do: the places where
    // its first and last bytes stand the right distance apart, letter case aside, lead to
    // the few lines worth a look, each looked at once.
    if (driverKey_.empty()) {
        return {}; // no key has an empty component where the driver key stands
    }
    const BytePattern ends{static_cast<char>(driverKey_.front() | 0x20),
                           static_cast<char>(driverKey_.back() | 0x20), driverKey_.size() - 1,
                           0x20};
    std::size_t lineEnd = 0; // the end of the last line looked at
    for (std::size_t at = FindPattern(view, next_, ends); at != kNotFound;
         at = FindPattern(view, at + 1, ends)) {
        if (at < lineEnd || !EqualNoCase(view.substr(at, driverKey_.size()), driverKey_)) {
            continue;
        }
        const std::size_t begin = FindLineStart(view, at);
        lineEnd = FindLineEnd(view, at);
        const std::size_t bracket = SkipBlanks(view.substr(0, lineEnd), begin);
        if (bracket < next_ || bracket == lineEnd || view[bracket] != '[') {
            continue;
        }
        if (MayBeTemplateHeader(view, bracket + 1, driverKey_)) {
            return {bracket, begin};
        }
    }
    return {};
}

void TemplateSectionScan::Scan(std::string_view text, bool whole) {
    // A piece is looked at up to its last line feed: every line ahead of it is complete,
    // its line end included.
    std::size_t limit = text.size();
    if (!whole) {
        const std::size_t lf = FindLastByte(text, '\n', next_, text.size());
        if (lf == kNotFound) {
            return;
        }
        limit = lf + 1;
    }
    const std::string_view view = text.substr(0, limit);
    for (;;) {
        // With no section open, a line that cannot be a template's header changes nothing
        // here, whether it is a key line or not; with one open, the next key line ends it.
        const auto [bracket, begin] = open_ ? NextKeyLine(view) : NextHeaderLike(view);
        if (bracket == kNotFound) {
            break;
        }
        next_ = bracket + 1;
        if (MayCarryOn(view, from_, begin) && IsContinuationLine(view, begin)) {
            continue;
        }
        const LineSpan line = LineAt(view, begin);
        from_ = line.Next;
        next_ = line.Next;
        if (open_) {
            sections_.back().End = bracket;
            open_ = false;
        }
        const KeyText key = KeyOfLine(view.substr(line.Begin, line.End - line.Begin));
        const int index = key.Valid ? TemplateIndexOfKey(key.Key, driverKey_) : -1;
        if (index >= 0) {
            sections_.push_back(TemplateSection{index, bracket, line.Next, limit});
            open_ = true;
        }
    }
    next_ = std::max(next_, limit);
    if (whole && open_) {
        sections_.back().End = text.size();
    }
}

std::vector<TemplateSection> FindTemplateSections(std::string_view text,
                                                  std::string_view driverKey) {
    TemplateSectionScan scan(driverKey);
    scan.Scan(text, true);
    return scan.Take();
}

std::vector<KeyLineInfo> ScanKeyLines(std::string_view text, std::string_view driverKey) {
    std::vector<KeyLineInfo> lines;
    const std::string mention = std::string(driverKey) + "\\Template";
    std::size_t number = 1;
    for (std::size_t pos = 0; pos < text.size(); ++number) {
        const LineSpan span = LineAt(text, pos);
        pos = span.Next;
        KeyLineInfo info;
        info.LineNumber = number;
        info.Offset = span.Begin;
        info.Text = text.substr(span.Begin, span.End - span.Begin);
        info.MentionsTemplate = FindNoCase(info.Text, mention) != kNotFound;
        const KeyText key = KeyOfLine(info.Text);
        if (key.IsKeyLine && IsContinuationLine(text, span.Begin)) {
            info.Role = KeyLineRole::Continuation;
        } else if (key.IsKeyLine && !key.Valid) {
            info.Role = KeyLineRole::UnclosedKey;
        } else if (key.IsKeyLine) {
            info.Template = TemplateIndexOfKey(key.Key, driverKey);
            info.Role = info.Template >= 0 ? KeyLineRole::TemplateHeader : KeyLineRole::OtherKey;
        } else if (IsCommentLine(info.Text)) {
            info.Role = KeyLineRole::Comment;
        }
        if (key.IsKeyLine || info.MentionsTemplate) {
            lines.push_back(info);
        }
    }
    return lines;
}

} // namespace regfile
