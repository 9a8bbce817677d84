// The value operations of the editor: one value line read or written inside a template
// section, and a whole value list applied in one call.
#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <span>

#include "regfile/RegFile.h"
#include "regfile/TextScan.h"
#include "regfile/ValueLines.h"

namespace regfile {

namespace {

bool HasLineBreak(std::string_view text) {
    return ContainsByte(text, '\r') || ContainsByte(text, '\n');
}

// The value line of `name` in `section` from `from` on (just after the header text): the
// first place where the name stands in quotes that open a line (or the rest of the header's
// line), blanks ahead allowed, followed by its closing quote or the end of the line. The
// name elsewhere (in a comment, inside another value's text) is not a value line: writing
// there would overwrite that other text, and reading there would load it.
std::size_t FindValueName(std::string_view section, std::string_view name, std::size_t from) {
    for (std::size_t at = section.find(name, from); at != kNotFound;
         at = section.find(name, at + 1)) {
        const std::size_t after = at + name.size();
        if (at <= from || section[at - 1] != '"')
            continue;
        if (after < section.size() && section[after] != '"' && section[after] != '\r' &&
            section[after] != '\n')
            continue;
        std::size_t begin = at - 1;
        while (begin > from && (section[begin - 1] == ' ' || section[begin - 1] == '\t'))
            --begin;
        if (begin == from || section[begin - 1] == '\r' || section[begin - 1] == '\n')
            return at;
    }
    return kNotFound;
}

// The byte count the list driver passes for an entry. Strings are single-byte text: a
// string is its characters and its zero, a multi-string every string with its zero plus
// the zero of the empty string that ends it.
std::uint32_t WrittenSize(const RegValueSpec& entry) {
    switch (entry.Type) {
    case REG_DWORD:
        return 4;
    case REG_SZ:
        return entry.Data != nullptr ? static_cast<std::uint32_t>(
                                           std::strlen(static_cast<const char*>(entry.Data)) + 1)
                                     : 0;
    case REG_MULTI_SZ: {
        if (entry.Data == nullptr) {
            return 0;
        }
        const char* text = static_cast<const char*>(entry.Data);
        std::size_t total = 0;
        while (text[total] != '\0') {
            total += std::strlen(text + total) + 1;
        }
        return static_cast<std::uint32_t>(total + 1);
    }
    default:
        return entry.Size;
    }
}

} // namespace

int RegFile::WriteValue(std::string_view driverKey, int index, const char* name, std::int32_t type,
                        const void* data, std::uint32_t size) {
    if (name == nullptr || data == nullptr) {
        return 1;
    }
    const SectionSpan span = Locate(driverKey, index);
    SpanStart_ = static_cast<std::uint32_t>(span.Start);
    SpanEnd_ = static_cast<std::uint32_t>(span.End);
    LastIndex_ = index;

    std::optional<std::string> line;
    try {
        line = ComposeValueLine(name, type, data, size);
        if (!line) {
            return 1;
        }
        if (!span.Found) {
            const std::size_t textEnd = TextEnd();
            Splice(textEnd, textEnd, *line);
            return 0;
        }

        const std::string_view nameText(name);
        // A section lies inside the text: it ends at a "[" or at the text's end.
        const char* text = Block();
        const std::string_view section(text, span.End);
        // The header's own text is never a value line, whatever the name.
        const std::size_t at = FindValueName(section, nameText, span.HeaderEnd);
        if (at == kNotFound) {
            line->insert(0, 1, '\n');
            std::size_t insertAt = EndOfSectionLines(span);
            Splice(insertAt, insertAt, *line);
            return 0;
        }

        // The old line runs from its opening quote to its line end; a trailing comment and
        // the byte ahead of it stay on a line of their own.
        const std::size_t lineStart = at > span.HeaderEnd ? at - 1 : span.HeaderEnd;
        const std::size_t nameEnd = at + nameText.size();
        const std::size_t lineEnd = FindLineEnd(section, nameEnd);
        const std::size_t semicolon = section.substr(nameEnd, lineEnd - nameEnd).find(';');
        std::size_t restStart = lineEnd;
        if (semicolon != kNotFound) {
            restStart = nameEnd + semicolon - 1;
        } else if (lineEnd < section.size()) {
            // The byte behind the section's last byte is a "[" or the zero that ends the
            // text (or Block), never an LF beyond the text.
            bool crlf = section[lineEnd] == '\r' && text[lineEnd + 1] == '\n';
            restStart = lineEnd + (crlf ? 2 : 1);
        }
        Splice(lineStart, restStart, *line);
        return 0;
    } catch (const std::bad_alloc&) {
        return 1;
    }
}

int RegFile::ReadValue(std::string_view driverKey, int index, const char* name, std::int32_t* type,
                       void* data, std::uint32_t* size) {
    if (name == nullptr || type == nullptr || size == nullptr) {
        return 1;
    }
    const SectionSpan span = Locate(driverKey, index);
    SpanStart_ = static_cast<std::uint32_t>(span.Start);
    SpanEnd_ = static_cast<std::uint32_t>(span.End);
    LastIndex_ = index;
    if (!span.Found) {
        return 1;
    }
    const std::string_view nameText(name);
    if (nameText.empty() || HasLineBreak(nameText)) {
        return 1;
    }
    const std::string_view section(Block(), span.End);
    const std::size_t at = FindValueName(section, nameText, span.HeaderEnd);
    if (at == kNotFound) {
        return 1;
    }
    LineSpan bounds = LineAround(section, at);
    bounds.Begin = std::max(bounds.Begin, span.HeaderEnd);
    const std::string_view line = section.substr(bounds.Begin, bounds.End - bounds.Begin);
    const std::size_t nameEnd = at + nameText.size() - bounds.Begin;
    const std::uint32_t capacity = *size;

    switch (KindOfLine(line)) {
    case ValueKind::Dword: {
        *type = REG_DWORD;
        *size = 4;
        std::optional<std::uint32_t> value = ParseDword(DwordText(line, nameEnd));
        if (data == nullptr || capacity < 4 || !value) {
            return 1;
        }
        std::memcpy(data, &*value, sizeof *value);
        return 0;
    }
    case ValueKind::Binary: {
        const std::string_view hex = HexText(line, nameEnd);
        const std::uint32_t count = HexByteCount(hex);
        *type = REG_BINARY;
        *size = count;
        if (data == nullptr) {
            return 1;
        }
        ParseHexBytes(hex, std::span(static_cast<std::uint8_t*>(data), std::min(capacity, count)));
        return 0;
    }
    case ValueKind::MultiString:
        *type = REG_MULTI_SZ;
        *size = 0;
        return 0;
    case ValueKind::String: {
        const std::string_view value = StringText(line, nameEnd);
        *type = REG_SZ;
        *size = static_cast<std::uint32_t>(value.size());
        if (data == nullptr) {
            return 1;
        }
        const std::size_t stored = std::min<std::size_t>(capacity, value.size());
        if (stored > 0) {
            std::memcpy(data, value.data(), stored);
        }
        return 0;
    }
    }
    return 1;
}

int RegFile::ApplyValueList(std::string_view driverKey, int index, RegValueSpec* list, int mode) {
    if (list == nullptr) {
        return 0;
    }
    if (mode == 1) {
        // A list that ends at once has nothing to write, which is no failure.
        for (RegValueSpec* entry = list; entry->Name != nullptr; ++entry) {
            try {
                if (WriteValue(driverKey, index, entry->Name, entry->Type, entry->Data,
                               WrittenSize(*entry)) != 0) {
                    return 0;
                }
            } catch (...) {
                return 0;
            }
        }
        return 1;
    }
    // Every entry is read; the list reports the last one.
    int result = 0;
    for (RegValueSpec* entry = list; entry->Name != nullptr; ++entry) {
        result =
            ReadValue(driverKey, index, entry->Name, &entry->Type, entry->Data, &entry->Size) == 0
                ? 1
                : 0;
    }
    return result;
}

} // namespace regfile
