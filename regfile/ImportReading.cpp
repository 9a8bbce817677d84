#include "regfile/ImportReading.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

namespace regfile {
namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader31 = "REGEDIT";
constexpr std::array<std::string_view, 6> kRoots = {
    "HKEY_LOCAL_MACHINE",  "HKEY_USERS",        "HKEY_CLASSES_ROOT",
    "HKEY_CURRENT_CONFIG", "HKEY_CURRENT_USER", "HKEY_DYN_DATA",
};
constexpr std::string_view kTemplateParent =
    "HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\";
// The registry refuses longer key names; how the import goes on then is not ours to guess.
constexpr std::size_t kMaxKeyName = 255;

constexpr std::uint32_t kSz = 1;
constexpr std::uint32_t kExpandSz = 2;
constexpr std::uint32_t kBinary = 3;
constexpr std::uint32_t kDword = 4;
constexpr std::uint32_t kMultiSz = 7;

bool IsBlankByte(char c) {
    return c == ' ' || c == '\t';
}
// What the number parser of the import skips ahead of a number.
bool IsNumberSpace(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}
int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(text[i]) != Lower(prefix[i]))
            return false;
    }
    return true;
}
bool ContainsNoCase(std::string_view text, std::string_view needle) {
    if (needle.empty())
        return true;
    for (std::size_t i = 0; i + needle.size() <= text.size(); ++i) {
        if (StartsWithNoCase(text.substr(i), needle))
            return true;
    }
    return false;
}

// Code page 1252 for the bytes 0x80 to 0x9F; the others are their own code points.
constexpr std::array<std::uint16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// A number as the import's unsigned conversion reads it (base 16): blanks, a sign, an
// optional "0x", then digits. `end` is where it stopped; `from` itself when it read nothing.
struct Number {
    std::uint64_t Value = 0;
    std::size_t End = 0;
    bool Overflow = false;
};
Number ReadNumber(std::string_view text, std::size_t from, std::size_t to) {
    Number number{0, from, false};
    std::size_t i = from;
    while (i < to && IsNumberSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < to && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i + 1 < to && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') && i + 2 < to &&
        HexDigit(text[i + 2]) >= 0)
        i += 2;
    const std::size_t digits = i;
    std::uint64_t value = 0;
    while (i < to && HexDigit(text[i]) >= 0) {
        value = value * 16 + static_cast<std::uint64_t>(HexDigit(text[i]));
        if (value > 0xFFFFFFFFull)
            number.Overflow = true;
        ++i;
    }
    if (i == digits)
        return number; // nothing converted
    number.End = i;
    if (number.Overflow) {
        number.Value = 0xFFFFFFFFull;
        return number;
    }
    number.Value = negative ? (0x100000000ull - value) & 0xFFFFFFFFull : value;
    return number;
}

// Value names compare without regard to letter case (ASCII letters, as LowerCase).
bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}
std::size_t NameHash(std::string_view name) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : name)
        hash = (hash ^ static_cast<unsigned char>(Lower(c))) * 1099511628211ull;
    return static_cast<std::size_t>(hash ^ (hash >> 29));
}

// Keys of up to this many values are searched one value after the other; larger ones keep an
// open-addressed table of Values positions (plus one; 0 is a free slot), at most half full.
constexpr std::size_t kScannedValues = 16;

std::size_t ValuePosition(const ImportedKey& key, std::string_view name) {
    if (key.ValueSlots.empty()) {
        for (std::size_t i = 0; i < key.Values.size(); ++i) {
            if (SameName(key.Values[i].Name, name))
                return i;
        }
        return key.Values.size();
    }
    const std::size_t mask = key.ValueSlots.size() - 1;
    for (std::size_t slot = NameHash(name) & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t entry = key.ValueSlots[slot];
        if (entry == 0)
            return key.Values.size();
        if (SameName(key.Values[entry - 1].Name, name))
            return entry - 1;
    }
}

// Puts Values[position] in the first free slot from its name's.
void PlaceInSlots(ImportedKey& key, std::size_t position) {
    const std::size_t mask = key.ValueSlots.size() - 1;
    std::size_t slot = NameHash(key.Values[position].Name) & mask;
    while (key.ValueSlots[slot] != 0)
        slot = (slot + 1) & mask;
    key.ValueSlots[slot] = static_cast<std::uint32_t>(position + 1);
}

void IndexValues(ImportedKey& key) {
    key.ValueSlots.clear();
    if (key.Values.size() <= kScannedValues)
        return;
    std::size_t size = 64;
    while (size < key.Values.size() * 2)
        size *= 2;
    key.ValueSlots.assign(size, 0);
    for (std::size_t i = 0; i < key.Values.size(); ++i)
        PlaceInSlots(key, i);
}

// Makes the last of Values findable.
void IndexLastValue(ImportedKey& key) {
    if (key.Values.size() <= kScannedValues)
        return;
    if (key.ValueSlots.size() < key.Values.size() * 2)
        IndexValues(key);
    else
        PlaceInSlots(key, key.Values.size() - 1);
}

// Appended piece by piece: GCC 12 warns (-Wrestrict) about "\"" + text + "..." when inlining.
std::string NoRoot(std::string_view name) {
    std::string why = "\"";
    why += name;
    why += "\" is no registry root";
    return why;
}

struct Line {
    std::size_t Begin = 0;
    std::size_t End = 0;  // before the line end
    std::size_t Next = 0; // after it
    std::size_t Number = 0;
};

