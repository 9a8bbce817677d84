// The edits of the registration text, shared by the editor's operations and by a Save:
// each is a splice of the text as the import read it, so that every other byte stays.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "regfile/ImportReading.h"

namespace regfile {

// A replacement of [Start, End) of the old text by Text.
struct TextEdit {
    std::size_t Start = 0;
    std::size_t End = 0;
    std::string Text;
    int Template = -1; // the template it belongs to, for messages; -1 when none
};

// "[HKEY_LOCAL_MACHINE\Drivers\BuiltIn\PCI\Template\<driver key>\Template<index>]"
std::string SectionHeaderLine(std::string_view driverKey, int index);

// The text appended for a new section: a blank and CR LF, the header, a blank and CR LF,
// then `lines` (each added value line behind a lone LF).
std::string AppendedSection(std::string_view driverKey, int index, std::string_view lines);

// The value's lines replaced by `line` (a composed line, CR LF included), which keeps the
// old last line's own line end (a file of CR or LF line ends gets no CR LF). A comment
// behind the data on that line stays, on a line of its own with the byte ahead of it. A
// value whose one line already holds `line` is left as it is (an empty edit).
TextEdit ReplaceValueEdit(std::string_view text, const ValueSource& source, std::string line,
                          int index = -1);

// What text inserted at `at` needs ahead of it: CR LF when it would extend the file's
// header line, which is no header with anything behind it; otherwise nothing.
std::string_view HeaderLineEndAhead(const ImportReading& reading, std::string_view text,
                                    std::size_t at);

// Whether the lower-case key path `lowerPath` is `lowerKey` or a key below it.
bool IsKeyOrBelow(std::string_view lowerPath, std::string_view lowerKey);

// The removal of every section of the key at `path` and of the keys below it.
void DeleteKeyEdits(const ImportReading& reading, std::string_view path, int index,
                    std::vector<TextEdit>& edits);

// Sorts the edits by start; the position of the first one that overlaps the one before, or 0.
std::size_t FindOverlap(std::vector<TextEdit>& edits);

// `text` with the (sorted, disjoint) edits applied.
std::string ApplyEdits(std::string_view text, const std::vector<TextEdit>& edits);

} // namespace regfile
