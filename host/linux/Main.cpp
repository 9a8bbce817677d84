// devhost: the device-management host for the configuration library on Linux.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "host/InstallLayout.h"
#include "host/Options.h"
#include "host/Script.h"
#include "host/linux/LibraryHost.h"
#include "host/linux/ScriptRunner.h"
#include "host/terminal/FrontEnd.h"
#include "platform/linux/Desktop.h"

namespace {

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path(".") : self.parent_path();
}

// Ends the host at once, destroying no window, so that nothing more is written.
[[noreturn]] void Abort(const std::string& message) {
    std::cerr << message << '\n';
    std::cout.flush();
    std::cerr.flush();
    std::_Exit(2);
}

// The file that DriverConfig edits for these arguments, as a user reads a path here.
std::string DriverFileOf(const std::string& root, const std::string& module) {
    const std::size_t length = module.find("ICfg.dll") != std::string::npos ? 8 : 7;
    const std::string model = module.substr(0, length);
    std::string path = root + "Public\\Tarnwick\\Device_Drivers\\" + model + "\\" + model + ".reg";
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

int RunScript(host::LibraryHost& library, host::ScriptRunner& runner, std::istream& script) {
    const auto failure = host::RunScriptLines(
        script, [&] { return library.AnyWindowVisible(); },
        [&](const host::Action& action) { return runner.Perform(action); });
    if (failure)
        Abort(*failure);
    return 0;
}

int RunScripted(host::LibraryHost& library, std::istream& script) {
    // The runner answers every message box from here to the end, the closing prompts of
    // the shutdown included.
    host::ScriptRunner runner(library, std::cout);
    const ui::WindowHandle mainWindow =
        ui::desktop::CreateFrameWindow("devhost", ui::Rect{0, 0, 640, 480});
    ui::desktop::SetActiveWindow(mainWindow);
    library.OpenWindow();

    const int status = RunScript(library, runner, script);

    // The user shuts the host: its main window takes the library's windows with it.
    ui::desktop::DestroyWindow(mainWindow);
    library.Unload();
    return status;
}

int RunInTerminal(host::LibraryHost& library, const std::string& driverFile) {
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

} // namespace

int main(int argc, char** argv) {
    const auto parsed = host::ParseOptions(argc, argv);
    if (const auto* message = std::get_if<std::string>(&parsed)) {
        std::cerr << "devhost: " << *message << '\n' << host::kUsage;
        return 2;
    }
    const host::Options& options = std::get<host::Options>(parsed);
    if (options.help) {
        std::cout << host::kUsage << host::kHelp;
        return 0;
    }

    const host::HostFiles files = host::LocateHostFiles(ProgramFolder());
    const auto resolved = host::ResolveRoot(options, files.sampleTree);
    host::ScriptInput scriptInput;
    std::optional<std::string> problem =
        resolved.index() == 1 ? std::get<1>(resolved) : scriptInput.Open(options);
    if (problem) {
        std::cerr << "devhost: " << *problem << '\n';
        return 2;
    }
    const std::string& root = std::get<0>(resolved);
    std::istream* script = scriptInput.Stream();
    if (!script && (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO))) {
        std::cerr << "devhost: no terminal to show the window in (standard input and output "
                     "must be a terminal); run it in one, or give it a script with --script\n";
        return 2;
    }

    host::LibraryHost library(root, options.module, options.extra);
    const std::string libraryPath = options.library ? *options.library : files.library;
    if (!library.Load(libraryPath)) {
        std::cerr << "devhost: cannot load " << libraryPath << ": " << library.Error() << '\n';
        return 2;
    }

    if (script)
        return RunScripted(library, *script);
    return RunInTerminal(library, DriverFileOf(root, options.module));
}