// What a stretch of lines holds for passing over it: its line ends, and the first byte that
// could make the import's reading undefined there (a "\0" escape, or a "(" that does not
// open a one-digit type followed by ":" and data or the line's end, as in "hex(7):00").
struct Stretch {
    std::size_t LineEnds = 0;
    std::size_t FirstDoubt = 0; // `to` when there is none
};

bool DoubtAt(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) { return k < text.size() ? text[k] : '\0'; };
    if (text[i] == '\\')
        return at(i + 1) == '0';
    if (text[i] != '(')
        return false;
    const char data = at(i + 4);
    return !(HexDigit(at(i + 1)) >= 0 && at(i + 2) == ')' && at(i + 3) == ':' &&
             i + 4 < text.size() && (HexDigit(data) >= 0 || data == '\r' || data == '\n'));
}

// A line end at i (a lone CR or an LF), and a "\0" escape at i.
bool LineEndAt(std::string_view text, std::size_t i) {
    return text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
}
bool NulEscapeAt(std::string_view text, std::size_t i) {
    return text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '0';
}

// Runs over most of a large file that is read for its driver key alone, so its loops are
// kept in the form the compiler turns into vector code: LF counted in a byte counter per
// block, a lone CR or a "\0" only flagged (rare; the block is then gone over byte by byte).
// The "(" of types are few, each looked at where memchr finds it.
Stretch ScanStretch(std::string_view text, std::size_t from, std::size_t to) {
    constexpr std::size_t kBlock = 255;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    Stretch stretch{0, to};
    std::size_t i = from;
    for (; i < to; i += kBlock) {
        const std::size_t end = std::min(i + kBlock, to);
        if (end < text.size()) { // every byte has the next one behind it
            unsigned char ends = 0;
            unsigned char odd = 0;
            for (std::size_t k = i; k < end; ++k) {
                const unsigned char c = p[k];
                const unsigned char d = p[k + 1];
                ends += static_cast<unsigned char>(c == '\n');
                odd |= static_cast<unsigned char>((c == '\\') & (d == '0')) |
                       static_cast<unsigned char>((c == '\r') & (d != '\n'));
            }
            if (odd == 0) {
                stretch.LineEnds += ends;
                continue;
            }
        }
        for (std::size_t k = i; k < end; ++k) {
            if (NulEscapeAt(text, k)) {
                stretch.FirstDoubt = k;
                break;
            }
            stretch.LineEnds += LineEndAt(text, k) ? 1 : 0;
        }
        if (stretch.FirstDoubt != to)
            break;
    }
    for (std::size_t at = from; at < stretch.FirstDoubt;) {
        const void* open = std::memchr(text.data() + at, '(', stretch.FirstDoubt - at);
        if (open == nullptr)
            break;
        at = static_cast<std::size_t>(static_cast<const char*>(open) - text.data());
        if (DoubtAt(text, at)) {
            stretch.FirstDoubt = at;
            break;
        }
        ++at;
    }
    return stretch;
}

} // namespace

std::string WidenText(std::string_view text) {
    std::string wide;
    wide.reserve(text.size() * 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const std::uint16_t unit = byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
        wide += static_cast<char>(unit & 0xFF);
        wide += static_cast<char>(unit >> 8);
    }
    return wide;
}

std::string NarrowText(std::string_view wide) {
    std::string text;
    for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
        const auto unit = static_cast<std::uint16_t>(static_cast<unsigned char>(wide[i]) |
                                                     static_cast<unsigned char>(wide[i + 1]) << 8);
        if (unit == 0)
            break;
        char byte = '?';
        if (unit < 0x80 || (unit >= 0xA0 && unit < 0x100)) {
            byte = static_cast<char>(unit);
        } else {
            for (std::size_t high = 0; high < kCp1252High.size(); ++high) {
                if (kCp1252High[high] == unit)
                    byte = static_cast<char>(0x80 + high);
            }
        }
        text += byte;
    }
    return text;
}

std::size_t LineNumberAt(std::string_view text, std::size_t offset) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i)
        line += LineEndAt(text, i) ? 1 : 0;
    return line;
}

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = Lower(c);
    return lower;
}

std::string ImportReading::TemplateKeyPath(std::string_view driverKey, int index) {
    std::string path(kTemplateParent);
    path += driverKey;
    path += "\\Template";
    path += std::to_string(index);
    return path;
}

