#include "regfile/ValueLines.h"

#include <charconv>
#include <cstring>

#include "regfile/RegValueSpec.h"
#include "regfile/TextScan.h"

namespace regfile {

namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::string& line, std::uint8_t byte) {
    line += kUpperDigits[byte >> 4];
    line += kUpperDigits[byte & 0x0F];
}

bool HasLineBreak(std::string_view text) {
    return ContainsByte(text, '\r') || ContainsByte(text, '\n');
}

// The string data to write: up to `size` bytes or the first zero byte.
std::string_view StringData(const void* data, std::uint32_t size) {
    const char* text = static_cast<const char*>(data);
    const void* zero = size > 0 ? std::memchr(text, '\0', size) : nullptr;
    return {text, zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - text)
                                  : size};
}

// Length of the composed line, computed before building it so that an oversized value is
// refused without composing it.
std::uint64_t ComposedLength(std::string_view name, std::int32_t type, std::uint64_t size,
                             std::string_view text) {
    std::uint64_t length = name.size() + 4; // the two quotes and CR LF
    switch (type) {
    case REG_DWORD:
        return length + 7 + 8;
    case REG_BINARY:
        return length + 5 + 3 * size - 1;
    case REG_SZ:
        return length + 3 + text.size();
    case REG_MULTI_SZ:
        return length + 10 + 3 * size + 5;
    default:
        return length;
    }
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    return static_cast<unsigned>(LowerAscii(c) - 'a' + 10);
}

} // namespace

std::optional<std::string> ComposeValueLine(std::string_view name, std::int32_t type,
                                            const void* data, std::uint32_t size) {
    if (name.empty() || HasLineBreak(name) || data == nullptr) {
        return std::nullopt;
    }
    if (type == REG_BINARY && size == 0) {
        return std::nullopt;
    }
    std::string_view text = type == REG_SZ ? StringData(data, size) : std::string_view{};
    if (HasLineBreak(text) || ComposedLength(name, type, size, text) > kMaxValueLine) {
        return std::nullopt;
    }

    std::string line;
    line.reserve(kMaxValueLine);
    line += '"';
    line += name;
    line += '"';
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    switch (type) {
    case REG_DWORD: {
        std::uint32_t value = 0;
        std::memcpy(&value, data, sizeof value);
        char digits[8];
        auto result = std::to_chars(digits, digits + sizeof digits, value, 16);
        line += "=dword:";
        line.append(digits, result.ptr);
        break;
    }
    case REG_BINARY:
        line += "=hex:";
        for (std::uint32_t i = 0; i < size; ++i) {
            if (i > 0) {
                line += ',';
            }
            AppendHexByte(line, bytes[i]);
        }
        break;
    case REG_SZ:
        line += "=\"";
        line += text;
        line += '"';
        break;
    case REG_MULTI_SZ:
        line += "=multi_sz:";
        for (std::uint32_t i = 0; i < size; ++i) {
            AppendHexByte(line, bytes[i]);
            line += ',';
        }
        line += "00,00";
        break;
    default:
        break;
    }
    line += "\r\n";
    return line;
}

bool ParseComposedValue(std::string_view line, std::string_view name, std::int32_t type,
                        std::uint32_t size, std::uint8_t* value) {
    const std::string_view keyword = type == REG_DWORD    ? "=dword:"
                                     : type == REG_BINARY ? "=hex:"
                                                          : "";
    const std::size_t dataBegin = name.size() + 2 + keyword.size();
    if (keyword.empty() || line.size() < dataBegin || line[0] != '"' ||
        line.substr(1, name.size()) != name || line[name.size() + 1] != '"' ||
        line.substr(name.size() + 2, keyword.size()) != keyword) {
        return false;
    }
    const std::string_view data = line.substr(dataBegin);
    if (type == REG_DWORD) {
        // Written by to_chars: lower-case digits, no leading zero.
        const std::optional<std::uint32_t> number = ParseDwordText(data);
        char digits[8];
        if (!number) {
            return false;
        }
        const auto written = std::to_chars(digits, digits + sizeof digits, *number, 16);
        if (std::string_view(digits, static_cast<std::size_t>(written.ptr - digits)) != data) {
            return false;
        }
        std::memcpy(value, &*number, sizeof *number);
        return true;
    }
    // Written by AppendHexByte: upper-case pairs, one comma between.
    const auto upper = [](char c) { return IsHexDigit(c) && kUpperDigits[HexValue(c)] == c; };
    if (size == 0 || data.size() != 3 * std::size_t{size} - 1) {
        return false;
    }
    for (std::size_t i = 0; i < size; ++i) {
        const char high = data[3 * i];
        const char low = data[3 * i + 1];
        if (!upper(high) || !upper(low) || (i + 1 < size && data[3 * i + 2] != ',')) {
            return false;
        }
        value[i] = static_cast<std::uint8_t>(HexValue(high) << 4 | HexValue(low));
    }
    return true;
}

