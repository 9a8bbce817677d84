// One device setting template of the board, and the fixed texts its persistence uses.
#pragma once

#include <cstdint>

namespace templates {

struct TemplateRecord {
    std::int32_t Tag;            // kRecordTag from initialisation on; read by nothing
    std::int32_t SwitchId;       // the board's switch ID, 0 to 15 ("BoardID")
    std::uint8_t TriggerMode[8]; // word g (bytes 2g, 2g+1) for channel group g
    std::uint8_t LatchData[8];
};
static_assert(sizeof(TemplateRecord) == 24, "a template record is 24 bytes");

inline constexpr int kTemplateCount = 16;
inline constexpr std::int32_t kRecordTag = 123;
// Bit of byte 2g of TriggerMode: set = rising edge, clear = falling edge.
inline constexpr std::uint8_t kTriggerRisingMask = 0x04;
// Bit of byte 2g of LatchData: set = latch enabled.
inline constexpr std::uint8_t kLatchEnableMask = 0x01;

inline constexpr char kModelText[] = "PCI3916";
inline constexpr char kRootNodeText[] = "DeviceTemplate";
inline constexpr char kModelNodeText[] = "PCI-3916";
inline constexpr char kTemplateNodePrefix[] = "Template";

} // namespace templates
