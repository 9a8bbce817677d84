// Where the template file of a driver tree is, as DriverConfig derives it from its root and
// module-name arguments.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace templates {

// The model name: the module name's first 8 characters when it contains "ICfg.dll", else
// its first 7 (fewer when it is shorter).
std::string ModelNameOf(std::string_view moduleName);

// root + "Public\Tarnwick\Device_Drivers\" + model + "\" + model + ".reg": the root is used
// verbatim, no separator is added after it.
std::string RegFilePathOf(std::string_view rootPath, std::string_view moduleName);

// The longest path the window keeps (its path field holds 256 bytes with the terminator);
// a longer one is refused rather than cut, since a cut path could name another file.
inline constexpr std::size_t kMaxRegFilePath = 255;

} // namespace templates
