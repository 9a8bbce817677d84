// What the windowing layer's tests share: an application of this program (whose resources
// are tests/platform/resources/ui_tests.rc, embedded on Linux, linked on Windows), a dialog
// that logs every message it gets, and a fixture with a host frame window and a message box
// recorder. The same tests judge both layers: they act through the desktop of
// tests/support/Desktop.h, the Linux layer's own or the real one under Wine.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Dialog.h"
#include "tests/support/Desktop.h"
#include "tests/support/MessageBoxRecorder.h"
#include "resources/ui_tests.h"

namespace uitest {

namespace desktop = testing_support::desktop;

class TestApp : public ui::Application {
public:
    int Starts = 0;
    bool InitInstance() override {
        ++Starts;
        return true;
    }
};

// Logs "init", "destroy", "ncdestroy", "ok", "cancel" and "<name> <id>" of a command /
// "notify <name> <id>" of a notification.
class LogDialog : public ui::Dialog {
public:
    LogDialog(int resourceId, const ui::Window* parent, std::vector<std::string>& log,
              std::string name = "")
        : Dialog(resourceId, parent), log_(log), name_(std::move(name)) {}

    // Run inside the handlers of commands and notifications, and of WM_DESTROY, after the
    // message is logged.
    std::function<void(const ui::Event&)> Hook;
    std::function<void()> DestroyHook;
    std::function<int()> InitHook;

    // The code of every WM_NOTIFY that reached the dialog, routed or not.
    std::vector<unsigned> Notifications;

    void OnDestroyMessage(const ui::Event& event);
    void OnAnyCommand(const ui::Event& event);
    void OnAnyNotify(const ui::Event& event);
    void OnOK() override;
    void OnCancel() override;

protected:
    bool ProcessMessage(const ui::Event& event) override;
    int OnInitDialog() override;
    void PostNcDestroy() override;

private:
    void Log(const std::string& text) { log_.push_back(name_.empty() ? text : name_ + " " + text); }

    std::vector<std::string>& log_;
    std::string name_;
};

std::string NotificationName(unsigned code);

class LayerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A dialog of this program's resources, created; fails the test when Create fails.
    std::unique_ptr<LogDialog> Make(int resourceId, const ui::Window* parent = nullptr,
                                    std::string name = "");
    ui::WindowHandle Control(const ui::Dialog& dialog, int id) const {
        return dialog.GetDlgItem(id).Handle();
    }

    static std::optional<TestApp>& App();

    ui::WindowHandle frame_ = nullptr;
    std::vector<std::string> log_;
    testing_support::MessageBoxRecorder boxes_;
};

} // namespace uitest
