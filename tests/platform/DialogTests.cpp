// Dialog creation (geometry, owner, visibility, focus), the destroy cascade, exceptions in
// handlers and message boxes.
#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <functional>
#include <stdexcept>
#ifndef _WIN32
#include <thread>
#endif

#include "LayerFixture.h"
#include "platform/Static.h"

namespace uitest {
namespace {

using Texts = std::vector<std::string>;

#ifdef _WIN32
DWORD WINAPI RunWork(void* work) {
    (*static_cast<std::function<void()>*>(work))();
    return 0;
}
#endif

// Runs `work` on a thread of its own and waits for it. (MinGW's win32 thread model has no
// std::thread.)
void OnOtherThread(std::function<void()> work) {
#ifdef _WIN32
    HANDLE thread = CreateThread(nullptr, 0, RunWork, &work, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
#else
    std::thread(std::move(work)).join();
#endif
}

// Pixels of dialog units by the dialog's font, as a resource's units become pixels. The
// Linux layer has the metrics that Windows has for the fonts (MS Sans Serif 8: units of 6 by
// 13 pixels, the system font 8 by 16), so its pixels are the ones written in the tests. The
// real system measures the fonts it has, which under Wine are others (MS Sans Serif 8 is 6 by
// 12 there, the system font narrower): on Windows the tests expect the system's own
// conversion of the same units (MapDialogRect).
ui::Rect Pixels(const ui::Dialog& dialog, ui::Rect units, ui::Rect linuxPixels) {
#ifdef _WIN32
    (void)linuxPixels;
    RECT rect{units.Left, units.Top, units.Right, units.Bottom};
    EXPECT_TRUE(MapDialogRect(reinterpret_cast<HWND>(dialog.Handle()), &rect));
    return {rect.left, rect.top, rect.right, rect.bottom};
#else
    (void)dialog;
    (void)units;
    return linuxPixels;
#endif
}

using DialogTest = LayerTest;

TEST_F(DialogTest, CreateRunsInitHiddenAndShowsAVisibleResourceAfterwards) {
    auto main = Make(IDD_MAIN);
    // The first tab stop takes the focus of a shown dialog.
    EXPECT_EQ(desktop::GetFocus(), main->GetDlgItem(IDC_ADD).Handle());
    auto page = Make(IDD_PAGE, main.get());
    EXPECT_EQ(log_, (Texts{"init visible=0", "init visible=0"}));
    EXPECT_TRUE(main->IsWindowVisible());
    EXPECT_FALSE(page->IsWindowVisible()) << "the page's resource is not visible";
    EXPECT_EQ(desktop::Inspect(main->Handle()).Text, "Main window");
    EXPECT_EQ(App()->Title(), "platform_ui_tests") << "the program's file name";
    EXPECT_EQ(desktop::Inspect(main->Handle()).ModuleTitle, App()->Title());
#ifdef _WIN32
    // The start-up step runs when the library holding the application is loaded (DllMain),
    // which a program is not.
    EXPECT_EQ(App()->Starts, 0);
    // The system gives the focus to the first tab stop of every dialog whose initialisation
    // returns non-zero, a hidden child dialog's too: the page, made last, has it (its combo
    // box's edit field). The Linux layer focuses only a shown dialog's.
    EXPECT_EQ(ui::Window(desktop::GetFocus()).GetParent().Handle(),
              page->GetDlgItem(IDC_COMBO).Handle());
#else
    EXPECT_EQ(App()->Starts, 1) << "the start-up step ran once, before the first dialog";
    EXPECT_EQ(desktop::GetFocus(), main->GetDlgItem(IDC_ADD).Handle()) << "the page is hidden";
#endif
    // A dialog's items are its own controls, not those of the dialogs inside it.
    EXPECT_EQ(main->GetDlgItem(IDC_COMBO).Handle(), nullptr);
    EXPECT_EQ(page->GetDlgItem(IDC_COMBO).GetDlgCtrlID(), IDC_COMBO);
}

// The controls are bound by the base initialisation, before a subclass's own steps.
TEST_F(DialogTest, TheBaseInitialisationBindsTheControls) {
    class Bound : public ui::Dialog {
    public:
        Bound() : Dialog(IDD_MAIN, nullptr) {}
        ui::Window Tree;
        ui::Window Add;
        bool BoundBeforeOwnSteps = false;

    protected:
        void BindControls() override {
            BindControl(IDC_TREE, Tree);
            BindControl(IDC_ADD, Add);
        }
        int OnInitDialog() override {
            const int result = Dialog::OnInitDialog();
            BoundBeforeOwnSteps = Tree && Add;
            return result;
        }
    };
    Bound dialog;
    ASSERT_NE(dialog.Create(), 0);
    EXPECT_TRUE(dialog.BoundBeforeOwnSteps);
    EXPECT_EQ(dialog.Tree.Handle(), dialog.GetDlgItem(IDC_TREE).Handle());
    EXPECT_EQ(dialog.Add.GetDlgCtrlID(), IDC_ADD);
}

TEST_F(DialogTest, DialogUnitsBecomePixelsOfTheDialogFont) {
    auto main = Make(IDD_MAIN);
    // Owned by the host's frame: placed relative to its client area.
    EXPECT_EQ(main->GetParent().Handle(), frame_);
    // 10, 20 dialog units are 15, 33 pixels (32.5 rounded away from zero).
    const ui::Rect origin = Pixels(*main, {10, 20, 10, 20}, {15, 33, 15, 33});
    const ui::Rect client = Pixels(*main, {0, 0, 346, 254}, {0, 0, 519, 413});
    EXPECT_EQ(main->GetClientRect(), client);
#ifdef _WIN32
    // The system places the client area there, and its frame around it: the client area
    // grown by the borders and caption that the styles ask for. (The Linux layer places the
    // window there, its caption row above the client area.)
    const auto hwnd = reinterpret_cast<HWND>(main->Handle());
    POINT corner{0, 0};
    ClientToScreen(hwnd, &corner);
    ScreenToClient(reinterpret_cast<HWND>(frame_), &corner);
    EXPECT_EQ(corner.x, origin.Left);
    EXPECT_EQ(corner.y, origin.Top);
    RECT outer{0, 0, client.Width(), client.Height()};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE)));
    EXPECT_EQ(main->GetWindowRect().Width(), outer.right - outer.left);
    EXPECT_EQ(main->GetWindowRect().Height(), outer.bottom - outer.top);
#else
    // The Linux layer places the window there. Its frames have no borders and a caption
    // row of 13 pixels: the frame's client area starts at 100, 50 + 13.
    ui::Rect inFrame = main->GetWindowRect();
    ui::Window(frame_).ScreenToClient(inFrame);
    EXPECT_EQ(inFrame.Left, origin.Left);
    EXPECT_EQ(inFrame.Top, origin.Top);
    EXPECT_EQ(main->GetWindowRect(), (ui::Rect{115, 96, 115 + 519, 96 + 13 + 413}));
#endif

