// The commands of pci3916cfg over the template file: what one command prints and the exit
// status it ends with. Each writing command is the window's open, the user's edit and the
// window's Save, with the window's rules and bytes.
#pragma once

#include <string>

#include "cli/Arguments.h"

namespace cli {

enum ExitStatus : int {
    kDone = 0,
    kRefused = 1, // refused by a rule, or problems found by check
    kUsageError = 2,
    kFileError = 3,
};

struct Outcome {
    int Status = kDone;
    std::string Out; // standard output
    std::string Err; // standard error, each line starting with the program's name
};

// The driver file the arguments name: --file as given, or else the path DriverConfig
// builds from --root (empty by default) and --module. A usage error when that path is
// longer than the window accepts.
struct PathResult {
    std::string Path;
    std::string Error; // set when there is no path
};
PathResult ResolvePath(const Arguments& arguments);

Outcome RunCommand(const Arguments& arguments, const std::string& path);

inline constexpr char kProgramName[] = "pci3916cfg";

} // namespace cli
