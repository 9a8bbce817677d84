// Editor of the driver package's registration text file, one per file task.
//
// The whole file is held in one zero-terminated block. Edits are splices of that block;
// Close writes them back as one crash-safe change (see Journal.h), so the file on disk is
// always either as it was before the task or as it is after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/File.h"
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
    // Also refused: a model text outside 3 to 12 characters (EINVAL), a file longer than
    // kMaxLength (EFBIG). A change cut short by a crash is completed or undone first.
    int Open(std::string_view path, std::string_view modelText);
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
    int DeleteSection(int index, std::string_view driverKey);

    int WriteValue(std::string_view driverKey, int index, const char* name, std::int32_t type,
                   const void* data, std::uint32_t size);
    int ReadValue(std::string_view driverKey, int index, const char* name, std::int32_t* type,
                  void* data, std::uint32_t* size);
    int ApplyValueList(std::string_view driverKey, int index, RegValueSpec* list, int mode);

    const platform::FileErrorInfo& FileError() const { return fileError_; }
    const char* ModelText() const { return ModelText_; }
    const char* DriverKey() const { return DriverKey_; }
    const char* SectionPrefix() const { return SectionPrefix_; }
    std::uint32_t Length() const { return Length_; }
    // The held text: Length() bytes followed by a zero byte.
    const char* Block() const { return Block_.c_str(); }
    int LastIndex() const { return LastIndex_; }

    // Largest file accepted by Open.
    static constexpr std::uint32_t kMaxLength = 256u * 1024u * 1024u;

private:
    // The text the scanners see: Block up to its first zero byte.
    std::string_view Text() const { return std::string_view(Block_.data(), TextEnd_); }
    struct SectionSpan {
        std::size_t Start = 0;
        std::size_t End = 0;
        std::size_t HeaderEnd = 0; // just after the matched header text
        bool Found = false;
    };
    // The first match of "<driverKey>\Template<index>]" on a line without ";".
    SectionSpan Locate(std::string_view driverKey, int index) const;
    // Where a value line that the section lacks is inserted.
    std::size_t EndOfSectionLines(const SectionSpan& span) const;
    // Replaces [start, end) of Block by `bytes`, keeping Length and the text end in step.
    void Splice(std::size_t start, std::size_t end, std::string_view bytes);
    void ReadWholeFile();
    void Discard() noexcept;

    char ModelText_[20] = {};
    char DriverKey_[20] = {};
    char SectionPrefix_[256] = {};
    platform::File File_;
    platform::FileErrorInfo fileError_;
    std::uint32_t Length_ = 0;
    std::string Block_;
    std::int32_t LastIndex_ = -1;
    std::uint32_t SpanStart_ = 0;
    std::uint32_t SpanEnd_ = 0;
    // The file's content as last read: what Close compares the edited Block with.
    std::string Original_;
    std::size_t TextEnd_ = 0;
};

} // namespace regfile
