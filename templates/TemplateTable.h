// The in-memory template table of one template window: the 16 records, the switch-ID and
// deletion bookkeeping, the rules of Add, Remove and Save, and the file tasks that load,
// write and delete templates. Opening the window reads the file in one task, and each Save
// is one task with one commit (see TemplateFile.h). The table knows no tree: the window
// turns its tree into the set of templates it lists (dialogs/TemplateNodes.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/File.h"
#include "templates/TemplateFile.h"
#include "templates/TemplateRecord.h"
#include "templates/TemplateSet.h"

namespace templates {

class TemplateTable {
public:
    // `regFilePath` is the window's path field, read by every file task.
    explicit TemplateTable(const char* regFilePath);

    std::uint16_t UsedSwitchIds = 0;
    TemplateRecord Records[kTemplateCount] = {};
    TemplateRecord* CurrentRecord = &Records[0];
    std::int32_t CurrentIndex = 0;
    std::uint16_t PendingDeletes = 0;
    // How long a file held by another opener is waited for before it counts as in use.
    std::chrono::milliseconds BusyWait = kBusyWait;

    // Initialises the records and reads the whole file in one task (the listing and all 16
    // records); FileTemplates() then holds the templates the window lists. False when the
    // file could not be opened or read: LoadFailure() says why.
    bool LoadTemplateList();
    // Takes the 16 records read by LoadTemplateList; every template of `listed` takes its
    // switch ID, read or defaulted to its index.
    void LoadAllTemplates(TemplateSet listed);
    // Single-template tasks over the file. ReadTemplate: true when the value list read
    // succeeded; `switchIdRead` tells whether "SwitchID" was there.
    bool ReadTemplate(TemplateRecord& record, int index, bool* switchIdRead = nullptr);
    // True when the template reached the file; otherwise LastError() says why.
    bool WriteTemplate(const TemplateRecord& record, int index);
    // True when the section is gone from the file (also when it was not there).
    bool DeleteTemplate(int index);

    // One task, one commit, of only what this window changed since the file was read or
    // saved: the removed templates' keys, the added templates (in display order) and the
    // changed values of the others. The Save is proven before it is written (SaveEdits.h).
    // When the file changed since this window read it, the changes are laid over its new
    // content, and the window then shows the file as it is. All or nothing: on a failure
    // or a refusal, which LastError() (and Refusal()) describe, the file is as it was, the
    // deletions stay pending and the table is unchanged.
    // `listedInOrder`: the templates the window lists, in display order. After a merge,
    // FileTemplates() holds the templates the window must now list.
    bool Save(const std::vector<int>& listedInOrder);

    bool AssignFreeSwitchId(int index);
    // Clears the bit of `switchId` unless a template of `listed` other than template
    // `leavingIndex` still has it.
    void ReleaseSwitchId(TemplateSet listed, std::int32_t switchId, int leavingIndex);
    // Remove of template `index` from `listed`: its deletion is pending until the next
    // Save, and its switch ID is free unless another listed template has it too.
    void RemoveTemplate(TemplateSet listed, int index);
    // The templates of the file as last loaded or saved (after a merge, as the file holds
    // them now).
    TemplateSet FileTemplates() const { return fileTemplates_; }
    void BindCurrentRecord() { CurrentRecord = &Records[CurrentIndex]; }

    // The file problem of the last failed write, delete or load.
    const platform::FileErrorInfo& LastError() const { return lastError_; }
    // False when the file could not be opened or read while the window opened: the table
    // then does not know the file's templates, and Save refuses to write over them.
    bool Loaded() const { return loaded_; }
    // Set when the file could not be opened or read while the window opened.
    const std::optional<platform::FileErrorInfo>& LoadFailure() const { return loadFailure_; }
    // Why the file as loaded can be shown but not saved, or empty.
    const std::string& NotSavable() const { return read_.NotSavable; }
    // Why the last Save, write or delete was refused (nothing written), or empty.
    const std::string& Refusal() const { return refusal_; }
    // The last Save found the file changed by another program and merged.
    bool LastSaveMerged() const { return lastSaveMerged_; }
    // What opening the file for the load had to tell the user (RegFile::Notice), or empty.
    const std::string& Notice() const { return notice_; }

private:
    void Fail(platform::FileErrorInfo info) { lastError_ = std::move(info); }
    // What a Save of the templates listed in `order` changes.
    SaveRequest RequestOf(const std::vector<int>& order) const;
    bool Finish(const SaveResult& result);
    void TakeFileAsItIs(const TemplateFileContent& now);

    const char* regFilePath_;
    platform::FileErrorInfo lastError_;
    std::optional<platform::FileErrorInfo> loadFailure_;
    std::string notice_;
    bool loaded_ = false;
    // The file as read by the load, kept for LoadAllTemplates.
    TemplateFileContent read_;
    // What this window last read from or wrote to the file: its content, the records and
    // the templates listed.
    FileIdentity fileIdentity_;
    TemplateRecord baseline_[kTemplateCount] = {};
    std::uint16_t baselineListed_ = 0;
    TemplateSet fileTemplates_;
    std::string refusal_;
    bool lastSaveMerged_ = false;
};

} // namespace templates
