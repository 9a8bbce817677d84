#include "tests/robustness/SaveLoop.h"

#include <initializer_list>

#include "tests/robustness/Session.h"

namespace robustness::SaveLoop {
namespace {

// The sections in file order; 'O' is the large section, digits are templates. Every
// section starts with the blank line that the editor writes ahead of a header, so deleting
// one that another follows removes exactly its own text.
std::string File(std::initializer_list<char> sections) {
    static const std::string large = [] {
        std::string text = " \r\n[HKEY_LOCAL_MACHINE\\Software\\Tarnwick\\Calibration]\r\n";
        for (int i = 0; text.size() < 2 * 1024 * 1024; ++i)
            text += "\"Point" + std::to_string(i) + "\"=dword:" + std::to_string(i % 7) + "\r\n";
        return text;
    }();
    std::string file = DriverFile({});
    for (char section : sections) {
        file += section == 'O' ? large
                               : Section(section - '0', section - '0', "04,00,04,00,04,00,04,00",
                                         "01,00,00,00,01,00,00,00");
    }
    return file;
}

} // namespace

std::string Start() {
    return File({'0', '1', 'O'});
}

std::string Script(int rounds) {
    std::string script = "expand PCI-3916\n";
    for (int i = 0; i < rounds; ++i) {
        for (const char* node : {"Template0", "Template1"}) {
            script += std::string("select ") + node + "\nclick 103\nclick 1006\n";
            script += "select PCI-3916\nclick 104\nclick 1006\n";
        }
    }
    return script;
}

std::set<std::string> ValidStates() {
    return {Start(),
            File({'1', 'O'}),
            File({'1', 'O', '0'}),
            File({'O', '0'}),
            File({'O', '0', '1'}),
            File({'O', '1'}),
            File({'O', '1', '0'})};
}

} // namespace robustness::SaveLoop
