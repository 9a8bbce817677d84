// The value operations of the editor: one value line read or written inside a template
// section, and a whole value list applied in one call.
#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <span>

#include "regfile/RegFile.h"

#include "regfile/KeyLines.h"
#include "regfile/TextScan.h"
#include "regfile/ValueLines.h"

namespace regfile {

namespace {

bool HasLineBreak(std::string_view text) {
    return ContainsByte(text, '\r') || ContainsByte(text, '\n');
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
    const Section* section = LastSection(driverKey, index);
    LastIndex_ = index;

    try {
        std::optional<std::string> line = ComposeValueLine(name, type, data, size);
        if (!line) {
            return 1;
        }
        if (section == nullptr) {
            const std::size_t textEnd = TextEnd();
            Splice(textEnd, textEnd, *line);
            return 0;
        }
        const Occurrence found = FindValue(driverKey, index, name);
        if (!found.Found) {
            line->insert(0, 1, '\n');
            const std::size_t insertAt = EndOfSectionLines(*LastSection(driverKey, index));
            Splice(insertAt, insertAt, *line);
            // As for an appended header: a hex list carried on by "\" ahead of the new line
            // would take it for its bytes, so that "\" goes.
            if (std::optional<std::size_t> backslash = CarryingBackslash(Text(), insertAt + 1)) {
                Splice(*backslash, *backslash + 1, {});
            }
            return 0;
        }

        // The old value, all its lines, from its opening quote: a value written as it
        // stands changes nothing; otherwise the new line takes the old last line's line
        // end, and a trailing comment stays on a line of its own behind it.
        const ValueExtent& old = found.Value;
        const std::string_view text = Text();
        const std::string_view composed(line->data(), line->size() - 2);
        if (old.SingleLine && text.substr(old.Begin, old.DataEnd - old.Begin) == composed) {
            return 0;
        }
        const std::string_view lineEnd = text.substr(old.ContentEnd, old.End - old.ContentEnd);
        line->resize(composed.size());
        *line += lineEnd.empty() ? std::string_view("\r\n") : lineEnd;
        std::size_t restStart = old.End;
        if (old.Comment < old.ContentEnd) {
            restStart = old.Comment;
            if (restStart > old.LastLineBegin && IsBlank(text[restStart - 1])) {
                --restStart;
            }
        }
        Splice(old.Begin, restStart, *line);
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
    const Section* section = LastSection(driverKey, index);
    LastIndex_ = index;
    const std::string_view nameText(name);
    if (section == nullptr || nameText.empty() || HasLineBreak(nameText)) {
        return 1;
    }
    return ReadOccurrence(FindValue(driverKey, index, nameText), type, data, size);
}

int RegFile::ReadOccurrence(const Occurrence& found, std::int32_t* type, void* data,
                            std::uint32_t* size) const {
    if (!found.Found || !found.Value.Valid) {
        return 1;
    }
    const ValueExtent& value = found.Value;
    const std::string_view text = Text();
    const std::uint32_t capacity = *size;
    const std::size_t lineBegin = value.Begin - value.First.Quote;
    const std::string_view dataText =
        text.substr(lineBegin + value.First.DataBegin, value.First.DataEnd - value.First.DataBegin);

    switch (value.First.Form) {
    case ValueForm::Dword: {
        *type = REG_DWORD;
        *size = 4;
        std::optional<std::uint32_t> number = ParseDwordText(dataText);
        if (data == nullptr || capacity < 4 || !number) {
            return 1;
        }
        std::memcpy(data, &*number, sizeof *number);
        return 0;
    }
    case ValueForm::Hex: {
        if (value.First.HexType == REG_MULTI_SZ) {
            *type = REG_MULTI_SZ;
            *size = 0;
            return 0;
        }
        const auto count = static_cast<std::uint32_t>(value.Bytes.size());
        *type = value.First.HexType;
        *size = count;
        if (data == nullptr || (value.First.HexType == REG_DWORD && capacity < 4)) {
            return 1;
        }
        const std::size_t stored = std::min(capacity, count);
        if (stored > 0) {
            std::memcpy(data, value.Bytes.data(), stored);
        }
        return 0;
    }
    case ValueForm::MultiSz:
        *type = REG_MULTI_SZ;
        *size = 0;
        return 0;
    case ValueForm::String: {
        // The text between the quotes, as written.
        const std::string_view stringText = dataText.substr(0, dataText.size() - 1);
        *type = REG_SZ;
        *size = static_cast<std::uint32_t>(stringText.size());
        if (data == nullptr) {
            return 1;
        }
        const std::size_t stored = std::min<std::size_t>(capacity, stringText.size());
        if (stored > 0) {
            std::memcpy(data, stringText.data(), stored);
        }
        return 0;
    }
    case ValueForm::Delete:
    case ValueForm::Invalid:
        return 1;
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
    bool asWritten = false;
    return ReadValueList(driverKey, index, list, nullptr, asWritten);
}

int RegFile::ReadValueList(std::string_view driverKey, int index, RegValueSpec* list,
                           const RegValueSpec* written, bool& asWritten) {
    int result = 0;
    if (ReadWrittenValueList(driverKey, index, list, written, result, asWritten)) {
        return result;
    }
    return ReadValueListByWalk(driverKey, index, list, written, asWritten);
}

bool RegFile::ReadWrittenValueList(std::string_view driverKey, int index, RegValueSpec* list,
                                   const RegValueSpec* written, int& result, bool& asWritten) {
    // Most files hold each template as a Save left it: its three lines are parsed in that
    // one form, with no general parse of value lines and no line composed to compare.
    constexpr std::size_t kMaxEntries = 4;
    constexpr std::uint32_t kMaxBytes = 32;
    if (written == nullptr) {
        return false;
    }
    std::size_t count = 0;
    for (; list[count].Name != nullptr; ++count) {
        const RegValueSpec& entry = written[count];
        if (count == kMaxEntries || entry.Name == nullptr ||
            std::string_view(entry.Name) != list[count].Name || *entry.Name == '\0' ||
            HasLineBreak(entry.Name) ||
            !(entry.Type == REG_DWORD ||
              (entry.Type == REG_BINARY && entry.Size > 0 && entry.Size <= kMaxBytes))) {
            return false;
        }
    }
    // The import merges several sections of one template: the walk tells.
    if (count == 0 || SectionCount(index, driverKey) != 1) {
        return false;
    }
    const Section* section = LastSection(driverKey, index);
    // Each value's bytes as read: a dword's 4, a binary's written[i].Size.
    std::uint8_t values[kMaxEntries][kMaxBytes] = {};
    bool seen[kMaxEntries] = {};
    const std::string_view text = Text();
    for (std::size_t pos = section->BodyStart; pos < section->End;) {
        const LineSpan line = LineAt(text, pos);
        pos = line.Next;
        const std::string_view content =
            text.substr(line.Begin, std::min(line.End, section->End) - line.Begin);
        if (SkipBlanks(content, 0) == content.size()) {
            continue;
        }
        std::size_t i = 0;
        while (i < count && !ParseComposedValue(content, written[i].Name, written[i].Type,
                                                written[i].Size, values[i])) {
            ++i;
        }
        if (i == count || seen[i]) {
            return false;
        }
        seen[i] = true;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (!seen[i]) {
            return false;
        }
    }
    // What ReadOccurrence stores and answers for such lines.
    asWritten = true;
    for (std::size_t i = 0; i < count; ++i) {
        RegValueSpec& entry = list[i];
        const std::uint32_t capacity = entry.Size;
        const bool dword = written[i].Type == REG_DWORD;
        const std::uint32_t size = dword ? 4 : written[i].Size;
        entry.Type = dword ? REG_DWORD : REG_BINARY;
        entry.Size = size;
        const bool stored = entry.Data != nullptr && (!dword || capacity >= 4);
        if (stored) {
            std::memcpy(entry.Data, values[i], std::min(capacity, size));
        }
        result = stored ? 1 : 0;
        // The lines are as a write of `written` composes them when it holds what they say.
        asWritten = asWritten && written[i].Data != nullptr &&
                    std::memcmp(written[i].Data, values[i], size) == 0;
    }
    LastIndex_ = index;
    return true;
}

int RegFile::ReadValueListByWalk(std::string_view driverKey, int index, RegValueSpec* list,
                                 const RegValueSpec* written, bool& asWritten) {
    // Every entry is read, all in one walk over the template's lines; the list reports
    // the last one.
    const Section* section = LastSection(driverKey, index);
    LastIndex_ = index;
    FewOrMany<Occurrence> found = FindListValues(driverKey, index, list, true);
    int result = 0;
    for (std::size_t i = 0; i < found.size(); ++i) {
        RegValueSpec& entry = list[i];
        const std::string_view name = entry.Name;
        const bool readable = section != nullptr && !name.empty() && !HasLineBreak(name);
        result =
            readable && ReadOccurrence(found[i], &entry.Type, entry.Data, &entry.Size) == 0 ? 1 : 0;
    }
    // WriteValue leaves alone a value whose one line, the one it would replace, reads as it
    // would write it.
    asWritten = section != nullptr && written != nullptr;
    const std::string_view text = Text();
    for (std::size_t i = 0; asWritten && i < found.size(); ++i) {
        const ValueExtent& value = found[i].Value;
        const std::optional<std::string> line = ComposeValueLine(
            written[i].Name, written[i].Type, written[i].Data, WrittenSize(written[i]));
        asWritten = written[i].Name != nullptr &&
                    std::string_view(written[i].Name) == list[i].Name && found[i].Found && line &&
                    value.SingleLine &&
                    text.substr(value.Begin, value.DataEnd - value.Begin) ==
                        std::string_view(*line).substr(0, line->size() - 2);
    }
    return result;
}

} // namespace regfile