// The import's state machine over the lines of one text.
class ImportParser {
public:
    ImportParser(std::string_view text, ImportReading& reading) : text_(text), r_(reading) {}
    void Run();

private:
    bool NextLine(Line& line);
    void Note(NoteKind kind, const Line& line, std::string detail, int key = -2,
              std::size_t other = 0);
    void SetUndefined(const Line& line, std::string reason);
    void KeyLine(const Line& line, std::size_t bracket);
    // Passing over the lines of other keys (a reading of the driver key alone).
    void PassOverOtherKeys();
    bool MustRead(std::size_t bracket) const;
    bool BesideDriverKey(std::string_view key) const;
    bool MayCarryInto(std::size_t stop) const;
    bool CheckNameLengths(std::string_view key, const Line& line);
    void CloseSection(const Line& line, std::size_t bracket);
    // The key path's root and components, or false when the import cannot open it.
    static std::string_view MatchRoot(std::string_view key);
    bool SplitKey(std::string_view key, std::string_view& root,
                  std::vector<std::string_view>& components, std::string& why) const;
    int OpenKey(std::string_view key, const Line& line);
    void DeleteKey(std::string_view key, const Line& line);
    void Kill(int key, std::size_t lineNumber);
    void ValueLine(const Line& line, std::size_t start);
    // Unescapes a quoted text from `from` (after its opening quote) up to `to`: false when
    // no closing quote ends it. `after` is the position behind that quote.
    bool Unescape(std::size_t from, std::size_t to, std::string& out, std::size_t& after,
                  bool& nul) const;
    enum class ListEnd { Done, Continues, Refused };
    ListEnd ReadList(std::size_t from, std::size_t to, std::string& bytes, std::size_t& rest,
                     std::size_t& comment) const;
    void SetValue(const Line& first, const Line& last, std::size_t quote, std::string name,
                  std::uint32_t type, std::string data, std::size_t comment);
    bool TemplateOpen() const {
        return current_ >= 0 && r_.keys_[current_].Alive && IsTemplate(current_);
    }
    bool IsTemplate(int key) const;
    std::string_view TextOf(const Line& line) const {
        return text_.substr(line.Begin, line.End - line.Begin);
    }
    std::size_t SkipBlanks(std::size_t from, std::size_t to) const {
        while (from < to && IsBlankByte(text_[from]))
            ++from;
        return from;
    }

    std::string_view text_;
    ImportReading& r_;
    std::size_t pos_ = 0;
    std::size_t lineNumber_ = 0;
    std::size_t limit_ = 0; // the reading stops here (a zero byte's line)
    bool stopped_ = false;
    int current_ = -1;
    // The open key's section being read, as (key, index into its sections).
    int sectionKey_ = -1;
    std::size_t stopAt_ = 0; // where an undefined reading stopped
    std::string templateMention_;
    std::string templatePrefix_;  // lower case, up to the template's number
    std::vector<int> templateOf_; // per key: its template index, or -1
    // Held between key lines so that opening a key allocates only what it keeps.
    std::vector<std::string_view> components_;
    std::vector<std::size_t> ends_;
    std::string lower_;
    std::string probe_;
    // Reading the driver key alone: the key open is another key (not in the reading), and
    // the lines up to the next key line are read one by one (passing over them is in doubt).
    bool driverKeyOnly_ = false;
    bool otherKeyOpen_ = false;
    bool lineByLine_ = false;
    std::string driverPath_; // lower case
    // The path eight bytes to a word, and in each the 0x20 bit of every letter.
    std::vector<std::uint64_t> pathWords_;
    std::vector<std::uint64_t> pathCase_;
    std::vector<std::size_t> resyncs_; // key lines of other keys passed over
};

bool ImportParser::IsTemplate(int key) const {
    return templateOf_[static_cast<std::size_t>(key)] >= 0;
}

bool ImportParser::NextLine(Line& line) {
    if (stopped_ || pos_ >= limit_)
        return false;
    std::size_t end = pos_;
    while (end < limit_ && text_[end] != '\r' && text_[end] != '\n')
        ++end;
    std::size_t next = end;
    if (next < text_.size())
        next += text_[next] == '\r' && next + 1 < text_.size() && text_[next + 1] == '\n' ? 2 : 1;
    line = Line{pos_, end, next, ++lineNumber_};
    r_.lineStarts_.push_back(pos_);
    pos_ = next;
    return true;
}

void ImportParser::Note(NoteKind kind, const Line& line, std::string detail, int key,
                        std::size_t other) {
    r_.notes_.push_back(ImportNote{kind, line.Number, line.Begin, key == -2 ? current_ : key, other,
                                   std::move(detail)});
}

void ImportParser::SetUndefined(const Line& line, std::string reason) {
    if (!r_.undefined_)
        r_.undefined_ = ImportReading::Undefined{line.Number, std::move(reason)};
    stopped_ = true;
    stopAt_ = line.Begin;
}

