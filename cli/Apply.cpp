#include "cli/Apply.h"

#include <fstream>

#include "cli/CommandParts.h"
#include "cli/TemplateDocument.h"
#include "cli/UnifiedDiff.h"
#include "platform/File.h"
#include "platform/FileReason.h"
#include "templates/TemplateRules.h"

namespace cli {
namespace {

using templates::kTemplateCount;
using templates::SaveRequest;
using templates::TemplateFileContent;
using templates::TemplateRecord;

// A document is small; anything far beyond one of 16 templates is not one.
constexpr std::uint64_t kMaxDocumentSize = 1 << 20;

// The document's bytes, or the outcome that says why they cannot be read.
std::optional<std::string> ReadDocument(const std::string& documentPath, Outcome& failure) {
    platform::File file;
    platform::FileErrorInfo error;
    const std::string cannot =
        "cannot read the document " + platform::QuotedDisplayPath(documentPath) + ": ";
    if (file.OpenToRead(documentPath, error) != 0) {
        failure = Fail(kUsageError, cannot + platform::FileReasonText(error));
        return std::nullopt;
    }
    try {
        const std::uint64_t length = file.Length();
        if (length > kMaxDocumentSize) {
            failure = Fail(kUsageError, cannot + "it is larger than " +
                                            std::to_string(kMaxDocumentSize) + " bytes");
            return std::nullopt;
        }
        std::string bytes(static_cast<std::size_t>(length), '\0');
        bytes.resize(file.Read(bytes));
        file.Close();
        return bytes;
    } catch (const platform::FileError& raised) {
        failure = Fail(kUsageError, cannot + platform::FileReasonText(raised.Info()));
        return std::nullopt;
    }
}

// The change that makes the file's templates those of the document.
struct Plan {
    TemplateRecord Records[kTemplateCount] = {};
    SaveRequest Request;
};

Plan PlanOf(const TemplateFileContent& content, const std::vector<DocumentTemplate>& wanted,
            bool keepOthers) {
    Plan plan;
    std::copy(std::begin(content.Records), std::end(content.Records), plan.Records);
    std::uint16_t listed = 0;
    for (const DocumentTemplate& one : wanted) {
        const int i = one.Index;
        listed = static_cast<std::uint16_t>(listed | Bit(i));
        TemplateRecord& record = plan.Records[i];
        record.SwitchId = one.Record.SwitchId;
        std::copy(std::begin(one.Record.TriggerMode), std::end(one.Record.TriggerMode),
                  record.TriggerMode);
        std::copy(std::begin(one.Record.LatchData), std::end(one.Record.LatchData),
                  record.LatchData);
        if (content.Present & Bit(i))
            plan.Request.Changed[i] = templates::ChangedValues(content.Records[i], record);
        else
            plan.Request.Adds.push_back(i); // appended in the document's order
    }
    if (!keepOthers)
        plan.Request.Deletes = static_cast<std::uint16_t>(content.Present & ~listed);
    return plan;
}

// A template the document sets or adds may not take the switch ID of a template it keeps
// without listing it (--keep-others): the window's refusal, naming both.
std::optional<Outcome> SwitchIdClash(const std::string& path, const TemplateFileContent& content,
                                     const std::vector<DocumentTemplate>& wanted,
                                     const SaveRequest& request) {
    std::uint16_t listed = 0;
    for (const DocumentTemplate& one : wanted)
        listed = static_cast<std::uint16_t>(listed | Bit(one.Index));
    const auto others = static_cast<std::uint16_t>(content.Present & ~listed & ~request.Deletes);
    for (const DocumentTemplate& one : wanted) {
        for (int i = 0; i < kTemplateCount; ++i) {
            if ((others & Bit(i)) && content.Records[i].SwitchId == one.Record.SwitchId)
                return Fail(kRefused, platform::QuotedDisplayPath(path) + ": " +
                                          templates::kSwitchIdUsedText + " (switch ID " +
                                          std::to_string(one.Record.SwitchId) + " of " + one.Place +
                                          " belongs to " + TemplateName(i) +
                                          ", which the document does not list)");
        }
    }
    return std::nullopt;
}

// One line per template the request touches: "Template3 added", "Template0 removed",
// "Template2 set: SwitchID, TriggerMode".
std::string ChangeLines(const SaveRequest& request) {
    std::string text;
    for (int i = 0; i < kTemplateCount; ++i) {
        if (request.Deletes & Bit(i))
            text += TemplateName(i) + " removed\n";
    }
    for (const int i : request.Adds)
        text += TemplateName(i) + " added\n";
    for (int i = 0; i < kTemplateCount; ++i) {
        const std::uint8_t changed = request.Changed[i];
        if (changed == 0)
            continue;
        std::string values;
        for (const auto& [bit, name] : {std::pair{templates::kSwitchIdValue, "SwitchID"},
                                        std::pair{templates::kTriggerModeValue, "TriggerMode"},
                                        std::pair{templates::kLatchDataValue, "LatchData"}}) {
            if (changed & bit)
                values += (values.empty() ? "" : ", ") + std::string(name);
        }
        text += TemplateName(i) + " set: " + values + "\n";
    }
    return text;
}

Outcome Save(const Arguments& arguments, const std::string& path,
             const TemplateFileContent& content, const Plan& plan) {
    SaveStep step = RunSave(arguments, path, content, plan.Records, plan.Request);
    if (step.Finished)
        return std::move(*step.Finished);
    Outcome outcome;
    outcome.Out = ChangeLines(plan.Request);
    if (step.Merged)
        outcome.Err += std::string(kProgramName) + ": " + platform::QuotedDisplayPath(path) +
                       " was changed by another program since it was read: the document's " +
                       "changes were laid over that program's\n";
    return outcome;
}

// apply once the document is known to be sound.
Outcome ApplyDocument(const Arguments& arguments, const std::string& path,
                      const std::vector<DocumentTemplate>& wanted) {
    Outcome outcome;
    const auto content = Load(path, outcome);
    if (!content)
        return outcome;
    const Plan plan = PlanOf(*content, wanted, arguments.KeepOthers);
    if (auto clash = SwitchIdClash(path, *content, wanted, plan.Request))
        return *clash;
    if (!plan.Request.ChangesAnything()) {
        // Nothing is opened for writing: the file, its time stamp included, stays.
        if (!arguments.DryRun)
            outcome.Out =
                "no change: " + platform::DisplayPath(path) + " holds the document's templates\n";
        return outcome;
    }
    if (arguments.CheckOnly) {
        outcome.Status = kRefused;
        outcome.Out = ChangeLines(plan.Request);
        outcome.Err = std::string(kProgramName) + ": " + platform::QuotedDisplayPath(path) +
                      " differs from " + platform::QuotedDisplayPath(arguments.Document) + "\n";
        return outcome;
    }
    return Save(arguments, path, *content, plan);
}

} // namespace

Outcome Export(const Arguments& arguments, const std::string& path) {
    Outcome outcome;
    const auto content = Load(path, outcome);
    if (!content)
        return outcome;
    const std::string text = TemplateDocumentText(Shown(*content));
    // A file against the window's rules (a switch ID beyond 15, one used twice) is exported
    // as it is; apply refuses that document until it is corrected, which is said here.
    for (const std::string& error : ReadTemplateDocument(text).Errors)
        outcome.Err +=
            std::string(kProgramName) + ": warning: apply refuses this document: " + error + "\n";
    if (!arguments.Output) {
        outcome.Out = text;
        return outcome;
    }
    std::ofstream out(*arguments.Output, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out)
        return Fail(kFileError, "cannot write " + platform::QuotedDisplayPath(*arguments.Output));
    return outcome;
}

Outcome Apply(const Arguments& arguments, const std::string& path) {
    Outcome failure;
    const auto text = ReadDocument(arguments.Document, failure);
    if (!text)
        return failure;
    DocumentReading reading = ReadTemplateDocument(*text);
    if (!reading.Errors.empty()) {
        Outcome outcome;
        outcome.Status = kUsageError;
        for (const std::string& error : reading.Errors)
            outcome.Err += std::string(kProgramName) + ": " +
                           platform::DisplayPath(arguments.Document) + ": " + error + "\n";
        return outcome;
    }
    auto applyRead = [&reading](const Arguments& given, const std::string& file) {
        return ApplyDocument(given, file, reading.Templates);
    };
    // The file's findings come as warnings only once the document is known to be sound.
    return WithFindings(applyRead, arguments, path);
}

} // namespace cli
