// pci3916cfg: the device setting templates of the driver file from the command line.
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/Arguments.h"
#include "cli/Commands.h"

namespace {

void Write(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The diff carries the file's own bytes (CR LF lines): no line-end translation.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    const std::string prefix = std::string(cli::kProgramName) + ": ";
    const cli::ParseResult parsed = cli::ParseArguments(argc, argv);
    if (std::holds_alternative<cli::HelpRequest>(parsed)) {
        Write(stdout, cli::kUsage);
        return cli::kDone;
    }
    if (const auto* error = std::get_if<cli::UsageError>(&parsed)) {
        Write(stderr, prefix + error->Message + "\nTry \"pci3916cfg --help\".\n");
        return cli::kUsageError;
    }
    const cli::Arguments& arguments = std::get<cli::Arguments>(parsed);
    const cli::PathResult path = cli::ResolvePath(arguments);
    if (!path.Error.empty()) {
        Write(stderr, prefix + path.Error + "\n");
        return cli::kUsageError;
    }
    const cli::Outcome outcome = cli::RunCommand(arguments, path.Path);
    Write(stdout, outcome.Out);
    Write(stderr, outcome.Err);
    return outcome.Status;
}
