// The one reading of a registration text file: what the registry import makes of it.
//
// The grammar is the import's own, line by line (lines end at CR LF, LF or a lone CR):
// - the first line must be "REGEDIT4" or "Windows Registry Editor Version 5.00" (blanks
//   ahead allowed), or nothing at all is imported;
// - a line whose first non-blank character is "[" is a key line when a non-blank follows the
//   bracket and a "]" closes it somewhere on the line; the key runs to the last "]". Any
//   other such line is ignored and leaves the open key open;
// - "[-KEY]" closes the open key and deletes KEY with its subkeys at that point;
// - "@=" and "\"NAME\"=" lines set a value of the open key; names and strings are
//   unescaped; a value that the import refuses is dropped, the line ignored;
// - a hex list whose line ends in ",\" carries on into the next line that is neither blank
//   nor a comment; a line then that does not start with a hex digit is swallowed: it is
//   consumed as part of the list, which is dropped;
// - everything else is ignored.
// A template is the key ...\<driver key>\Template<N> as it stands at the end of the import.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace regfile {

// The lines a value was read from: its first line to the end of its last. Offsets are held
// in 32 bits (a file the editor opens is far smaller), as a large file has many values.
struct ValueSource {
    std::uint32_t LineStart = 0;     // first byte of its first line
    std::uint32_t Quote = 0;         // the name's opening quote, or the "@"
    std::uint32_t LastLineStart = 0; // first byte of its last line
    std::uint32_t ContentEnd = 0;    // end of the last line's text; its line end follows
    std::uint32_t End = 0;           // after the last line's line end
    std::uint32_t Comment = 0; // ";" of a comment behind the data on the last line, or ContentEnd
    std::uint32_t Line = 0;    // number of its first line, from 1
    bool SingleLine = true;
};

struct ImportedValue {
    std::string Name; // unescaped, as first set; empty for the default value
    std::uint32_t Type = 0;
    std::string Data; // the registry's bytes; strings as UTF-16LE with their terminator
    ValueSource Source;
    // The lines that set it since it was created (or deleted last); Source is the last one.
    std::uint32_t Sets = 1;
};

// The lines whose values go to one key: from the key line that opened it to the next line
// that changes the open key, or the end of the text.
struct KeySection {
    std::size_t Bracket = 0;   // the key line's "["
    std::size_t BodyStart = 0; // the line after the key line
    std::size_t End = 0;       // the "[" of the line that ends it, or the end of the text
    std::size_t EndLine = 0;   // first byte of that line (End when it is the text's end)
    std::size_t Line = 0;      // number of the key line
};

struct ImportedKey {
    std::string Path; // the root's name, then each component as first written
    int Parent = -1;
    bool Alive = true;
    std::size_t DeletedAtLine = 0;
    std::vector<int> Children;
    std::vector<ImportedValue> Values; // in the order they were first set
    // The reading's own index of Values by name (letter case aside), kept only for keys of
    // many values; FindValue is the way in.
    std::vector<std::uint32_t> ValueSlots;
    std::vector<KeySection> Sections; // the key lines that opened it, in file order
};

// What the import makes of a line that does something other than the plain reading.
enum class NoteKind {
    NoHeader,        // the first line is no registry header: nothing is imported
    IgnoredKeyLine,  // starts with "[" but is no key line; the open key stays open
    KeyNotOpened,    // a key line whose key cannot be opened; its values are dropped
    KeyDeleted,      // "[-KEY]": KEY and its subkeys are gone from here on
    DeleteFailed,    // "[-...]" that deletes nothing (but closes the open key)
    ValueDeleted,    // "NAME"=-
    ValueRefused,    // a value line the import refuses: no value is set
    ValueWithoutKey, // a value read while no key is open: dropped
    Swallowed,       // consumed by the hex list of an earlier line, which is dropped
    IgnoredLine,     // a line of other text
    ImportStops,     // the import ends at this line
};

struct ImportNote {
    NoteKind Kind = NoteKind::IgnoredLine;
    std::size_t Line = 0;
    std::size_t Offset = 0;    // the line's first byte
    int Key = -1;              // the open key (or the deleted one), -1 when none
    std::size_t OtherLine = 0; // Swallowed: the list's first line
    std::string Detail;        // why, in a few words
};

