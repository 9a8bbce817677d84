// Where devhost finds the configuration library and the bundled sample driver tree.
#pragma once

#include <filesystem>
#include <string>

namespace host {

struct HostFiles {
    std::string Library;    // the configuration library to load by default
    std::string SampleTree; // the bundled sample driver tree, copied on first use
};

// The files for a devhost in `programFolder`: as installed, at fixed places relative to
// that folder (so an installed tree works wherever it is moved); in a Linux build folder,
// where no library is installed relative to it, the library beside the program and the
// tree in the source folder.
HostFiles LocateHostFiles(const std::filesystem::path& programFolder);

} // namespace host
