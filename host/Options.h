// Command-line options of the host program.
#pragma once

#include <fstream>
#include <istream>
#include <optional>
#include <string>
#include <variant>

namespace host {

struct Options {
    std::optional<std::string> Library; // --library PATH
    std::optional<std::string> Root;    // --root DIR, used verbatim as argument 2
    std::string Module = "PCI3916Cfg.dll";
    std::string Extra;
    std::optional<std::string> Script; // --script FILE, or "-" for standard input
    bool Help = false;
};

// The options, or a message saying what is wrong with the command line.
std::variant<Options, std::string> ParseOptions(int argc, const char* const* argv);

// The synopsis, shown after a command-line error.
extern const char kUsage[];
// What --help prints: the synopsis, the options, the script language with the controls
// a script names, the transcript and the exit statuses.
std::string HelpText();

// Why a --root argument cannot be used (the folder it names or lies in does not exist),
// or nothing.
std::optional<std::string> CheckRoot(const std::string& root);

// The bundled sample driver tree, copied on first use into the per-user working folder
// so that the bundled copy never changes. Returns the root argument (ending with a
// separator) or an error message.
std::variant<std::string, std::string> PrepareSampleTree(const std::string& bundledTree);

// The root argument: --root verbatim, or else the prepared sample tree, whose folder is
// said on standard error. Returns the root or an error message.
std::variant<std::string, std::string> ResolveRoot(const Options& options,
                                                   const std::string& bundledTree);

// The script named by --script: standard input for "-", else the file, held open.
class ScriptInput {
public:
    // An error message when the script file cannot be read; none without --script.
    std::optional<std::string> Open(const Options& options);
    // The script's stream, or nullptr without --script.
    std::istream* Stream() const { return stream_; }

private:
    std::ifstream file_;
    std::istream* stream_ = nullptr;
};

} // namespace host
