#include "templates/TemplateFile.h"

#include <new>
#include <string>
#include <thread>

#include "platform/FileReason.h"
#include "regfile/Checksum.h"
#include "regfile/DriverNames.h"
#include "regfile/ImportReading.h"
#include "regfile/RegFile.h"

namespace templates {
namespace {

using regfile::RegFile;

std::uint16_t Bit(int index) {
    return static_cast<std::uint16_t>(1u << index);
}

// Opens the file, retrying for up to `busyWait` while another opener holds it.
// A task that only reads opens the file for reading, so that a read-only file is read too.
int OpenWaiting(RegFile& file, std::string_view path, std::chrono::milliseconds busyWait,
                platform::FileAccess access) {
    const auto deadline = std::chrono::steady_clock::now() + busyWait;
    for (;;) {
        const int code = file.Open(path, kModelText, access);
        if (code == 0 || !platform::IsFileInUse(file.FileError()) ||
            std::chrono::steady_clock::now() >= deadline)
            return code;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

platform::FileErrorInfo OutOfMemory(std::string_view cause, std::string_view path) {
    return platform::FileErrorInfo{std::string(cause), 0, std::string(path), "out of memory"};
}

std::string_view HeldText(const RegFile& file) {
    return {file.Block(), file.Length()};
}

TemplateFileContent ContentOfReading(const regfile::ImportReading& reading, std::string_view text) {
    TemplateFileContent content;
    content.Present = reading.Templates();
    for (int i = 0; i < kTemplateCount; ++i) {
        const ReadTemplate read = ReadTemplateOf(reading, i);
        content.Records[i] = read.Record;
        if (read.SwitchIdRead)
            content.SwitchIdRead = static_cast<std::uint16_t>(content.SwitchIdRead | Bit(i));
        if (read.LatchDataFound)
            content.ListRead = static_cast<std::uint16_t>(content.ListRead | Bit(i));
    }
    content.NotSavable = NotSavableReason(reading, text);
    content.Identity = IdentityOf(text);
    return content;
}

} // namespace

FileIdentity IdentityOnDisk(std::string_view path) {
    try {
        RegFile file;
        if (file.Open(path, kModelText, platform::FileAccess::Read) != 0)
            return {};
        const FileIdentity identity = IdentityOf(HeldText(file));
        file.Close();
        return identity;
    } catch (const platform::FileError&) {
        return {};
    } catch (const std::bad_alloc&) {
        return {};
    }
}

FileIdentity IdentityOf(std::string_view bytes) {
    return FileIdentity{bytes.size(), regfile::ChecksumOf(bytes), true};
}

TemplateFileContent ContentOf(std::string_view text) {
    return ContentOfReading(regfile::ImportReading::Read(text, regfile::DriverKeyOf(kModelText),
                                                         regfile::Reach::DriverKey),
                            text);
}

LoadResult LoadTemplateFile(std::string_view path, std::chrono::milliseconds busyWait) {
    LoadResult result;
    for (int i = 0; i < kTemplateCount; ++i)
        result.Content.Records[i] = TemplateRecord{kRecordTag, i, {}, {}};
    try {
        RegFile file;
        const int opened = OpenWaiting(file, path, busyWait, platform::FileAccess::Read);
        result.Notice = file.Notice();
        if (opened != 0) {
            result.Error = file.FileError();
            return result;
        }
        result.Opened = true;
        const std::string_view text = HeldText(file);
        result.Content = ContentOfReading(file.Reading(), text);
        file.Close();
        result.Ok = true;
    } catch (const platform::FileError& error) {
        result.Error = error.Info();
    } catch (const std::bad_alloc&) {
        result.Error = OutOfMemory("read", path);
    }
    return result;
}

SaveResult SaveTemplateFile(std::string_view path, const TemplateRecord* records,
                            const SaveRequest& request, const FileIdentity& expected,
                            std::chrono::milliseconds busyWait, SavePreview* preview) {
    SaveResult result;
    auto refuse = [&](std::string why) {
        result.Failure = SaveFailure::Refused;
        result.Refusal = std::move(why);
        return result;
    };
    try {
        RegFile file;
        const auto access =
            preview != nullptr ? platform::FileAccess::Read : platform::FileAccess::ReadWrite;
        if (OpenWaiting(file, path, busyWait, access) != 0) {
            result.Failure = SaveFailure::File;
            result.Error = file.FileError();
            return result;
        }
        const std::string_view before = HeldText(file);
        result.Merged = expected.Known && IdentityOf(before) != expected;
        const regfile::ImportReading& reading = file.Reading();
        ComposedSave composed = ComposeSave(before, reading, records, request, result.Merged);
        if (!composed.Refusal.empty())
            return refuse(std::move(composed.Refusal));
        // The proof: the new text, read as the import reads it, must give the registry as
        // read with exactly the request's changes. It cannot be turned off.
        auto afterReading = regfile::ImportReading::Read(composed.Text, file.DriverKey(),
                                                         regfile::Reach::DriverKey);
        if (std::string why =
                ProveSave(reading, before, composed.Text, afterReading, records, request);
            !why.empty())
            return refuse(std::move(why));
        if (std::string why = SwitchIdClash(afterReading, request, result.Merged); !why.empty())
            return refuse(std::move(why));
        result.Content = ContentOfReading(afterReading, composed.Text);
        result.Written = composed.Text != before;
        if (preview != nullptr) {
            preview->Before = std::string(before);
            preview->After = std::move(composed.Text);
            result.Ok = true;
            return result; // opened to read: nothing is written
        }
        // The proof's reading is the new text's reading.
        file.ReplaceText(std::move(composed.Text), std::move(afterReading));
        try {
            file.Close();
        } catch (const platform::FileError&) {
            // A call that failed after the change was committed (closing the file, for
            // one) leaves the Save done: what the file now holds decides.
            if (IdentityOnDisk(path) != result.Content.Identity)
                throw;
        }
        result.Ok = true;
    } catch (const platform::FileError& error) {
        result.Failure = SaveFailure::File;
        result.Error = error.Info();
    } catch (const std::bad_alloc&) {
        result.Failure = SaveFailure::File;
        result.Error = OutOfMemory("write", path);
    }
    return result;
}

} // namespace templates
