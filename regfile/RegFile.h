// Editor of the driver package's registration text file, one per file task.
//
// Every operation works on the one reading of the held text (ImportReading.h): a template
// is its key as it stands at the end of the import, its section the last key line that
// opened that key, and a value the one the import keeps. Edits are splices of the held
// text, after which it is read again; Close writes them back as one crash-safe change (see
// Journal.h), so the file on disk is always either as it was before the task or as it is
// after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/File.h"
#include "regfile/ImportReading.h"
#include "regfile/RegValueSpec.h"

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
    // `access` Read: for a task that only reads, which a read-only file grants too. Close
    // then writes nothing (an edit raises there). A journal beside the file is still
    // applied, which needs the file written: refused with kUnfinishedChangeCode when the
    // file is read-only.
    int Open(std::string_view path, std::string_view modelText,
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
    // Removes every section of the template's key and of the keys below it.
    int DeleteSection(int index, std::string_view driverKey);
    // The number of key lines that opened the template's key, and of the lines that set
    // one of its values since it was last created or deleted.
    int SectionCount(int index, std::string_view driverKey) const;
    int ValueOccurrences(std::string_view driverKey, int index, const char* name) const;

    int WriteValue(std::string_view driverKey, int index, const char* name, std::int32_t type,
                   const void* data, std::uint32_t size);
    int ReadValue(std::string_view driverKey, int index, const char* name, std::int32_t* type,
                  void* data, std::uint32_t* size);
    int ApplyValueList(std::string_view driverKey, int index, RegValueSpec* list, int mode);

    // The held text as the registry import reads it, read when first asked for after each
    // change of the text.
    const ImportReading& Reading() const;
    // Makes the held text `text`, taken over whole (the commit writes only the span where it
    // differs from the text as read). `reading`, when given, is the text's reading, taken
    // as it is.
    void ReplaceText(std::string text, std::optional<ImportReading> reading = std::nullopt);

    const platform::FileErrorInfo& FileError() const { return fileError_; }
    // What the last Open has to tell the user even though it succeeded (a journal that no
    // longer fitted the file and was set aside); empty when there is nothing.
    const std::string& Notice() const { return notice_; }
    // Whether an edit has changed the held text since it was read.
    bool Edited() const { return edited_; }
    const char* ModelText() const { return modelText_; }
    const char* DriverKey() const { return driverKey_; }
    const char* SectionPrefix() const { return sectionPrefix_; }
    std::uint32_t Length() const { return static_cast<std::uint32_t>(text_.size()); }
    // The held text: Length() bytes followed by a zero byte.
    const char* Block() const { return text_.c_str(); }
    int LastIndex() const { return lastIndex_; }

    // Largest file accepted by Open.
    static constexpr std::uint32_t kMaxLength = 256u * 1024u * 1024u;

private:
    // Where the held text ends for an addition at its end: ahead of its first zero byte,
    // behind which the import reads nothing.
    std::size_t TextEnd() const;
    // The key of template `index` under `driverKey` at the end of the import, or -1.
    int TemplateKeyOf(std::string_view driverKey, int index) const;
    // The section its values go to last, or null.
    const KeySection* LastSectionOf(std::string_view driverKey, int index) const;
    // The value the import keeps under `name` in that key, or null.
    const ImportedValue* FindValue(std::string_view driverKey, int index, const char* name) const;
    // Inserts `bytes` at `at` (a line start or the text's end), first dropping the "\" of a
    // hex list that would carry on into them; behind a header line that ends the text, a
    // CR LF goes ahead of them.
    void InsertLines(std::size_t at, std::string_view bytes);
    // Replaces [start, end) of the held text by `bytes`. Identical bytes change nothing. Out
    // of memory, it raises std::bad_alloc and changes nothing.
    void Splice(std::size_t start, std::size_t end, std::string_view bytes);
    // Reads the file's `length` bytes (at most kMaxLength, which the callers check) from its
    // start (`rewind`: seek there first; otherwise the position is already there).
    void ReadWholeFile(std::uint64_t length, bool rewind);
    // An empty, unchanged text.
    void DropText() noexcept;
    void Discard() noexcept;

    char modelText_[20] = {};
    char driverKey_[20] = {};
    char sectionPrefix_[256] = {};
    platform::File file_;
    platform::FileAccess access_ = platform::FileAccess::ReadWrite;
    platform::FileErrorInfo fileError_;
    std::string notice_;
    std::int32_t lastIndex_ = -1;
    std::string text_;
    // Whether a splice has changed the text since it was read, and then the text as read,
    // which Close compares the edited text with.
    bool edited_ = false;
    std::string asRead_;
    mutable std::optional<ImportReading> reading_;
};

} // namespace regfile
