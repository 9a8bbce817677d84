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

bool IsHexSeparator(char c) {
    return c == ',' || c == ' ';
}

// From after the keyword that follows the name's end up to the first ";" or the line's end.
std::string_view TextAfterKeyword(std::string_view line, std::size_t nameEnd,
                                  std::string_view keyword) {
    std::size_t at = nameEnd <= line.size() ? line.find(keyword, nameEnd) : kNotFound;
    if (at == kNotFound) {
        return {};
    }
    std::string_view text = line.substr(at + keyword.size());
    return text.substr(0, text.find(';'));
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

ValueKind KindOfLine(std::string_view line) {
    if (line.find("dword:") != kNotFound) {
        return ValueKind::Dword;
    }
    if (line.find("hex:") != kNotFound) {
        return ValueKind::Binary;
    }
    if (line.find("hex(7):") != kNotFound || line.find("multi_sz:") != kNotFound) {
        return ValueKind::MultiString;
    }
    return ValueKind::String;
}

std::string_view DwordText(std::string_view line, std::size_t nameEnd) {
    return TextAfterKeyword(line, nameEnd, "dword:");
}

std::string_view HexText(std::string_view line, std::size_t nameEnd) {
    return TextAfterKeyword(line, nameEnd, "hex:");
}

std::optional<std::uint32_t> ParseDword(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    if (text.substr(i, 2) == "0x" || text.substr(i, 2) == "0X") {
        i += 2;
    }
    std::uint64_t value = 0;
    for (; i < text.size() && IsHexDigit(text[i]); ++i) {
        value = value * 16 + HexValue(text[i]);
        if (value > 0xFFFFFFFFu) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}

std::uint32_t HexByteCount(std::string_view text) {
    std::size_t digits = 0;
    for (char c : text) {
        digits += IsHexSeparator(c) ? 0 : 1;
    }
    return static_cast<std::uint32_t>(digits / 2);
}

void ParseHexBytes(std::string_view text, std::span<std::uint8_t> out) {
    std::size_t stored = 0;
    std::size_t i = 0;
    while (i < text.size() && stored < out.size()) {
        if (IsHexSeparator(text[i])) {
            ++i;
            continue;
        }
        // A byte is the number of at most two digits here; then the two digits and one
        // separator are passed over.
        unsigned byte = 0;
        for (std::size_t k = i; k < i + 2 && k < text.size() && IsHexDigit(text[k]); ++k) {
            byte = byte * 16 + HexValue(text[k]);
        }
        out[stored++] = static_cast<std::uint8_t>(byte);
        i += 3;
    }
}

std::string_view StringText(std::string_view line, std::size_t nameEnd) {
    std::size_t equals = nameEnd <= line.size() ? line.find('=', nameEnd) : kNotFound;
    if (equals == kNotFound) {
        return {};
    }
    std::size_t begin = equals + 1;
    while (begin < line.size() && (line[begin] == ' ' || line[begin] == '\t')) {
        ++begin;
    }
    if (begin < line.size() && line[begin] == '"') {
        ++begin;
    }
    std::size_t end = line.size();
    while (end > begin && (line[end - 1] == ' ' || line[end - 1] == '\t')) {
        --end;
    }
    if (end > begin && line[end - 1] == '"') {
        --end;
    }
    return line.substr(begin, end - begin);
}

} // namespace regfile
