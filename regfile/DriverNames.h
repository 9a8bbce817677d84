// The driver key of the registry path that a model's template sections live under.
#pragma once

#include <string>
#include <string_view>

namespace regfile {

// "VKR" + the model text from its fourth character on + "S" ("PCI3916" gives "VKR3916S").
std::string DriverKeyOf(std::string_view modelText);

} // namespace regfile
