// A host that calls DriverConfig itself, with a null pointer for one text argument after
// the other: each is taken as an empty text, and the window opens as it does for "".
#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/linux/Desktop.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/TempFolder.h"

namespace {

namespace desktop = ui::desktop;
using DriverConfigFunction = int (*)(int, const char*, const char*, const char*);

constexpr char kRegRelative[] = "Public/Tarnwick/Device_Drivers/PCI3916/PCI3916.reg";
constexpr char kTemplate3[] =
    "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\"
    "Template3]\r\n\"SwitchID\"=dword:00000003\r\n";

class NullArguments : public ::testing::Test {
protected:
    void SetUp() override {
        library_ = dlopen(PCI_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
        driverConfig_ = reinterpret_cast<DriverConfigFunction>(dlsym(library_, "DriverConfig"));
        ASSERT_NE(driverConfig_, nullptr);
        // The driver file under the folder as root and under the working folder (a null
        // root is the empty root: the path is relative).
        root_ = folder_.Path().string() + "/";
        Put(root_ + kRegRelative);
        Put(folder_.PathOf("cwd/") + kRegRelative);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_.PathOf("cwd"));
        frame_ = desktop::CreateFrameWindow("host", ui::Rect{0, 0, 640, 480});
        desktop::SetActiveWindow(frame_);
    }
    void TearDown() override {
        if (frame_)
            desktop::DestroyWindow(frame_); // with it the library's windows that it owns
        if (!previous_.empty())
            std::filesystem::current_path(previous_);
        // The library stays loaded: the windowing layer may still refer to its resources.
    }
    static void Put(const std::string& path) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        testing_support::WriteBytes(path, kTemplate3);
    }
    // The texts of the template nodes of the window opened last.
    static std::vector<std::string> TemplateNodes() {
        std::vector<std::string> nodes;
        ui::WindowHandle window = nullptr;
        for (const ui::WindowHandle top : desktop::TopLevelWindows()) {
            if (!desktop::Inspect(top).ModuleTitle.empty() && desktop::IsReallyVisible(top))
                window = top;
        }
        if (!window)
            return {"no window"};
        const ui::WindowHandle tree = desktop::FindControl(window, 102);
        // Expanded as a user expands them, the root first.
        for (const char* node : {"DeviceTemplate", "PCI-3916"}) {
            for (const desktop::TreeRow& row : desktop::VisibleTreeRows(tree))
                if (row.Text == node && row.HasChildren && !row.Expanded)
                    desktop::ClickTreeButton(tree, row.Item);
        }
        for (const desktop::TreeRow& row : desktop::VisibleTreeRows(tree))
            if (row.Depth == 2)
                nodes.push_back(row.Text);
        return nodes;
    }
    std::string StopBoxTexts() const {
        std::string texts;
        for (const desktop::MessageBoxRequest& box : boxes_.Boxes())
            if ((box.Flags & 0xF0) == MB_ICONSTOP)
                texts += box.Text + "\n";
        return texts;
    }

    testing_support::TempFolder folder_;
    testing_support::MessageBoxRecorder boxes_;
    std::string root_;
    std::filesystem::path previous_;
    void* library_ = nullptr;
    DriverConfigFunction driverConfig_ = nullptr;
    ui::WindowHandle frame_ = nullptr;
};

TEST_F(NullArguments, RootIsTheEmptyRoot) {
    ASSERT_EQ(driverConfig_(0, nullptr, "PCI3916Cfg.dll", "x"), 1);
    EXPECT_EQ(StopBoxTexts(), "");
    // The template of the file under the working folder, which the relative path names.
    EXPECT_EQ(TemplateNodes(), std::vector<std::string>{"Template3"});
}

TEST_F(NullArguments, ModuleNameIsEmpty) {
    ASSERT_EQ(driverConfig_(0, root_.c_str(), nullptr, "x"), 1);
    // No model name: the path ends in "\\.reg", which does not exist.
    EXPECT_NE(StopBoxTexts().find("Device_Drivers//.reg\": the file does not exist."),
              std::string::npos)
        << StopBoxTexts();
    EXPECT_EQ(TemplateNodes(), std::vector<std::string>{});
}

TEST_F(NullArguments, ExtraTextIsEmpty) {
    ASSERT_EQ(driverConfig_(0, root_.c_str(), "PCI3916Cfg.dll", nullptr), 1);
    EXPECT_EQ(StopBoxTexts(), "");
    EXPECT_EQ(TemplateNodes(), std::vector<std::string>{"Template3"});
}

TEST_F(NullArguments, AllThreeAtOnce) {
    ASSERT_EQ(driverConfig_(7, nullptr, nullptr, nullptr), 1);
    EXPECT_NE(StopBoxTexts().find("\"Public/Tarnwick/Device_Drivers//.reg\""), std::string::npos)
        << StopBoxTexts();
    EXPECT_EQ(TemplateNodes(), std::vector<std::string>{});
}

} // namespace
