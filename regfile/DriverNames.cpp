#include "regfile/DriverNames.h"

#include <algorithm>

namespace regfile {
namespace {

constexpr std::string_view kDriverFolder = "Public\\Tarnwick\\Device_Drivers\\";
constexpr std::size_t kModelDigitsStart = 3; // after "PCI"

} // namespace

std::string ModelNameOf(std::string_view moduleName) {
    const std::size_t wanted = moduleName.find("ICfg.dll") != std::string_view::npos ? 8 : 7;
    return std::string(moduleName.substr(0, wanted));
}

std::string DriverFilePath(std::string_view root, std::string_view moduleName) {
    const std::string model = ModelNameOf(moduleName);
    std::string path(root);
    path += kDriverFolder;
    path += model;
    path += '\\';
    path += model;
    path += ".reg";
    return path;
}

std::string DriverKeyOf(std::string_view modelText) {
    return "VKR" + std::string(modelText.substr(std::min(kModelDigitsStart, modelText.size()))) +
           "S";
}

} // namespace regfile
