// Editor of the driver package's registration text file, one per file task.
//
// Sections and values are found as the importer of the file finds them (KeyLines.h,
// ValueLines.h): where a template's key has several sections, or a value several lines,
// the one the import keeps (the last) is read and replaced.
//
// The whole file is held in one zero-terminated block. Edits are splices of that block;
// Close writes them back as one crash-safe change (see Journal.h), so the file on disk is
// always either as it was before the task or as it is after it.
//
// A task costs about one read of the file: the block is read into an uninitialised
// buffer with a little room to spare, edits splice it in place, and of the bytes as read
// only those the edits replaced are kept (a task without a change compares nothing at
// Close); the scanners stop at the text's zero byte themselves instead of measuring the
// text first, and a located section is kept until the next edit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/File.h"
#include "regfile/FewOrMany.h"
#include "regfile/ImportReading.h"
#include "regfile/KeyLines.h"
#include "regfile/RegValueSpec.h"
#include "regfile/ValueLines.h"

namespace regfile {

class RegFile {
public:
    RegFile();
    // Closes the file without writing the edits not yet written by Close; never raises.
    ~RegFile();
    RegFile(const RegFile&) = delete;
    RegFile& operator=(const RegFile&) = delete;

    // 0, or the operating system's error code of the failed open (FileError() tells more).
    // Also refused, with the platform's codes for them: a model text outside 3 to 12
    // characters (kInvalidArgumentCode), a file longer than kMaxLength (kFileTooLargeCode),
    // a file in UTF-16 text (kFileEncodingCode), which single-byte edits would destroy.
    // A change cut short by a crash is completed or undone first.
    // `known`: what the caller knows of the content it expects (from a task before): when
    // the content read has that length and checksum, its sections are taken from there
    // and its text end instead of being searched for.
    struct KnownContent {
        std::uint64_t Length = 0;
        std::uint64_t Checksum = 0;
        const TextLayout* Layout = nullptr;
    };
    // `access` Read: for a task that only reads, which a read-only file grants too. Close
    // then writes nothing (an edit raises there). A journal beside the file is still
    // applied, which needs the file written: refused with kUnfinishedChangeCode when the
    // file is read-only.
    int Open(std::string_view path, std::string_view modelText, const KnownContent* known = nullptr,
             platform::FileAccess access = platform::FileAccess::ReadWrite);
    // Writes the task's edits back, then closes. Raises platform::FileError when the edits
    // cannot be written; the file then holds its content from before the task.
    int Close();
    // Reads the file again, dropping edits not yet written by Close.
    void Reload();

    int ListTemplates(std::uint16_t& mask) const;
    int SectionExists(int index, std::string_view driverKey) const;
    int LocateSection(std::string_view driverKey, int index, std::uint32_t& start,
                      std::uint32_t& end) const;
    int AppendSection(int index);
    // Removes every section of the template (a key may have several).
    int DeleteSection(int index, std::string_view driverKey);
    // The number of sections of the template, and of the lines of one of its values.
    int SectionCount(int index, std::string_view driverKey) const;
    int ValueOccurrences(std::string_view driverKey, int index, const char* name) const;

    int WriteValue(std::string_view driverKey, int index, const char* name, std::int32_t type,
                   const void* data, std::uint32_t size);
    int ReadValue(std::string_view driverKey, int index, const char* name, std::int32_t* type,
                  void* data, std::uint32_t* size);
    int ApplyValueList(std::string_view driverKey, int index, RegValueSpec* list, int mode);
    // Reads `list` as ApplyValueList (mode 0) does, and in the same walk tells whether the
    // section then holds every value of `written` as WriteValue writes it, so that writing
    // them would change no byte. `written` names the values of `list`, in its order, with
    // the data the read stores.
    int ReadValueList(std::string_view driverKey, int index, RegValueSpec* list,
                      const RegValueSpec* written, bool& asWritten);
    // The two ways ReadValueList answers, with the same results. The first applies only to
    // a template with one section whose lines are blank or the values of `written` in the
    // form WriteValue writes them (dwords and binaries), each once: it parses just that form
    // and false says it did not apply. The second walks the lines as the importer reads them.
    bool ReadWrittenValueList(std::string_view driverKey, int index, RegValueSpec* list,
                              const RegValueSpec* written, int& result, bool& asWritten);
    int ReadValueListByWalk(std::string_view driverKey, int index, RegValueSpec* list,
                            const RegValueSpec* written, bool& asWritten);

    // The held text as the registry import reads it, read when first asked for after each
    // change of the text.
    const ImportReading& Reading() const;
    // Makes the held text `text` (which never lies inside Block), as one splice of the span
    // where the two differ. `reading`, when given, is the text's reading, taken as it is.
    void ReplaceText(std::string_view text, std::optional<ImportReading> reading = std::nullopt);