namespace {

// After a value's text: blanks, then the line's end or a ";" comment. The comment's
// offset, or nullopt for other text (which makes the importer refuse the line).
std::optional<std::size_t> TrailerComment(std::string_view line, std::size_t from) {
    const std::size_t at = SkipBlanks(line, from);
    if (at == line.size() || line[at] == ';') {
        return at;
    }
    return std::nullopt;
}

// The closing quote of a quoted text opening at `quote`, with "\" escaping the next byte.
std::size_t ClosingQuote(std::string_view line, std::size_t quote) {
    for (std::size_t i = quote + 1; i < line.size(); ++i) {
        if (line[i] == '\\') {
            ++i;
        } else if (line[i] == '"') {
            return i;
        }
    }
    return kNotFound;
}

bool Refuse(ValueLine& value, std::string_view line) {
    value.Form = ValueForm::Invalid;
    value.DataEnd = line.size();
    value.Comment = line.size();
    return false;
}

// "hex:" or "hex(N):" at `at`; sets HexType, returns the offset after the colon.
std::optional<std::size_t> HexKeyword(std::string_view line, std::size_t at, std::int32_t& type) {
    if (line.substr(at, 4) == "hex:") {
        type = 3;
        return at + 4;
    }
    if (line.substr(at, 4) != "hex(") {
        return std::nullopt;
    }
    std::size_t i = SkipBlanks(line, at + 4);
    std::uint32_t number = 0;
    std::size_t digits = 0;
    for (; i < line.size() && IsHexDigit(line[i]) && digits < 8; ++i, ++digits) {
        number = number * 16 + HexValue(line[i]);
    }
    i = SkipBlanks(line, i);
    if (digits == 0 || line.substr(i, 2) != "):") {
        return std::nullopt;
    }
    type = static_cast<std::int32_t>(number);
    return i + 2;
}

} // namespace

bool ParseHexItems(std::string_view text, std::vector<std::uint8_t>* out, bool& continues,
                   std::size_t& comment) {
    continues = false;
    comment = text.size();
    std::size_t i = 0;
    for (;;) {
        // A byte, the end, a comment or a continuation is expected here.
        i = SkipBlanks(text, i);
        if (i == text.size() || text[i] == ';') {
            comment = i;
            return true;
        }
        if (text[i] == '\\') {
            std::optional<std::size_t> trailer = TrailerComment(text, i + 1);
            if (!trailer) {
                return false;
            }
            comment = *trailer;
            continues = true;
            return true;
        }
        if (!IsHexDigit(text[i])) {
            return false;
        }
        unsigned byte = HexValue(text[i++]);
        if (i < text.size() && IsHexDigit(text[i])) {
            byte = byte * 16 + HexValue(text[i++]);
        }
        if (out != nullptr) {
            out->push_back(static_cast<std::uint8_t>(byte));
        }
        // Behind a byte: a comma, or the end of the list.
        i = SkipBlanks(text, i);
        if (i < text.size() && text[i] == ',') {
            ++i;
            continue;
        }
        std::optional<std::size_t> trailer = TrailerComment(text, i);
        if (!trailer) {
            return false;
        }
        comment = *trailer;
        return true;
    }
}

