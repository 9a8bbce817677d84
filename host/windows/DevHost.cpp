// devhost.exe: the device-management host for the configuration library on Windows. It
// loads the library, opens its window as such a host does and plays a script of user
// actions on the real windows; without a script the user works in the window.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <variant>

#include "host/InstallLayout.h"
#include "host/Options.h"
#include "host/Script.h"
#include "host/windows/LibraryWindows.h"
#include "host/windows/ScriptRunner.h"
#include "host/windows/UserActions.h"

namespace {

constexpr char kMainWindowClass[] = "DevHostMainWindow";

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program(path, length);
    const auto slash = program.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
}

// Ends the host at once, destroying no window, so that nothing more is written.
[[noreturn]] void Abort(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    std::fflush(stdout);
    std::fflush(stderr);
    ExitProcess(2);
}

LRESULT CALLBACK MainWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && GetPropA(hwnd, "interactive"))
        PostQuitMessage(0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND CreateMainWindow() {
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

void RunScript(devhost::LibraryWindows& library, devhost::MessageBoxWatcher& watcher,
               std::istream& script) {
    devhost::ScriptRunner runner(library, watcher);
    const auto failure = host::RunScriptLines(
        script, [&] { return library.AnyWindowVisible(); },
        [&](const host::Action& action) { return runner.Perform(action); });
    if (failure)
        Abort(*failure);
}

// Without a script the user works in the windows until the main window is closed.
void RunInteractive(HWND mainWindow) {
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
}

} // namespace

int main(int argc, char** argv) {
    // The transcript is compared byte for byte: no CR before the line ends.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    const auto parsed = host::ParseOptions(argc, argv);
    if (const auto* message = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "devhost: %s\n%s", message->c_str(), host::kUsage);
        return 2;
    }
    const host::Options& options = std::get<host::Options>(parsed);
    if (options.help) {
        std::fputs(host::kUsage, stdout);
        std::fputs(host::kHelp, stdout);
        return 0;
    }

    const host::HostFiles files = host::LocateHostFiles(ProgramFolder());
    const auto resolved = host::ResolveRoot(options, files.sampleTree);
    host::ScriptInput scriptInput;
    std::optional<std::string> problem =
        resolved.index() == 1 ? std::get<1>(resolved) : scriptInput.Open(options);
    if (problem) {
        std::fprintf(stderr, "devhost: %s\n", problem->c_str());
        return 2;
    }
    const std::string& root = std::get<0>(resolved);
    std::istream* script = scriptInput.Stream();

    devhost::LibraryWindows library(root, options.module, options.extra);
    const std::string libraryPath = options.library ? *options.library : files.library;
    if (!library.Load(libraryPath)) {
        std::fprintf(stderr, "devhost: cannot load %s: %s\n", libraryPath.c_str(),
                     library.Error().c_str());
        return 2;
    }

    // With a script, every box the library shows while the host runs is answered and
    // goes to the transcript, from the first opening to the shutdown's prompt.
    std::optional<devhost::MessageBoxWatcher> watcher;
    if (script)
        watcher.emplace(stdout);
    HWND mainWindow = CreateMainWindow();
    library.OpenWindow();
    devhost::PumpUntilIdle();

    if (script)
        RunScript(library, *watcher, *script);
    else
        RunInteractive(mainWindow);

    // The user shuts the host: its main window takes the library's windows with it.
    if (IsWindow(mainWindow))
        DestroyWindow(mainWindow);
    devhost::PumpUntilIdle();
    library.Unload();
    return 0;
}