    ui::Rect frame = main->GetDlgItem(IDC_FRAME).GetWindowRect();
    main->ScreenToClient(frame);
    EXPECT_EQ(frame, Pixels(*main, {106, 18, 106 + 224, 18 + 194},
                            {159, 29, 159 + 336, 29 + 315}));

    auto page = Make(IDD_PAGE, main.get());
    EXPECT_EQ(page->GetParent().Handle(), main->Handle());
    const ui::Rect pageClient = Pixels(*page, {0, 0, 229, 186}, {0, 0, 344, 302});
    EXPECT_EQ(page->GetClientRect(), pageClient);
    page->MoveWindow(160, 30, pageClient.Width(), pageClient.Height(), false);
    ui::Rect placed = page->GetWindowRect();
    main->ScreenToClient(placed);
    EXPECT_EQ(placed, (ui::Rect{160, 30, 160 + pageClient.Width(), 30 + pageClient.Height()}));

    // Without a font the system font's units apply (8 by 16 pixels); no caption, no frame.
    desktop::SetActiveWindow(frame_);
    auto plain = Make(IDD_PLAIN);
    ui::Rect plainInFrame = plain->GetWindowRect();
    ui::Window(frame_).ScreenToClient(plainInFrame);
    EXPECT_EQ(plainInFrame, Pixels(*plain, {3, 5, 3 + 100, 5 + 50}, {6, 10, 6 + 200, 10 + 100}));
#ifndef _WIN32
    EXPECT_EQ(plain->GetWindowRect(), (ui::Rect{106, 73, 106 + 200, 73 + 100}));
#endif
}

