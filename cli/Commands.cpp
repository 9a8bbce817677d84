#include "cli/Commands.h"

#include <vector>

#include "cli/Apply.h"
#include "cli/CommandParts.h"
#include "cli/FileCheck.h"
#include "cli/TemplateOutput.h"
#include "cli/UnifiedDiff.h"
#include "platform/FileReason.h"
#include "templates/TemplateFile.h"
#include "templates/TemplatePath.h"
#include "templates/TemplateRules.h"

namespace cli {
namespace {

using templates::kTemplateCount;
using templates::TemplateFileContent;
using templates::TemplateRecord;

constexpr char kDefaultModule[] = "PCI3916Cfg.dll";

// Applies the request: with --dry-run prints the change as a diff, else saves it. The Save
// is the window's: only the change is written, proven first; a refusal writes nothing.
Outcome Commit(const Arguments& arguments, const std::string& path,
               const TemplateFileContent& content, const TemplateRecord* records,
               const templates::SaveRequest& request, int index, std::string doneText) {
    SaveStep step = RunSave(arguments, path, content, records, request);
    if (step.Finished)
        return std::move(*step.Finished);
    Outcome outcome;
    outcome.Out = std::move(doneText);
    if (step.Merged)
        outcome.Err += std::string(kProgramName) + ": " + platform::QuotedDisplayPath(path) +
                       " was changed by another program since it was read: only " +
                       TemplateName(index) +
                       " was written, the other templates are as that program left them\n";
    return outcome;
}

Outcome List(const Arguments& arguments, const std::string& path) {
    Outcome outcome;
    const auto content = Load(path, outcome);
    if (!content)
        return outcome;
    const std::vector<ShownTemplate> shown = Shown(*content);
    if (arguments.Json) {
        outcome.Out = TemplateListJson(platform::DisplayPath(path), shown);
        return outcome;
    }
    for (const ShownTemplate& entry : shown)
        outcome.Out += TemplateLine(entry);
    return outcome;
}

Outcome NoSuchTemplate(const std::string& path, int index) {
    return Fail(kRefused, platform::QuotedDisplayPath(path) + " has no " + TemplateName(index));
}

Outcome Show(const Arguments& arguments, const std::string& path) {
    Outcome outcome;
    const auto content = Load(path, outcome);
    if (!content)
        return outcome;
    const int index = arguments.Index;
    if (!(content->Present & Bit(index)))
        return NoSuchTemplate(path, index);
    const ShownTemplate shown{index, content->Records[index]};
    outcome.Out = arguments.Json ? TemplateJson(shown) + "\n" : TemplateDetails(shown);
    return outcome;
}

// The window's switch-ID choice on the Device page for template `index`.
std::optional<Outcome> ChooseSwitchId(const std::string& path, std::uint16_t present,
                                      std::uint16_t used, TemplateRecord* records, int index,
                                      int chosen) {
    if (templates::IsSwitchIdRefused(used, records[index].SwitchId, chosen)) {
        std::string owner;
        for (int i = 0; i < kTemplateCount && owner.empty(); ++i) {
            if (i != index && (present & Bit(i)) && records[i].SwitchId == chosen)
                owner = TemplateName(i);
        }
        return Fail(kRefused, platform::QuotedDisplayPath(path) + ": " +
                                  templates::kSwitchIdUsedText + " (" + "switch ID " +
                                  std::to_string(chosen) + " belongs to " + owner + ")");
    }
    records[index].SwitchId = chosen;
    return std::nullopt;
}

// The command line's edits of template `index`: the switch ID chosen as on the Device page,
// then the groups' edges and latches. A refused switch ID is the command's outcome.
std::optional<Outcome> ApplyEdits(const Arguments& arguments, const std::string& path,
                                  std::uint16_t present, std::uint16_t used,
                                  TemplateRecord* records, int index) {
    if (arguments.Edits.SwitchId) {
        if (auto refused =
                ChooseSwitchId(path, present, used, records, index, *arguments.Edits.SwitchId))
            return refused;
    }
    ApplyGroupEdits(records[index], arguments.Edits);
    return std::nullopt;
}

Outcome Set(const Arguments& arguments, const std::string& path) {
    Outcome outcome;
    const auto content = Load(path, outcome);
    if (!content)
        return outcome;
    const int index = arguments.Index;
    if (!(content->Present & Bit(index)))
        return NoSuchTemplate(path, index);

    TemplateRecord records[kTemplateCount];
    std::copy(std::begin(content->Records), std::end(content->Records), records);
    const std::uint16_t used = templates::UsedSwitchIdsOf(records, content->Present);
    if (auto refused = ApplyEdits(arguments, path, content->Present, used, records, index))
        return *refused;

    templates::SaveRequest request;
    request.Changed[index] = templates::ChangedValues(content->Records[index], records[index]);
    return Commit(arguments, path, *content, records, request, index, "");
}

Outcome Add(const Arguments& arguments, const std::string& path) {
    Outcome outcome;
    const auto content = Load(path, outcome);
    if (!content)
        return outcome;
    const int index = templates::LowestFreeTemplateIndex(content->Present);
    if (index >= kTemplateCount)
        return Fail(kRefused,
                    platform::QuotedDisplayPath(path) + ": " + templates::kTooManyTemplatesText);

    TemplateRecord records[kTemplateCount];
    std::copy(std::begin(content->Records), std::end(content->Records), records);
    std::uint16_t used = templates::UsedSwitchIdsOf(records, content->Present);
    // Fewer than 16 templates leave a switch ID free.
    const int assigned = templates::LowestFreeSwitchId(used).value_or(index);
    records[index].SwitchId = assigned;
    used = static_cast<std::uint16_t>(used | Bit(assigned));
    if (auto refused = ApplyEdits(arguments, path, content->Present, used, records, index))
        return *refused;

    templates::SaveRequest request;
    request.Adds = {index};
    const ShownTemplate added{index, records[index]};
    const std::string doneText = arguments.Json ? TemplateJson(added) + "\n" : TemplateLine(added);
    return Commit(arguments, path, *content, records, request, index, doneText);
}

Outcome Remove(const Arguments& arguments, const std::string& path) {
    Outcome outcome;
    const auto content = Load(path, outcome);
    if (!content)
        return outcome;
    const int index = arguments.Index;
    if (!(content->Present & Bit(index)))
        return NoSuchTemplate(path, index);

    templates::SaveRequest request;
    request.Deletes = Bit(index);
    return Commit(arguments, path, *content, content->Records, request, index, "");
}

Outcome Check(const std::string& path) {
    const CheckReport report = CheckTemplateFile(path);
    Outcome outcome;
    if (report.FileError) {
        return Fail(kFileError,
                    "cannot read " + platform::QuotedDisplayPath(path) + ": " + *report.FileError);
    }
    for (const std::string& problem : report.Problems)
        outcome.Out += platform::DisplayPath(path) + ": " + problem + "\n";
    outcome.Status = report.Problems.empty() ? kDone : kRefused;
    return outcome;
}

// A --root without a separator at its end runs into the folder names that follow it
// ("/tmp/treePublic/..."): when no file is found there, the likely cause is told.
void AddRootHint(const Arguments& arguments, const std::string& path, Outcome& outcome) {
    if (outcome.Status != kFileError || arguments.File || !arguments.Root ||
        arguments.Root->empty() || platform::FileExists(path))
        return;
    const char last = arguments.Root->back();
    if (last == '/' || last == '\\')
        return;
    outcome.Err += std::string(kProgramName) + ": hint: the root \"" +
                   platform::DisplayPath(*arguments.Root) +
                   "\" does not end with a separator, and the path goes on right after it; " +
                   "did you mean \"" + platform::DisplayPath(*arguments.Root + "/") + "\"?\n";
}

Outcome Run(const Arguments& arguments, const std::string& path) {
    switch (arguments.Command) {
    case CommandKind::List:
        return List(arguments, path);
    case CommandKind::Show:
        return Show(arguments, path);
    case CommandKind::Set:
        return WithFindings(Set, arguments, path);
    case CommandKind::Add:
        return WithFindings(Add, arguments, path);
    case CommandKind::Remove:
        return WithFindings(Remove, arguments, path);
    case CommandKind::Check:
        return Check(path);
    case CommandKind::Export:
        return Export(arguments, path);
    case CommandKind::Apply:
        return Apply(arguments, path);
    }
    return Fail(kUsageError, "unknown command");
}

} // namespace

PathResult ResolvePath(const Arguments& arguments) {
    if (arguments.File)
        return {*arguments.File, ""};
    const std::string path = templates::RegFilePathOf(arguments.Root.value_or(""),
                                                      arguments.Module.value_or(kDefaultModule));
    if (path.size() > templates::kMaxRegFilePath)
        return {"", "the path of the template file is longer than " +
                        std::to_string(templates::kMaxRegFilePath) +
                        " characters: " + platform::DisplayPath(path)};
    return {path, ""};
}

Outcome RunCommand(const Arguments& arguments, const std::string& path) {
    Outcome outcome = Run(arguments, path);
    AddRootHint(arguments, path, outcome);
    return outcome;
}

} // namespace cli
