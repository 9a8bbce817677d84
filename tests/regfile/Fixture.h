// Fixture files for the editor's tests: a temporary folder, whole-file reads and writes,
// and the texts of the written format.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "platform/File.h"
#include "platform/FileSeam.h"
#include "regfile/RegFile.h"
#include "tests/support/TempFolder.h"

namespace regfile::test {

using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;
bool Exists(const std::string& path);

// "[HKEY_LOCAL_MACHINE\Drivers\BuiltIn\PCI\Template\VKR3916S\Template<index>]"
std::string Header(int index);
// The bytes AppendSection adds: " \r\n", the header, " \r\n".
std::string AppendedHeader(int index);

// Calls a function before every file call; installed for the scope of the object.
class Hook : public platform::FaultHook {
public:
    using Handler = std::function<int(platform::FileCall, std::string_view)>;
    explicit Hook(Handler handler) : handler_(std::move(handler)) {
        previous_ = platform::SetFaultHook(this);
    }
    ~Hook() override { platform::SetFaultHook(previous_); }
    Hook(const Hook&) = delete;
    Hook& operator=(const Hook&) = delete;
    int BeforeCall(platform::FileCall call, std::string_view path) override {
        return handler_(call, path);
    }

private:
    Handler handler_;
    platform::FaultHook* previous_ = nullptr;
};

// One template's three values, and the value list over them as the template file reads
// and writes them.
struct TemplateValues {
    std::uint32_t SwitchId = 0;
    std::array<std::uint8_t, 8> Trigger{};
    std::array<std::uint8_t, 8> Latch{};
    std::array<RegValueSpec, 4> List() {
        return {{{"SwitchID", REG_DWORD, 4, &SwitchId},
                 {"TriggerMode", REG_BINARY, 8, Trigger.data()},
                 {"LatchData", REG_BINARY, 8, Latch.data()},
                 {nullptr, 0, 0, nullptr}}};
    }
};

inline constexpr std::string_view kModel = "PCI3916";
inline constexpr std::string_view kKey = "VKR3916S";

// The header line the import needs ahead of a fixture text.
inline constexpr std::string_view kRegHeader = "REGEDIT4\r\n";
// Whether a fixture text needs it: a text of single-byte lines that does not start with a
// registry header (an empty file stays empty).
bool NeedsRegHeader(std::string_view bytes);

// A registration file in a temporary folder, opened through a fresh editor per task.
// A fixture text without a registry header is written behind kRegHeader, which Read and
// Held take off again.
class RegFileTest : public ::testing::Test {
protected:
    void SetUp() override;
    void Write(std::string_view bytes);
    std::string Read() const { return WithoutAddedHeader(ReadBytes(path_)); }
    // The editor's held text.
    std::string Held(const RegFile& editor) const {
        return WithoutAddedHeader(std::string(editor.Block(), editor.Length()));
    }
    // Where the fixture text starts in the file.
    std::size_t Shift() const { return headerAdded_ ? kRegHeader.size() : 0; }
    // Opens the file, asserting success.
    void OpenEditor(RegFile& editor) const;

    TempFolder folder_;
    std::string path_;

private:
    std::string WithoutAddedHeader(std::string bytes) const;
    bool headerAdded_ = false;
};

} // namespace regfile::test
