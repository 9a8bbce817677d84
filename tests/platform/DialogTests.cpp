// Dialog creation (geometry, owner, visibility, focus), the destroy cascade, exceptions in
// handlers and message boxes.
#include <dlfcn.h>

#include <stdexcept>
#include <thread>

#include "LayerFixture.h"
#include "platform/Static.h"

namespace uitest {
namespace {

using Texts = std::vector<std::string>;
namespace desktop = ui::desktop;

using DialogTest = LayerTest;

TEST_F(DialogTest, CreateRunsInitHiddenAndShowsAVisibleResourceAfterwards) {
    auto main = Make(IDD_MAIN);
    auto page = Make(IDD_PAGE, main.get());
    EXPECT_EQ(log_, (Texts{"init visible=0", "init visible=0"}));
    EXPECT_TRUE(main->IsWindowVisible());
    EXPECT_FALSE(page->IsWindowVisible()) << "the page's resource is not visible";
    EXPECT_EQ(desktop::Inspect(main->Handle()).Text, "Main window");
    EXPECT_EQ(desktop::Inspect(main->Handle()).ModuleTitle, App()->Title());
    EXPECT_EQ(App()->Starts, 1) << "the start-up step ran once, before the first dialog";
    // The first tab stop takes the focus of a shown dialog.
    EXPECT_EQ(desktop::GetFocus(), main->GetDlgItem(IDC_ADD).Handle());
}

TEST_F(DialogTest, DialogUnitsBecomePixelsOfTheDialogFont) {
    auto main = Make(IDD_MAIN);
    // Owned by the host's frame: placed relative to its client area, which starts one
    // caption row below the frame's top (100, 50 + 13).
    EXPECT_EQ(main->GetParent().Handle(), frame_);
    // 10, 20 dialog units are 15, 33 pixels (32.5 rounded away from zero).
    EXPECT_EQ(main->GetWindowRect(), (ui::Rect{115, 96, 115 + 519, 96 + 13 + 413}));
    EXPECT_EQ(main->GetClientRect(), (ui::Rect{0, 0, 519, 413}));

    ui::Rect frame = main->GetDlgItem(IDC_FRAME).GetWindowRect();
    main->ScreenToClient(frame);
    EXPECT_EQ(frame, (ui::Rect{159, 29, 159 + 336, 29 + 315}));

    auto page = Make(IDD_PAGE, main.get());
    EXPECT_EQ(page->GetParent().Handle(), main->Handle());
    EXPECT_EQ(page->GetClientRect(), (ui::Rect{0, 0, 344, 302}));
    const ui::Rect client = page->GetClientRect();
    page->MoveWindow(client.Left + 160, client.Top + 30, client.Width(), client.Height(), false);
    ui::Rect placed = page->GetWindowRect();
    main->ScreenToClient(placed);
    EXPECT_EQ(placed, (ui::Rect{160, 30, 160 + 344, 30 + 302}));

    // Without a font the system font's 8 by 16 units apply; no caption, no caption row.
    desktop::SetActiveWindow(frame_);
    auto plain = Make(IDD_PLAIN);
    EXPECT_EQ(plain->GetWindowRect(), (ui::Rect{106, 73, 106 + 200, 73 + 100}));
}

TEST_F(DialogTest, OwnerIsTheActiveWindowAndFollowsActivation) {
    desktop::SetActiveWindow(nullptr);
    auto unowned = Make(IDD_PLAIN);
    EXPECT_EQ(desktop::Inspect(unowned->Handle()).Owner, nullptr);
    EXPECT_EQ(unowned->GetWindowRect().Left, 6) << "placed on the screen";

    desktop::SetActiveWindow(frame_);
    auto main = Make(IDD_MAIN);
    EXPECT_EQ(ui::GetActiveWindow().Handle(), main->Handle()) << "shown, so activated";
    auto second = Make(IDD_PLAIN);
    EXPECT_EQ(desktop::Inspect(second->Handle()).Owner, main->Handle());
    ui::WindowHandle activeElsewhere = frame_;
    std::thread([&activeElsewhere] { activeElsewhere = ui::GetActiveWindow().Handle(); }).join();
    EXPECT_EQ(activeElsewhere, nullptr) << "each thread has its own active window";

    // Hiding the active window hands activation to its owner.
    ASSERT_TRUE(desktop::PressCancel(main->Handle()));
    EXPECT_EQ(log_.back(), "cancel");
    EXPECT_FALSE(main->IsWindowVisible());
    EXPECT_TRUE(desktop::IsWindow(main->Handle())) << "ending a modeless dialog hides it";
    EXPECT_EQ(ui::GetActiveWindow().Handle(), frame_);
}

TEST_F(DialogTest, CreateFailuresLeaveNoWindow) {
    testing::internal::CaptureStderr();
    LogDialog missing(555, nullptr, log_);
    EXPECT_EQ(missing.Create(), 0);
    LogDialog orphan(IDD_ORPHAN_CHILD, nullptr, log_);
    EXPECT_EQ(orphan.Create(), 0);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("there is no dialog resource 555"), std::string::npos) << errors;
    EXPECT_NE(errors.find("needs a parent"), std::string::npos) << errors;

