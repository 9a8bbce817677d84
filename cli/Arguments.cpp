#include "cli/Arguments.h"

#include <charconv>
#include <string_view>
#include <vector>

namespace cli {

const char kUsage[] =
    "usage: pci3916cfg [--root DIR | --file PATH] [--module NAME] COMMAND [OPTIONS]\n"
    "\n"
    "Reads and edits the device setting templates of the PCI-3916 driver package's \".reg\"\n"
    "file with the rules and the bytes of the configuration window.\n"
    "\n"
    "Where the file is:\n"
    "  --root DIR      the driver tree's root, used verbatim as the head of the path\n"
    "                  DIR + Public\\Tarnwick\\Device_Drivers\\MODEL\\MODEL.reg (end DIR with a\n"
    "                  separator); without --root and --file the root is empty, so the path\n"
    "                  starts in the current folder\n"
    "  --module NAME   the library's module name that gives MODEL (default PCI3916Cfg.dll)\n"
    "  --file PATH     the file itself\n"
    "\n"
    "Commands:\n"
    "  list [--json]        every template: index, switch ID, trigger edges, latches\n"
    "  show N [--json]      template N (0 to 15)\n"
    "  set N [EDITS]        changes template N\n"
    "  add [EDITS]          adds a template at the lowest free index, with the lowest free\n"
    "                       switch ID, then applies the edits\n"
    "  remove N             removes template N\n"
    "  check                one line per problem in the file\n"
    "  export [--output FILE]\n"
    "                       the templates as a JSON document (version 1)\n"
    "  apply DOC.json [--keep-others] [--check-only] [--dry-run]\n"
    "                       makes the file's templates those of the document, in one\n"
    "                       Save: adds, removes and sets what differs; --keep-others\n"
    "                       removes nothing; --check-only exits 1 when the file differs\n"
    "\n"
    "EDITS:\n"
    "  --switch-id K                  switch ID 0 to 15\n"
    "  --edge GROUP=rising|falling    trigger edge of a channel group (repeatable)\n"
    "  --latch GROUP=enable|disable   data latch of a channel group (repeatable)\n"
    "  GROUP is ch0, ch16, ch32 or ch48.\n"
    "  --dry-run                      (set, add, remove, apply) print the change as a\n"
    "                                 unified diff of the file and write nothing\n"
    "\n"
    "Exit status: 0 done, 1 refused by a rule, problems found or (apply --check-only)\n"
    "the file differs, 2 usage or document error, 3 file error. See pci3916cfg(1).\n";

bool TemplateEdits::Any() const {
    if (SwitchId)
        return true;
    for (int g = 0; g < kGroupCount; ++g) {
        if (Rising[g] || LatchEnabled[g])
            return true;
    }
    return false;
}

namespace {

UsageError Usage(std::string message) {
    return UsageError{std::move(message)};
}

std::optional<CommandKind> CommandNamed(std::string_view word) {
    if (word == "list")
        return CommandKind::List;
    if (word == "show")
        return CommandKind::Show;
    if (word == "set")
        return CommandKind::Set;
    if (word == "add")
        return CommandKind::Add;
    if (word == "remove")
        return CommandKind::Remove;
    if (word == "check")
        return CommandKind::Check;
    if (word == "export")
        return CommandKind::Export;
    if (word == "apply")
        return CommandKind::Apply;
    return std::nullopt;
}

// A number 0 to 15 in decimal digits alone.
std::optional<int> SmallNumber(std::string_view text) {
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 ||
        value > 15 || text.front() == '+' || text.front() == '-')
        return std::nullopt;
    return value;
}

// "GROUP=WORD" with WORD one of `on` (true) or `off` (false).
std::variant<std::pair<int, bool>, UsageError> GroupSetting(std::string_view option,
                                                            std::string_view text,
                                                            std::string_view on,
                                                            std::string_view off) {
    const std::size_t equals = text.find('=');
    const std::string expected = std::string(option) + " takes GROUP=" + std::string(on) + "|" +
                                 std::string(off) + " with GROUP ch0, ch16, ch32 or ch48, not \"" +
                                 std::string(text) + "\"";
    if (equals == std::string_view::npos)
        return Usage(expected);
    const std::string_view group = text.substr(0, equals);
    const std::string_view word = text.substr(equals + 1);
    int index = -1;
    for (int g = 0; g < kGroupCount; ++g) {
        if (group == kGroupNames[g])
            index = g;
    }
    if (index < 0 || (word != on && word != off))
        return Usage(expected);
    return std::pair{index, word == on};
}

bool TakesIndex(CommandKind command) {
    return command == CommandKind::Show || command == CommandKind::Set ||
           command == CommandKind::Remove;
}

bool TakesEdits(CommandKind command) {
    return command == CommandKind::Set || command == CommandKind::Add;
}

std::string_view NameOf(CommandKind command) {
    switch (command) {
    case CommandKind::List:
        return "list";
    case CommandKind::Show:
        return "show";
    case CommandKind::Set:
        return "set";
    case CommandKind::Add:
        return "add";
    case CommandKind::Remove:
        return "remove";
    case CommandKind::Check:
        return "check";
    case CommandKind::Export:
        return "export";
    case CommandKind::Apply:
        return "apply";
    }
    return "";
}

// Which options were given, for the checks that depend on the command.
struct Seen {
    bool Edge = false;
    bool Latch = false;
};

} // namespace

