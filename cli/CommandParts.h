// The pieces every command of pci3916cfg shares: messages, the file's load as the window
// opens it, and check's findings ahead of a writing command's own words.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/TemplateOutput.h"
#include "templates/TemplateFile.h"

namespace cli {

std::uint16_t Bit(int index);
std::string TemplateName(int index);

// An outcome with `status` and "pci3916cfg: MESSAGE" on standard error.
Outcome Fail(int status, std::string message);

// The file read as the window reads it when it opens; nothing on failure, with `failure`
// set to the outcome to return.
std::optional<templates::TemplateFileContent> Load(const std::string& path, Outcome& failure);

// The templates present, in index order (the order of the window's tree after loading).
std::vector<ShownTemplate> Shown(const templates::TemplateFileContent& content);

// A writing command's Save, the window's own (with --dry-run only previewed). Finished holds
// the outcome when the command ends here: a refusal, a file error, or a dry run's diff; a
// real Save that went through leaves it empty for the command's own words. Merged: the
// file had changed since it was read.
struct SaveStep {
    std::optional<Outcome> Finished;
    bool Merged = false;
};
SaveStep RunSave(const Arguments& arguments, const std::string& path,
                 const templates::TemplateFileContent& content,
                 const templates::TemplateRecord* records, const templates::SaveRequest& request);

using CommandFunction = std::function<Outcome(const Arguments&, const std::string&)>;

// A writing command: check's findings on the file as the command finds it go to standard
// error as warnings, ahead of what the command says; the status is the command's own.
Outcome WithFindings(const CommandFunction& command, const Arguments& arguments,
                     const std::string& path);

} // namespace cli
