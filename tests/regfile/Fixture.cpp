#include "Fixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace regfile::test {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "regfile-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::PathOf(std::string_view name) const {
    return path_ + "/" + std::string(name);
}

void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::string Header(int index) {
    return "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template" +
           std::to_string(index) + "]";
}

std::string AppendedHeader(int index) {
    return " \r\n" + Header(index) + " \r\n";
}

void RegFileTest::SetUp() {
    path_ = folder_.PathOf("PCI3916.reg");
    Write("");
}

void RegFileTest::OpenEditor(RegFile& editor) const {
    ASSERT_EQ(editor.Open(path_, kModel), 0) << editor.FileError().Text;
}

} // namespace regfile::test
