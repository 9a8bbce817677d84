#include "cli/FileCheck.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "platform/FileReason.h"
#include "regfile/ImportReading.h"
#include "regfile/Journal.h"
#include "regfile/RegFile.h"
#include "regfile/RegValueSpec.h"
#include "templates/TemplateRecord.h"

namespace cli {
namespace {

using regfile::ImportReading;
using regfile::NoteKind;
using templates::kTemplateCount;

std::string TemplateName(int index) {
    return "Template" + std::to_string(index);
}

struct ValueRule {
    const char* Name;
    std::uint32_t Type;
    std::size_t Size;
};

constexpr ValueRule kValueRules[] = {
    {"SwitchID", regfile::REG_DWORD, 4},
    {"TriggerMode", regfile::REG_BINARY, 8},
    {"LatchData", regfile::REG_BINARY, 8},
};

const char* TypeWord(std::uint32_t type) {
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
        return "a value of another type";
    }
}

// One finding, kept with the line it is about so that the report reads top to bottom.
struct Finding {
    std::size_t Line = 0; // 0: about a template as a whole, after the line findings
    std::string Text;
};

class Checker {
public:
    Checker(std::string_view text, const ImportReading& reading)
        : text_(text), reading_(reading), driverKey_(LowerCase(reading.DriverKey())) {
        const std::string first = LowerCase(ImportReading::TemplateKeyPath(reading.DriverKey(), 0));
        templateParent_ = first.substr(0, first.rfind('\\'));
    }

    std::vector<Finding> Run() {
        if (const auto& undefined = reading_.UndefinedAt())
            Add(undefined->Line, std::string("holds ") + undefined->Reason +
                                     ": what the import makes of the file from here on is not "
                                     "defined, so the file can be viewed but not saved");
        for (const regfile::ImportNote& note : reading_.Notes())
            CheckNote(note);
        CheckCommentedHeaders();
        CheckLookAlikeKeys();
        CheckSections();
        CheckValues();
        std::stable_sort(
            findings_.begin(), findings_.end(), [](const Finding& a, const Finding& b) {
                return (a.Line == 0 ? SIZE_MAX : a.Line) < (b.Line == 0 ? SIZE_MAX : b.Line);
            });
        return findings_;
    }

private:
    static std::string LowerCase(std::string_view text) { return regfile::LowerCase(text); }

    void Add(std::size_t line, std::string text) {
        findings_.push_back(
            {line, line == 0 ? std::move(text) : "line " + std::to_string(line) + ": " + text});
    }

    std::string_view LineText(std::size_t offset) const {
        const std::string_view rest = text_.substr(std::min(offset, text_.size()));
        std::string_view line = rest.substr(0, rest.find_first_of("\r\n"));
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        return line;
    }

    std::string Quoted(std::size_t offset) const {
        std::string line(LineText(offset));
        if (line.size() > 120)
            line = line.substr(0, 117) + "...";
        return " (" + line + ")";
    }

    bool MentionsDriverKey(std::size_t offset) const {
        return LowerCase(LineText(offset)).find(driverKey_) != std::string::npos;
    }

    // The template whose key is `path` or lies above `path`, or -1.
    int TemplateAtOrAbove(std::string_view path) const {
        const std::string lower = LowerCase(path);
        if (lower.size() <= templateParent_.size() + 9 ||
            lower.compare(0, templateParent_.size() + 9, templateParent_ + "\\template") != 0)
            return -1;
        const std::string rest = lower.substr(templateParent_.size() + 9);
        const std::size_t digits = rest.find_first_not_of("0123456789");
        const std::string number = rest.substr(0, digits);
        if (number.empty() || number.size() > 2 || (number.size() == 2 && number[0] != '1') ||
            (digits != std::string::npos && rest[digits] != '\\'))
            return -1;
        const int index = std::stoi(number);
        return index < kTemplateCount ? index : -1;
    }

    // Whether the lower-case `path` is the templates' parent key or a key above it.
    bool IsAboveTemplates(const std::string& lower) const {
        return templateParent_.compare(0, lower.size(), lower) == 0 &&
               (lower.size() == templateParent_.size() || templateParent_[lower.size()] == '\\');
    }