void ImportParser::Run() {
    r_.lineStarts_.clear();
    driverKeyOnly_ = r_.reach_ == Reach::DriverKey;
    if (!driverKeyOnly_)
        r_.lineStarts_.reserve(text_.size() / 32 + 16);
    driverPath_ = LowerCase(std::string(kTemplateParent) + r_.driverKey_);
    for (std::size_t i = 0; driverKeyOnly_ && i + 8 <= driverPath_.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, driverPath_.data() + i, 8);
        std::uint64_t letters = 0;
        for (std::size_t k = 0; k < 8; ++k) {
            const char c = driverPath_[i + k];
            if (c >= 'a' && c <= 'z')
                letters |= std::uint64_t{0x20} << (8 * k);
        }
        pathWords_.push_back(word);
        pathCase_.push_back(letters);
    }
    templateMention_ = std::string(r_.driverKey_) + "\\Template";
    templatePrefix_ = LowerCase(std::string(kTemplateParent) + templateMention_);
    const std::size_t zero = text_.find('\0');
    limit_ = zero == std::string_view::npos ? text_.size() : zero;
    if (zero != std::string_view::npos) {
        // The import reads lines as zero-terminated texts: past a zero byte its reading is
        // not defined. The lines before that byte's line are read.
        while (limit_ > 0 && text_[limit_ - 1] != '\r' && text_[limit_ - 1] != '\n')
            --limit_;
    }

    // The first line: the import takes the first two bytes as they are, then the rest of
    // the line.
    r_.lineStarts_.push_back(0);
    if (limit_ < 2) {
        if (zero != std::string_view::npos)
            r_.undefined_ = ImportReading::Undefined{1, "the file holds a zero byte"};
        r_.notes_.push_back(ImportNote{NoteKind::NoHeader, 1, 0, -1, 0, "the file is too short"});
        return;
    }
    std::size_t end = 2;
    while (end < limit_ && text_[end] != '\r' && text_[end] != '\n')
        ++end;
    std::size_t next = end;
    if (next < text_.size())
        next += text_[next] == '\r' && next + 1 < text_.size() && text_[next + 1] == '\n' ? 2 : 1;
    const Line header{0, end, next, ++lineNumber_};
    pos_ = next;
    std::string_view first = TextOf(header);
    while (!first.empty() && IsBlankByte(first.front()))
        first.remove_prefix(1);
    if (first == kHeader4 || first == kHeader5) {
        r_.hasHeader_ = true;
    } else if (first == kHeader31) {
        SetUndefined(header, "the file is in the old REGEDIT form, which is not read here");
        return;
    } else {
        Note(NoteKind::NoHeader, header,
             "the first line is not \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\"");
        // The lines are counted all the same, so that line numbers can be given.
        Line rest;
        while (NextLine(rest)) {
        }
        if (zero != std::string_view::npos)
            r_.undefined_ = ImportReading::Undefined{lineNumber_ + 1, "the file holds a zero byte"};
        return;
    }

    Line line;
    for (;;) {
        if (driverKeyOnly_ && current_ < 0 && !lineByLine_ && !stopped_)
            PassOverOtherKeys();
        if (!NextLine(line))
            break;
        const std::size_t p = SkipBlanks(line.Begin, line.End);
        if (p == line.End)
            continue;
        switch (text_[p]) {
        case '[':
            KeyLine(line, p);
            break;
        case '@':
        case '"':
            ValueLine(line, p);
            break;
        case ';':
        case '#':
            break;
        default:
            if (TemplateOpen() || ContainsNoCase(TextOf(line), templateMention_))
                Note(NoteKind::IgnoredLine, line, "not a key or value line");
            break;
        }
    }
    if (sectionKey_ >= 0) {
        KeySection& section = r_.keys_[static_cast<std::size_t>(sectionKey_)].Sections.back();
        section.End = section.EndLine = r_.undefined_ && stopped_ ? stopAt_ : limit_;
    }
    if (zero != std::string_view::npos && !r_.undefined_)
        r_.undefined_ = ImportReading::Undefined{lineNumber_ + 1, "the file holds a zero byte"};

    for (std::size_t key = 0; key < r_.keys_.size(); ++key) {
        // The values of a large file are most of the reading: no room is held for more.
        r_.keys_[key].Values.shrink_to_fit();
        const int index = templateOf_[key];
        if (index >= 0 && r_.keys_[key].Alive)
            r_.templateKeys_[index] = static_cast<int>(key);
    }
}

void ImportParser::CloseSection(const Line& line, std::size_t bracket) {
    if (sectionKey_ < 0)
        return;
    KeySection& section = r_.keys_[static_cast<std::size_t>(sectionKey_)].Sections.back();
    section.End = bracket;
    section.EndLine = line.Begin;
    sectionKey_ = -1;
}

void ImportParser::KeyLine(const Line& line, std::size_t bracket) {
    lineByLine_ = false;
    const std::size_t from = bracket + 1;
    if (from == line.End || IsBlankByte(text_[from])) {
        Note(NoteKind::IgnoredKeyLine, line, "a blank follows the \"[\"");
        return;
    }
    const std::size_t close = text_.substr(0, line.End).rfind(']');
    if (close == std::string_view::npos || close < from) {
        Note(NoteKind::IgnoredKeyLine, line, "no \"]\" closes the key");
        return;
    }
    const std::string_view key = text_.substr(from, close - from);
    CloseSection(line, bracket);
    otherKeyOpen_ = false;
    if (!key.empty() && key.front() == '-') {
        current_ = -1;
        const std::string_view deleted = key.substr(1);
        if (!deleted.empty() && (deleted.front() == 'H' || deleted.front() == 'h'))
            DeleteKey(deleted, line);
        else
            Note(NoteKind::DeleteFailed, line, "no key name follows \"[-\"", -1);
        return;
    }
    if (driverKeyOnly_ && BesideDriverKey(key)) {
        current_ = -1;
        otherKeyOpen_ = CheckNameLengths(key, line);
        return;
    }
    current_ = OpenKey(key, line);
    if (current_ < 0)
        return;
    r_.keys_[static_cast<std::size_t>(current_)].Sections.push_back(
        KeySection{bracket, line.Next, line.Next, line.Next, line.Number});
    sectionKey_ = current_;
}

std::string_view ImportParser::MatchRoot(std::string_view key) {
    for (const std::string_view name : kRoots) {
        if (StartsWithNoCase(key, name) && (key.size() == name.size() || key[name.size()] == '\\'))
            return name;
    }
    return {};
}

