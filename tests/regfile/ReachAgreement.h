// The reading of the driver key alone, held to the reading of everything: for every key at
// or below the driver key the two must agree on what the import makes of it.
#pragma once

#include <string>
#include <string_view>

namespace regfile {

// Empty when they agree, else the first disagreement in words.
std::string DriverKeyDisagreement(std::string_view text, std::string_view driverKey);

} // namespace regfile
