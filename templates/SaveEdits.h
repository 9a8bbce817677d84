// What a Save changes in the file's text, and the proof that the import of the new text
// gives exactly the registry intended.
//
// A Save writes only what the user changed: the values of kept templates whose records
// differ from what was read, all three values of an added template, and the removal of a
// template's key. Every other byte stays. The new text is then read with the same reader,
// and its registry must be the old one with exactly those changes; otherwise nothing may
// be written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "regfile/ImportReading.h"
#include "templates/TemplateRecord.h"

namespace templates {

// The three values of a template, as bits of SaveRequest::Changed.
enum TemplateValue : std::uint8_t {
    kSwitchIdValue = 1,
    kTriggerModeValue = 2,
    kLatchDataValue = 4,
    kAllValues = 7,
};

struct SaveRequest {
    // Bit i: template i's key is removed with its subkeys (also when it is added again).
    std::uint16_t Deletes = 0;
    // Templates written whole after the deletions, appended to the file in this order.
    std::vector<int> Adds;
    // Values written into templates that are kept (TemplateValue bits, by index).
    std::uint8_t Changed[kTemplateCount] = {};

    bool ChangesAnything() const;
    // Bit i: template i is removed, added or has a changed value.
    std::uint16_t Touched() const;
};

// The values (TemplateValue bits) in which `after` differs from `before`.
std::uint8_t ChangedValues(const TemplateRecord& before, const TemplateRecord& after);

// A template's record as the window reads it from the import: switch ID from a dword
// "SwitchID" (else its index), the first 8 bytes of binary "TriggerMode" and "LatchData"
// (else zeros).
struct ReadTemplate {
    TemplateRecord Record{kRecordTag, 0, {}, {}};
    bool SwitchIdRead = false; // "SwitchID" is a dword
    bool LatchDataFound = false;
};
ReadTemplate ReadTemplateOf(const regfile::ImportReading& reading, int index);

struct ComposedSave {
    std::string Text;
    // Set when the Save must write nothing: why, naming the template and the line.
    std::string Refusal;
};

// The text that the request gives when laid over `before` (read as `reading`). `merged`:
// `before` is the file as another program left it since the window read it; clashes with
// that program's changes are refused.
ComposedSave ComposeSave(std::string_view before, const regfile::ImportReading& reading,
                         const TemplateRecord* records, const SaveRequest& request,
                         bool merged = false);

// Empty when `afterText` (read as `afterReading`) imports to the registry of `beforeText`
// (read as `before`, with the same reach) with exactly the request's changes; otherwise
// why not, naming the template and the line. For readings of the driver key alone, the
// lines of other keys must stay as they were.
std::string ProveSave(const regfile::ImportReading& before, std::string_view beforeText,
                      std::string_view afterText, const regfile::ImportReading& afterReading,
                      const TemplateRecord* records, const SaveRequest& request);

// Set when a template that the request writes the switch ID of would share it with another
// template of `after`: the refusal's text.
std::string SwitchIdClash(const regfile::ImportReading& after, const SaveRequest& request,
                          bool merged);

// Why a text with this reading cannot be saved at all, or empty.
std::string NotSavableReason(const regfile::ImportReading& reading, std::string_view text);

} // namespace templates
