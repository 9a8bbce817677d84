#include "templates/SaveEdits.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "regfile/RegValueSpec.h"
#include "regfile/RegistryChange.h"
#include "regfile/TextEdits.h"
#include "regfile/ValueLines.h"

namespace templates {
namespace {

using regfile::ImportedValue;
using regfile::ImportReading;
using regfile::NoteKind;

constexpr const char* kValueNames[3] = {"SwitchID", "TriggerMode", "LatchData"};
constexpr std::uint8_t kValueBits[3] = {kSwitchIdValue, kTriggerModeValue, kLatchDataValue};

std::uint16_t Bit(int index) {
    return static_cast<std::uint16_t>(1u << index);
}

std::string TemplateName(int index) {
    return "Template" + std::to_string(index);
}

// A header line up to the template's number, in lower case.
std::string LowerHeaderPrefix(std::string_view driverKey) {
    std::string prefix = regfile::SectionHeaderLine(driverKey, 0);
    prefix.resize(prefix.size() - 2);
    return regfile::LowerCase(prefix);
}

// Value v of a record: its registry type and bytes.
regfile::RegistryValue RecordValue(const TemplateRecord& record, int v) {
    if (v == 0) {
        const auto id = static_cast<std::uint32_t>(record.SwitchId);
        std::string data(4, '\0');
        for (int i = 0; i < 4; ++i)
            data[static_cast<std::size_t>(i)] = static_cast<char>((id >> (8 * i)) & 0xff);
        return {kValueNames[0], regfile::REG_DWORD, data};
    }
    const std::uint8_t* bytes = v == 1 ? record.TriggerMode : record.LatchData;
    return {kValueNames[v], regfile::REG_BINARY,
            std::string(reinterpret_cast<const char*>(bytes), 8)};
}

// The line that writes value v of a record, CR LF included.
std::optional<std::string> ValueLineOf(const TemplateRecord& record, int v) {
    if (v == 0)
        return regfile::ComposeValueLine(kValueNames[0], regfile::REG_DWORD, &record.SwitchId, 4);
    return regfile::ComposeValueLine(kValueNames[v], regfile::REG_BINARY,
                                     v == 1 ? record.TriggerMode : record.LatchData, 8);
}

using Edit = regfile::TextEdit;

} // namespace

bool SaveRequest::ChangesAnything() const {
    return Touched() != 0;
}

std::uint16_t SaveRequest::Touched() const {
    std::uint16_t touched = Deletes;
    for (const int index : Adds) {
        if (index >= 0 && index < kTemplateCount)
            touched = static_cast<std::uint16_t>(touched | Bit(index));
    }
    for (int i = 0; i < kTemplateCount; ++i) {
        if (Changed[i] != 0)
            touched = static_cast<std::uint16_t>(touched | Bit(i));
    }
    return touched;
}

std::uint8_t ChangedValues(const TemplateRecord& before, const TemplateRecord& after) {
    std::uint8_t changed = 0;
    if (before.SwitchId != after.SwitchId)
        changed |= kSwitchIdValue;
    if (std::memcmp(before.TriggerMode, after.TriggerMode, sizeof before.TriggerMode) != 0)
        changed |= kTriggerModeValue;
    if (std::memcmp(before.LatchData, after.LatchData, sizeof before.LatchData) != 0)
        changed |= kLatchDataValue;
    return changed;
}

ReadTemplate ReadTemplateOf(const ImportReading& reading, int index) {
    ReadTemplate read;
    read.Record.SwitchId = index;
    const int key = reading.TemplateKey(index);
    if (key < 0)
        return read;
    if (const ImportedValue* value = reading.FindValue(key, kValueNames[0]);
        value && value->Type == regfile::REG_DWORD && value->Data.size() == 4) {
        read.Record.SwitchId = static_cast<std::int32_t>(regfile::DwordOf(value->Data));
        read.SwitchIdRead = true;
    }
    for (int v = 1; v < 3; ++v) {
        const ImportedValue* value = reading.FindValue(key, kValueNames[v]);
        if (v == 2)
            read.LatchDataFound = value != nullptr;
        if (!value || value->Type != regfile::REG_BINARY)
            continue;
        std::uint8_t* bytes = v == 1 ? read.Record.TriggerMode : read.Record.LatchData;
        std::memcpy(bytes, value->Data.data(), std::min<std::size_t>(8, value->Data.size()));
    }
    return read;
}

std::string NotSavableReason(const ImportReading& reading, std::string_view text) {
    if (const auto& undefined = reading.UndefinedAt())
        return "line " + std::to_string(undefined->Line) + " holds " + undefined->Reason +
               ", and what the registry import makes of the file from there on is not defined";
    if (!reading.HasHeader() && !text.empty())
        return "line 1 is not a registry file header (\"REGEDIT4\" or \"Windows Registry "
               "Editor Version 5.00\"), so the registry import reads none of the file";
    return {};
}

ComposedSave ComposeSave(std::string_view before, const ImportReading& reading,
                         const TemplateRecord* records, const SaveRequest& request, bool merged) {
    ComposedSave composed;
    if (std::string reason = NotSavableReason(reading, before); !reason.empty()) {
        composed.Refusal = "The file cannot be saved: " + reason + ".";
        return composed;
    }
    const std::string_view driverKey = reading.DriverKey();
    const std::string byOther = merged ? " by another program since this file was read" : "";
    std::vector<Edit> edits;
    for (int i = 0; i < kTemplateCount; ++i) {
        if (request.Deletes & Bit(i))
            regfile::DeleteKeyEdits(reading, ImportReading::TemplateKeyPath(driverKey, i), i,
                                    edits);
    }
    std::string appended;
    for (int i = 0; i < kTemplateCount; ++i) {
        const std::uint8_t changed = request.Changed[i];
        if (changed == 0 || (request.Deletes & Bit(i)))
            continue;
        const int key = reading.TemplateKey(i);
        if (key < 0) {
            composed.Refusal = TemplateName(i) + " was removed" + byOther + ".";
            return composed;
        }
        std::string missing;
        for (int v = 0; v < 3; ++v) {
            if (!(changed & kValueBits[v]))
                continue;
            std::optional<std::string> line = ValueLineOf(records[i], v);
            if (!line) {
                composed.Refusal = TemplateName(i) + "'s " + kValueNames[v] +
                                   " cannot be written as a value line.";
                return composed;
            }
            if (const ImportedValue* value = reading.FindValue(key, kValueNames[v]))
                edits.push_back(
                    regfile::ReplaceValueEdit(before, value->Source, std::move(*line), i));
            else
                missing += "\n" + *line;
        }
        if (missing.empty())
            continue;
        // A value the template lacks goes at the end of the section its values go to last.
        if (const regfile::KeySection* section = reading.LastSection(i))
            edits.push_back({section->EndLine, section->EndLine, std::move(missing), i});
        else
            appended += regfile::AppendedSection(driverKey, i, missing);
    }
    for (const int i : request.Adds) {
        if (i < 0 || i >= kTemplateCount)
            continue;
        if (!(request.Deletes & Bit(i)) && reading.TemplateKey(i) >= 0) {
            composed.Refusal = TemplateName(i) + " was added" + byOther + ".";
            return composed;
        }
        std::string lines;
        for (int v = 0; v < 3; ++v) {
            std::optional<std::string> line = ValueLineOf(records[i], v);
            if (!line) {
                composed.Refusal = TemplateName(i) + "'s " + kValueNames[v] +
                                   " cannot be written as a value line.";
                return composed;
            }
            lines += "\n" + *line;
        }
        appended += regfile::AppendedSection(driverKey, i, lines);
    }
    if (const std::size_t overlap = regfile::FindOverlap(edits); overlap != 0) {
        composed.Refusal = TemplateName(edits[overlap].Template) + "'s lines on line " +
                           std::to_string(reading.LineOf(edits[overlap].Start)) +
                           " overlap another template's.";
        return composed;
    }
    if (!appended.empty()) {
        // An empty file gets the header that makes the import read it.
        if (before.empty())
            appended = "REGEDIT4\r\n" + appended.substr(3);
        // A header that ends the file gets its line end: with a blank behind it, it would
        // be none.
        appended.insert(0, regfile::HeaderLineEndAhead(reading, before, before.size()));
        edits.push_back({before.size(), before.size(), std::move(appended), -1});
    }
    composed.Text = regfile::ApplyEdits(before, edits);
    return composed;
}

namespace {

// What the request does to the registry that `before` gives.
regfile::RegistryChange IntendedChange(const ImportReading& before, const TemplateRecord* records,
                                       const SaveRequest& request) {
    regfile::RegistryChange change;
    const std::string_view driverKey = before.DriverKey();
    for (int i = 0; i < kTemplateCount; ++i) {
        if (request.Deletes & Bit(i))
            change.Deleted.push_back(
                regfile::LowerCase(ImportReading::TemplateKeyPath(driverKey, i)));
    }
    // The key as it is meant to be, starting from what it holds in `before` (nothing when
    // it is new or deleted), with every key above it that an appended header creates.
    auto keyOf = [&](int index) -> regfile::RegistryKey& {
        const std::string path = ImportReading::TemplateKeyPath(driverKey, index);
        for (std::size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
            const std::string prefix = path.substr(0, end);
            const std::string lower = regfile::LowerCase(prefix);
            const bool last = end == std::string::npos;
            if (!last && before.FindKey(prefix) >= 0)
                continue; // kept as it is
            const auto [entry, created] = change.Set.try_emplace(lower);
            regfile::RegistryKey& key = entry->second;
            if (created) {
                key.Path = prefix;
                const bool deleted = (request.Deletes & Bit(index)) != 0;
                if (const int existing = before.FindKey(prefix); existing >= 0 && !deleted) {
                    for (const ImportedValue& value :
                         before.Keys()[static_cast<std::size_t>(existing)].Values)
                        key.Values[regfile::LowerCase(value.Name)] =
                            regfile::RegistryValue{value.Name, value.Type, value.Data};
                }
            }
            if (last)
                return key;
        }
    };
    for (const int i : request.Adds) {
        if (i < 0 || i >= kTemplateCount)
            continue;
        regfile::RegistryKey& key = keyOf(i);
        key.Values.clear();
        for (int v = 0; v < 3; ++v)
            key.Values[regfile::LowerCase(kValueNames[v])] = RecordValue(records[i], v);
    }
    for (int i = 0; i < kTemplateCount; ++i) {
        if (request.Changed[i] == 0 || (request.Deletes & Bit(i)))
            continue;
        regfile::RegistryKey& key = keyOf(i);
        for (int v = 0; v < 3; ++v) {
            if (request.Changed[i] & kValueBits[v])
                key.Values[regfile::LowerCase(kValueNames[v])] = RecordValue(records[i], v);
        }
    }
    return change;
}

// The template whose key a difference text names, or -1.
int TemplateNamedIn(std::string_view difference, std::string_view driverKey) {
    const std::string lower = regfile::LowerCase(difference);
    for (int i = kTemplateCount - 1; i >= 0; --i) {
        const std::string key = regfile::LowerCase(ImportReading::TemplateKeyPath(driverKey, i));
        const std::size_t at = lower.find(key);
        if (at != std::string::npos &&
            (at + key.size() == lower.size() || lower[at + key.size()] == ' ' ||
             lower[at + key.size()] == '\\'))
            return i;
    }
    return -1;
}

// What the import does, in the new text, with a line the Save wrote: the reason a header
// or value line would not be read as written.
std::string ExplainNote(const regfile::ImportNote& note, int index) {
    const std::string who = index >= 0 ? TemplateName(index) + "'s" : "A saved";
    switch (note.Kind) {
    case NoteKind::Swallowed:
        return who + " line " + std::to_string(note.Line) +
               " would be read as part of the hex list value on line " +
               std::to_string(note.OtherLine);
    case NoteKind::IgnoredKeyLine:
    case NoteKind::KeyNotOpened:
    case NoteKind::ValueRefused:
    case NoteKind::ValueWithoutKey:
        return who + " line " + std::to_string(note.Line) + " would not be read as written (" +
               note.Detail + ")";
    default:
        return {};
    }
}

} // namespace

std::string ProveSave(const ImportReading& before, std::string_view beforeText,
                      std::string_view afterText, const ImportReading& afterReading,
                      const TemplateRecord* records, const SaveRequest& request) {
    const regfile::RegistryChange change = IntendedChange(before, records, request);
    std::string difference = regfile::FirstDifference(before, change, afterReading);
    if (difference.empty())
        difference =
            regfile::OutsideDifference(before, beforeText, change, afterReading, afterText);
    if (difference.empty() && !afterReading.UndefinedAt())
        return {};
    // Name the line that stands in the way: a line of the new text that the import does
    // not read as the Save meant it to.
    const std::string_view driverKey = before.DriverKey();
    int named = TemplateNamedIn(difference, driverKey);
    for (const regfile::ImportNote& note : afterReading.Notes()) {
        const std::string_view line = afterText.substr(note.Offset);
        const std::string header = LowerHeaderPrefix(driverKey);
        const std::string start = regfile::LowerCase(line.substr(0, header.size()));
        int index = named;
        if (start == header) {
            const std::string_view rest = line.substr(header.size());
            const std::size_t digits = rest.find_first_not_of("0123456789");
            if (digits > 0 && digits != std::string_view::npos && rest[digits] == ']')
                index = std::stoi(std::string(rest.substr(0, digits)));
        } else if (note.Kind == NoteKind::Swallowed || note.Kind == NoteKind::ValueRefused) {
            // A value line of ours that the import takes otherwise. Compared piece by piece:
            // GCC 12 warns (-Wrestrict) about "\"" + name + "\"=" when optimising.
            bool ours = false;
            for (const std::string_view name : kValueNames)
                ours = ours || (line.size() > name.size() + 2 && line[0] == '"' &&
                                line.substr(1, name.size()) == name &&
                                line.substr(1 + name.size(), 2) == "\"=");
            if (!ours)
                continue;
        } else {
            continue;
        }
        if (std::string text = ExplainNote(note, index); !text.empty()) {
            if (start == header && note.Kind == NoteKind::Swallowed)
                text = TemplateName(index) +
                       "'s header would be read as part of the hex list "
                       "value on line " +
                       std::to_string(note.OtherLine);
            return text + "; nothing was written.";
        }
    }
    if (const auto& undefined = afterReading.UndefinedAt())
        return "The saved file would hold " + undefined->Reason + " on line " +
               std::to_string(undefined->Line) + "; nothing was written.";
    for (const regfile::ImportNote& note : before.Notes()) {
        if (note.Kind == NoteKind::ImportStops)
            return "The registry import stops at line " + std::to_string(note.Line) + " (" +
                   note.Detail + "), so " + (named >= 0 ? TemplateName(named) : "the change") +
                   " would not be read; nothing was written.";
    }
    return (named >= 0 ? TemplateName(named) + " cannot be saved safely: " : "The Save ") +
           difference + "; nothing was written.";
}

std::string SwitchIdClash(const ImportReading& after, const SaveRequest& request, bool merged) {
    const std::uint16_t present = after.Templates();
    std::uint16_t written = 0;
    for (const int i : request.Adds)
        written = static_cast<std::uint16_t>(written | Bit(i));
    for (int i = 0; i < kTemplateCount; ++i) {
        if (request.Changed[i] & kSwitchIdValue)
            written = static_cast<std::uint16_t>(written | Bit(i));
    }
    // Each template's switch ID as the window reads it, read once.
    int ids[kTemplateCount];
    for (int i = 0; i < kTemplateCount; ++i)
        ids[i] = ReadTemplateOf(after, i).Record.SwitchId;
    for (int i = 0; i < kTemplateCount; ++i) {
        if (!(written & present & Bit(i)))
            continue;
        const int id = ids[i];
        for (int j = 0; j < kTemplateCount; ++j) {
            if (j == i || !(present & Bit(j)) || ids[j] != id)
                continue;
            return "SwitchID already used! " + TemplateName(i) + " and " + TemplateName(j) +
                   " would both have switch ID " + std::to_string(id) +
                   (merged ? " in the file as another program left it" : "") +
                   "; nothing was written.";
        }
    }
    return {};
}

} // namespace templates
