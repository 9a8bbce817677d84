#include "cli/CommandParts.h"

#include "cli/FileCheck.h"
#include "platform/FileReason.h"

namespace cli {

std::uint16_t Bit(int index) {
    return static_cast<std::uint16_t>(1u << index);
}

std::string TemplateName(int index) {
    return "Template" + std::to_string(index);
}

std::string Quoted(const std::string& path) {
    // Appended, not "\"" + text: GCC 12 warns (-Wrestrict) about that form when optimising.
    std::string quoted = "\"";
    quoted += platform::DisplayPath(path);
    quoted += '"';
    return quoted;
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
    failure = Fail(kFileError,
                   "cannot read " + Quoted(path) + ": " + platform::FileReasonText(loaded.Error));
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

} // namespace cli
