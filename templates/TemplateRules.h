// The rules of the template table that do not depend on the tree: which switch IDs are in
// use, the index and switch ID that Add gives, and the refusals with the window's words.
// The window and the command-line tool both follow them.
#pragma once

#include <cstdint>
#include <optional>

#include "templates/TemplateRecord.h"

namespace templates {

inline constexpr char kSwitchIdUsedText[] = "SwitchID already used!";
inline constexpr char kTooManyTemplatesText[] = "Support up to 16 Templates";

// A switch ID the board can have: 0 to 15. Others (a hand-edited dword:40, dword:ffffffff)
// are kept in the record but take no bit of a used-switch-ID set.
constexpr bool IsSwitchId(std::int32_t value) {
    return value >= 0 && value < kTemplateCount;
}

// Bit s set: a template of `shown` (bit i: template i is shown) has switch ID s, read from
// the file or defaulted to its index. A switch ID outside 0 to 15 marks nothing.
std::uint16_t UsedSwitchIdsOf(const TemplateRecord* records, std::uint16_t shown);

// The lowest index of 0 to 15 without a template in `shown`; kTemplateCount when all are
// taken, which Add refuses with kTooManyTemplatesText.
int LowestFreeTemplateIndex(std::uint16_t shown);

// The lowest switch ID whose bit in `used` is clear; none when all 16 are taken.
std::optional<int> LowestFreeSwitchId(std::uint16_t used);

// A switch ID choice is refused (kSwitchIdUsedText) when another template has it: its bit
// is set in `used` and it is not the template's own switch ID.
bool IsSwitchIdRefused(std::uint16_t used, std::int32_t own, int chosen);

} // namespace templates
