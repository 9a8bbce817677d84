// A set of template indices 0 to 15: the templates a window lists, a file holds, or a Save
// removes. Indices outside 0 to 15 are never members.
#pragma once

#include <cstdint>

#include "templates/TemplateRecord.h"

namespace templates {

class TemplateSet {
public:
    constexpr TemplateSet() = default;
    // Bit i of `mask`: template i is a member.
    static constexpr TemplateSet Of(std::uint16_t mask) {
        TemplateSet set;
        set.mask_ = mask;
        return set;
    }

    constexpr bool Has(int index) const { return IsIndex(index) && ((mask_ >> index) & 1u) != 0; }
    constexpr TemplateSet With(int index) const {
        return IsIndex(index) ? Of(static_cast<std::uint16_t>(mask_ | (1u << index))) : *this;
    }
    constexpr TemplateSet Without(int index) const {
        return IsIndex(index) ? Of(static_cast<std::uint16_t>(mask_ & ~(1u << index))) : *this;
    }
    constexpr bool Empty() const { return mask_ == 0; }
    constexpr std::uint16_t Mask() const { return mask_; }

    friend constexpr bool operator==(TemplateSet, TemplateSet) = default;

private:
    static constexpr bool IsIndex(int index) { return index >= 0 && index < kTemplateCount; }
    std::uint16_t mask_ = 0;
};

} // namespace templates
