#include "host/terminal/TextWrap.h"

namespace terminal {

std::vector<std::string> WrapLines(std::string_view text, int width) {
    std::vector<std::string> lines;
    if (width <= 0)
        return lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string line(text.substr(start, end - start));
        std::erase(line, '\r');
        while (static_cast<int>(line.size()) > width) {
            std::size_t cut = line.rfind(' ', static_cast<std::size_t>(width));
            if (cut == std::string::npos || cut == 0)
                cut = static_cast<std::size_t>(width);
            lines.push_back(line.substr(0, cut));
            line.erase(0, line[cut] == ' ' ? cut + 1 : cut);
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

} // namespace terminal
