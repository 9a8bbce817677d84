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

void RegFileTest::SetUp() {
    path_ = folder_.PathOf("PCI3916.reg");
    Write("");
}

void RegFileTest::OpenEditor(RegFile& editor) const {
    ASSERT_EQ(editor.Open(path_, kModel), 0) << editor.FileError().Text;
}

} // namespace regfile::test