bool ImportParser::SplitKey(std::string_view key, std::string_view& root,
                            std::vector<std::string_view>& components, std::string& why) const {
    root = MatchRoot(key);
    if (root.empty()) {
        why = NoRoot(key.substr(0, key.find('\\')));
        return false;
    }
    std::string_view rest = key.size() > root.size() ? key.substr(root.size() + 1) : "";
    if (!rest.empty() && rest.front() == '\\') {
        why = "a second \"\\\" follows the root";
        return false;
    }
    components.clear();
    while (!rest.empty()) {
        const std::size_t slash = rest.find('\\');
        const std::string_view part = rest.substr(0, slash);
        if (!part.empty())
            components.push_back(part);
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    return true;
}

int ImportParser::OpenKey(std::string_view key, const Line& line) {
    std::string_view root;
    std::vector<std::string_view>& components = components_;
    std::string why;
    if (!SplitKey(key, root, components, why)) {
        Note(NoteKind::KeyNotOpened, line, why, -1);
        return -1;
    }
    if (!CheckNameLengths(key, line))
        return -1;
    // The lower-case path, and its length at each level: the root, then each component.
    std::string& lower = lower_;
    lower = root;
    for (char& c : lower)
        c = Lower(c);
    std::vector<std::size_t>& ends = ends_;
    ends.assign(1, lower.size());
    for (const std::string_view part : components) {
        lower += '\\';
        for (const char c : part)
            lower += Lower(c);
        ends.push_back(lower.size());
    }
    // The deepest level that exists already (a live key's parents all live), then the keys
    // below it, each spelled as first written.
    std::size_t level = ends.size();
    int parent = -1;
    while (level > 0) {
        probe_.assign(lower, 0, ends[level - 1]);
        const auto found = r_.alive_.find(probe_);
        if (found != r_.alive_.end()) {
            parent = found->second;
            break;
        }
        --level;
    }
    for (; level < ends.size(); ++level) {
        const int id = static_cast<int>(r_.keys_.size());
        ImportedKey created;
        if (parent < 0) {
            created.Path = std::string(root);
        } else {
            created.Path = r_.keys_[static_cast<std::size_t>(parent)].Path;
            created.Path += '\\';
            created.Path += components[level - 1];
        }
        created.Parent = parent;
        r_.keys_.push_back(std::move(created));
        const std::string_view lowerPath = std::string_view(lower).substr(0, ends[level]);
        int index = -1;
        const std::string& prefix = templatePrefix_;
        if (lowerPath.size() > prefix.size() && lowerPath.substr(0, prefix.size()) == prefix) {
            const std::string_view number = lowerPath.substr(prefix.size());
            if (number.size() == 1 && number[0] >= '0' && number[0] <= '9')
                index = number[0] - '0';
            else if (number.size() == 2 && number[0] == '1' && number[1] >= '0' && number[1] <= '5')
                index = 10 + (number[1] - '0');
        }
        templateOf_.push_back(index);
        if (parent >= 0)
            r_.keys_[static_cast<std::size_t>(parent)].Children.push_back(id);
        r_.alive_.emplace(std::string(lowerPath), id);
        parent = id;
    }
    return parent;
}

// False, with the reading undefined from this line, when a component of the key is longer
// than the registry allows.
bool ImportParser::CheckNameLengths(std::string_view key, const Line& line) {
    if (key.size() <= kMaxKeyName)
        return true;
    std::string_view root;
    std::string why;
    if (!SplitKey(key, root, components_, why))
        return true; // opens nothing; its length does not matter
    for (const std::string_view part : components_) {
        if (part.size() > kMaxKeyName) {
            SetUndefined(line, "a key name of more than 255 characters");
            return false;
        }
    }
    return true;
}

// A key that is neither the driver key, nor above it, nor below it, told from the text as
// written: the first character that differs is no "\" in either. Any doubt (a doubled
// "\", a root alone) says no, and the key is opened as always.
bool ImportParser::BesideDriverKey(std::string_view key) const {
    const std::size_t n = std::min(key.size(), driverPath_.size());
    std::size_t i = 0;
    // Eight bytes at a time: a byte under a letter of the path compares with its 0x20 bit
    // set, which is its lower case exactly; any other byte compares as it is.
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, key.data() + i, 8);
        const std::uint64_t differ = (word | pathCase_[i / 8]) ^ pathWords_[i / 8];
        if (differ != 0)
            break; // the bytes below tell where
    }
    for (; i < n; ++i) {
        const char c = Lower(key[i]);
        if (c != driverPath_[i])
            return c != '\\' && driverPath_[i] != '\\';
    }
    return false;
}

// Whether a "[" line that passing over reaches must be read: a deletion, a key that may be
// the driver key, above or below it, or a line too long to tell (a key name of more than
// 255 characters makes the reading undefined). Other key lines only change which other key
// is open, whether the import reads them as key lines or not.
bool ImportParser::MustRead(std::size_t bracket) const {
    const std::size_t from = bracket + 1;
    if (from >= limit_)
        return false;
    const char c = text_[from];
    if (c == '-')
        return true;
    if (IsBlankByte(c) || c == '\r' || c == '\n')
        return false;
    const std::size_t span = std::min(limit_ - from, kMaxKeyName);
    const void* end = std::memchr(text_.data() + from, '\n', span);
    if (end == nullptr)
        return true;
    const auto length =
        static_cast<std::size_t>(static_cast<const char*>(end) - text_.data()) - from;
    return !BesideDriverKey(text_.substr(from, length));
}

