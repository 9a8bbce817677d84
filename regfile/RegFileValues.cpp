// The value operations of the editor: one value read or written in a template's key, and
// a whole value list applied in one call.
#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "regfile/RegFile.h"

#include "regfile/TextEdits.h"
#include "regfile/ValueLines.h"

namespace regfile {

namespace {

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

// Stores up to `capacity` of `bytes` at `data`.
void Store(void* data, std::uint32_t capacity, std::string_view bytes) {
    const std::size_t stored = std::min<std::size_t>(capacity, bytes.size());
    if (stored > 0) {
        std::memcpy(data, bytes.data(), stored);
    }
}

} // namespace

int RegFile::WriteValue(std::string_view driverKey, int index, const char* name, std::int32_t type,
                        const void* data, std::uint32_t size) {
    if (name == nullptr || data == nullptr) {
        return 1;
    }
    lastIndex_ = index;
    try {
        std::optional<std::string> line = ComposeValueLine(name, type, data, size);
        if (!line) {
            return 1;
        }
        const KeySection* section = LastSectionOf(driverKey, index);
        if (section == nullptr) {
            InsertLines(TextEnd(), *line);
            return 0;
        }
        if (const ImportedValue* value = FindValue(driverKey, index, name)) {
            const TextEdit edit = ReplaceValueEdit(text_, value->Source, std::move(*line), index);
            Splice(edit.Start, edit.End, edit.Text);
            return 0;
        }
        // A value the section lacks goes at its end, behind one lone LF.
        line->insert(0, 1, '\n');
        InsertLines(section->EndLine, *line);
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
    lastIndex_ = index;
    const ImportedValue* value = FindValue(driverKey, index, name);
    if (value == nullptr) {
        return 1;
    }
    const std::uint32_t capacity = *size;
    const auto found = static_cast<std::int32_t>(value->Type);
    switch (found) {
    case REG_MULTI_SZ:
        *type = REG_MULTI_SZ;
        *size = 0;
        return 0;
    case REG_SZ: {
        const std::string text = NarrowText(value->Data);
        *type = REG_SZ;
        *size = static_cast<std::uint32_t>(text.size());
        if (data == nullptr) {
            return 1;
        }
        Store(data, capacity, text);
        return 0;
    }
    default:
        // A dword and any other type: its bytes. A dword needs room for its 4, and a
        // "hex(4):" list of another length is no dword to store.
        *type = found;
        *size = static_cast<std::uint32_t>(value->Data.size());
        if (data == nullptr || (found == REG_DWORD && (capacity < 4 || *size != 4))) {
            return 1;
        }
        Store(data, capacity, value->Data);
        return 0;
    }
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
