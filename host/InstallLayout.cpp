#include "host/InstallLayout.h"

#include <system_error>

namespace host {

namespace fs = std::filesystem;

namespace {

std::string Native(const fs::path& path) {
    return path.lexically_normal().make_preferred().string();
}

} // namespace

// The build defines the library's file name and the installed places relative to the
// program's folder; a Linux build also defines the source folder's sample tree.
HostFiles LocateHostFiles(const fs::path& programFolder) {
    const fs::path installed = programFolder / PCI_INSTALLED_LIBRARY_DIR / PCI_LIBRARY_FILE;
#ifdef PCI_BUILD_SAMPLE_TREE
    std::error_code error;
    if (!fs::exists(installed, error))
        return {Native(programFolder / PCI_LIBRARY_FILE), PCI_BUILD_SAMPLE_TREE};
#endif
    return {Native(installed), Native(programFolder / PCI_INSTALLED_SAMPLE_TREE)};
}

} // namespace host