// Whether the last line before `stop` that is neither blank nor a comment may carry a hex
// list on ("01,\" or "01,\ ; comment" at its end): then `stop` may be swallowed by it.
bool ImportParser::MayCarryInto(std::size_t stop) const {
    std::size_t end = stop;
    while (end > pos_) {
        std::size_t e = end;
        if (text_[e - 1] == '\n')
            --e;
        if (e > pos_ && text_[e - 1] == '\r')
            --e;
        std::size_t b = e;
        while (b > pos_ && text_[b - 1] != '\n' && text_[b - 1] != '\r')
            --b;
        const std::size_t s = SkipBlanks(b, e);
        if (s < e && text_[s] != ';') {
            std::size_t t = e;
            while (t > b && IsBlankByte(text_[t - 1]))
                --t;
            if (t > b && text_[t - 1] == '\\')
                return true;
            const std::string_view content = text_.substr(b, e - b);
            return content.find(';') != std::string_view::npos &&
                   content.find('\\') != std::string_view::npos;
        }
        end = b;
    }
    return false;
}

// No key of the reading is open and no hex list carries on at pos_: goes on to the next line
// that must be read, past the lines of other keys, unless something in them (a list carried
// into that line, a byte that could make the reading undefined) needs them read. Then it
// goes on to the last key line ahead of that, and the lines from there are read one by one.
void ImportParser::PassOverOtherKeys() {
    resyncs_.clear();
    std::size_t stop = limit_;
    for (std::size_t at = pos_; at < limit_;) {
        const void* hit = std::memchr(text_.data() + at, '[', limit_ - at);
        if (hit == nullptr)
            break;
        const auto bracket = static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data());
        at = bracket + 1;
        std::size_t start = bracket;
        while (start > pos_ && IsBlankByte(text_[start - 1]))
            --start;
        if (start > pos_ && text_[start - 1] != '\n' && text_[start - 1] != '\r')
            continue; // inside a line
        if (MustRead(bracket)) {
            stop = start;
            break;
        }
        resyncs_.push_back(start);
    }
    Stretch stretch = ScanStretch(text_, pos_, stop);
    std::size_t cut = stop;
    if (stretch.FirstDoubt < stop || MayCarryInto(stop)) {
        const std::size_t doubt = std::min(stretch.FirstDoubt, stop);
        const auto last = std::upper_bound(resyncs_.begin(), resyncs_.end(), doubt);
        if (last == resyncs_.begin()) {
            lineByLine_ = true;
            return;
        }
        cut = *(last - 1);
        stretch = ScanStretch(text_, pos_, cut);
    }
    std::size_t lines = stretch.LineEnds;
    if (cut == limit_ && cut > pos_ && text_[cut - 1] != '\n' && text_[cut - 1] != '\r')
        ++lines; // the text's last line, with no line end
    if (lines == 0)
        return;
    const std::size_t passed = r_.jumps_.empty() ? 0 : r_.jumps_.back().LinesPassed;
    lineNumber_ += lines;
    pos_ = cut;
    r_.jumps_.push_back(ImportReading::Jump{cut, passed + lines});
}

void ImportParser::Kill(int key, std::size_t lineNumber) {
    ImportedKey& k = r_.keys_[static_cast<std::size_t>(key)];
    if (!k.Alive)
        return;
    k.Alive = false;
    k.DeletedAtLine = lineNumber;
    r_.alive_.erase(LowerCase(k.Path));
    for (const int child : k.Children)
        Kill(child, lineNumber);
}

void ImportParser::DeleteKey(std::string_view key, const Line& line) {
    const std::string_view root = MatchRoot(key);
    const std::size_t slash = key.find('\\');
    if (root.empty() || slash == std::string_view::npos || slash + 1 == key.size()) {
        // The import gives up here: nothing after this line is imported.
        Note(NoteKind::ImportStops, line,
             root.empty() ? NoRoot(key.substr(0, slash)) : "a root cannot be deleted", -1);
        stopped_ = true;
        stopAt_ = line.Begin;
        return;
    }
    std::string_view found;
    std::vector<std::string_view> components;
    std::string why;
    if (!SplitKey(key, found, components, why)) {
        Note(NoteKind::DeleteFailed, line, why, -1);
        return;
    }
    std::string lower = LowerCase(root);
    for (const std::string_view part : components) {
        lower += '\\';
        lower += LowerCase(part);
    }
    const auto alive = r_.alive_.find(lower);
    if (alive == r_.alive_.end()) {
        Note(NoteKind::DeleteFailed, line, lower, -1);
        return;
    }
    const int id = alive->second;
    Kill(id, line.Number);
    Note(NoteKind::KeyDeleted, line, lower, id);
}

bool ImportParser::Unescape(std::size_t from, std::size_t to, std::string& out, std::size_t& after,
                            bool& nul) const {
    out.clear();
    nul = false;
    for (std::size_t i = from; i < to; ++i) {
        const char c = text_[i];
        if (c == '"') {
            after = i + 1;
            return true;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == to)
            return false;
        switch (text_[i]) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case '0':
            nul = true;
            out += '\0';
            break;
        default:
            out += text_[i];
            break;
        }
    }
    return false;
}

