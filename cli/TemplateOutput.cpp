#include "cli/TemplateOutput.h"

#include <cstdio>

namespace cli {
namespace {

using templates::TemplateRecord;

void SetBit(std::uint8_t& byte, std::uint8_t mask, bool on) {
    byte = static_cast<std::uint8_t>(on ? byte | mask : byte & ~mask);
}

std::string HexBytes(const std::uint8_t (&bytes)[8]) {
    std::string text;
    for (std::size_t i = 0; i < sizeof bytes; ++i) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
        if (i > 0)
            text += ',';
        text += digits;
    }
    return text;
}

const char* EdgeWord(bool rising) {
    return rising ? "rising" : "falling";
}

const char* LatchWord(bool enabled) {
    return enabled ? "enable" : "disable";
}

// "ch0=rising ch16=falling ..." for the edges (or the latches).
std::string GroupWords(const TemplateRecord& record, bool edges) {
    std::string text;
    for (int g = 0; g < kGroupCount; ++g) {
        if (g > 0)
            text += ' ';
        text += kGroupNames[g];
        text += '=';
        text += edges ? EdgeWord(IsRising(record, g)) : LatchWord(IsLatchEnabled(record, g));
    }
    return text;
}

std::string GroupJson(const TemplateRecord& record, bool edges) {
    std::string text = "{";
    for (int g = 0; g < kGroupCount; ++g) {
        if (g > 0)
            text += ", ";
        text += JsonString(kGroupNames[g]);
        text += ": ";
        text += JsonString(edges ? EdgeWord(IsRising(record, g))
                                 : LatchWord(IsLatchEnabled(record, g)));
    }
    return text + "}";
}

// A switch ID as every output shows it: the dword as stored, unsigned ("dword:ffffffff"
// is 4294967295, never -1).
std::string SwitchIdText(std::int32_t switchId) {
    return std::to_string(static_cast<std::uint32_t>(switchId));
}

} // namespace

bool IsRising(const TemplateRecord& record, int group) {
    return (record.TriggerMode[2 * group] & templates::kTriggerRisingMask) != 0;
}

bool IsLatchEnabled(const TemplateRecord& record, int group) {
    return (record.LatchData[2 * group] & templates::kLatchEnableMask) != 0;
}

void ApplyGroupEdits(TemplateRecord& record, const TemplateEdits& edits) {
    for (int g = 0; g < kGroupCount; ++g) {
        if (edits.Rising[g])
            SetBit(record.TriggerMode[2 * g], templates::kTriggerRisingMask, *edits.Rising[g]);
        if (edits.LatchEnabled[g])
            SetBit(record.LatchData[2 * g], templates::kLatchEnableMask, *edits.LatchEnabled[g]);
    }
}

std::string TemplateLine(const ShownTemplate& shown) {
    return "Template" + std::to_string(shown.Index) + "  SwitchID " +
           SwitchIdText(shown.Record.SwitchId) + "  edge " + GroupWords(shown.Record, true) +
           "  latch " + GroupWords(shown.Record, false) + "\n";
}

std::string TemplateDetails(const ShownTemplate& shown) {
    const TemplateRecord& record = shown.Record;
    return "Template" + std::to_string(shown.Index) + "\n" + "  SwitchID     " +
           SwitchIdText(record.SwitchId) + "\n" + "  edge         " + GroupWords(record, true) +
           "\n" + "  latch        " + GroupWords(record, false) + "\n" + "  TriggerMode  " +
           HexBytes(record.TriggerMode) + "\n" + "  LatchData    " + HexBytes(record.LatchData) +
           "\n";
}

std::string TemplateJson(const ShownTemplate& shown) {
    const TemplateRecord& record = shown.Record;
    return "{\"index\": " + std::to_string(shown.Index) +
           ", \"switchId\": " + SwitchIdText(record.SwitchId) +
           ", \"edges\": " + GroupJson(record, true) +
           ", \"latches\": " + GroupJson(record, false) +
           ", \"triggerMode\": " + JsonString(HexBytes(record.TriggerMode)) +
           ", \"latchData\": " + JsonString(HexBytes(record.LatchData)) + "}";
}

std::string TemplateListJson(std::string_view file, std::span<const ShownTemplate> list) {
    std::string text = "{\n  \"file\": " + JsonString(file) + ",\n  \"templates\": [";
    for (std::size_t i = 0; i < list.size(); ++i) {
        text += i == 0 ? "\n    " : ",\n    ";
        text += TemplateJson(list[i]);
    }
    text += list.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return text;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", byte);
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

} // namespace cli
