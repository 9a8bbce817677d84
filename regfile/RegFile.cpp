// The editor object, opening and closing, and the section operations.
#include "regfile/RegFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "regfile/Checksum.h"
#include "regfile/DriverNames.h"
#include "regfile/FixedText.h"
#include "regfile/Journal.h"
#include "regfile/KeyLines.h"
#include "regfile/TextScan.h"

namespace regfile {

namespace {

// The messages name the limit through the file layer's constant.
static_assert(RegFile::kMaxLength == platform::kMaxEditableLength);

constexpr std::size_t kMinModelText = 3;
constexpr std::size_t kMaxModelText = 12;
// The header text ahead of the driver key.
constexpr std::string_view kKeyPath = "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\";

// Walks the value lines of template `index`'s sections in file order, each with the lines
// that continue it, and calls visit(named, extent) for each, `named` being the position
// in `names` of the name it bears (or `count`); only the lines named so have their data
// read, and only `withBytes`.
template <class Sections, class Visit>
void VisitValueLines(std::string_view text, const Sections& sections, int index,
                     const std::string_view* names, std::size_t count, bool withBytes,
                     Visit&& visit) {
    for (const auto& section : sections) {
        if (section.Index != index) {
            continue;
        }
        for (std::size_t pos = section.BodyStart; pos < section.End;) {
            const LineSpan line = LineAt(text, pos);
            pos = line.Next;
            // Only a line opening with a quote is a value line.
            const std::size_t first = SkipBlanks(text.substr(0, line.End), line.Begin);
            if (first == line.End || text[first] != '"') {
                continue;
            }
            const ValueLine value = ParseValueLine(text.substr(line.Begin, line.End - line.Begin));
            std::size_t named = 0;
            while (named < count && !EqualNoCase(value.Name, names[named])) {
                ++named;
            }
            ValueExtent extent = ReadValueExtent(text, line, value, withBytes && named < count);
            pos = std::max(pos, extent.End);
            visit(named, extent);
        }
    }
}

} // namespace

RegFile::RegFile() = default;

RegFile::~RegFile() {
    Discard();
}

int RegFile::Open(std::string_view path, std::string_view modelText, const KnownContent* known,
                  platform::FileAccess access) {
    Discard();
    notice_.clear();
    if (modelText.size() < kMinModelText || modelText.size() > kMaxModelText) {
        fileError_ = platform::MakeFileErrorInfo(platform::FileCallName(platform::FileCall::Open),
                                                 platform::kInvalidArgumentCode, path);
        return platform::kInvalidArgumentCode;
    }
    Access_ = access;
    // A change cut short is completed or undone before the file is read, which writes it.
    const bool journal =
        access == platform::FileAccess::Read &&
        platform::QueryEntry(JournalPath(path)) == platform::EntryKind::RegularFile;
    if (int code =
            File_.Open(path, fileError_, journal ? platform::FileAccess::ReadWrite : access)) {
        if (journal && platform::IsReadOnlyFile(path)) {
            fileError_ =
                platform::MakeFileErrorInfo(platform::FileCallName(platform::FileCall::Open),
                                            platform::kUnfinishedChangeCode, path);
            return platform::kUnfinishedChangeCode;
        }
        return code;
    }
    try {
        if (int code = RecoverFromJournal(File_, fileError_, notice_)) {
            Discard();
            return code;
        }
        const std::uint64_t length = File_.Length();
        if (length > kMaxLength) {
            fileError_ =
                platform::MakeFileErrorInfo(platform::FileCallName(platform::FileCall::Open),
                                            platform::kFileTooLargeCode, path);
            Discard();
            return platform::kFileTooLargeCode;
        }
        // A freshly opened file is read from its start: no seek.
        ReadWholeFile(length, false, DriverKeyOf(modelText), known);
        const std::string_view head(Block(), std::min<std::size_t>(Length_, 2));
        if (head == "\xFF\xFE" || head == "\xFE\xFF") {
            fileError_ =
                platform::MakeFileErrorInfo(platform::FileCallName(platform::FileCall::Open),
                                            platform::kFileEncodingCode, path);
            Discard();
            return platform::kFileEncodingCode;
        }
    } catch (...) {
        Discard();
        throw;
    }

    CopyText(ModelText_, modelText);
    CopyText(DriverKey_, DriverKeyOf(modelText));
    std::string prefix(kKeyPath);
    prefix += DriverKey_;
    prefix += "\\Template";
    CopyText(SectionPrefix_, prefix);
    LastIndex_ = -1;
    return 0;
}

int RegFile::Close() {
    if (File_.IsOpen() && Edited_ && Access_ == platform::FileAccess::Read) {
        // Opened to read: the edits are dropped, never written.
        const std::string path = File_.Path();
        Discard();
        throw platform::FileError(
            platform::MakeFileErrorInfo(platform::FileCallName(platform::FileCall::Write),
                                        platform::kInvalidArgumentCode, path));
    }
    if (File_.IsOpen() && Edited_) {
        try {
            const std::string_view text(Block(), Length_);
            std::string before(text.substr(0, KeptFrom_));
            before += Kept_;
            before += text.substr(KeptTo_);
            CommitChange(File_, before, text);
        } catch (...) {
            Discard();
            throw;
        }
    }
    DropText();
    File_.Close();
    return 0;
}

void RegFile::Reload() {
    const std::uint64_t length = File_.Length();
    if (length > kMaxLength) {
        throw platform::FileError(
            platform::MakeFileErrorInfo(platform::FileCallName(platform::FileCall::Read),
                                        platform::kFileTooLargeCode, File_.Path()));
    }
    ReadWholeFile(length, true, DriverKey_, nullptr);
    LastIndex_ = -1;
}

void RegFile::ReadWholeFile(std::uint64_t length, bool rewind, std::string_view driverKey,
                            const KnownContent* known) {
    // The edits are dropped first, so that only the one new buffer is held. It is not
    // cleared ahead of the read: the read fills it. Its room to spare takes the edits of a
    // Save in place: its value lines mostly keep their length, and a template appended (a
    // header and three short value lines) fits.
    DropText();
    const std::size_t size = static_cast<std::size_t>(length);
    const std::size_t capacity = size + 1 + size / 64 + 256;
    auto block = std::make_unique_for_overwrite<char[]>(capacity);
    if (rewind) {
        File_.Seek(0, platform::SeekOrigin::Begin);
    }
    // Read in pieces that stay in the processor's cache while the checksum and the search
    // for the template sections go over them: the file's bytes travel from memory once.
    constexpr std::size_t kPiece = 512 * 1024;
    const bool scan = known == nullptr || known->Layout == nullptr;
    Checksum sum;
    TemplateSectionScan sections(driverKey);
    std::size_t got = 0;
    std::optional<std::size_t> zeroAt;
    while (got < size) {
        const std::size_t want = std::min(kPiece, size - got);
        const std::size_t piece = File_.Read(std::span<char>(block.get() + got, want));
        const std::string_view bytes(block.get() + got, piece);
        sum.Add(bytes);
        if (scan && !zeroAt) {
            // The scanners see the text up to its first zero byte.
            if (const void* zero = std::memchr(bytes.data(), '\0', bytes.size())) {
                zeroAt =
                    got + static_cast<std::size_t>(static_cast<const char*>(zero) - bytes.data());
                sections.Scan(std::string_view(block.get(), *zeroAt), true);
            } else {
                sections.Scan(std::string_view(block.get(), got + piece), false);
            }
        }
        got += piece;
        if (piece < want) {
            break;
        }
    }
    block[got] = '\0';
    if (scan && !zeroAt) {
        sections.Scan(std::string_view(block.get(), got), true);
    }
    Block_ = std::move(block);
    Capacity_ = capacity;
    Length_ = static_cast<std::uint32_t>(got);
    ReadChecksum_ = sum.Value();
    SectionsKey_ = std::string(driverKey);
    if (scan) {
        TextEnd_ = zeroAt.value_or(got);
        TextEndKnown_ = true;
        Sections_ = sections.Take();
        SectionsKnown_ = true;
    } else if (known->Length == Length_ && known->Checksum == ReadChecksum_ &&
               known->Layout->TextEnd <= Length_) {
        // The content the caller saw before, whose layout it knows.
        TextEnd_ = known->Layout->TextEnd;
        TextEndKnown_ = true;
        Sections_ = known->Layout->Sections;
        SectionsKnown_ = true;
    }
}

void RegFile::DropText() noexcept {
    Block_.reset();
    Capacity_ = 0;
    Length_ = 0;
    Edited_ = false;
    Kept_ = std::string();
    KeptFrom_ = 0;
    KeptTo_ = 0;
    TextEnd_ = 0;
    TextEndKnown_ = false;
    ZeroFree_ = 0;
    SectionsKnown_ = false;
    Reading_.reset();
}

void RegFile::Discard() noexcept {
    try {
        File_.Close();
    } catch (...) {
        // The handle is released all the same; dropping the edits is all that is asked.
    }
    DropText();
}

std::size_t RegFile::TextEnd() const {
    if (!TextEndKnown_) {
        const char* block = Block();
        const void* zero = std::memchr(block + ZeroFree_, '\0', Length_ - ZeroFree_);
        TextEnd_ = zero != nullptr
                       ? static_cast<std::size_t>(static_cast<const char*>(zero) - block)
                       : Length_;
        TextEndKnown_ = true;
    }
    return TextEnd_;
}

const ImportReading& RegFile::Reading() const {
    if (!Reading_)
        Reading_ = ImportReading::Read(std::string_view(Block(), Length_), DriverKey_);
    return *Reading_;
}

void RegFile::ReplaceText(std::string_view text, std::optional<ImportReading> reading) {
    const std::string_view held(Block(), Length_);
    const std::size_t shorter = std::min(held.size(), text.size());
    std::size_t head = 0;
    while (head < shorter && held[head] == text[head])
        ++head;
    std::size_t tail = 0;
    while (tail < shorter - head && held[held.size() - 1 - tail] == text[text.size() - 1 - tail])
        ++tail;
    Splice(head, held.size() - tail, text.substr(head, text.size() - tail - head));
    Reading_ = std::move(reading);
}

void RegFile::Splice(std::size_t start, std::size_t end, std::string_view bytes) {
    const std::size_t removed = end - start;
    if (removed == bytes.size() &&
        (bytes.empty() || std::memcmp(Block() + start, bytes.data(), bytes.size()) == 0)) {
        return;
    }
    const std::size_t length = Length_ - removed + bytes.size();
    // The span the splices have touched grows to take this one. The bytes it takes in are
    // still those as read (outside the span Block holds them), so they join the kept ones
    // before the block changes.
    const std::size_t keepFrom = Edited_ ? std::min(KeptFrom_, start) : start;
    const std::size_t keepTo = Edited_ ? std::max(KeptTo_, end) : end;
    const std::size_t ahead = Edited_ ? KeptFrom_ - keepFrom : 0;
    const std::size_t behind = Edited_ ? keepTo - KeptTo_ : removed;

    // Memory first, so that running out of it leaves the text and its bookkeeping as they
    // were. A text outgrowing its buffer moves to one an eighth larger, so that a Save
    // appending many templates moves it a few times only.
    std::unique_ptr<char[]> moved;
    std::size_t capacity = Capacity_;
    if (length + 1 > Capacity_) {
        capacity = length + 1 + length / 8 + 4096;
        moved = std::make_unique_for_overwrite<char[]>(capacity);
    }
    if (const std::size_t kept = Kept_.size() + ahead + behind; kept > Kept_.capacity()) {
        Kept_.reserve(std::max(kept, 2 * Kept_.capacity()));
    }

    TrackSection(start, end, bytes);
    TrackTextEnd(start, end, bytes);
    const char* old = Block();
    Kept_.insert(0, old + keepFrom, ahead);
    Kept_.append(old + keepTo - behind, behind);
    if (moved) {
        std::memcpy(moved.get(), old, start);
        if (!bytes.empty()) {
            std::memcpy(moved.get() + start, bytes.data(), bytes.size());
        }
        std::memcpy(moved.get() + start + bytes.size(), old + end, Length_ - end + 1);
        Block_ = std::move(moved);
        Capacity_ = capacity;
    } else {
        char* block = Block_.get();
        std::memmove(block + start + bytes.size(), block + end, Length_ - end + 1);
        if (!bytes.empty()) {
            std::memcpy(block + start, bytes.data(), bytes.size());
        }
    }
    Edited_ = true;
    Reading_.reset();
    KeptFrom_ = keepFrom;
    KeptTo_ = keepTo - removed + bytes.size();
    Length_ = static_cast<std::uint32_t>(length);
}

void RegFile::TrackTextEnd(std::size_t start, std::size_t end, std::string_view bytes) {
    const void* zero = bytes.empty() ? nullptr : std::memchr(bytes.data(), '\0', bytes.size());
    const std::size_t zeroAt =
        zero != nullptr
            ? start + static_cast<std::size_t>(static_cast<const char*>(zero) - bytes.data())
            : 0;
    if (TextEndKnown_) {
        if (start > TextEnd_) {
            return; // behind the text: the text is untouched
        }
        if (zero != nullptr) {
            TextEnd_ = zeroAt;
        } else if (end <= TextEnd_) {
            TextEnd_ = TextEnd_ - (end - start) + bytes.size();
        } else {
            // The zero byte that ended the text is gone; the next one is found when needed.
            TextEndKnown_ = false;
            ZeroFree_ = start + bytes.size();
        }
        return;
    }
    if (zero != nullptr && start <= ZeroFree_) {
        TextEnd_ = zeroAt;
        TextEndKnown_ = true;
    } else if (zero == nullptr && end <= ZeroFree_) {
        ZeroFree_ = ZeroFree_ - (end - start) + bytes.size();
    } else {
        ZeroFree_ = std::min(ZeroFree_, start);
    }
}

void RegFile::TrackSection(std::size_t start, std::size_t end, std::string_view bytes) {
    // A splice that removes and brings no "[", no zero byte and no "\" (which could make a
    // line carry on into the next), on lines holding no "[", leaves every key line as it
    // was: the sections behind it move by the change in length. Anything else is searched
    // for again.
    if (!SectionsKnown_) {
        return;
    }
    const std::string_view removed(Block() + start, end - start);
    const auto risky = [](std::string_view part) {
        return ContainsByte(part, '[') || ContainsByte(part, '\0') || ContainsByte(part, '\\');
    };
    const std::string_view text(Block(), Length_);
    const std::size_t lineStart = FindLineStart(text, start);
    const std::size_t lineEnd = FindLineEnd(text, end);
    if (risky(removed) || risky(bytes) ||
        ContainsByte(text.substr(lineStart, start - lineStart), '[') ||
        ContainsByte(text.substr(end, lineEnd - end), '[')) {
        SectionsKnown_ = false;
        return;
    }
    const auto shift = [&](std::size_t& offset) {
        if (offset >= end) {
            offset = offset - (end - start) + bytes.size();
        }
    };
    for (Section& section : Sections_) {
        shift(section.Start);
        shift(section.End);
        // Bytes put right at the start of a body belong to it.
        if (section.BodyStart > start) {
            shift(section.BodyStart);
        }
    }
}

std::optional<TextLayout> RegFile::KnownLayout() const {
    if (!SectionsKnown_ || SectionsKey_ != DriverKey_ || !TextEndKnown_) {
        return std::nullopt;
    }
    return TextLayout{TextEnd_, Sections_};
}

const std::vector<RegFile::Section>& RegFile::Sections(std::string_view driverKey) const {
    driverKey = driverKey.substr(0, driverKey.find('\0'));
    if (SectionsKnown_ && SectionsKey_ == driverKey) {
        return Sections_;
    }
    SectionsKey_ = std::string(driverKey);
    Sections_ = FindTemplateSections(Text(), driverKey);
    SectionsKnown_ = true;
    return Sections_;
}

const RegFile::Section* RegFile::LastSection(std::string_view driverKey, int index) const {
    const std::vector<Section>& sections = Sections(driverKey);
    for (auto it = sections.rbegin(); it != sections.rend(); ++it) {
        if (it->Index == index) {
            return &*it;
        }
    }
    return nullptr;
}

RegFile::Occurrence RegFile::FindValue(std::string_view driverKey, int index,
                                       std::string_view name) const {
    Occurrence found;
    FindValues(driverKey, index, &name, 1, &found);
    return found;
}

void RegFile::FindValues(std::string_view driverKey, int index, const std::string_view* names,
                         std::size_t count, Occurrence* found, bool withBytes) const {
    // Per name, the last line the import keeps and the last one it refuses.
    FewOrMany<Occurrence> refused(count);
    for (std::size_t i = 0; i < count; ++i) {
        found[i] = Occurrence{};
    }
    VisitValueLines(Text(), Sections(driverKey), index, names, count, withBytes,
                    [&](std::size_t named, ValueExtent& extent) {
                        if (named == count) {
                            return;
                        }
                        Occurrence& slot = extent.Valid ? found[named] : refused[named];
                        slot.Found = true;
                        slot.Value = std::move(extent);
                    });
    for (std::size_t i = 0; i < count; ++i) {
        if (!found[i].Found) {
            found[i] = std::move(refused[i]);
        }
    }
}

FewOrMany<RegFile::Occurrence> RegFile::FindListValues(std::string_view driverKey, int index,
                                                       const RegValueSpec* list,
                                                       bool withBytes) const {
    std::size_t count = 0;
    while (list[count].Name != nullptr) {
        ++count;
    }
    FewOrMany<std::string_view> names(count);
    for (std::size_t i = 0; i < count; ++i) {
        names[i] = list[i].Name;
    }
    FewOrMany<Occurrence> found(count);
    FindValues(driverKey, index, names.data(), count, found.data(), withBytes);
    return found;
}

int RegFile::ValueOccurrences(std::string_view driverKey, int index, const char* name) const {
    if (name == nullptr) {
        return 0;
    }
    int count = 0;
    const std::string_view nameText(name);
    VisitValueLines(Text(), Sections(driverKey), index, &nameText, 1, false,
                    [&](std::size_t named, const ValueExtent&) { count += named == 0 ? 1 : 0; });
    return count;
}

std::size_t RegFile::EndOfSectionLines(const Section& section) const {
    if (section.End >= TextEnd()) {
        return section.End;
    }
    // Ahead of the next key line, blanks ahead of its "[" included.
    std::size_t at = section.End;
    while (at > section.BodyStart && IsBlank(Block()[at - 1])) {
        --at;
    }
    return at;
}

int RegFile::ListTemplates(std::uint16_t& mask) const {
    mask = 0;
    for (const Section& section : Sections(DriverKey_)) {
        mask = static_cast<std::uint16_t>(mask | (1u << section.Index));
    }
    return 0;
}

int RegFile::SectionExists(int index, std::string_view driverKey) const {
    return LastSection(driverKey, index) != nullptr ? 1 : 0;
}

int RegFile::SectionCount(int index, std::string_view driverKey) const {
    int count = 0;
    for (const Section& section : Sections(driverKey)) {
        count += section.Index == index ? 1 : 0;
    }
    return count;
}

int RegFile::LocateSection(std::string_view driverKey, int index, std::uint32_t& start,
                           std::uint32_t& end) const {
    const Section* section = LastSection(driverKey, index);
    start = static_cast<std::uint32_t>(section != nullptr ? section->Start : Length_);
    end = static_cast<std::uint32_t>(section != nullptr ? section->End : Length_);
    return 0;
}

int RegFile::AppendSection(int index) {
    std::string bytes = " \r\n";
    bytes += SectionPrefix_;
    bytes += std::to_string(index);
    bytes += "] \r\n";
    // At the end of the text: behind a zero byte no scan would ever find the section again.
    const std::size_t textEnd = TextEnd();
    Splice(textEnd, textEnd, bytes);
    // A text that ends in a hex list carried on by "\" would take the header for the
    // list's bytes: that "\" goes, which leaves the list's bytes as the import read them.
    if (std::optional<std::size_t> backslash = CarryingBackslash(Text(), textEnd + 3)) {
        Splice(*backslash, *backslash + 1, {});
    }
    LastIndex_ = -1;
    return 0;
}

int RegFile::DeleteSection(int index, std::string_view driverKey) {
    // Last to first, so that the offsets of the earlier ones stay true.
    std::vector<Section> sections = Sections(driverKey);
    for (auto it = sections.rbegin(); it != sections.rend(); ++it) {
        if (it->Index == index) {
            Splice(it->Start, it->End, {});
        }
    }
    return 0;
}

} // namespace regfile
