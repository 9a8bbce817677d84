#include "regfile/ValueLines.h"

#include <charconv>
#include <cstring>

#include "regfile/RegValueSpec.h"

namespace regfile {

namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::string& line, std::uint8_t byte) {
    line += kUpperDigits[byte >> 4];
    line += kUpperDigits[byte & 0x0F];
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
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

} // namespace regfile
