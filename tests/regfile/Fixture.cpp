#include "Fixture.h"

#include <filesystem>

namespace regfile::test {

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

bool NeedsRegHeader(std::string_view bytes) {
    if (bytes.empty() || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return false;
    const std::size_t first = bytes.find_first_not_of(" \t");
    const std::string_view start = first == std::string_view::npos ? "" : bytes.substr(first);
    return !start.starts_with("REGEDIT4") &&
           !start.starts_with("Windows Registry Editor Version 5.00");
}

void RegFileTest::Write(std::string_view bytes) {
    headerAdded_ = NeedsRegHeader(bytes);
    WriteBytes(path_, headerAdded_ ? std::string(kRegHeader) + std::string(bytes) : bytes);
}

std::string RegFileTest::WithoutAddedHeader(std::string bytes) const {
    if (headerAdded_ && bytes.starts_with(kRegHeader))
        bytes.erase(0, kRegHeader.size());
    return bytes;
}

void RegFileTest::SetUp() {
    path_ = folder_.PathOf("PCI3916.reg");
    Write("");
}

void RegFileTest::OpenEditor(RegFile& editor) const {
    ASSERT_EQ(editor.Open(path_, kModel), 0) << editor.FileError().Text;
}

} // namespace regfile::test
