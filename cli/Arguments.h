// The command line of pci3916cfg: where the driver file is, the command and its options.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <variant>

namespace cli {

enum class CommandKind { List, Show, Set, Add, Remove, Check, Export, Apply };

// The four 16-channel groups, in the order of the words of a template's records.
inline constexpr int kGroupCount = 4;
inline constexpr std::array<const char*, kGroupCount> kGroupNames = {"ch0", "ch16", "ch32", "ch48"};

// What set and add change in a template; a group left empty keeps its setting.
struct TemplateEdits {
    std::optional<int> SwitchId;
    std::array<std::optional<bool>, kGroupCount> Rising;
    std::array<std::optional<bool>, kGroupCount> LatchEnabled;
    bool Any() const;
};

struct Arguments {
    std::optional<std::string> Root;   // --root DIR, used verbatim as the path's head
    std::optional<std::string> File;   // --file PATH
    std::optional<std::string> Module; // --module NAME
    CommandKind Command = CommandKind::List;
    int Index = -1; // the template N of show, set and remove
    TemplateEdits Edits;
    bool Json = false;
    bool DryRun = false;
    std::optional<std::string> Output; // export --output FILE
    std::string Document;              // the DOC.json of apply
    bool KeepOthers = false;           // apply --keep-others
    bool CheckOnly = false;            // apply --check-only
};

// --help asked for the usage text.
struct HelpRequest {};

// A command line that cannot be run: the message says why.
struct UsageError {
    std::string Message;
};

using ParseResult = std::variant<Arguments, HelpRequest, UsageError>;

// argv[0] is the program's name and is not read.
ParseResult ParseArguments(int argc, const char* const* argv);

extern const char kUsage[];

} // namespace cli
