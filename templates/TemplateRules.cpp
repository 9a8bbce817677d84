#include "templates/TemplateRules.h"

namespace templates {
std::uint16_t UsedSwitchIdsOf(const TemplateRecord* records, std::uint16_t shown) {
    std::uint16_t used = 0;
    for (int i = 0; i < kTemplateCount; ++i) {
        if ((shown & (1u << i)) && IsSwitchId(records[i].SwitchId))
            used = static_cast<std::uint16_t>(used | (1u << records[i].SwitchId));
    }
    return used;
}

int LowestFreeTemplateIndex(std::uint16_t shown) {
    int index = 0;
    while (index < kTemplateCount && (shown & (1u << index)))
        ++index;
    return index;
}

std::optional<int> LowestFreeSwitchId(std::uint16_t used) {
    for (int s = 0; s < kTemplateCount; ++s) {
        if (!(used & (1u << s)))
            return s;
    }
    return std::nullopt;
}

bool IsSwitchIdRefused(std::uint16_t used, std::int32_t own, int chosen) {
    return IsSwitchId(chosen) && (used & (1u << chosen)) && chosen != own;
}

} // namespace templates
