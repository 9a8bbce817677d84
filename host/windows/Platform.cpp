// The host's platform on Windows: a main window of its own, the hook that answers the real
// message boxes, and the message loop a user works in without a script.
#include "host/Platform.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "host/windows/MessageBoxWatcher.h"

namespace host {
namespace {

constexpr char kMainWindowClass[] = "DevHostMainWindow";

LRESULT CALLBACK MainWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && GetPropA(hwnd, "interactive"))
        PostQuitMessage(0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

// The transcript is compared byte for byte: no CR before the line ends.
void PrepareStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program(path, length);
    const auto slash = program.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
}

std::optional<std::string> InteractiveProblem() {
    return std::nullopt;
}

void ExitAtOnce(int status) {
    ExitProcess(static_cast<UINT>(status));
}

Window CreateMainWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = MainWindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    windowClass.lpszClassName = kMainWindowClass;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA(kMainWindowClass, "devhost", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    return window;
}

void DestroyMainWindow(Window window) {
    if (IsWindow(static_cast<HWND>(window)))
        DestroyWindow(static_cast<HWND>(window));
}

struct MessageBoxWatch::Hook {
    explicit Hook(MessageBoxAnswers& answers) : Watcher(answers) {}
    MessageBoxWatcher Watcher;
};

MessageBoxWatch::MessageBoxWatch(MessageBoxAnswers& answers)
    : hook_(std::make_unique<Hook>(answers)) {}

MessageBoxWatch::~MessageBoxWatch() = default;

// The user works in the windows until the main window is closed.
int RunInteractive(Library& library, const std::string&) {
    UserActions& actions = PlatformUserActions();
    const auto mainWindow = static_cast<HWND>(CreateMainWindow());
    library.OpenWindow();
    actions.Settle();

    SetPropA(mainWindow, "interactive", reinterpret_cast<HANDLE>(1));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        HWND dialog = GetActiveWindow();
        if (dialog && IsDialogMessageA(dialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    RemovePropA(mainWindow, "interactive");

    DestroyMainWindow(mainWindow);
    actions.Settle();
    library.Unload();
    return 0;
}

} // namespace host
