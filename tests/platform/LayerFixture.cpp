#include "LayerFixture.h"

namespace uitest {
namespace {

const ui::MessageRoute<LogDialog> kLogRoutes[] = {
    {WM_DESTROY, 0, 0, 0, &LogDialog::OnDestroyMessage},
    {WM_COMMAND, BN_CLICKED, 3, 65535, &LogDialog::OnAnyCommand},
    {WM_COMMAND, CBN_SELCHANGE, 0, 65535, &LogDialog::OnAnyCommand},
    {WM_NOTIFY, TVN_SELCHANGED, 0, 65535, &LogDialog::OnAnyNotify},
    {WM_NOTIFY, TVN_ITEMEXPANDING, 0, 65535, &LogDialog::OnAnyNotify},
    {WM_NOTIFY, TVN_ITEMEXPANDED, 0, 65535, &LogDialog::OnAnyNotify},
    {WM_NOTIFY, TCN_SELCHANGE, 0, 65535, &LogDialog::OnAnyNotify},
};

} // namespace

std::string NotificationName(unsigned code) {
    if (code == TVN_SELCHANGED)
        return "selchanged";
    if (code == TVN_ITEMEXPANDING)
        return "expanding";
    if (code == TVN_ITEMEXPANDED)
        return "expanded";
    if (code == TCN_SELCHANGE)
        return "tabchange";
    if (code == BN_CLICKED)
        return "clicked";
    if (code == CBN_SELCHANGE)
        return "cbselchange";
    return std::to_string(code);
}

bool LogDialog::ProcessMessage(const ui::Event& event) {
    if (event.Message == WM_NOTIFY)
        Notifications.push_back(event.Code);
    return ui::RouteMessage(*this, kLogRoutes, event) || Dialog::ProcessMessage(event);
}

int LogDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    Log(std::string("init visible=") + (IsWindowVisible() ? "1" : "0"));
    return InitHook ? InitHook() : 1;
}

void LogDialog::OnDestroyMessage(const ui::Event&) {
    Log("destroy");
    if (DestroyHook)
        DestroyHook();
}

void LogDialog::OnAnyCommand(const ui::Event& event) {
    Log(NotificationName(event.Code) + " " + std::to_string(event.ControlId));
    if (Hook)
        Hook(event);
}

void LogDialog::OnAnyNotify(const ui::Event& event) {
    Log("notify " + NotificationName(event.Code) + " " + std::to_string(event.ControlId));
    if (Hook)
        Hook(event);
}

void LogDialog::OnOK() {
    Log("ok");
    Dialog::OnOK();
}

void LogDialog::OnCancel() {
    Log("cancel");
    Dialog::OnCancel();
}

void LogDialog::PostNcDestroy() {
    Log("ncdestroy");
}

std::optional<TestApp>& LayerTest::App() {
    // Static storage of this program, so that the layer finds its module by the address.
    static std::optional<TestApp> app;
    return app;
}

void LayerTest::SetUp() {
    App().emplace();
    frame_ = desktop::CreateFrameWindow("host", ui::Rect{100, 50, 740, 530});
}

void LayerTest::TearDown() {
    for (ui::WindowHandle window : desktop::TopLevelWindows())
        desktop::DestroyWindow(window);
    App().reset();
}

std::unique_ptr<LogDialog> LayerTest::Make(int resourceId, const ui::Window* parent,
                                           std::string name) {
    auto dialog = std::make_unique<LogDialog>(resourceId, parent, log_, std::move(name));
    EXPECT_NE(dialog->Create(), 0) << "dialog " << resourceId;
    return dialog;
}

} // namespace uitest
