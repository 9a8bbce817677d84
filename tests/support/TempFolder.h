// A temporary folder for fixture files, removed with everything in it at the end of a test.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace testing_support {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string PathOf(std::string_view name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);

} // namespace testing_support