    const platform::FileErrorInfo& FileError() const { return fileError_; }
    // What the last Open has to tell the user even though it succeeded (a journal that no
    // longer fitted the file and was set aside); empty when there is nothing.
    const std::string& Notice() const { return notice_; }
    // The checksum (regfile/Checksum.h) of the Length() bytes the last Open or Reload read.
    std::uint64_t ReadChecksum() const { return ReadChecksum_; }
    // Whether an edit has changed the held text since it was read.
    bool Edited() const { return Edited_; }
    // The text end and the sections of the driver key's templates in the held text, when
    // known without a search.
    std::optional<TextLayout> KnownLayout() const;
    const char* ModelText() const { return ModelText_; }
    const char* DriverKey() const { return DriverKey_; }
    const char* SectionPrefix() const { return SectionPrefix_; }
    std::uint32_t Length() const { return Length_; }
    // The held text: Length() bytes followed by a zero byte.
    const char* Block() const { return Block_ ? Block_.get() : ""; }
    int LastIndex() const { return LastIndex_; }

    // Largest file accepted by Open.
    static constexpr std::uint32_t kMaxLength = 256u * 1024u * 1024u;

private:
    using Section = TemplateSection;
    // Where the text that the scanners see ends: Block's first zero byte, found when
    // first needed.
    std::size_t TextEnd() const;
    std::string_view Text() const { return {Block(), TextEnd()}; }
    // The template sections of the text, in file order, found once per text.
    const std::vector<Section>& Sections(std::string_view driverKey) const;
    const Section* LastSection(std::string_view driverKey, int index) const;
    struct Occurrence {
        bool Found = false;
        ValueExtent Value;
    };
    // The line of `name` the import keeps (a deletion counts), else the last one it refuses.
    Occurrence FindValue(std::string_view driverKey, int index, std::string_view name) const;
    // The same for `count` names at once, in one walk over the template's lines. Without
    // `withBytes` no hex list's bytes are read (and a "hex(4):" list of another length
    // than four counts as taken).
    void FindValues(std::string_view driverKey, int index, const std::string_view* names,
                    std::size_t count, Occurrence* found, bool withBytes = true) const;
    // What one such walk finds of every name of `list` (ended by a null name), in order.
    FewOrMany<Occurrence> FindListValues(std::string_view driverKey, int index,
                                         const RegValueSpec* list, bool withBytes) const;
    // ReadValue's answer from a found line.
    int ReadOccurrence(const Occurrence& found, std::int32_t* type, void* data,
                       std::uint32_t* size) const;
    // Where a value line that the section lacks is inserted.
    std::size_t EndOfSectionLines(const Section& section) const;
    // Replaces [start, end) of Block by `bytes` (which never lie inside Block), keeping
    // Length, the text end, the kept section and the bytes as read in step. Identical bytes
    // change nothing. Out of memory, it raises std::bad_alloc and changes nothing.
    void Splice(std::size_t start, std::size_t end, std::string_view bytes);
    void TrackTextEnd(std::size_t start, std::size_t end, std::string_view bytes);
    void TrackSection(std::size_t start, std::size_t end, std::string_view bytes);
    // Reads the file's `length` bytes (at most kMaxLength, which the callers check) into a
    // new block, from the file's start (`rewind`: seek there first; otherwise the position
    // is already there).
    // While reading, it takes the checksum and the sections of `driverKey`'s templates,
    // or those of `known` when the content is that one.
    void ReadWholeFile(std::uint64_t length, bool rewind, std::string_view driverKey,
                       const KnownContent* known);
    // Releases the block and the kept bytes as read: an empty, unchanged text.
    void DropText() noexcept;
    void Discard() noexcept;

    char ModelText_[20] = {};
    char DriverKey_[20] = {};
    char SectionPrefix_[256] = {};
    platform::File File_;
    platform::FileAccess Access_ = platform::FileAccess::ReadWrite;
    platform::FileErrorInfo fileError_;
    std::string notice_;
    std::uint32_t Length_ = 0;
    std::uint64_t ReadChecksum_ = 0;
    // Length_ bytes and a zero byte, in Capacity_ bytes (null: the empty text).
    std::unique_ptr<char[]> Block_;
    std::size_t Capacity_ = 0;
    std::int32_t LastIndex_ = -1;
    // Whether a splice has changed Block since it was read. From then on the file's content
    // as read, which Close compares the edited Block with, is Block[0, KeptFrom_), then
    // Kept_, then Block[KeptTo_, Length_): outside the span the splices touched, Block
    // still holds the bytes as read, and Kept_ holds those the span held.
    bool Edited_ = false;
    std::string Kept_;
    std::size_t KeptFrom_ = 0;
    std::size_t KeptTo_ = 0;
    // The text end once known; until then, ZeroFree_ bytes from the start hold no zero.
    mutable std::size_t TextEnd_ = 0;
    mutable bool TextEndKnown_ = false;
    mutable std::size_t ZeroFree_ = 0;
    // The template sections of the text for one driver key, until the next edit that may
    // move a key line.
    mutable std::string SectionsKey_;
    mutable std::vector<Section> Sections_;
    mutable bool SectionsKnown_ = false;
    mutable std::optional<ImportReading> Reading_;
};

} // namespace regfile
