#include "templates/TemplateTable.h"

#include <cstring>
#include <string>

#include "regfile/RegFile.h"
#include "templates/TemplateNodes.h"

namespace templates {
namespace {

using regfile::RegFile;
using regfile::RegValueSpec;

std::uint16_t Bit(int index) {
    return static_cast<std::uint16_t>(1u << index);
}

bool IsSwitchId(std::int32_t value) {
    return value >= 0 && value < kTemplateCount;
}

// "VKR" + the model text from its fourth character on + "S".
std::string DriverKeyOf(const char* modelText) {
    const std::size_t length = std::strlen(modelText);
    return "VKR" + std::string(modelText + (length > 3 ? 3 : length)) + "S";
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

platform::FileErrorInfo ValueWriteFailure(const char* path) {
    return platform::FileErrorInfo{"write", 0, path, "a value line could not be composed"};
}

} // namespace

TemplateTable::TemplateTable(const char* regFilePath) : regFilePath_(regFilePath) {}

void TemplateTable::LoadFailed(const platform::FileError& error) {
    loaded_ = false;
    Fail(error.Info());
    readFailure_ = error.Info();
}

bool TemplateTable::LoadTemplateList(const ui::TreeView& tree) {
    const ui::TreeItem model = tree.GetChildItem(tree.GetNextItem(nullptr, TVGN_FIRSTVISIBLE));
    for (int i = 0; i < kTemplateCount; ++i)
        Records[i] = TemplateRecord{kRecordTag, i, {}, {}};
    loaded_ = false;

    std::uint16_t mask = 0;
    try {
        RegFile file;
        const int opened = file.Open(regFilePath_, kModelText);
        notice_ = file.Notice();
        if (opened != 0) {
            Fail(file.FileError());
            return false;
        }
        file.ListTemplates(mask);
        file.Close();
    } catch (const platform::FileError& error) {
        LoadFailed(error);
        return false;
    }

    for (int i = 0; i < kTemplateCount; ++i) {
        if (mask & Bit(i))
            tree.InsertItem(TemplateNodeText(i), model);
    }
    tree.SelectItem(model, TVGN_FIRSTVISIBLE);
    loaded_ = true;
    return true;
}

void TemplateTable::LoadAllTemplates(const ui::TreeView& tree) {
    // Only the templates shown in the tree take a switch ID, whether or not their section
    // has every value: Add must never hand out a switch ID that a shown template has.
    const std::uint16_t listed = ListedTemplates(tree);
    for (int i = 0; i < kTemplateCount; ++i) {
        bool switchIdRead = false;
        bool read = false;
        try {
            read = ReadTemplate(kModelText, Records[i], i, &switchIdRead);
        } catch (const platform::FileError& error) {
            LoadFailed(error);
        }
        if ((read || switchIdRead) && (listed & Bit(i)) && IsSwitchId(Records[i].SwitchId))
            UsedSwitchIds = static_cast<std::uint16_t>(UsedSwitchIds | Bit(Records[i].SwitchId));
    }
    CurrentRecord = &Records[CurrentIndex];
}

bool TemplateTable::ReadTemplate(const char* modelText, TemplateRecord& record, int index,
                                 bool* switchIdRead) {
    record.SwitchId = index;
    RegFile file;
    if (file.Open(regFilePath_, modelText) != 0) {
        // The file was there a moment ago: without this template's values, a later Save
        // would overwrite them with defaults.
        if (loaded_) {
            loaded_ = false;
            Fail(file.FileError());
        }
        return false;
    }
    ValueList list(record);
    // A type the reader never reports marks an entry whose value was not found.
    list.entries[0].Type = 0;
    const int result = file.ApplyValueList(DriverKeyOf(modelText), index, list.entries, 0);
    file.Close();
    if (switchIdRead)
        *switchIdRead = list.entries[0].Type == regfile::REG_DWORD;
    return result == 1;
}

// One writing file task: open, `work` on the editor, close (which commits the edits).
// A failure anywhere, a file error included, leaves the file as it was and is recorded.
template <class Work>
bool RunWriteTask(const char* path, const char* modelText, platform::FileErrorInfo& failure,
                  Work&& work) {
    try {
        RegFile file;
        if (file.Open(path, modelText) != 0) {
            failure = file.FileError();
            return false;
        }
        if (!work(file)) // the editor drops its edits when it is destroyed
            return false;
        file.Close();
        return true;
    } catch (const platform::FileError& error) {
        failure = error.Info();
        return false;
    }
}

bool TemplateTable::WriteTemplate(const char* modelText, const TemplateRecord& record, int index) {
    return RunWriteTask(regFilePath_, modelText, lastError_, [&](RegFile& file) {
        const std::string driverKey = DriverKeyOf(modelText);
        if (file.SectionExists(index, driverKey) == 0)
            file.AppendSection(index);
        TemplateRecord copy = record;
        ValueList list(copy);
        if (file.ApplyValueList(driverKey, index, list.entries, 1) == 1)
            return true;
        Fail(ValueWriteFailure(regFilePath_));
        return false;
    });
}

bool TemplateTable::DeleteTemplate(int index) {
    return RunWriteTask(regFilePath_, kModelText, lastError_, [&](RegFile& file) {
        if (file.DeleteSection(index, kDriverKey) == 0)
            return true;
        Fail(platform::FileErrorInfo{"delete", 0, regFilePath_, "out of memory"});
        return false;
    });
}

bool TemplateTable::Save(const ui::TreeView& tree) {
    if (!loaded_) {
        // Writing now could overwrite templates this window never read.
        if (lastError_.FileName.empty())
            Fail(platform::FileErrorInfo{"open", 0, regFilePath_, "the file could not be read"});
        return false;
    }
    for (int i = kTemplateCount - 1; i >= 0; --i) {
        if (!(PendingDeletes & Bit(i)))
            continue;
        if (!DeleteTemplate(i))
            return false;
        PendingDeletes = static_cast<std::uint16_t>(PendingDeletes & ~Bit(i));
    }
    const ui::TreeItem model = ModelNode(tree);
    for (ui::TreeItem node = model ? tree.GetChildItem(model) : nullptr; node;
         node = tree.GetNextSiblingItem(node)) {
        const auto index = TemplateNodeIndex(tree.GetItemText(node));
        if (!index || *index < 0 || *index >= kTemplateCount)
            continue;
        if (!WriteTemplate(kModelText, Records[*index], *index))
            return false;
    }
    return true;
}

bool TemplateTable::LowestFreeTemplateIndex(const ui::TreeView& tree, ui::TreeItem selected,
                                            int& index) const {
    const bool onTemplate = selected && IsTemplateNodeText(tree.GetItemText(selected));
    const ui::TreeItem parent = onTemplate ? tree.GetParentItem(selected) : selected;
    std::uint32_t taken = 0;
    for (ui::TreeItem node = parent ? tree.GetChildItem(parent) : nullptr; node;
         node = tree.GetNextSiblingItem(node)) {
        const auto number = TemplateNodeIndex(tree.GetItemText(node));
        if (number && *number >= 0 && *number < kTemplateCount)
            taken |= 1u << *number;
    }
    index = 0;
    while (index < kTemplateCount && (taken & (1u << index)))
        ++index;
    return true;
}

bool TemplateTable::AssignFreeSwitchId(int index) {
    for (int s = 0; s < kTemplateCount; ++s) {
        if (UsedSwitchIds & Bit(s))
            continue;
        Records[index].SwitchId = s;
        UsedSwitchIds = static_cast<std::uint16_t>(UsedSwitchIds | Bit(s));
        return true;
    }
    return false;
}

void TemplateTable::ReleaseSwitchId(const ui::TreeView& tree, std::int32_t switchId,
                                    int leavingIndex) {
    if (!IsSwitchId(switchId))
        return;
    const ui::TreeItem model = ModelNode(tree);
    for (ui::TreeItem node = model ? tree.GetChildItem(model) : nullptr; node;
         node = tree.GetNextSiblingItem(node)) {
        const auto index = TemplateNodeIndex(tree.GetItemText(node));
        if (index && *index != leavingIndex && *index >= 0 && *index < kTemplateCount &&
            Records[*index].SwitchId == switchId)
            return;
    }
    UsedSwitchIds = static_cast<std::uint16_t>(UsedSwitchIds & ~Bit(switchId));
}

} // namespace templates