ValueLine ParseValueLine(std::string_view line) {
    ValueLine value;
    const std::size_t quote = SkipBlanks(line, 0);
    if (quote == line.size() || line[quote] != '"') {
        return value;
    }
    value.IsValue = true;
    value.Quote = quote;
    const std::size_t close = ClosingQuote(line, quote);
    if (close == kNotFound) {
        value.Name = line.substr(quote + 1);
        Refuse(value, line);
        return value;
    }
    value.Name = line.substr(quote + 1, close - quote - 1);
    std::size_t at = SkipBlanks(line, close + 1);
    if (at == line.size() || line[at] != '=') {
        Refuse(value, line);
        return value;
    }
    at = SkipBlanks(line, at + 1);
    value.DataBegin = at;

    if (at < line.size() && line[at] == '"') {
        const std::size_t end = ClosingQuote(line, at);
        std::optional<std::size_t> trailer =
            end == kNotFound ? std::nullopt : TrailerComment(line, end + 1);
        if (!trailer) {
            Refuse(value, line);
            return value;
        }
        value.Form = ValueForm::String;
        value.DataBegin = at + 1;
        value.DataEnd = end + 1;
        value.Comment = *trailer;
        return value;
    }
    if (line.substr(at, 6) == "dword:") {
        value.DataBegin = at + 6;
        const std::size_t digits = SkipBlanks(line, value.DataBegin);
        std::size_t end = digits;
        while (end < line.size() && IsHexDigit(line[end])) {
            ++end;
        }
        std::optional<std::size_t> trailer = TrailerComment(line, end);
        if (end == digits || end - digits > 8 || !trailer) {
            Refuse(value, line);
            return value;
        }
        value.Form = ValueForm::Dword;
        value.DataEnd = end;
        value.Comment = *trailer;
        return value;
    }
    if (std::optional<std::size_t> data = HexKeyword(line, at, value.HexType)) {
        value.DataBegin = *data;
        std::size_t comment = 0;
        if (!ParseHexItems(line.substr(*data), nullptr, value.Continues, comment)) {
            value.Continues = false;
            Refuse(value, line);
            return value;
        }
        value.Form = ValueForm::Hex;
        value.Comment = *data + comment;
        value.DataEnd = value.DataBegin + TrimBlanksEnd(line.substr(*data, comment)).size();
        return value;
    }
    if (line.substr(at, 9) == "multi_sz:") {
        // The form this editor writes for multi-strings: recognised, its data not read.
        value.Form = ValueForm::MultiSz;
        value.DataBegin = at + 9;
        const std::size_t comment = line.find(';', value.DataBegin);
        value.Comment = comment == kNotFound ? line.size() : comment;
        value.DataEnd =
            value.DataBegin +
            TrimBlanksEnd(line.substr(value.DataBegin, value.Comment - value.DataBegin)).size();
        return value;
    }
    if (at < line.size() && line[at] == '-') {
        if (std::optional<std::size_t> trailer = TrailerComment(line, at + 1)) {
            value.Form = ValueForm::Delete;
            value.DataEnd = at + 1;
            value.Comment = *trailer;
            return value;
        }
    }
    Refuse(value, line);
    return value;
}

ValueExtent ReadValueExtent(std::string_view text, const LineSpan& firstLine,
                            const ValueLine& first, bool withBytes) {
    ValueExtent extent;
    extent.First = first;
    LineSpan line = firstLine;
    const std::size_t lineBegin = line.Begin;
    extent.Begin = lineBegin + first.Quote;
    extent.LastLineBegin = lineBegin;
    extent.ContentEnd = line.End;
    extent.End = line.Next;
    extent.DataEnd = lineBegin + first.DataEnd;
    extent.Comment = lineBegin + first.Comment;
    extent.Valid = first.Form != ValueForm::Invalid;
    if (first.Form != ValueForm::Hex) {
        return extent;
    }
    // The line's parse tells whether the list carries on; its bytes are read only when
    // asked for.
    bool continues = first.Continues;
    std::size_t comment = 0;
    if (withBytes) {
        const std::string_view firstText(text.data() + line.Begin, line.End - line.Begin);
        // A byte takes two digits and a comma: one allocation for a list on one line.
        extent.Bytes.reserve((firstText.size() - first.DataBegin) / 3 + 1);
        ParseHexItems(firstText.substr(first.DataBegin), &extent.Bytes, continues, comment);
    }
    // The importer carries a list ending in "\" on to the next line that is neither blank
    // nor a ";" comment, whatever that line holds; at the text's end the list just ends.
    while (continues) {
        LineSpan next = LineAt(text, line.Next);
        while (next.Begin < text.size()) {
            const std::string_view body(text.data() + next.Begin, next.End - next.Begin);
            const std::size_t at = SkipBlanks(body, 0);
            if (at < body.size() && body[at] != ';') {
                break;
            }
            next = LineAt(text, next.Next);
        }
        if (next.Begin >= text.size()) {
            break;
        }
        line = next;
        const std::string_view body(text.data() + line.Begin, line.End - line.Begin);
        extent.SingleLine = false;
        extent.LastLineBegin = line.Begin;
        extent.ContentEnd = line.End;
        extent.End = line.Next;
        if (!ParseHexItems(body, withBytes ? &extent.Bytes : nullptr, continues, comment)) {
            extent.Valid = false;
            continues = false;
            comment = body.size();
        }
        extent.Comment = line.Begin + comment;
        extent.DataEnd = line.Begin + TrimBlanksEnd(body.substr(0, comment)).size();
    }
    if (first.HexType == 4 && withBytes && extent.Bytes.size() != 4) {
        extent.Valid = false; // not a dword this editor can read
    }
    return extent;
}

std::optional<std::uint32_t> ParseDwordText(std::string_view text) {
    std::size_t i = SkipBlanks(text, 0);
    std::uint32_t value = 0;
    std::size_t digits = 0;
    for (; i < text.size() && IsHexDigit(text[i]); ++i, ++digits) {
        if (digits == 8) {
            return std::nullopt;
        }
        value = value * 16 + HexValue(text[i]);
    }
    if (digits == 0) {
        return std::nullopt;
    }
    return value;
}

} // namespace regfile