    LogDialog selfDestroying(IDD_MAIN, nullptr, log_);
    selfDestroying.InitHook = [&] {
        desktop::DestroyWindow(selfDestroying.Handle());
        return 1;
    };
    EXPECT_EQ(selfDestroying.Create(), 0);
    EXPECT_EQ(selfDestroying.Handle(), nullptr);
    EXPECT_EQ(log_, (Texts{"init visible=0", "destroy"})) << "no PostNcDestroy after a failure";
    EXPECT_EQ(desktop::TopLevelWindows().size(), 1u);
}

TEST_F(DialogTest, DestroyCascadeOwnedWindowsFirstThenParentsBeforeChildren) {
    auto main = Make(IDD_MAIN, nullptr, "main");
    auto page = Make(IDD_PAGE, main.get(), "page");
    auto owned = Make(IDD_PLAIN, nullptr, "owned");
    ASSERT_EQ(desktop::Inspect(owned->Handle()).Owner, main->Handle());
    const ui::WindowHandle mainHandle = main->Handle();
    const ui::WindowHandle pageHandle = page->Handle();
    main->DestroyHook = [&] {
        // The children still exist while the parent's handler runs.
        log_.push_back(desktop::IsWindow(pageHandle) && main->GetDlgItem(IDC_TREE)
                           ? "children alive"
                           : "children gone");
    };
    log_.clear();
    desktop::DestroyWindow(frame_);
    EXPECT_EQ(log_, (Texts{"owned destroy", "owned ncdestroy", "main destroy", "children alive",
                           "page destroy", "page ncdestroy", "main ncdestroy"}));
    EXPECT_FALSE(desktop::IsWindow(mainHandle));
    EXPECT_FALSE(desktop::IsWindow(pageHandle));
    EXPECT_EQ(main->Handle(), nullptr) << "the object outlives its window, detached";
    EXPECT_FALSE(main->ShowWindow(SW_SHOWNORMAL)) << "calls on a destroyed window do nothing";
    EXPECT_EQ(ui::GetActiveWindow().Handle(), nullptr);
    EXPECT_TRUE(desktop::TopLevelWindows().empty());
}

TEST_F(DialogTest, DeletingTheObjectDestroysItsWindowWithoutCallingIt) {
    auto main = Make(IDD_MAIN, nullptr, "main");
    auto page = Make(IDD_PAGE, main.get(), "page");
    const ui::WindowHandle mainHandle = main->Handle();
    log_.clear();
    main.reset();
    EXPECT_EQ(log_, (Texts{"page destroy", "page ncdestroy"}));
    EXPECT_FALSE(desktop::IsWindow(mainHandle));
    EXPECT_EQ(page->Handle(), nullptr);
}

TEST_F(DialogTest, AnExceptionInAHandlerIsShownWithTheStopIconAndHandled) {
    auto main = Make(IDD_MAIN);
    main->Hook = [](const ui::Event&) { throw std::runtime_error("The file is locked."); };
    ASSERT_TRUE(desktop::ClickButton(main->GetDlgItem(IDC_ADD).Handle()));
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    const desktop::MessageBoxRequest& box = boxes_.Boxes()[0];
    EXPECT_EQ(box.Text, "The file is locked.");
    EXPECT_EQ(box.Flags, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(box.Owner, main->Handle());
    EXPECT_EQ(box.Caption, App()->Title());
    EXPECT_TRUE(main->IsWindowVisible()) << "the window stays open";
    EXPECT_TRUE(main->Dispatch(ui::Event{WM_COMMAND, BN_CLICKED, IDC_ADD})) << "handled";

    main->Hook = [](const ui::Event&) { throw 42; };
    main->Dispatch(ui::Event{WM_COMMAND, BN_CLICKED, IDC_ADD});
    EXPECT_EQ(boxes_.Boxes().back().Text, "An unexpected error occurred.");

    // In the initialisation: the box, and the window is made all the same.
    LogDialog failing(IDD_MAIN, nullptr, log_);
    failing.InitHook = []() -> int { throw std::runtime_error("no templates"); };
    EXPECT_NE(failing.Create(), 0);
    EXPECT_EQ(boxes_.Boxes().back().Text, "no templates");
}

TEST_F(DialogTest, MessageBoxCaptionsAnswersAndModality) {
    auto main = Make(IDD_MAIN);
    EXPECT_EQ(main->MessageBoxA("text", "Note", MB_OKCANCEL), IDOK) << "the default button";
    boxes_.QueueAnswer(IDCANCEL);
    EXPECT_EQ(main->MessageBoxA("text", nullptr, MB_OKCANCEL), IDCANCEL);
    boxes_.QueueAnswer(IDCANCEL);
    EXPECT_EQ(ui::MessageBoxA(nullptr, "only OK", nullptr, MB_OK), IDOK);
    ASSERT_EQ(boxes_.Boxes().size(), 3u);
    EXPECT_EQ(boxes_.Boxes()[0].Caption, "Note");
    EXPECT_EQ(boxes_.Boxes()[1].Caption, App()->Title());
    EXPECT_EQ(boxes_.Boxes()[2].Caption, "Error") << "neither owner nor caption: the default";
    EXPECT_EQ(boxes_.Boxes()[2].Owner, nullptr);

    // The owner's top-level window takes no input while the box is up.
    bool enabledDuringBox = true;
    desktop::SetMessageBoxPresenter([&](const desktop::MessageBoxRequest&) {
        enabledDuringBox = desktop::Inspect(main->Handle()).Enabled;
        return IDOK;
    });
    ui::Window(main->GetDlgItem(IDC_ADD)).MessageBoxA("from a control", nullptr, MB_OK);
    EXPECT_FALSE(enabledDuringBox);
    EXPECT_TRUE(main->IsWindowEnabled());
}

TEST_F(DialogTest, WithoutAnApplicationTheCaptionIsTheSystemDefault) {
    App().reset();
    EXPECT_EQ(ui::Application::Current(), nullptr);
    ui::MessageBoxA(nullptr, "text", nullptr, MB_OK);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].Caption, "Error");
    testing::internal::CaptureStderr();
    LogDialog dialog(IDD_MAIN, nullptr, log_);
    EXPECT_EQ(dialog.Create(), 0) << "no module to take the resource from";
    testing::internal::GetCapturedStderr();
}

// A shared object with an application and damaged resources of its own: loading it makes
// its application current, and its dialogs fail with the reader's report.
TEST_F(DialogTest, AModuleWithDamagedResourcesFailsCreateWithTheReason) {
    void* module = dlopen(UI_TEST_BROKEN_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    ASSERT_NE(ui::Application::Current(), nullptr);
    EXPECT_EQ(ui::Application::Current()->Title(), "ui_test_broken");
    using CreateFunction = int (*)();
    const auto create = reinterpret_cast<CreateFunction>(dlsym(module, "CreateBrokenDialog"));
    ASSERT_NE(create, nullptr);

    testing::internal::CaptureStderr();
    EXPECT_EQ(create(), 0);
    EXPECT_EQ(ui::LoadBitmapA(105), nullptr);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("broken.res: dialog 100: truncated"), std::string::npos) << errors;

    dlclose(module);
    EXPECT_EQ(ui::Application::Current(), &*App());
}

} // namespace
} // namespace uitest