// How much of the registry a reading holds. `DriverKey` holds the driver key and every key
// below it, with everything the import does to them, and nothing of any other key: the
// lines of other keys are passed over, except where they could change what the import
// makes of the driver key's lines (a hex list carried into one of them, a line past which
// the reading is undefined), which are read one by one as always. Its notes are those of
// the lines it reads, and LineOf is exact for those lines. A key's path is spelled as the
// lines it reads first wrote it: the names above the driver key may differ in letter case
// from a whole reading's, where another key's line wrote them first.
enum class Reach { Everything, DriverKey };

class ImportReading {
public:
    static ImportReading Read(std::string_view text, std::string_view driverKey,
                              Reach reach = Reach::Everything);

    const std::vector<ImportedKey>& Keys() const { return keys_; }
    // The key that exists at the end of the import under `path` (letter case aside), or -1.
    int FindKey(std::string_view path) const;
    const ImportedValue* FindValue(int key, std::string_view name) const;
    // The key of template `index` as it stands at the end, or -1.
    int TemplateKey(int index) const;
    // Bit i: template i's key exists at the end.
    std::uint16_t Templates() const;
    // The section of template `index` that its values go to last (the last key line that
    // opened its key), or null.
    const KeySection* LastSection(int index) const;

    const std::vector<ImportNote>& Notes() const { return notes_; }
    // Where the import's reading stops being defined (a zero byte, a "\0" escape, ...): the
    // reading covers the text before that line only.
    struct Undefined {
        std::size_t Line = 0;
        std::string Reason;
    };
    const std::optional<Undefined>& UndefinedAt() const { return undefined_; }
    bool HasHeader() const { return hasHeader_; }
    // The "\" of a hex list that the end of the reading cut short: a line added behind it
    // would be taken into that list.
    const std::optional<std::size_t>& CarriedPastEnd() const { return carriedPastEnd_; }
    // The number of the line that holds the byte at `offset`, from 1 (for a `DriverKey`
    // reading, of a line it read).
    std::size_t LineOf(std::size_t offset) const;
    std::string_view DriverKey() const { return driverKey_; }
    // "HKEY_LOCAL_MACHINE\Drivers\BuiltIn\PCI\Template\<driver key>\Template<index>"
    static std::string TemplateKeyPath(std::string_view driverKey, int index);

private:
    friend class ImportParser;
    std::vector<ImportedKey> keys_;
    std::unordered_map<std::string, int> alive_; // lower-case path -> key
    std::vector<ImportNote> notes_;
    std::optional<Undefined> undefined_;
    bool hasHeader_ = false;
    std::optional<std::size_t> carriedPastEnd_;
    std::vector<std::size_t> lineStarts_; // of the lines read, in order
    // Where the reading went on past lines it did not read: the offset it went on from and
    // the number of lines passed over up to there.
    struct Jump {
        std::size_t To = 0;
        std::size_t LinesPassed = 0;
    };
    std::vector<Jump> jumps_;
    Reach reach_ = Reach::Everything;
    std::string driverKey_;
    int templateKeys_[16] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
};

// The registry of a reading as plain values, for comparing two readings: lower-case key
// path -> lower-case value name -> value.
struct RegistryValue {
    std::string Name;
    std::uint32_t Type = 0;
    std::string Data;
    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};
struct RegistryKey {
    std::string Path;
    std::unordered_map<std::string, RegistryValue> Values;
};
using Registry = std::unordered_map<std::string, RegistryKey>;

Registry RegistryOf(const ImportReading& reading);
std::string LowerCase(std::string_view text);
// The number of the line of `text` that holds the byte at `offset`, from 1, as the import
// counts lines (CR LF, LF or a lone CR ends one).
std::size_t LineNumberAt(std::string_view text, std::size_t offset);

// Registry bytes of a single-byte text as the import stores a string: each byte taken as
// code page 1252, as UTF-16LE, with no terminator added.
std::string WidenText(std::string_view text);

// The number a dword value's 4 registry bytes hold (little-endian, as the import stores it).
inline std::uint32_t DwordOf(std::string_view data) {
    std::uint32_t value = 0;
    for (std::size_t i = data.size() < 4 ? data.size() : 4; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(data[i]);
    return value;
}
// The inverse for a string's registry bytes (its terminator and what follows dropped): code
// units outside code page 1252 become "?".
std::string NarrowText(std::string_view wide);

} // namespace regfile