ImportParser::ListEnd ImportParser::ReadList(std::size_t from, std::size_t to, std::string& bytes,
                                             std::size_t& rest, std::size_t& comment) const {
    std::size_t s = from;
    comment = to;
    while (s < to) {
        const Number number = ReadNumber(text_, s, to);
        if (number.End != s && number.Value > 0xFF)
            return ListEnd::Refused;
        if (number.End == s) {
            std::size_t e = SkipBlanks(s, to);
            if (e < to && text_[e] == '\\') {
                rest = e + 1;
                return ListEnd::Continues;
            }
            if (e < to && text_[e] == ';') {
                comment = e;
                return ListEnd::Done;
            }
            return ListEnd::Refused;
        }
        bytes += static_cast<char>(number.Value);
        std::size_t end = number.End;
        if (end < to && text_[end] != ',') {
            end = SkipBlanks(end, to);
            if (end < to && text_[end] != ';')
                return ListEnd::Refused;
            comment = end;
            return ListEnd::Done;
        }
        if (end < to)
            ++end;
        s = end;
    }
    return ListEnd::Done;
}

void ImportParser::ValueLine(const Line& line, std::size_t start) {
    std::string name;
    std::size_t p = start + 1;
    if (text_[start] == '"') {
        bool nul = false;
        if (!Unescape(start + 1, line.End, name, p, nul)) {
            Note(NoteKind::ValueRefused, line, "no closing quote ends the name");
            return;
        }
        if (nul) {
            SetUndefined(line, "a \"\\0\" in a value name");
            return;
        }
    }
    p = SkipBlanks(p, line.End);
    if (p == line.End || text_[p] != '=') {
        Note(NoteKind::ValueRefused, line, "no \"=\" follows the name");
        return;
    }
    p = SkipBlanks(p + 1, line.End);
    std::size_t e = line.End;
    while (e > p && IsBlankByte(text_[e - 1]))
        --e;
    const std::string_view data = text_.substr(p, e - p);

    if (!data.empty() && data.front() == '-') {
        const std::size_t q = SkipBlanks(p + 1, e);
        if (q < e && text_[q] != ';') {
            Note(NoteKind::ValueRefused, line, "text follows \"=-\"");
            return;
        }
        if (current_ < 0) {
            if (!otherKeyOpen_)
                Note(NoteKind::ValueWithoutKey, line, "no key is open");
            return;
        }
        ImportedKey& key = r_.keys_[static_cast<std::size_t>(current_)];
        if (const std::size_t at = ValuePosition(key, name); at < key.Values.size()) {
            key.Values.erase(key.Values.begin() + static_cast<std::ptrdiff_t>(at));
            IndexValues(key);
        }
        Note(NoteKind::ValueDeleted, line, name);
        return;
    }

    if (!data.empty() && data.front() == '"') {
        std::string value;
        std::size_t after = 0;
        bool nul = false;
        if (!Unescape(p + 1, e, value, after, nul)) {
            Note(NoteKind::ValueRefused, line, "no closing quote ends the string");
            return;
        }
        if (nul) {
            SetUndefined(line, "a \"\\0\" in a string");
            return;
        }
        const std::size_t tail = SkipBlanks(after, e);
        if (tail < e && text_[tail] != ';') {
            Note(NoteKind::ValueRefused, line, "text follows the string's closing quote");
            return;
        }
        std::string bytes = WidenText(value);
        bytes.append(2, '\0');
        SetValue(line, line, start, std::move(name), kSz, std::move(bytes),
                 tail < e ? tail : line.End);
        return;
    }
    if (data.substr(0, 6) == "dword:") {
        std::size_t s = SkipBlanks(p + 6, e);
        if (s == e) {
            Note(NoteKind::ValueRefused, line, "no number follows \"dword:\"");
            return;
        }
        std::size_t t = s;
        std::uint32_t value = 0;
        while (t < e && HexDigit(text_[t]) >= 0) {
            value = value * 16 + static_cast<std::uint32_t>(HexDigit(text_[t]));
            ++t;
        }
        if (t - s > 8) {
            Note(NoteKind::ValueRefused, line, "a dword of more than 8 digits");
            return;
        }
        const std::size_t tail = SkipBlanks(t, e);
        if (tail < e && text_[tail] != ';') {
            Note(NoteKind::ValueRefused, line, "not a hexadecimal dword");
            return;
        }
        std::string bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
        SetValue(line, line, start, std::move(name), kDword, std::move(bytes),
                 tail < e ? tail : line.End);
        return;
    }

    std::uint32_t type = kBinary;
    std::size_t d = 0;
    if (data.substr(0, 4) == "hex:") {
        d = p + 4;
    } else if (data.substr(0, 4) == "hex(") {
        const std::size_t n = p + 4;
        if (n >= e || (n + 1 < e && Lower(text_[n + 1]) == 'x')) {
            Note(NoteKind::ValueRefused, line, "not a type number in \"hex(...)\"");
            return;
        }
        const Number number = ReadNumber(text_, n, e);
        const std::size_t close = number.End;
        if (close + 1 >= e || text_[close] != ')' || text_[close + 1] != ':' || number.Overflow) {
            Note(NoteKind::ValueRefused, line, "not a type number in \"hex(...)\"");
            return;
        }
        if (number.Value == 0xFFFFFFFFull) {
            SetUndefined(line, "the type hex(ffffffff)");
            return;
        }
        type = static_cast<std::uint32_t>(number.Value);
        d = close + 2;
    } else {
        Note(NoteKind::ValueRefused, line, "no type the import knows");
        return;
    }

    std::string bytes;
    if (d == e) {
        SetValue(line, line, start, std::move(name), type, {}, line.End);
        return;
    }
    std::size_t rest = 0;
    std::size_t comment = 0;
    ListEnd end = ReadList(d, e, bytes, rest, comment);
    Line last = line;
    while (end == ListEnd::Continues) {
        // Behind the "\": blanks, maybe a comment, nothing else.
        const std::size_t behind = SkipBlanks(rest, last.End);
        if (behind < last.End && text_[behind] != ';') {
            Note(NoteKind::ValueRefused, last, "text follows the \"\\\" of a hex list");
            return;
        }
        Line next;
        bool more = false;
        while ((more = NextLine(next))) {
            const std::size_t s = SkipBlanks(next.Begin, next.End);
            if (s == next.End || text_[s] == ';')
                continue;
            if (HexDigit(text_[s]) < 0) {
                // The line is consumed, and the list with it.
                Note(NoteKind::Swallowed, next, text_[s] == '[' ? "key line" : "line", current_,
                     line.Number);
                return;
            }
            end = ReadList(s, next.End, bytes, rest, comment);
            break;
        }
        if (!more) {
            // The end of the text ends the list with the bytes read so far.
            r_.carriedPastEnd_ = rest - 1;
            comment = last.End;
            end = ListEnd::Done;
            break;
        }
        last = next;
        if (end == ListEnd::Refused) {
            Note(NoteKind::ValueRefused, last, "a hex list the import refuses", current_,
                 line.Number);
            return;
        }
    }
    if (end == ListEnd::Refused) {
        Note(NoteKind::ValueRefused, line, "a hex list the import refuses");
        return;
    }
    if (type == kSz || type == kExpandSz || type == kMultiSz) {
        if (bytes.empty()) {
            SetUndefined(line, "an empty string list continued by \"\\\"");
            return;
        }
        if (bytes.back() != '\0')
            bytes += '\0';
        bytes = WidenText(bytes);
    }
    SetValue(line, last, start, std::move(name), type, std::move(bytes),
             comment < last.End ? comment : last.End);
}

