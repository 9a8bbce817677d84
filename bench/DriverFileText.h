// Generated driver registration files for the benchmarks: realistic registry-export text
// of an exact size, with the board's 16 template sections at the end or in the middle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bench {

enum class TemplatePlacement { End, Middle };

std::string_view PlacementName(TemplatePlacement placement);

// The settings written into template `index` of a generated file.
struct TemplateValues {
    int SwitchId = 0;
    std::uint8_t TriggerMode[8] = {};
    std::uint8_t LatchData[8] = {};
};

// The values every generated file holds for template `index` (0 to 15): switch IDs are a
// permutation of 0 to 15, trigger and latch bits vary by template.
TemplateValues GeneratedTemplateValues(int index);

// One template section in the form the library writes: the header preceded and followed
// by " \r\n", each value line preceded by a lone LF and ended by CR LF.
std::string TemplateSectionText(int index, const TemplateValues& values);

// Where the 16 template sections lie in a generated file.
struct DriverFileLayout {
    std::size_t TemplatesBegin = 0;
    std::size_t TemplatesEnd = 0;
};

struct DriverFile {
    std::string Text;
    DriverFileLayout Layout;
};

// A file of exactly `size` bytes: a REGEDIT4 header, unrelated driver keys with dword,
// string, hex and multi-string values, comments and blank lines, all CR LF, and the 16
// template sections. The same size, placement and seed always give the same bytes.
// Raises std::invalid_argument when `size` cannot hold the header and the templates.
DriverFile GenerateDriverFile(std::size_t size, TemplatePlacement placement, std::uint64_t seed);

// The smallest size GenerateDriverFile accepts.
std::size_t MinimumDriverFileSize();

} // namespace bench
