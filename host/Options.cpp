#include "host/Options.h"

#include "host/ScriptControls.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <system_error>

namespace host {

const char kUsage[] =
    "usage: devhost [--library PATH] [--root DIR] [--module NAME] [--extra TEXT]\n"
    "               [--script FILE|-]\n"
    "Opens the configuration window of the library on a driver tree (by default a copy of\n"
    "the bundled sample tree). With --script, the user's actions come from the script and\n"
    "every message box is written to standard output; without it, the window is shown in\n"
    "this terminal.\n";

namespace {

#ifdef _WIN32
constexpr char kRootSeparators[] = "\\/:";
#else
constexpr char kRootSeparators[] = "/";
#endif

const char kHelp[] =
    "\n"
    "Options:\n"
    "  --library PATH  the configuration library to load (default: the one installed\n"
    "                  with devhost, or the one beside it in a build folder)\n"
    "  --root DIR      the root argument of DriverConfig, passed verbatim (end it with a\n"
    "                  separator); default: a per-user copy of the bundled sample tree,\n"
    "                  made on first use in pci3916cfg/driver-tree/ under $XDG_DATA_HOME,\n"
    "                  else %LOCALAPPDATA%, else ~/.local/share (said on standard error)\n"
    "  --module NAME   the module argument (default PCI3916Cfg.dll)\n"
    "  --extra TEXT    the fourth argument (default empty)\n"
    "  --script FILE   plays the user's actions from FILE, or from standard input for -\n"
    "  -h, --help      prints this help\n"
    "\n"
    "Script language: one action per line; blank lines and lines starting with # are\n"
    "ignored; words are separated by blanks; TEXT is the rest of the line; ID is a control\n"
    "id of the window's dialogs (the list of controls follows).\n"
    "  expand TEXT     clicks the expand button of the visible tree node TEXT\n"
    "  collapse TEXT   clicks the collapse button of the visible tree node TEXT\n"
    "  select TEXT     clicks the first visible tree node TEXT in display order\n"
    "  click ID        clicks the visible, enabled control ID of the window or its pages\n"
    "  tab N           clicks tab N\n"
    "  choose ID N     chooses item N from the list of combo box ID\n"
    "  type ID TEXT    types TEXT into the edit field of combo box ID\n"
    "  answer ok       queues OK (answer cancel: Cancel) for the next message box; a box\n"
    "                  without a queued answer, or without a Cancel button, gets OK\n"
    "  open            calls DriverConfig again with the same arguments (a second window)\n"
    "Actions go to the library's window that was shown or activated last. When no window\n"
    "of the library is visible any more, or at the end of the script, the host is shut:\n"
    "its main window is destroyed (the closing prompts run) and the library unloaded.\n"
    "\n"
    "Controls (the id, the control, then what a script does with it; the controls of a\n"
    "page can be used while that page is shown):\n";

const char kHelpEnd[] =
    "\n"
    "Standard output carries one line per message box:\n"
    "  messagebox caption=\"CAPTION\" text=\"TEXT\" buttons=OK|OKCANCEL icon=none|stop\n"
    "             answer=ok|cancel\n"
    "(on one line; \", \\ and control characters escaped as \\\", \\\\, \\n, \\r, \\t, \\xHH).\n"
    "\n"
    "Exit status: 0 when the host was shut; 2 for a bad command line, a root that names\n"
    "no existing folder, a script or library that cannot be used, or a script line a user\n"
    "could not perform, which is reported as \"script line N: REASON\" on standard error\n"
    "and ends the host at once, destroying no window.\n";

} // namespace

std::string HelpText() {
    return std::string(kUsage) + kHelp + ScriptControlTable() + kHelpEnd;
}

std::variant<Options, std::string> ParseOptions(int argc, const char* const* argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            options.Help = true;
            continue;
        }
        std::optional<std::string>* target = nullptr;
        std::string* plain = nullptr;
        if (option == "--library")
            target = &options.Library;
        else if (option == "--root")
            target = &options.Root;
        else if (option == "--script")
            target = &options.Script;
        else if (option == "--module")
            plain = &options.Module;
        else if (option == "--extra")
            plain = &options.Extra;
        else
            return "unknown option \"" + std::string(option) + "\"";
        if (i + 1 >= argc)
            return std::string(option) + " needs a value";
        const char* value = argv[++i];
        if (target)
            *target = value;
        else
            *plain = value;
    }
    return options;
}

std::variant<std::string, std::string> PrepareSampleTree(const std::string& bundledTree) {
    namespace fs = std::filesystem;
    // The folder the environment names, which must exist already, and the variable.
    fs::path given;
    std::string variable;
    for (const char* name : {"XDG_DATA_HOME", "LOCALAPPDATA", "HOME"}) {
        if (const char* value = std::getenv(name); value && *value) {
            given = value;
            variable = name;
            break;
        }
    }
    if (variable.empty())
        return std::variant<std::string, std::string>(
            std::in_place_index<1>, "no per-user folder (set HOME, or give the tree with --root)");
    const fs::path base = variable == "HOME" ? given / ".local" / "share" : given;
    std::error_code error;
    // A missing home is a mistake in the environment: creating it would hide the mistake
    // and leave a stray tree of folders behind.
    if (!fs::is_directory(given, error))
        return std::variant<std::string, std::string>(
            std::in_place_index<1>, variable + " is " + given.string() +
                                        ", which is not an existing folder; devhost does not "
                                        "create it. Set " +
                                        variable +
                                        " to an existing folder, or give the driver tree with "
                                        "--root DIR/");
    const fs::path work = base / "pci3916cfg" / "driver-tree";
    if (!fs::exists(work, error)) {
        fs::create_directories(work, error);
        if (!error)
            fs::copy(bundledTree, work, fs::copy_options::recursive, error);
        if (error)
            return std::variant<std::string, std::string>(
                std::in_place_index<1>,
                "cannot copy the sample tree to " + work.string() + ": " + error.message());
    }
    std::string root = work.string();
    root += static_cast<char>(fs::path::preferred_separator);
    return std::variant<std::string, std::string>(std::in_place_index<0>, root);
}

std::optional<std::string> CheckRoot(const std::string& root) {
    namespace fs = std::filesystem;
    // The root is the head of a path: its folder is the root itself when it ends with a
    // separator, else the folder it lies in ("dir/rootX" names "dir/").
    const std::size_t separator = root.find_last_of(kRootSeparators);
    const std::string folder = separator == std::string::npos ? "." : root.substr(0, separator + 1);
    std::error_code error;
    if (fs::is_directory(folder, error))
        return std::nullopt;
    return "the root " + root + " cannot be used: " + folder + " is not an existing folder";
}

std::variant<std::string, std::string> ResolveRoot(const Options& options,
                                                   const std::string& bundledTree) {
    if (options.Root) {
        if (auto problem = CheckRoot(*options.Root))
            return std::variant<std::string, std::string>(std::in_place_index<1>, *problem);
        return std::variant<std::string, std::string>(std::in_place_index<0>, *options.Root);
    }
    auto prepared = PrepareSampleTree(bundledTree);
    if (prepared.index() == 0)
        std::fprintf(stderr, "devhost: using the driver tree in %s\n",
                     std::get<0>(prepared).c_str());
    return prepared;
}

std::optional<std::string> ScriptInput::Open(const Options& options) {
    if (!options.Script)
        return std::nullopt;
    if (*options.Script == "-") {
        stream_ = &std::cin;
        return std::nullopt;
    }
    file_.open(*options.Script);
    if (!file_)
        return "cannot read the script " + *options.Script;
    stream_ = &file_;
    return std::nullopt;
}

} // namespace host
