// What in a driver file would confuse the window or lose a setting: the problems that the
// check command reports. The check only reads; it never changes the file or its folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cli {

struct CheckReport {
    // The file could not be read at all (the reason): no problem list then.
    std::optional<std::string> FileError;
    // One line each, without the file's name and without a line end.
    std::vector<std::string> Problems;
};

CheckReport CheckTemplateFile(const std::string& path);

} // namespace cli
