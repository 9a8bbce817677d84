#include "cli/FileCheck.h"

#include <cstdint>
#include <cstring>
#include <map>

#include "platform/FileReason.h"
#include "regfile/Journal.h"
#include "regfile/KeyLines.h"
#include "regfile/RegFile.h"
#include "templates/TemplateRecord.h"

namespace cli {
namespace {

using templates::kTemplateCount;

std::string TemplateName(int index) {
    return "Template" + std::to_string(index);
}

struct ValueRule {
    const char* Name;
    std::int32_t Type;
    std::uint32_t Size; // the bytes a binary value must have; 0 for the dword
};

constexpr ValueRule kValueRules[] = {
    {"SwitchID", regfile::REG_DWORD, 0},
    {"TriggerMode", regfile::REG_BINARY, 8},
    {"LatchData", regfile::REG_BINARY, 8},
};

const char* TypeWord(std::int32_t type) {
    switch (type) {
    case regfile::REG_DWORD:
        return "a dword";
    case regfile::REG_BINARY:
        return "hex bytes";
    case regfile::REG_SZ:
        return "a string";
    case regfile::REG_MULTI_SZ:
        return "a multi-string";
    default:
        return "an unknown type";
    }
}

// The values of template `index` as the window reads them; appends a problem for each
// that is missing or not what the window expects. Returns the switch ID the window takes
// (the one read, or the index when none is read).
std::int64_t CheckValues(regfile::RegFile& file, int index, std::vector<std::string>& problems) {
    std::int64_t switchId = index;
    const std::string where = TemplateName(index) + ": ";
    for (const ValueRule& rule : kValueRules) {
        std::uint8_t data[8] = {};
        std::int32_t type = 0; // a type the reader never reports: not found
        std::uint32_t size = sizeof data;
        const int result = file.ReadValue(file.DriverKey(), index, rule.Name, &type, data, &size);
        if (type == 0) {
            problems.push_back(where + "the value \"" + rule.Name +
                               "\" is missing (the window uses its default)");
            continue;
        }
        if (type != rule.Type) {
            problems.push_back(where + "the value \"" + rule.Name + "\" is " + TypeWord(type) +
                               ", not " + TypeWord(rule.Type));
            continue;
        }
        if (result != 0) {
            problems.push_back(where + "the value \"" + rule.Name + "\" cannot be read");
            continue;
        }
        if (rule.Type == regfile::REG_DWORD) {
            std::uint32_t value = 0;
            std::memcpy(&value, data, sizeof value);
            switchId = value;
            if (value >= static_cast<std::uint32_t>(kTemplateCount))
                problems.push_back(where + "switch ID " + std::to_string(value) +
                                   " is outside 0 to 15");
        } else if (size != rule.Size) {
            problems.push_back(where + "the value \"" + rule.Name + "\" holds " +
                               std::to_string(size) + " bytes, not " + std::to_string(rule.Size));
        }
    }
    return switchId;
}

// The key lines that would confuse the window or the import: lines that only look like a
// template's header, and templates with more than one section.
void CheckKeyLines(std::string_view text, std::string_view driverKey,
                   std::vector<std::string>& problems) {
    std::map<int, std::vector<std::size_t>> headers;
    for (const regfile::KeyLineInfo& info : regfile::ScanKeyLines(text, driverKey)) {
        const std::string where = "line " + std::to_string(info.LineNumber) + ": ";
        const std::string quoted = " (" + std::string(info.Text) + ")";
        if (info.Role == regfile::KeyLineRole::TemplateHeader) {
            headers[info.Template].push_back(info.LineNumber);
            continue;
        }
        if (!info.MentionsTemplate)
            continue;
        switch (info.Role) {
        case regfile::KeyLineRole::Comment:
            problems.push_back(where + "a template header inside a comment" + quoted);
            break;
        case regfile::KeyLineRole::OtherKey:
            problems.push_back(where +
                               "a key that only looks like a template's header (another "
                               "key, a subkey or a misnumbered template)" +
                               quoted);
            break;
        case regfile::KeyLineRole::UnclosedKey:
            problems.push_back(where + "a key line without its closing \"]\"" + quoted);
            break;
        case regfile::KeyLineRole::Continuation:
            problems.push_back(where +
                               "a header that carries on the hex list above it, so the "
                               "import reads it as bytes" +
                               quoted);
            break;
        default:
            problems.push_back(where + "names a template's key but is no key line" + quoted);
        }
    }
    for (const auto& [index, lines] : headers) {
        if (lines.size() < 2)
            continue;
        std::string numbers;
        for (std::size_t k = 0; k < lines.size(); ++k)
            numbers += (k == 0 ? "" : ", ") + std::to_string(lines[k]);
        problems.push_back(TemplateName(index) + " has " + std::to_string(lines.size()) +
                           " sections (lines " + numbers +
                           "); the import merges them and the last of each value counts");
    }
}

} // namespace

CheckReport CheckTemplateFile(const std::string& path) {
    CheckReport report;
    // Opening the file would complete or undo the change the journal records: the check
    // reports it and leaves both as they are.
    const std::string journal = regfile::JournalPath(path);
    if (platform::FileExists(journal)) {
        report.Problems.push_back("a journal of an unfinished change lies beside the file (\"" +
                                  platform::DisplayPath(journal) +
                                  "\"); the next open completes or undoes that change, so the "
                                  "file is not checked further");
        return report;
    }

    try {
        regfile::RegFile file;
        if (const int code =
                file.Open(path, templates::kModelText, nullptr, platform::FileAccess::Read);
            code != 0) {
            // An encoding the editor refuses is a problem of the file, not a failure to read.
            if (code == platform::kFileEncodingCode)
                report.Problems.push_back(platform::FileReasonText(file.FileError()));
            else
                report.FileError = platform::FileReasonText(file.FileError());
            return report;
        }
        const std::string_view text(file.Block(), file.Length());
        std::uint16_t present = 0;
        file.ListTemplates(present);
        CheckKeyLines(text, file.DriverKey(), report.Problems);

        std::map<std::int64_t, std::vector<int>> bySwitchId;
        for (int i = 0; i < kTemplateCount; ++i) {
            if (!(present & (1u << i)))
                continue;
            bySwitchId[CheckValues(file, i, report.Problems)].push_back(i);
        }
        for (const auto& [switchId, indices] : bySwitchId) {
            if (indices.size() < 2)
                continue;
            std::string names;
            for (std::size_t k = 0; k < indices.size(); ++k)
                names += (k == 0                    ? ""
                          : k + 1 == indices.size() ? " and "
                                                    : ", ") +
                         TemplateName(indices[k]);
            report.Problems.push_back(names + " have the same switch ID " +
                                      std::to_string(switchId));
        }
        file.Close();
    } catch (const platform::FileError& error) {
        report.FileError = platform::FileReasonText(error.Info());
    }
    return report;
}

} // namespace cli
