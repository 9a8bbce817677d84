// The host's platform on Linux: the windowing layer's frame window and message-box
// presenter, and the terminal front end for a user without a script.
#include "host/Platform.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "host/terminal/FrontEnd.h"
#include "platform/linux/Desktop.h"

namespace host {

void PrepareStandardStreams() {}

std::string ProgramFolder() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::path(".") : self.parent_path()).string() + "/";
}

std::optional<std::string> InteractiveProblem() {
    if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO))
        return std::nullopt;
    return "no terminal to show the window in (standard input and output must be a "
           "terminal); run it in one, or give it a script with --script";
}

void ExitAtOnce(int status) {
    std::_Exit(status);
}

Window CreateMainWindow() {
    const ui::WindowHandle window =
        ui::desktop::CreateFrameWindow("devhost", ui::Rect{0, 0, 640, 480});
    ui::desktop::SetActiveWindow(window);
    return window;
}

void DestroyMainWindow(Window window) {
    ui::desktop::DestroyWindow(static_cast<ui::WindowHandle>(window));
}

struct MessageBoxWatch::Hook {};

MessageBoxWatch::MessageBoxWatch(MessageBoxAnswers& answers) {
    ui::desktop::SetMessageBoxPresenter([&answers](const ui::desktop::MessageBoxRequest& request) {
        return answers.Answer(request.Caption, request.Text, request.Flags) ? IDOK : IDCANCEL;
    });
}

MessageBoxWatch::~MessageBoxWatch() {
    ui::desktop::SetMessageBoxPresenter(nullptr);
}

// The terminal front end draws the layer's windows and turns keys and mouse into the
// user's actions.
int RunInteractive(Library& library, const std::string& driverFile) {
    terminal::FrontEnd frontEnd({driverFile});
    if (const auto error = frontEnd.Start()) {
        std::cerr << "devhost: " << *error << '\n';
        return 2;
    }
    const ui::WindowHandle mainWindow =
        ui::desktop::CreateFrameWindow("devhost", frontEnd.ScreenPixels());
    ui::desktop::SetActiveWindow(mainWindow);
    library.OpenWindow();

    // Until no window of the library is visible, or the user interrupts with Ctrl-C.
    frontEnd.Run(mainWindow, [&library] { return library.AnyWindowVisible(); });

    // The same shutdown either way; a closing prompt is still answered in the terminal.
    ui::desktop::DestroyWindow(mainWindow);
    frontEnd.Stop();
    library.Unload();
    return 0;
}

} // namespace host
