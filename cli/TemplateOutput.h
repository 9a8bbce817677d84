// What list, show and add print: a template as text or as JSON, and the edits of set and
// add applied to a record as the Digital-input page applies a click.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli/Arguments.h"
#include "cli/JsonText.h"
#include "templates/TemplateRecord.h"

namespace cli {

struct ShownTemplate {
    int Index = 0;
    templates::TemplateRecord Record{};
};

bool IsRising(const templates::TemplateRecord& record, int group);
bool IsLatchEnabled(const templates::TemplateRecord& record, int group);

// Sets or clears the edge and latch bits the edits name; every other bit stays. The switch
// ID is not touched: its rule is the table's.
void ApplyGroupEdits(templates::TemplateRecord& record, const TemplateEdits& edits);

// "Template2  SwitchID 10  edge ch0=rising ...  latch ch0=enable ..." and a line end.
std::string TemplateLine(const ShownTemplate& shown);
// The template over several lines, its stored bytes included.
std::string TemplateDetails(const ShownTemplate& shown);

// Whether a template's JSON carries its stored bytes: always (list, show), or only where
// they hold bits beyond the edges and latches the window edits (export).
enum class TemplateBytes { Always, WhereOtherBits };

// {"index": 2, "switchId": 10, "edges": {...}, "latches": {...}, "triggerMode": "...",
//  "latchData": "..."}: the switch ID unsigned, the bytes as "04,FF,...".
Json TemplateValue(const ShownTemplate& shown, TemplateBytes bytes);

// A byte of TriggerMode (LatchData) has a bit set besides the edge (latch) bits of the
// groups' even bytes.
bool HasOtherTriggerBits(const templates::TemplateRecord& record);
bool HasOtherLatchBits(const templates::TemplateRecord& record);

// TemplateValue with the bytes, on one line, without a line end.
std::string TemplateJson(const ShownTemplate& shown);
// {"file": PATH, "templates": [...]} over several lines, with a final line end.
std::string TemplateListJson(std::string_view file, std::span<const ShownTemplate> list);

} // namespace cli
