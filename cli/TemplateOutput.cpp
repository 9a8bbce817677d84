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

Json GroupJson(const TemplateRecord& record, bool edges) {
    Json groups = Json::object();
    for (int g = 0; g < kGroupCount; ++g)
        groups[kGroupNames[g]] =
            edges ? EdgeWord(IsRising(record, g)) : LatchWord(IsLatchEnabled(record, g));
    return groups;
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

Json TemplateValue(const ShownTemplate& shown, TemplateBytes bytes) {
    const TemplateRecord& record = shown.Record;
    Json value = Json::object();
    value["index"] = shown.Index;
    value["switchId"] = static_cast<std::uint32_t>(record.SwitchId);
    value["edges"] = GroupJson(record, true);
    value["latches"] = GroupJson(record, false);
    if (bytes == TemplateBytes::Always || HasOtherTriggerBits(record))
        value["triggerMode"] = HexBytes(record.TriggerMode);
    if (bytes == TemplateBytes::Always || HasOtherLatchBits(record))
        value["latchData"] = HexBytes(record.LatchData);
    return value;
}

bool HasOtherTriggerBits(const TemplateRecord& record) {
    for (std::size_t i = 0; i < sizeof record.TriggerMode; ++i) {
        const std::uint8_t edited = i % 2 == 0 ? templates::kTriggerRisingMask : 0;
        if (record.TriggerMode[i] & ~edited)
            return true;
    }
    return false;
}

bool HasOtherLatchBits(const TemplateRecord& record) {
    for (std::size_t i = 0; i < sizeof record.LatchData; ++i) {
        const std::uint8_t edited = i % 2 == 0 ? templates::kLatchEnableMask : 0;
        if (record.LatchData[i] & ~edited)
            return true;
    }
    return false;
}

std::string TemplateJson(const ShownTemplate& shown) {
    return InlineJson(TemplateValue(shown, TemplateBytes::Always));
}

std::string TemplateListJson(std::string_view file, std::span<const ShownTemplate> list) {
    Json templateList = Json::array();
    for (const ShownTemplate& shown : list)
        templateList.push_back(TemplateValue(shown, TemplateBytes::Always));
    Json document = Json::object();
    document["file"] = std::string(file);
    document["templates"] = std::move(templateList);
    return DocumentJson(document);
}

} // namespace cli
