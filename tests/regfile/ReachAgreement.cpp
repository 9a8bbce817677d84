#include "ReachAgreement.h"

#include "regfile/ImportReading.h"
#include "regfile/TextEdits.h"

namespace regfile {
namespace {

std::string Where(const ImportedKey& key) {
    return " of " + key.Path;
}

std::string SameValues(const ImportedKey& full, const ImportedKey& part) {
    if (full.Values.size() != part.Values.size())
        return "the number of values" + Where(full);
    for (std::size_t i = 0; i < full.Values.size(); ++i) {
        const ImportedValue& a = full.Values[i];
        const ImportedValue& b = part.Values[i];
        if (a.Name != b.Name || a.Type != b.Type || a.Data != b.Data || a.Sets != b.Sets)
            return "the value \"" + a.Name + "\"" + Where(full);
        const ValueSource& s = a.Source;
        const ValueSource& t = b.Source;
        if (s.LineStart != t.LineStart || s.Quote != t.Quote ||
            s.LastLineStart != t.LastLineStart || s.ContentEnd != t.ContentEnd || s.End != t.End ||
            s.Comment != t.Comment || s.Line != t.Line || s.SingleLine != t.SingleLine)
            return "the lines of the value \"" + a.Name + "\"" + Where(full);
    }
    return {};
}

std::string SameSections(const ImportedKey& full, const ImportedKey& part) {
    if (full.Sections.size() != part.Sections.size())
        return "the number of sections" + Where(full);
    for (std::size_t i = 0; i < full.Sections.size(); ++i) {
        const KeySection& a = full.Sections[i];
        const KeySection& b = part.Sections[i];
        if (a.Bracket != b.Bracket || a.BodyStart != b.BodyStart || a.End != b.End ||
            a.EndLine != b.EndLine || a.Line != b.Line)
            return "section " + std::to_string(i) + Where(full);
    }
    return {};
}

} // namespace

std::string DriverKeyDisagreement(std::string_view text, std::string_view driverKey) {
    const ImportReading full = ImportReading::Read(text, driverKey);
    const ImportReading part = ImportReading::Read(text, driverKey, Reach::DriverKey);
    if (full.Templates() != part.Templates())
        return "the templates present";
    if (full.HasHeader() != part.HasHeader())
        return "the header";
    if (full.CarriedPastEnd() != part.CarriedPastEnd())
        return "a list carried past the end";
    const auto& u = full.UndefinedAt();
    const auto& v = part.UndefinedAt();
    if (u.has_value() != v.has_value() || (u && (u->Line != v->Line || u->Reason != v->Reason)))
        return "where the reading is undefined";
    const std::string first = LowerCase(ImportReading::TemplateKeyPath(driverKey, 0));
    const std::string driver = first.substr(0, first.rfind('\\'));
    // Every key at or below the driver key, alive or gone, in the order the import made them.
    std::size_t p = 0;
    for (const ImportedKey& key : full.Keys()) {
        if (!IsKeyOrBelow(LowerCase(key.Path), driver))
            continue;
        while (p < part.Keys().size() && !IsKeyOrBelow(LowerCase(part.Keys()[p].Path), driver))
            ++p;
        if (p == part.Keys().size())
            return "the key " + key.Path + " is missing";
        const ImportedKey& other = part.Keys()[p++];
        // Spelled as first written by a line it read: keys above the driver key may have
        // been written first by another key's line, which it passes over.
        if (LowerCase(other.Path) != LowerCase(key.Path) || other.Alive != key.Alive ||
            other.DeletedAtLine != key.DeletedAtLine)
            return "the key " + key.Path;
        if (std::string why = SameValues(key, other); !why.empty())
            return why;
        if (std::string why = SameSections(key, other); !why.empty())
            return why;
        for (const KeySection& section : key.Sections) {
            if (full.LineOf(section.Bracket) != part.LineOf(section.Bracket))
                return "the line of a section" + Where(key);
        }
    }
    for (; p < part.Keys().size(); ++p) {
        if (IsKeyOrBelow(LowerCase(part.Keys()[p].Path), driver))
            return "the key " + part.Keys()[p].Path + " is extra";
    }
    for (const ImportNote& note : part.Notes()) {
        if (note.Kind != NoteKind::Swallowed && note.Kind != NoteKind::ImportStops)
            continue;
        bool found = false;
        for (const ImportNote& seen : full.Notes())
            found = found || (seen.Kind == note.Kind && seen.Line == note.Line &&
                              seen.Offset == note.Offset && seen.OtherLine == note.OtherLine);
        if (!found)
            return "the note on line " + std::to_string(note.Line);
    }
    return {};
}

} // namespace regfile
