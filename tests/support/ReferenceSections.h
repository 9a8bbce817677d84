// The template sections of a text as the line-by-line listing of its key lines gives them:
// a slow reading, straight from the definition, that the editor's search is checked
// against (by the tests and the fuzzer).
#pragma once

#include <string_view>
#include <vector>

#include "regfile/KeyLines.h"
#include "regfile/TextScan.h"

namespace testing_support {

inline std::vector<regfile::TemplateSection> ReferenceSections(std::string_view text,
                                                               std::string_view driverKey) {
    std::vector<regfile::TemplateSection> sections;
    bool open = false;
    for (const regfile::KeyLineInfo& line : regfile::ScanKeyLines(text, driverKey)) {
        using Role = regfile::KeyLineRole;
        if (line.Role != Role::TemplateHeader && line.Role != Role::OtherKey &&
            line.Role != Role::UnclosedKey)
            continue; // not a key line: it ends no section
        const std::size_t bracket = line.Offset + line.Text.find('[');
        if (open)
            sections.back().End = bracket;
        open = line.Role == Role::TemplateHeader;
        if (open)
            sections.push_back(regfile::TemplateSection{
                line.Template, bracket, regfile::LineAt(text, line.Offset).Next, text.size()});
    }
    return sections;
}

inline bool SameSections(const std::vector<regfile::TemplateSection>& a,
                         const std::vector<regfile::TemplateSection>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].Index != b[i].Index || a[i].Start != b[i].Start ||
            a[i].BodyStart != b[i].BodyStart || a[i].End != b[i].End)
            return false;
    }
    return true;
}

} // namespace testing_support
