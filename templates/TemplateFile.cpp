#include "templates/TemplateFile.h"

#include <new>
#include <string>
#include <thread>

#include "platform/FileReason.h"
#include "regfile/Checksum.h"
#include "regfile/RegFile.h"
#include "regfile/ValueLines.h"

namespace templates {
namespace {

using regfile::RegFile;
using regfile::RegValueSpec;

std::uint16_t Bit(int index) {
    return static_cast<std::uint16_t>(1u << index);
}

// The value list of one template over the record's own fields.
struct ValueList {
    explicit ValueList(TemplateRecord& record)
        : entries{{"SwitchID", regfile::REG_DWORD, 4, &record.SwitchId},
                  {"TriggerMode", regfile::REG_BINARY, 8, record.TriggerMode},
                  {"LatchData", regfile::REG_BINARY, 8, record.LatchData},
                  {nullptr, 0, 0, nullptr}} {}
    RegValueSpec entries[4];
};

// Opens the file, retrying for up to `busyWait` while another opener holds it.
// A task that only reads opens the file for reading, so that a read-only file is read too.
int OpenWaiting(RegFile& file, std::string_view path, std::chrono::milliseconds busyWait,
                const RegFile::KnownContent* known, platform::FileAccess access) {
    const auto deadline = std::chrono::steady_clock::now() + busyWait;
    for (;;) {
        const int code = file.Open(path, kModelText, known, access);
        if (code == 0 || !platform::IsFileInUse(file.FileError()) ||
            std::chrono::steady_clock::now() >= deadline)
            return code;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

platform::FileErrorInfo OutOfMemory(std::string_view cause, std::string_view path) {
    return platform::FileErrorInfo{std::string(cause), 0, std::string(path), "out of memory"};
}

// Writes template `index`: its section appended when missing, then its three values. A
// value whose line cannot be composed is left as it is (`skipped` tells); false when the
// editor ran out of memory, with the held text then unusable for a commit.
bool WriteTemplateValues(RegFile& file, const TemplateRecord& record, int index, bool& skipped) {
    const std::string driverKey = file.DriverKey();
    if (file.SectionExists(index, driverKey) == 0)
        file.AppendSection(index);
    TemplateRecord copy = record;
    ValueList list(copy);
    for (const RegValueSpec* entry = list.entries; entry->Name != nullptr; ++entry) {
        if (!regfile::ComposeValueLine(entry->Name, entry->Type, entry->Data, entry->Size)) {
            skipped = true;
            continue;
        }
        // The line composes, so a refusal here is the editor running out of memory.
        if (file.WriteValue(driverKey, index, entry->Name, entry->Type, entry->Data, entry->Size) !=
            0)
            return false;
    }
    return true;
}

// The identity of the content `file` holds (as read, or as edited), with its layout when
// known.
FileIdentity HeldIdentity(const RegFile& file) {
    const std::uint64_t checksum =
        file.Edited() ? regfile::ChecksumOf(std::string_view(file.Block(), file.Length()))
                      : file.ReadChecksum();
    return FileIdentity{file.Length(), checksum, true, file.KnownLayout()};
}

} // namespace

FileIdentity IdentityOnDisk(std::string_view path) {
    try {
        RegFile file;
        if (file.Open(path, kModelText, nullptr, platform::FileAccess::Read) != 0)
            return {};
        const FileIdentity identity = HeldIdentity(file);
        file.Close();
        return identity;
    } catch (const platform::FileError&) {
        return {};
    } catch (const std::bad_alloc&) {
        return {};
    }
}

FileIdentity IdentityOf(std::string_view bytes) {
    return FileIdentity{bytes.size(), regfile::ChecksumOf(bytes), true, std::nullopt};
}

LoadResult LoadTemplateFile(std::string_view path, std::chrono::milliseconds busyWait) {
    LoadResult result;
    for (int i = 0; i < kTemplateCount; ++i)
        result.Content.Records[i] = TemplateRecord{kRecordTag, i, {}, {}};
    try {
        RegFile file;
        const int opened = OpenWaiting(file, path, busyWait, nullptr, platform::FileAccess::Read);
        result.Notice = file.Notice();
        if (opened != 0) {
            result.Error = file.FileError();
            return result;
        }
        result.Opened = true;
        TemplateFileContent content = result.Content;
        file.ListTemplates(content.Present);
        const std::string driverKey = file.DriverKey();
        for (int i = 0; i < kTemplateCount; ++i) {
            ValueList list(content.Records[i]);
            // A type the reader never reports marks an entry whose value was not found.
            list.entries[0].Type = 0;
            // What a Save writes of the record: the values read, as the Save's list gives them.
            const ValueList written(content.Records[i]);
            bool asWritten = false;
            if (file.ReadValueList(driverKey, i, list.entries, written.entries, asWritten) == 1)
                content.ListRead = static_cast<std::uint16_t>(content.ListRead | Bit(i));
            if (list.entries[0].Type == regfile::REG_DWORD)
                content.SwitchIdRead = static_cast<std::uint16_t>(content.SwitchIdRead | Bit(i));
            if (asWritten)
                content.AsWritten = static_cast<std::uint16_t>(content.AsWritten | Bit(i));
        }
        content.Identity = HeldIdentity(file);
        file.Close();
        result.Content = content;
        result.Ok = true;
    } catch (const platform::FileError& error) {
        result.Error = error.Info();
    } catch (const std::bad_alloc&) {
        result.Error = OutOfMemory("read", path);
    }
    return result;
}

SaveResult SaveTemplateFile(std::string_view path, const TemplateRecord* records,
                            const SavePlan& plan, const FileIdentity& expected,
                            const SavePlan* merge, std::chrono::milliseconds busyWait,
                            SavePreview* preview) {
    SaveResult result;
    try {
        RegFile file;
        // The content the window read, if the file still holds it, needs no new search.
        const RegFile::KnownContent known{expected.Length, expected.Checksum,
                                          expected.Layout ? &*expected.Layout : nullptr};
        const auto access =
            preview != nullptr ? platform::FileAccess::Read : platform::FileAccess::ReadWrite;
        if (OpenWaiting(file, path, busyWait, expected.Known ? &known : nullptr, access) != 0) {
            result.Error = file.FileError();
            return result;
        }
        if (preview != nullptr)
            preview->Before.assign(file.Block(), file.Length());
        const SavePlan* chosen = &plan;
        // The identity compares length and checksum; the layout is not needed for that.
        const FileIdentity read{file.Length(), file.ReadChecksum(), true, std::nullopt};
        if (merge != nullptr && read != expected) {
            chosen = merge;
            result.Merged = true;
        }
        const std::string driverKey = file.DriverKey();
        for (int i = kTemplateCount - 1; i >= 0; --i) {
            if ((chosen->Deletes & Bit(i)) && file.DeleteSection(i, driverKey) != 0) {
                result.Error = OutOfMemory("delete", path);
                return result; // the editor drops its edits: the file stays as it was
            }
        }
        for (const int index : chosen->Writes) {
            if (index < 0 || index >= kTemplateCount)
                continue;
            bool skipped = false;
            if (!WriteTemplateValues(file, records[index], index, skipped)) {
                result.Error = OutOfMemory("write", path);
                return result;
            }
            if (skipped)
                result.SkippedValues =
                    static_cast<std::uint16_t>(result.SkippedValues | Bit(index));
        }
        result.Identity = HeldIdentity(file);
        if (preview != nullptr) {
            preview->After.assign(file.Block(), file.Length());
            result.Ok = true;
            return result; // the editor drops its edits: nothing is written
        }
        try {
            file.Close();
        } catch (const platform::FileError& error) {
            // A call that failed after the change was committed (closing the file, for
            // one) leaves the Save done: what the file now holds decides. Telling a
            // failure then would make the retry delete and append again what it added.
            if (IdentityOnDisk(path) != result.Identity)
                throw;
        }
        result.Ok = true;
    } catch (const platform::FileError& error) {
        result.Error = error.Info();
    } catch (const std::bad_alloc&) {
        result.Error = OutOfMemory("write", path);
    }
    return result;
}

} // namespace templates
