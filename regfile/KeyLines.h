// Key lines as the importer reads them, and which of them is a template's header.
//
// A key line is a line whose first non-blank character is "[", unless it carries on a hex
// list that the line before ended with "\" (the importer reads it as that list's bytes).
// Its key runs from that "[" to the last "]" on the line; the rest of the line is ignored.
// A key is template N's when it is
// HKEY_LOCAL_MACHINE\Drivers\BuiltIn\PCI\Template\<driver key>\Template<N>, letter case aside
// (repeated or trailing "\" are ignored, as the registry ignores them), N being 0 to 15 in decimal
// without leading zeros. A template's section runs from its header's "[" to the next key line's "["
// or the text's end.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace regfile {

struct KeyText {
    bool IsKeyLine = false; // the line's first non-blank character is "["
    bool Valid = false;     // a "]" closes the key
    std::size_t Bracket = 0;
    std::string_view Key; // between the "[" and the last "]"
};

// The key of one line (no line end in it), continuation aside.
KeyText KeyOfLine(std::string_view line);

// The template index of a key, or -1.
int TemplateIndexOfKey(std::string_view key, std::string_view driverKey);

// First non-blank character ";" or "#": the importer ignores the line.
bool IsCommentLine(std::string_view line);

// Whether the line starting at `lineBegin` carries on a hex list of the lines above it.
bool IsContinuationLine(std::string_view text, std::size_t lineBegin);
// Where it does: the offset of the "\" that carries the list on to it.
std::optional<std::size_t> CarryingBackslash(std::string_view text, std::size_t lineBegin);

// A template's section: from its header's "[" to the next key line's "[" or the text's end.
struct TemplateSection {
    int Index = -1;
    std::size_t Start = 0;     // the header's "["
    std::size_t BodyStart = 0; // the line after the header's
    std::size_t End = 0;       // the next key line's "[", or the text's end
};

// What a task found of a content, for the next task over the same content: where its text
// ends (its first zero byte, or its length) and where its template sections lie.
struct TextLayout {
    std::size_t TextEnd = 0;
    std::vector<TemplateSection> Sections;
};

// The template sections of a text that may arrive in pieces: each Scan is given the text
// received so far (the same bytes, each time longer) and looks at the lines complete in it;
// the last call says the text is whole. Take then gives every section of a template of
// `driverKey`, in file order.
class TemplateSectionScan {
public:
    // `driverKey` must outlive the scan.
    explicit TemplateSectionScan(std::string_view driverKey) : driverKey_(driverKey) {
        sections_.reserve(16); // one section per template, as a rule
    }
    void Scan(std::string_view text, bool whole);
    std::vector<TemplateSection> Take() { return std::move(sections_); }

private:
    // A line found: its "[" and its first byte. Bracket is std::string_view::npos when
    // there is none.
    struct Found {
        std::size_t Bracket = std::string_view::npos;
        std::size_t LineStart = 0;
    };
    // From next_ on: the next key line; the next line that may be a template's header.
    Found NextKeyLine(std::string_view view) const;
    Found NextHeaderLike(std::string_view view) const;

    std::string_view driverKey_;
    std::vector<TemplateSection> sections_;
    bool open_ = false;
    // The start of the line after the last key line found: no list carries on across it.
    std::size_t from_ = 0;
    // Where the search for the next "[" goes on.
    std::size_t next_ = 0;
};

// Every section of a template of `driverKey` in the whole text, in file order.
std::vector<TemplateSection> FindTemplateSections(std::string_view text,
                                                  std::string_view driverKey);

// A diagnostic listing for checking tools: every key line, and every other line that
// mentions "<driver key>\Template" (a commented-out header, a key swallowed by a hex list).
enum class KeyLineRole { TemplateHeader, OtherKey, UnclosedKey, Continuation, Comment, Other };
struct KeyLineInfo {
    std::size_t LineNumber = 0; // from 1
    std::size_t Offset = 0;     // of the line's first byte
    std::string_view Text;      // the line without its line end
    KeyLineRole Role = KeyLineRole::Other;
    int Template = -1;             // for a template header
    bool MentionsTemplate = false; // holds "<driver key>\Template", any letter case
};
std::vector<KeyLineInfo> ScanKeyLines(std::string_view text, std::string_view driverKey);

} // namespace regfile
