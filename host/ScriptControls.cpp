#include "host/ScriptControls.h"

#include <algorithm>

#include "dialogs/resource.h"

namespace host {
namespace {

constexpr ScriptControl kControls[] = {
    {IDC_ADD, "Add button", "click 104"},
    {IDC_REMOVE, "Remove button", "click 103"},
    {IDC_SAVE, "Save button", "click 1006 (disabled until something changed)"},
    {IDC_CLOSE, "Close button", "click 1007"},
    {IDC_TEMPLATE_TREE, "template tree",
     "select/expand/collapse TEXT: DeviceTemplate, PCI-3916, Template0 to Template15"},
    {IDC_PAGE_TABS, "page tabs", "tab 0 (Device page), tab 1 (DI page)"},
    {IDC_PAGE_FRAME, "frame of the pages (never shown)", "none"},
    {IDC_BOARD_ID, "BoardID combo box, Device page",
     "choose 1002 N: switch ID N, 0 to 15; type 1002 TEXT"},
    {IDC_MODEL_TEXT, "model name text, Device page", "none (shows PCI-3916)"},
    {IDC_BOARD_PICTURE, "board picture, Device page", "none"},
    {IDC_DESCRIPTION, "description text, Device page", "none"},
    {IDC_TRIGGER_CH0_RISING, "Ch0 trigger edge Rising, DI page", "click 2100 (clears 2101)"},
    {IDC_TRIGGER_CH0_FALLING, "Ch0 trigger edge Falling, DI page", "click 2101 (clears 2100)"},
    {IDC_TRIGGER_CH16_RISING, "Ch16 trigger edge Rising, DI page", "click 2102 (clears 2103)"},
    {IDC_TRIGGER_CH16_FALLING, "Ch16 trigger edge Falling, DI page", "click 2103 (clears 2102)"},
    {IDC_TRIGGER_CH32_RISING, "Ch32 trigger edge Rising, DI page", "click 2104 (clears 2105)"},
    {IDC_TRIGGER_CH32_FALLING, "Ch32 trigger edge Falling, DI page", "click 2105 (clears 2104)"},
    {IDC_TRIGGER_CH48_RISING, "Ch48 trigger edge Rising, DI page", "click 2106 (clears 2107)"},
    {IDC_TRIGGER_CH48_FALLING, "Ch48 trigger edge Falling, DI page", "click 2107 (clears 2106)"},
    {IDC_LATCH_CH0_ENABLE, "Ch0 data latch Enable, DI page", "click 1008 (clears 1009)"},
    {IDC_LATCH_CH0_DISABLE, "Ch0 data latch Disable, DI page", "click 1009 (clears 1008)"},
    {IDC_LATCH_CH16_ENABLE, "Ch16 data latch Enable, DI page", "click 1010 (clears 1011)"},
    {IDC_LATCH_CH16_DISABLE, "Ch16 data latch Disable, DI page", "click 1011 (clears 1010)"},
    {IDC_LATCH_CH32_ENABLE, "Ch32 data latch Enable, DI page", "click 1012 (clears 1013)"},
    {IDC_LATCH_CH32_DISABLE, "Ch32 data latch Disable, DI page", "click 1013 (clears 1012)"},
    {IDC_LATCH_CH48_ENABLE, "Ch48 data latch Enable, DI page", "click 1014 (clears 1015)"},
    {IDC_LATCH_CH48_DISABLE, "Ch48 data latch Disable, DI page", "click 1015 (clears 1014)"},
};

} // namespace

std::span<const ScriptControl> ScriptControls() {
    return kControls;
}

const ScriptControl* FindScriptControl(int id) {
    const auto found =
        std::find_if(std::begin(kControls), std::end(kControls),
                     [id](const ScriptControl& control) { return control.Id == id; });
    return found == std::end(kControls) ? nullptr : found;
}

std::string DescribeControl(int id) {
    std::string text = "control " + std::to_string(id);
    if (const ScriptControl* control = FindScriptControl(id))
        text += " (" + std::string(control->Name) + ")";
    return text;
}

std::string ScriptControlTable() {
    std::string table;
    for (const ScriptControl& control : kControls) {
        std::string line = "  " + std::to_string(control.Id);
        line.resize(8, ' ');
        line += control.Name;
        table += line + '\n';
        table += "        " + std::string(control.Values) + '\n';
    }
    return table;
}

} // namespace host
