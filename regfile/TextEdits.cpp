#include "regfile/TextEdits.h"

#include <algorithm>

namespace regfile {

// Built by appending, not with chains of +: GCC 12 warns (-Wrestrict) about those when
// optimising (the MinGW build).
std::string SectionHeaderLine(std::string_view driverKey, int index) {
    std::string line = "[";
    line += ImportReading::TemplateKeyPath(driverKey, index);
    line += ']';
    return line;
}

std::string AppendedSection(std::string_view driverKey, int index, std::string_view lines) {
    std::string text = " \r\n";
    text += SectionHeaderLine(driverKey, index);
    text += " \r\n";
    text += lines;
    return text;
}

TextEdit ReplaceValueEdit(std::string_view text, const ValueSource& source, std::string line,
                          int index) {
    if (source.SingleLine) {
        std::string_view written = text.substr(source.Quote, source.Comment - source.Quote);
        while (!written.empty() && (written.back() == ' ' || written.back() == '\t'))
            written.remove_suffix(1);
        if (written == std::string_view(line).substr(0, line.size() - 2))
            return {source.Quote, source.Quote, {}, index};
    }
    if (source.End > source.ContentEnd) {
        line.resize(line.size() - 2);
        line.append(text.substr(source.ContentEnd, source.End - source.ContentEnd));
    }
    if (source.Comment < source.ContentEnd && source.Comment > source.LastLineStart)
        line.append(text.substr(source.Comment - 1, source.End - (source.Comment - 1)));
    return {source.Quote, source.End, std::move(line), index};
}

std::string_view HeaderLineEndAhead(const ImportReading& reading, std::string_view text,
                                    std::size_t at) {
    const bool onFirstLine = text.substr(0, at).find_first_of("\r\n") == std::string_view::npos;
    return reading.HasHeader() && at > 0 && onFirstLine ? "\r\n" : "";
}

bool IsKeyOrBelow(std::string_view lowerPath, std::string_view lowerKey) {
    return lowerPath == lowerKey ||
           (lowerPath.size() > lowerKey.size() && lowerPath.starts_with(lowerKey) &&
            lowerPath[lowerKey.size()] == '\\');
}

void DeleteKeyEdits(const ImportReading& reading, std::string_view path, int index,
                    std::vector<TextEdit>& edits) {
    const std::string key = LowerCase(path);
    for (const ImportedKey& k : reading.Keys()) {
        if (!k.Alive || !IsKeyOrBelow(LowerCase(k.Path), key))
            continue;
        for (const KeySection& section : k.Sections)
            edits.push_back({section.Bracket, section.End, {}, index});
    }
}

std::size_t FindOverlap(std::vector<TextEdit>& edits) {
    // An insertion where a removed range starts (a value added at the end of a section
    // whose next section goes) comes first: it is written ahead of that range, not into it.
    std::stable_sort(edits.begin(), edits.end(), [](const TextEdit& a, const TextEdit& b) {
        return a.Start < b.Start || (a.Start == b.Start && a.End == a.Start && b.End > b.Start);
    });
    for (std::size_t i = 1; i < edits.size(); ++i) {
        if (edits[i].Start < edits[i - 1].End)
            return i;
    }
    return 0;
}

std::string ApplyEdits(std::string_view text, const std::vector<TextEdit>& edits) {
    // Sized once: growing a file's copy as it is appended to would hold it twice.
    std::size_t size = text.size();
    for (const TextEdit& edit : edits)
        size = size - (edit.End - edit.Start) + edit.Text.size();
    std::string out;
    out.reserve(size);
    std::size_t at = 0;
    for (const TextEdit& edit : edits) {
        out.append(text.substr(at, edit.Start - at));
        out += edit.Text;
        at = edit.End;
    }
    out.append(text.substr(at));
    return out;
}

} // namespace regfile
