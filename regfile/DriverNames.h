// The names the driver package's layout derives from the host's arguments: the model name
// taken from the module name, the registration file's path under the root, and the driver
// key of the registry path its template sections live under.
#pragma once

#include <string>
#include <string_view>

namespace regfile {

// The first 8 characters of the module name when it contains "ICfg.dll", else the first
// 7: "PCI3916Cfg.dll" gives "PCI3916", "PCI3916ICfg.dll" gives "PCI3916I".
std::string ModelNameOf(std::string_view moduleName);

// root + "Public\Tarnwick\Device_Drivers\" + model + "\" + model + ".reg", the root used
// verbatim (it should end with a separator).
std::string DriverFilePath(std::string_view root, std::string_view moduleName);

// "VKR" + the model text from its fourth character on + "S" ("PCI3916" gives "VKR3916S").
std::string DriverKeyOf(std::string_view modelText);

} // namespace regfile
