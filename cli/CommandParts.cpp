#include "cli/CommandParts.h"

#include "cli/FileCheck.h"
#include "cli/UnifiedDiff.h"
#include "platform/FileReason.h"

namespace cli {

std::uint16_t Bit(int index) {
    return static_cast<std::uint16_t>(1u << index);
}

std::string TemplateName(int index) {
    return "Template" + std::to_string(index);
}

Outcome Fail(int status, std::string message) {
    Outcome outcome;
    outcome.Status = status;
    outcome.Err = std::string(kProgramName) + ": " + message + "\n";
    return outcome;
}

std::optional<templates::TemplateFileContent> Load(const std::string& path, Outcome& failure) {
    templates::LoadResult loaded = templates::LoadTemplateFile(path);
    if (loaded.Ok)
        return loaded.Content;
    failure = Fail(kFileError, "cannot read " + platform::QuotedDisplayPath(path) + ": " +
                                   platform::FileReasonText(loaded.Error));
    return std::nullopt;
}

std::vector<ShownTemplate> Shown(const templates::TemplateFileContent& content) {
    std::vector<ShownTemplate> shown;
    for (int i = 0; i < templates::kTemplateCount; ++i) {
        if (content.Present & Bit(i))
            shown.push_back({i, content.Records[i]});
    }
    return shown;
}

Outcome WithFindings(const CommandFunction& command, const Arguments& arguments,
                     const std::string& path) {
    const CheckReport report = CheckTemplateFile(path);
    std::string warnings;
    for (const std::string& problem : report.Problems)
        warnings += std::string(kProgramName) + ": warning: " + platform::DisplayPath(path) + ": " +
                    problem + "\n";
    Outcome outcome = command(arguments, path);
    outcome.Err = warnings + outcome.Err;
    return outcome;
}

SaveStep RunSave(const Arguments& arguments, const std::string& path,
                 const templates::TemplateFileContent& content,
                 const templates::TemplateRecord* records, const templates::SaveRequest& request) {
    templates::SavePreview preview;
    const templates::SaveResult result =
        templates::SaveTemplateFile(path, records, request, content.Identity, templates::kBusyWait,
                                    arguments.DryRun ? &preview : nullptr);
    SaveStep step;
    step.Merged = result.Merged;
    if (result.Failure == templates::SaveFailure::Refused) {
        step.Finished = Fail(kRefused, "nothing was saved to " + platform::QuotedDisplayPath(path) +
                                           ": " + result.Refusal);
    } else if (!result.Ok) {
        const std::string what =
            arguments.DryRun ? "cannot read " : "the templates were not saved to ";
        step.Finished = Fail(kFileError, what + platform::QuotedDisplayPath(path) + ": " +
                                             platform::FileReasonText(result.Error));
    } else if (arguments.DryRun) {
        Outcome outcome;
        outcome.Out = UnifiedDiff(preview.Before, preview.After, platform::DisplayPath(path));
        step.Finished = std::move(outcome);
    }
    return step;
}

} // namespace cli
