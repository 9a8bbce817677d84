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

struct KeyLineAt {
    std::size_t LineBegin = 0;
    std::size_t Bracket = 0;
    std::size_t LineEnd = 0;
    std::size_t Next = 0; // the next line's start
};

// The first key line whose "[" lies at or after `from`, which is the text's start or the
// start of the line after a key line (no hex list carries on across a key line).
std::optional<KeyLineAt> FindKeyLine(std::string_view text, std::size_t from);

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