TEST_F(DialogTest, OwnerIsTheActiveWindowAndFollowsActivation) {
    desktop::SetActiveWindow(nullptr);
    auto unowned = Make(IDD_PLAIN);
    EXPECT_EQ(desktop::Inspect(unowned->Handle()).Owner, nullptr);
    EXPECT_EQ(unowned->GetWindowRect().Left, Pixels(*unowned, {3, 5, 3, 5}, {6, 10, 6, 10}).Left)
        << "placed on the screen";

    desktop::SetActiveWindow(frame_);
    auto main = Make(IDD_MAIN);
    EXPECT_EQ(ui::GetActiveWindow().Handle(), main->Handle()) << "shown, so activated";
    auto second = Make(IDD_PLAIN);
    EXPECT_EQ(desktop::Inspect(second->Handle()).Owner, main->Handle());
    EXPECT_FALSE(second->IsWindowVisible()) << "the resource is not visible";
#ifdef _WIN32
    // The system's focus for the first tab stop of a dialog whose initialisation returns
    // non-zero activates the dialog, a hidden one too; the Linux layer activates only shown
    // dialogs. Activation goes back to the shown one for the steps below.
    EXPECT_EQ(ui::GetActiveWindow().Handle(), second->Handle());
    desktop::SetActiveWindow(main->Handle());
#else
    EXPECT_EQ(ui::GetActiveWindow().Handle(), main->Handle()) << "a hidden dialog is not activated";
#endif
    ui::WindowHandle activeElsewhere = frame_;
    OnOtherThread([&activeElsewhere] { activeElsewhere = ui::GetActiveWindow().Handle(); });
    EXPECT_EQ(activeElsewhere, nullptr) << "each thread has its own active window";

    // Hiding the active window hands activation to its owner.
    ASSERT_TRUE(desktop::PressCancel(main->Handle()));
    EXPECT_EQ(log_.back(), "cancel");
    EXPECT_FALSE(main->IsWindowVisible());
    EXPECT_TRUE(desktop::IsWindow(main->Handle())) << "ending a modeless dialog hides it";
    EXPECT_EQ(ui::GetActiveWindow().Handle(), frame_);
}

TEST_F(DialogTest, CreateFailuresLeaveNoWindow) {
#ifdef _WIN32
    // The system takes the owner that the layer gives a dialog without a parent, the active
    // window, as the parent of a child resource; the Linux layer refuses a child resource
    // without a parent. With no window active the system refuses it too.
    LogDialog adopted(IDD_ORPHAN_CHILD, nullptr, log_);
    ASSERT_NE(adopted.Create(), 0);
    EXPECT_EQ(adopted.GetParent().Handle(), frame_);
    desktop::DestroyWindow(adopted.Handle());
    log_.clear();
    desktop::SetActiveWindow(nullptr);
#endif
    testing::internal::CaptureStderr();
    LogDialog missing(555, nullptr, log_);
    EXPECT_EQ(missing.Create(), 0);
    LogDialog orphan(IDD_ORPHAN_CHILD, nullptr, log_);
    EXPECT_EQ(orphan.Create(), 0);
    const std::string errors = testing::internal::GetCapturedStderr();
#ifndef _WIN32
    // The Linux layer names the reason; the system's CreateDialogParam only fails.
    EXPECT_NE(errors.find("there is no dialog resource 555"), std::string::npos) << errors;
    EXPECT_NE(errors.find("needs a parent"), std::string::npos) << errors;
#endif

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
    EXPECT_EQ(boxes_.Boxes()[0].Text, "text");
    EXPECT_EQ(boxes_.Boxes()[0].Flags, MB_OKCANCEL) << "no icon";
    EXPECT_EQ(boxes_.Boxes()[0].Owner, main->Handle());
    EXPECT_EQ(boxes_.Boxes()[1].Caption, App()->Title());
    EXPECT_EQ(boxes_.Boxes()[2].Caption, "Error") << "neither owner nor caption: the default";
    EXPECT_EQ(boxes_.Boxes()[2].Flags, MB_OK);
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
#ifdef _WIN32
    // The Windows layer's dialogs come from the module that its code is linked into when no
    // application names one; the Linux layer has no module without an application.
    EXPECT_NE(dialog.Create(), 0) << "the resource of the module the layer is linked into";
#else
    EXPECT_EQ(dialog.Create(), 0) << "no module to take the resource from";
#endif
    testing::internal::GetCapturedStderr();
}

// A shared object with an application and damaged resources of its own: loading it makes
// its application current, and its dialogs fail with the reader's report.
TEST_F(DialogTest, AModuleWithDamagedResourcesFailsCreateWithTheReason) {
#ifdef _WIN32
    GTEST_SKIP() << "the Linux layer's own reader of embedded resources; on Windows the "
                    "system loads a module's resources";
#else
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
#endif
}

} // namespace
} // namespace uitest
