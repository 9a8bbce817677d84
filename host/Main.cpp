// devhost: the device-management host for the configuration library. It loads the
// library, opens its window as such a host does, and plays a script of user actions on it;
// without a script the user works in the window.
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <variant>

#include "host/InstallLayout.h"
#include "host/Library.h"
#include "host/MessageBoxAnswers.h"
#include "host/Options.h"
#include "host/Platform.h"
#include "host/Script.h"
#include "host/ScriptRunner.h"
#include "host/UserActions.h"
#include "templates/TemplatePath.h"

namespace {

// Ends the host at once, destroying no window, so that nothing more is written.
[[noreturn]] void Abort(const std::string& message) {
    std::cerr << message << '\n';
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    host::ExitAtOnce(2);
}

// The file that DriverConfig edits for these arguments, as a user reads a path here.
std::string DriverFileOf(const std::string& root, const std::string& module) {
    std::string path = templates::RegFilePathOf(root, module);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

int RunScripted(host::Library& library, std::istream& script) {
    // Every box the library shows from the first opening to the shutdown's prompt is
    // answered and goes to the transcript.
    host::MessageBoxAnswers answers(std::cout);
    const host::MessageBoxWatch watch(answers);
    host::UserActions& actions = host::PlatformUserActions();
    const host::Window mainWindow = host::CreateMainWindow();
    library.OpenWindow();
    actions.Settle();

    host::ScriptRunner runner(library, actions, answers);
    const auto failure = host::RunScriptLines(
        script, [&] { return library.AnyWindowVisible(); },
        [&](const host::Action& action) { return runner.Perform(action); });
    if (failure)
        Abort(*failure);

    // The user shuts the host: its main window takes the library's windows with it.
    host::DestroyMainWindow(mainWindow);
    actions.Settle();
    library.Unload();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    host::PrepareStandardStreams();
    const auto parsed = host::ParseOptions(argc, argv);
    if (const auto* message = std::get_if<std::string>(&parsed)) {
        std::cerr << "devhost: " << *message << '\n' << host::kUsage;
        return 2;
    }
    const host::Options& options = std::get<host::Options>(parsed);
    if (options.Help) {
        std::cout << host::HelpText();
        return 0;
    }

    const host::HostFiles files = host::LocateHostFiles(host::ProgramFolder());
    const auto resolved = host::ResolveRoot(options, files.SampleTree);
    host::ScriptInput scriptInput;
    std::optional<std::string> problem =
        resolved.index() == 1 ? std::get<1>(resolved) : scriptInput.Open(options);
    std::istream* script = scriptInput.Stream();
    if (!problem && !script)
        problem = host::InteractiveProblem();
    if (problem) {
        std::cerr << "devhost: " << *problem << '\n';
        return 2;
    }
    const std::string& root = std::get<0>(resolved);

    host::Library library(root, options.Module, options.Extra);
    const std::string libraryPath = options.Library ? *options.Library : files.Library;
    if (!library.Load(libraryPath)) {
        std::cerr << "devhost: cannot load " << libraryPath << ": " << library.Error() << '\n';
        return 2;
    }

    if (script)
        return RunScripted(library, *script);
    return host::RunInteractive(library, DriverFileOf(root, options.Module));
}
