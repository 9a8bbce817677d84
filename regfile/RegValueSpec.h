// One value to read or write through RegFile::ApplyValueList; a list ends with an entry
// whose Name is nullptr.
#pragma once

#include <cstdint>

namespace regfile {

inline constexpr std::int32_t REG_SZ = 1;
inline constexpr std::int32_t REG_BINARY = 3;
inline constexpr std::int32_t REG_DWORD = 4;
inline constexpr std::int32_t REG_MULTI_SZ = 7;

struct RegValueSpec {
    const char* Name;   // nullptr ends the list
    std::int32_t Type;  // on reading, replaced by the type found
    std::uint32_t Size; // binary byte count on writing; capacity, then size found, on reading
    void* Data;         // the caller's bytes
};

} // namespace regfile