    // Whether deleting `path` deletes a template's key or a key below one.
    bool TouchesTemplates(std::string_view path) const {
        return IsAboveTemplates(LowerCase(path)) || TemplateAtOrAbove(path) >= 0;
    }

    std::string KeyName(int key) const {
        if (key < 0)
            return "no key";
        const std::string& path = reading_.Keys()[static_cast<std::size_t>(key)].Path;
        const int index = TemplateAtOrAbove(path);
        if (index >= 0 && LowerCase(path) == LowerCase(ImportReading::TemplateKeyPath(
                                                 reading_.DriverKey(), index)))
            return TemplateName(index);
        return path;
    }

    bool IsTemplateKey(int key) const {
        return key >= 0 &&
               TemplateAtOrAbove(reading_.Keys()[static_cast<std::size_t>(key)].Path) >= 0;
    }

    void CheckNote(const regfile::ImportNote& note) {
        const std::string quoted = Quoted(note.Offset);
        switch (note.Kind) {
        case NoteKind::NoHeader:
            Add(note.Line, "no registry file header (\"REGEDIT4\" or \"Windows Registry Editor "
                           "Version 5.00\"), so the import reads nothing of the file" +
                               quoted);
            break;
        case NoteKind::IgnoredKeyLine:
            if (IsTemplateKey(note.Key) || MentionsDriverKey(note.Offset))
                Add(note.Line, "the import takes this for no key line (" + note.Detail +
                                   "): it keeps " + KeyName(note.Key) +
                                   " open, and the values below go to it" + quoted);
            break;
        case NoteKind::KeyNotOpened:
            if (MentionsDriverKey(note.Offset))
                Add(note.Line, "the import opens no key here (" + note.Detail +
                                   "), and drops the values below it" + quoted);
            break;
        case NoteKind::KeyDeleted: {
            const std::string path =
                note.Key >= 0 ? reading_.Keys()[static_cast<std::size_t>(note.Key)].Path : "";
            if (note.Key >= 0 && TouchesTemplates(path))
                Add(note.Line, "the import deletes " + KeyName(note.Key) +
                                   " and its subkeys here; only what follows this line is "
                                   "kept" +
                                   quoted);
            break;
        }
        case NoteKind::DeleteFailed:
            if (MentionsDriverKey(note.Offset))
                Add(note.Line, "a deletion that deletes nothing (" + note.Detail + ")" + quoted);
            break;
        case NoteKind::ValueDeleted:
            if (IsTemplateKey(note.Key))
                Add(note.Line, "the import deletes this value of " + KeyName(note.Key) + quoted);
            break;
        case NoteKind::ValueRefused:
            if (IsTemplateKey(note.Key))
                Add(note.Line, "the import refuses this value line of " + KeyName(note.Key) + " (" +
                                   note.Detail + ") and sets nothing" + quoted);
            break;
        case NoteKind::Swallowed:
            if (IsTemplateKey(note.Key) || MentionsDriverKey(note.Offset))
                Add(note.Line, "the import reads this line as part of the hex list value on "
                               "line " +
                                   std::to_string(note.OtherLine) + ", and drops that value" +
                                   quoted);
            break;
        case NoteKind::ImportStops:
            Add(note.Line, "the import stops here (" + note.Detail +
                               "): nothing after this line is read" + quoted);
            break;
        case NoteKind::IgnoredLine:
            Add(note.Line, "the import ignores this line (" + note.Detail + ")" + quoted);
            break;
        case NoteKind::ValueWithoutKey:
            break;
        }
    }

    // Comment lines holding a key line of the driver key: a header someone meant to keep?
    void CheckCommentedHeaders() {
        for (std::size_t at = 0; at < text_.size();) {
            std::size_t end = text_.find_first_of("\r\n", at);
            if (end == std::string_view::npos)
                end = text_.size();
            const std::string_view line = LineText(at);
            if ((line.starts_with(";") || line.starts_with("#")) &&
                line.find('[') != std::string_view::npos &&
                LowerCase(line).find(driverKey_) != std::string::npos)
                Add(reading_.LineOf(at), "a template header inside a comment" + Quoted(at));
            at = end + 1;
        }
    }

