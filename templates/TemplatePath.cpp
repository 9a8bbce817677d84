#include "templates/TemplatePath.h"

namespace templates {
namespace {

constexpr char kDriverFolder[] = "Public\\Tarnwick\\Device_Drivers\\";

} // namespace

std::string ModelNameOf(std::string_view moduleName) {
    // The module name is a zero-terminated text: nothing after a zero byte belongs to it.
    const std::string_view text = moduleName.substr(0, moduleName.find('\0'));
    const std::size_t wanted = text.find("ICfg.dll") != std::string_view::npos ? 8 : 7;
    return std::string(text.substr(0, wanted));
}

std::string RegFilePathOf(std::string_view rootPath, std::string_view moduleName) {
    const std::string model = ModelNameOf(moduleName);
    return std::string(rootPath) + kDriverFolder + model + "\\" + model + ".reg";
}

} // namespace templates
