// The in-memory template table of one template window: the 16 records, the switch-ID and
// deletion bookkeeping, and the file tasks that load, write and delete templates. Every
// file task opens its own RegFile on the path, does its work and closes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/File.h"
#include "platform/TreeView.h"
#include "templates/TemplateRecord.h"

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

    // Initialises the records and inserts one node per template section of the file under
    // the model node. False when the file could not be opened (nothing is reported).
    // A failing read raises platform::FileError.
    bool LoadTemplateList(const ui::TreeView& tree);
    // Reads all 16 templates and marks the switch IDs of the templates listed in the tree.
    void LoadAllTemplates(const ui::TreeView& tree);
    // True when the list read succeeded; `switchIdRead` tells whether "SwitchID" was there.
    bool ReadTemplate(const char* modelText, TemplateRecord& record, int index,
                      bool* switchIdRead = nullptr);
    // True when all three values reached the file; otherwise LastError() says why.
    bool WriteTemplate(const char* modelText, const TemplateRecord& record, int index);
    // True when the section is gone from the file (also when it was not there).
    bool DeleteTemplate(int index);

    // Applies the pending deletions (15 down to 0), then writes every template node under
    // the model node, expanded or not, in display order. Stops at the first failure, which
    // LastError() describes; deletions not applied stay pending.
    bool Save(const ui::TreeView& tree);

    // The lowest index of 0 to 15 that no sibling of the template nodes under `selected`'s
    // parent (or under `selected` itself, the model node) has; 16 when all are taken.
    bool LowestFreeTemplateIndex(const ui::TreeView& tree, ui::TreeItem selected,
                                 int& index) const;
    bool AssignFreeSwitchId(int index);
    // Clears the bit of `switchId` unless a template node other than that of template
    // `leavingIndex` still has it.
    void ReleaseSwitchId(const ui::TreeView& tree, std::int32_t switchId, int leavingIndex);
    void BindCurrentRecord() { CurrentRecord = &Records[CurrentIndex]; }

    // The file problem of the last failed write, delete or load.
    const platform::FileErrorInfo& LastError() const { return lastError_; }
    // False when the file could not be opened or read while the window opened: the table
    // then does not know the file's templates, and Save refuses to write over them.
    bool Loaded() const { return loaded_; }
    // Set when reading the file failed while loading (a read error, not a failed open).
    const std::optional<platform::FileErrorInfo>& ReadFailure() const { return readFailure_; }
    // What opening the file for the list had to tell the user (RegFile::Notice), or empty.
    const std::string& Notice() const { return notice_; }

private:
    void Fail(platform::FileErrorInfo info) { lastError_ = std::move(info); }
    void LoadFailed(const platform::FileError& error);

    const char* regFilePath_;
    platform::FileErrorInfo lastError_;
    std::optional<platform::FileErrorInfo> readFailure_;
    std::string notice_;
    bool loaded_ = false;
};

} // namespace templates