ParseResult ParseArguments(int argc, const char* const* argv) {
    Arguments arguments;
    std::optional<CommandKind> command;
    std::vector<std::string_view> positional;
    Seen seen;

    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        if (word == "--help" || word == "-h")
            return HelpRequest{};
        if (!word.starts_with("-") || word == "-") {
            if (!command) {
                command = CommandNamed(word);
                if (!command)
                    return Usage("unknown command \"" + std::string(word) + "\"");
            } else {
                positional.push_back(word);
            }
            continue;
        }
        if (word == "--json") {
            arguments.Json = true;
            continue;
        }
        if (word == "--dry-run") {
            arguments.DryRun = true;
            continue;
        }
        if (word == "--keep-others" || word == "--check-only") {
            (word == "--keep-others" ? arguments.KeepOthers : arguments.CheckOnly) = true;
            continue;
        }

        // The options that take a value: "--name VALUE" or "--name=VALUE".
        std::string_view name = word;
        std::optional<std::string_view> inlineValue;
        if (const std::size_t equals = word.find('='); equals != std::string_view::npos) {
            name = word.substr(0, equals);
            inlineValue = word.substr(equals + 1);
        }
        const bool known = name == "--root" || name == "--file" || name == "--module" ||
                           name == "--switch-id" || name == "--edge" || name == "--latch" ||
                           name == "--output";
        if (!known)
            return Usage("unknown option \"" + std::string(word) + "\"");
        std::string_view value;
        if (inlineValue) {
            value = *inlineValue;
        } else {
            if (i + 1 >= argc)
                return Usage(std::string(name) + " needs a value");
            value = argv[++i];
        }

        if (name == "--root" || name == "--file" || name == "--module") {
            std::optional<std::string>& target = name == "--root"   ? arguments.Root
                                                 : name == "--file" ? arguments.File
                                                                    : arguments.Module;
            if (target)
                return Usage(std::string(name) + " is given twice");
            target = std::string(value);
        } else if (name == "--output") {
            if (arguments.Output)
                return Usage("--output is given twice");
            arguments.Output = std::string(value);
        } else if (name == "--switch-id") {
            if (arguments.Edits.SwitchId)
                return Usage("--switch-id is given twice");
            arguments.Edits.SwitchId = SmallNumber(value);
            if (!arguments.Edits.SwitchId)
                return Usage("--switch-id takes a switch ID from 0 to 15, not \"" +
                             std::string(value) + "\"");
        } else {
            const bool edge = name == "--edge";
            auto setting = edge ? GroupSetting(name, value, "rising", "falling")
                                : GroupSetting(name, value, "enable", "disable");
            if (auto* error = std::get_if<UsageError>(&setting))
                return *error;
            const auto [group, on] = std::get<std::pair<int, bool>>(setting);
            auto& slot = edge ? arguments.Edits.Rising[group] : arguments.Edits.LatchEnabled[group];
            if (slot)
                return Usage(std::string(name) + " " + kGroupNames[group] + " is given twice");
            slot = on;
            (edge ? seen.Edge : seen.Latch) = true;
        }
    }

    if (!command)
        return Usage("no command given");
    arguments.Command = *command;
    const std::string commandName(NameOf(*command));

    if (arguments.Root && arguments.File)
        return Usage("--root and --file name the file twice: give one of them");
    if (arguments.Module && arguments.File)
        return Usage("--module builds the path with --root; it does not go with --file");

    if (TakesIndex(*command)) {
        if (positional.empty())
            return Usage(commandName + " needs a template index N");
        const auto index = SmallNumber(positional.front());
        if (!index)
            return Usage(commandName + " takes a template index from 0 to 15, not \"" +
                         std::string(positional.front()) + "\"");
        arguments.Index = *index;
        positional.erase(positional.begin());
    }
    if (*command == CommandKind::Apply) {
        if (positional.empty())
            return Usage("apply needs the document DOC.json");
        arguments.Document = std::string(positional.front());
        positional.erase(positional.begin());
    }
    if (!positional.empty())
        return Usage("unexpected \"" + std::string(positional.front()) + "\" after " + commandName);

    if (arguments.Edits.Any() && !TakesEdits(*command)) {
        const char* option = arguments.Edits.SwitchId ? "--switch-id"
                             : seen.Edge              ? "--edge"
                                                      : "--latch";
        return Usage(std::string(option) + " goes with set or add, not " + commandName);
    }
    if (*command == CommandKind::Set && !arguments.Edits.Any())
        return Usage("set needs at least one of --switch-id, --edge, --latch");
    if (arguments.Json && *command != CommandKind::List && *command != CommandKind::Show &&
        *command != CommandKind::Add)
        return Usage("--json goes with list, show or add, not " + commandName);
    if (arguments.DryRun && !TakesEdits(*command) && *command != CommandKind::Remove &&
        *command != CommandKind::Apply)
        return Usage("--dry-run goes with set, add, remove or apply, not " + commandName);
    if ((arguments.KeepOthers || arguments.CheckOnly) && *command != CommandKind::Apply)
        return Usage(std::string(arguments.KeepOthers ? "--keep-others" : "--check-only") +
                     " goes with apply, not " + commandName);
    if (arguments.Output && *command != CommandKind::Export)
        return Usage("--output goes with export, not " + commandName);
    if (arguments.CheckOnly && arguments.DryRun)
        return Usage("--check-only writes nothing and prints no diff; it does not go with "
                     "--dry-run");
    if (arguments.DryRun && arguments.Json)
        return Usage("--dry-run prints a diff; it does not go with --json");
    return arguments;
}

} // namespace cli
