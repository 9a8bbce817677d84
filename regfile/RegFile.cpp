// The editor object, opening and closing, and the section operations.
#include "regfile/RegFile.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <span>
#include <string>

#include "regfile/DriverNames.h"
#include "regfile/FixedText.h"
#include "regfile/Journal.h"
#include "regfile/TextEdits.h"

namespace regfile {

namespace {

// The messages name the limit through the file layer's constant.
static_assert(RegFile::kMaxLength == platform::kMaxEditableLength);

constexpr std::size_t kMinModelText = 3;
constexpr std::size_t kMaxModelText = 12;
constexpr int kTemplateCount = 16;

// A driver key given as a fixed-size text ends at its first zero byte.
std::string_view KeyText(std::string_view driverKey) {
    return driverKey.substr(0, driverKey.find('\0'));
}

} // namespace

RegFile::RegFile() = default;

RegFile::~RegFile() {
    Discard();
}

int RegFile::Open(std::string_view path, std::string_view modelText, platform::FileAccess access) {
    Discard();
    notice_.clear();
    if (modelText.size() < kMinModelText || modelText.size() > kMaxModelText) {
        fileError_ = platform::MakeFileErrorInfo(platform::FileCallName(platform::FileCall::Open),
                                                 platform::kInvalidArgumentCode, path);
        return platform::kInvalidArgumentCode;
    }
    access_ = access;
    // A change cut short is completed or undone before the file is read, which writes it.
    const bool journal =
        access == platform::FileAccess::Read &&
        platform::QueryEntry(JournalPath(path)) == platform::EntryKind::RegularFile;
    if (int code =
            file_.Open(path, fileError_, journal ? platform::FileAccess::ReadWrite : access)) {
        if (journal && platform::IsReadOnlyFile(path)) {
            fileError_ =
                platform::MakeFileErrorInfo(platform::FileCallName(platform::FileCall::Open),
                                            platform::kUnfinishedChangeCode, path);
            return platform::kUnfinishedChangeCode;
        }
        return code;
    }
    try {
        if (int code = RecoverFromJournal(file_, fileError_, notice_)) {
            Discard();
            return code;
        }
        const std::uint64_t length = file_.Length();
        if (length > kMaxLength) {
            fileError_ =
                platform::MakeFileErrorInfo(platform::FileCallName(platform::FileCall::Open),
                                            platform::kFileTooLargeCode, path);
            Discard();
            return platform::kFileTooLargeCode;
        }
        // A freshly opened file is read from its start: no seek.
        ReadWholeFile(length, false);
        const std::string_view head(text_.data(), std::min<std::size_t>(text_.size(), 2));
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

    CopyText(modelText_, modelText);
    CopyText(driverKey_, DriverKeyOf(modelText));
    std::string prefix = SectionHeaderLine(driverKey_, 0);
    prefix.resize(prefix.size() - 2);
    CopyText(sectionPrefix_, prefix);
    lastIndex_ = -1;
    return 0;
}

int RegFile::Close() {
    if (file_.IsOpen() && edited_ && access_ == platform::FileAccess::Read) {
        // Opened to read: the edits are dropped, never written.
        const std::string path = file_.Path();
        Discard();
        throw platform::FileError(
            platform::MakeFileErrorInfo(platform::FileCallName(platform::FileCall::Write),
                                        platform::kInvalidArgumentCode, path));
    }
    if (file_.IsOpen() && edited_) {
        try {
            CommitChange(file_, asRead_, text_);
        } catch (...) {
            Discard();
            throw;
        }
    }
    DropText();
    file_.Close();
    return 0;
}

void RegFile::Reload() {
    const std::uint64_t length = file_.Length();
    if (length > kMaxLength) {
        throw platform::FileError(
            platform::MakeFileErrorInfo(platform::FileCallName(platform::FileCall::Read),
                                        platform::kFileTooLargeCode, file_.Path()));
    }
    ReadWholeFile(length, true);
    lastIndex_ = -1;
}

void RegFile::ReadWholeFile(std::uint64_t length, bool rewind) {
    // The edits are dropped first, so that only the one new text is held.
    DropText();
    std::string text(static_cast<std::size_t>(length), '\0');
    if (rewind) {
        file_.Seek(0, platform::SeekOrigin::Begin);
    }
    std::size_t got = 0;
    while (got < text.size()) {
        const std::size_t piece = file_.Read(std::span<char>(text.data() + got, text.size() - got));
        if (piece == 0) {
            break;
        }
        got += piece;
    }
    text.resize(got);
    text_ = std::move(text);
}

void RegFile::DropText() noexcept {
    text_ = std::string();
    asRead_ = std::string();
    edited_ = false;
    reading_.reset();
}

void RegFile::Discard() noexcept {
    try {
        file_.Close();
    } catch (...) {
        // The handle is released all the same; dropping the edits is all that is asked.
    }
    DropText();
}

std::size_t RegFile::TextEnd() const {
    return std::min(text_.find('\0'), text_.size());
}

const ImportReading& RegFile::Reading() const {
    if (!reading_) {
        reading_ = ImportReading::Read(text_, driverKey_, Reach::DriverKey);
    }
    return *reading_;
}

void RegFile::ReplaceText(std::string text, std::optional<ImportReading> reading) {
    if (text == text_)
        return;
    if (!edited_) {
        asRead_ = std::move(text_);
        edited_ = true;
    }
    text_ = std::move(text);
    reading_ = std::move(reading);
}

void RegFile::Splice(std::size_t start, std::size_t end, std::string_view bytes) {
    if (text_.compare(start, end - start, bytes) == 0) {
        return;
    }
    // Memory first, so that running out of it leaves the text as it was.
    std::string edited;
    edited.reserve(text_.size() - (end - start) + bytes.size());
    edited.append(text_, 0, start);
    edited.append(bytes);
    edited.append(text_, end);
    if (!edited_) {
        asRead_ = std::move(text_);
        edited_ = true;
    }
    text_ = std::move(edited);
    reading_.reset();
}

void RegFile::InsertLines(std::size_t at, std::string_view bytes) {
    // A hex list that the text's end cut short would take the lines for its bytes: its
    // "\" goes first, which leaves the list's bytes as the import read them.
    const std::optional<std::size_t> carry = Reading().CarriedPastEnd();
    std::string lines(HeaderLineEndAhead(Reading(), text_, at));
    lines += bytes;
    Splice(at, at, lines);
    if (carry && *carry < at) {
        Splice(*carry, *carry + 1, {});
    }
}

int RegFile::TemplateKeyOf(std::string_view driverKey, int index) const {
    if (index < 0 || index >= kTemplateCount) {
        return -1;
    }
    return Reading().FindKey(ImportReading::TemplateKeyPath(KeyText(driverKey), index));
}

const KeySection* RegFile::LastSectionOf(std::string_view driverKey, int index) const {
    const int key = TemplateKeyOf(driverKey, index);
    if (key < 0) {
        return nullptr;
    }
    const std::vector<KeySection>& sections =
        Reading().Keys()[static_cast<std::size_t>(key)].Sections;
    return sections.empty() ? nullptr : &sections.back();
}

const ImportedValue* RegFile::FindValue(std::string_view driverKey, int index,
                                        const char* name) const {
    if (name == nullptr || *name == '\0') {
        return nullptr; // the default value is no named value
    }
    return Reading().FindValue(TemplateKeyOf(driverKey, index), name);
}

int RegFile::ListTemplates(std::uint16_t& mask) const {
    mask = Reading().Templates();
    return 0;
}

int RegFile::SectionExists(int index, std::string_view driverKey) const {
    return TemplateKeyOf(driverKey, index) >= 0 ? 1 : 0;
}

int RegFile::SectionCount(int index, std::string_view driverKey) const {
    const int key = TemplateKeyOf(driverKey, index);
    return key < 0
               ? 0
               : static_cast<int>(Reading().Keys()[static_cast<std::size_t>(key)].Sections.size());
}

int RegFile::ValueOccurrences(std::string_view driverKey, int index, const char* name) const {
    const ImportedValue* value = FindValue(driverKey, index, name);
    return value != nullptr ? static_cast<int>(value->Sets) : 0;
}

int RegFile::LocateSection(std::string_view driverKey, int index, std::uint32_t& start,
                           std::uint32_t& end) const {
    const KeySection* section = LastSectionOf(driverKey, index);
    start = static_cast<std::uint32_t>(section != nullptr ? section->Bracket : text_.size());
    end = static_cast<std::uint32_t>(section != nullptr ? section->End : text_.size());
    return 0;
}

int RegFile::AppendSection(int index) {
    InsertLines(TextEnd(), AppendedSection(driverKey_, index, {}));
    lastIndex_ = -1;
    return 0;
}

int RegFile::DeleteSection(int index, std::string_view driverKey) {
    if (index < 0 || index >= kTemplateCount) {
        return 0;
    }
    std::vector<TextEdit> edits;
    DeleteKeyEdits(Reading(), ImportReading::TemplateKeyPath(KeyText(driverKey), index), index,
                   edits);
    if (edits.empty()) {
        return 0;
    }
    FindOverlap(edits);
    try {
        ReplaceText(ApplyEdits(text_, edits));
    } catch (const std::bad_alloc&) {
        return 1;
    }
    return 0;
}

} // namespace regfile
