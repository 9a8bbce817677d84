#include "regfile/DriverNames.h"

#include <algorithm>

namespace regfile {
namespace {

constexpr std::size_t kModelDigitsStart = 3; // after "PCI"

} // namespace

std::string DriverKeyOf(std::string_view modelText) {
    return "VKR" + std::string(modelText.substr(std::min(kModelDigitsStart, modelText.size()))) +
           "S";
}

} // namespace regfile