void ImportParser::SetValue(const Line& first, const Line& last, std::size_t quote,
                            std::string name, std::uint32_t type, std::string data,
                            std::size_t comment) {
    if (current_ < 0) {
        if (!otherKeyOpen_)
            Note(NoteKind::ValueWithoutKey, first, "no key is open");
        return;
    }
    auto held = [](std::size_t offset) { return static_cast<std::uint32_t>(offset); };
    const ValueSource source{
        held(first.Begin), held(quote),   held(last.Begin),   held(last.End),
        held(last.Next),   held(comment), held(first.Number), first.Number == last.Number};
    ImportedKey& key = r_.keys_[static_cast<std::size_t>(current_)];
    if (const std::size_t at = ValuePosition(key, name); at < key.Values.size()) {
        ImportedValue& value = key.Values[at];
        ++value.Sets;
        value.Type = type;
        value.Data = std::move(data);
        value.Source = source;
        return;
    }
    key.Values.push_back(ImportedValue{std::move(name), type, std::move(data), source, 1});
    IndexLastValue(key);
}

ImportReading ImportReading::Read(std::string_view text, std::string_view driverKey, Reach reach) {
    if (text.size() > 0xFFFFFFFFu)
        throw std::length_error("a registration text of 4 GiB or more cannot be read");
    ImportReading reading;
    reading.reach_ = reach;
    reading.driverKey_ = std::string(driverKey);
    ImportParser parser(text, reading);
    parser.Run();
    return reading;
}

int ImportReading::FindKey(std::string_view path) const {
    const auto found = alive_.find(LowerCase(path));
    return found == alive_.end() ? -1 : found->second;
}

const ImportedValue* ImportReading::FindValue(int key, std::string_view name) const {
    if (key < 0)
        return nullptr;
    const ImportedKey& k = keys_[static_cast<std::size_t>(key)];
    const std::size_t at = ValuePosition(k, name);
    return at < k.Values.size() ? &k.Values[at] : nullptr;
}

int ImportReading::TemplateKey(int index) const {
    return index >= 0 && index < 16 ? templateKeys_[index] : -1;
}

std::uint16_t ImportReading::Templates() const {
    std::uint16_t mask = 0;
    for (int i = 0; i < 16; ++i) {
        if (templateKeys_[i] >= 0)
            mask = static_cast<std::uint16_t>(mask | (1u << i));
    }
    return mask;
}

const KeySection* ImportReading::LastSection(int index) const {
    const int key = TemplateKey(index);
    if (key < 0 || keys_[static_cast<std::size_t>(key)].Sections.empty())
        return nullptr;
    return &keys_[static_cast<std::size_t>(key)].Sections.back();
}

std::size_t ImportReading::LineOf(std::size_t offset) const {
    const auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    const auto jump = std::upper_bound(jumps_.begin(), jumps_.end(), offset,
                                       [](std::size_t at, const Jump& j) { return at < j.To; });
    const std::size_t passed = jump == jumps_.begin() ? 0 : (jump - 1)->LinesPassed;
    return static_cast<std::size_t>(it - lineStarts_.begin()) + passed;
}

Registry RegistryOf(const ImportReading& reading) {
    Registry registry;
    for (const ImportedKey& key : reading.Keys()) {
        if (!key.Alive)
            continue;
        RegistryKey& entry = registry[LowerCase(key.Path)];
        entry.Path = key.Path;
        for (const ImportedValue& value : key.Values)
            entry.Values[LowerCase(value.Name)] = RegistryValue{value.Name, value.Type, value.Data};
    }
    return registry;
}

} // namespace regfile