    // Key lines that open a key under the driver key, or one named like a template's, that
    // is no template's key.
    void CheckLookAlikeKeys() {
        for (const regfile::ImportedKey& key : reading_.Keys()) {
            const std::string lower = LowerCase(key.Path);
            if (key.Sections.empty() || lower.find(driverKey_) == std::string::npos)
                continue;
            const int index = TemplateAtOrAbove(key.Path);
            if (index >= 0 &&
                lower == LowerCase(ImportReading::TemplateKeyPath(reading_.DriverKey(), index)))
                continue;
            if (IsAboveTemplates(lower))
                continue;
            for (const regfile::KeySection& section : key.Sections)
                Add(section.Line, "a key that only looks like a template's header (another "
                                  "key, a subkey or a misnumbered template)" +
                                      Quoted(section.Bracket));
        }
    }

    void CheckSections() {
        for (int i = 0; i < kTemplateCount; ++i) {
            const int key = reading_.TemplateKey(i);
            if (key < 0)
                continue;
            const auto& sections = reading_.Keys()[static_cast<std::size_t>(key)].Sections;
            if (sections.size() < 2)
                continue;
            std::string numbers;
            for (std::size_t k = 0; k < sections.size(); ++k)
                numbers += (k == 0 ? "" : ", ") + std::to_string(sections[k].Line);
            Add(0, TemplateName(i) + " has " + std::to_string(sections.size()) +
                       " sections (lines " + numbers +
                       "); the import merges them and the last of each value counts");
        }
    }

    void CheckValues() {
        std::map<std::int64_t, std::vector<int>> bySwitchId;
        for (int i = 0; i < kTemplateCount; ++i) {
            const int key = reading_.TemplateKey(i);
            if (key < 0)
                continue;
            std::int64_t switchId = i;
            const std::string where = TemplateName(i) + ": ";
            for (const ValueRule& rule : kValueRules) {
                const regfile::ImportedValue* value = reading_.FindValue(key, rule.Name);
                if (!value) {
                    Add(0, where + "the value \"" + rule.Name +
                               "\" is missing (the window uses its default)");
                    continue;
                }
                if (value->Type != rule.Type) {
                    Add(0, where + "the value \"" + rule.Name + "\" is " + TypeWord(value->Type) +
                               ", not " + TypeWord(rule.Type));
                    continue;
                }
                if (value->Data.size() != rule.Size) {
                    Add(0, where + "the value \"" + rule.Name + "\" holds " +
                               std::to_string(value->Data.size()) + " bytes, not " +
                               std::to_string(rule.Size));
                    continue;
                }
                if (rule.Type != regfile::REG_DWORD)
                    continue;
                const std::uint32_t id = regfile::DwordOf(value->Data);
                switchId = id;
                if (id >= static_cast<std::uint32_t>(kTemplateCount))
                    Add(0, where + "switch ID " + std::to_string(id) + " is outside 0 to 15");
            }
            bySwitchId[switchId].push_back(i);
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
            Add(0, names + " have the same switch ID " + std::to_string(switchId));
        }
    }

    std::string_view text_;
    const ImportReading& reading_;
    std::string driverKey_;
    std::string templateParent_; // lower case, "hkey_local_machine\...\vkr3916s"
    std::vector<Finding> findings_;
};

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
        if (const int code = file.Open(path, templates::kModelText, platform::FileAccess::Read);
            code != 0) {
            // An encoding the editor refuses is a problem of the file, not a failure to read.
            if (code == platform::kFileEncodingCode)
                report.Problems.push_back(platform::FileReasonText(file.FileError()));
            else
                report.FileError = platform::FileReasonText(file.FileError());
            return report;
        }
        const std::string_view text(file.Block(), file.Length());
        const ImportReading reading = ImportReading::Read(text, file.DriverKey());
        for (Finding& finding : Checker(text, reading).Run())
            report.Problems.push_back(std::move(finding.Text));
        file.Close();
    } catch (const platform::FileError& error) {
        report.FileError = platform::FileReasonText(error.Info());
    }
    return report;
}

} // namespace cli
