#include "templates/TemplateTable.h"

#include <cstring>
#include <string>
#include <vector>

#include "templates/TemplateNodes.h"
#include "templates/TemplateRules.h"

namespace templates {
namespace {

std::uint16_t Bit(int index) {
    return static_cast<std::uint16_t>(1u << index);
}

bool IsSwitchId(std::int32_t value) {
    return value >= 0 && value < kTemplateCount;
}

// The values a Save writes; the tag is stored nowhere.
bool SameValues(const TemplateRecord& a, const TemplateRecord& b) {
    return a.SwitchId == b.SwitchId &&
           std::memcmp(a.TriggerMode, b.TriggerMode, sizeof a.TriggerMode) == 0 &&
           std::memcmp(a.LatchData, b.LatchData, sizeof a.LatchData) == 0;
}

// The template indices of the model node's children, in display order.
std::vector<int> ListedInOrder(const ui::TreeView& tree) {
    std::vector<int> indices;
    const ui::TreeItem model = ModelNode(tree);
    for (ui::TreeItem node = model ? tree.GetChildItem(model) : nullptr; node;
         node = tree.GetNextSiblingItem(node)) {
        const auto index = TemplateNodeIndex(tree.GetItemText(node));
        if (index && *index >= 0 && *index < kTemplateCount)
            indices.push_back(*index);
    }
    return indices;
}

} // namespace

TemplateTable::TemplateTable(const char* regFilePath) : regFilePath_(regFilePath) {}

bool TemplateTable::LoadTemplateList(const ui::TreeView& tree) {
    const ui::TreeItem model = tree.GetChildItem(tree.GetNextItem(nullptr, TVGN_FIRSTVISIBLE));
    for (int i = 0; i < kTemplateCount; ++i)
        Records[i] = TemplateRecord{kRecordTag, i, {}, {}};
    loaded_ = false;
    loadFailure_.reset();

    LoadResult result = LoadTemplateFile(regFilePath_, BusyWait);
    notice_ = result.Notice;
    read_ = result.Content;
    fileIdentity_ = read_.Identity;
    asWritten_ = read_.AsWritten;
    if (!result.Ok) {
        Fail(result.Error);
        loadFailure_ = result.Error;
        return false;
    }
    for (int i = 0; i < kTemplateCount; ++i) {
        if (read_.Present & Bit(i))
            tree.InsertItem(TemplateNodeText(i), model);
    }
    tree.SelectItem(model, TVGN_FIRSTVISIBLE);
    loaded_ = true;
    return true;
}

void TemplateTable::LoadAllTemplates(const ui::TreeView& tree) {
    // Every template shown in the tree takes its switch ID, read or defaulted to its index,
    // whatever values its section has: Add must never hand out a switch ID that a shown
    // template has.
    const std::uint16_t listed = ListedTemplates(tree);
    for (int i = 0; i < kTemplateCount; ++i) {
        Records[i] = read_.Records[i];
        baseline_[i] = Records[i];
    }
    UsedSwitchIds = static_cast<std::uint16_t>(UsedSwitchIds | UsedSwitchIdsOf(Records, listed));
    baselineListed_ = listed;
    CurrentRecord = &Records[CurrentIndex];
}

bool TemplateTable::ReadTemplate(TemplateRecord& record, int index, bool* switchIdRead) {
    const LoadResult result = LoadTemplateFile(regFilePath_, BusyWait);
    if (!result.Ok)
        Fail(result.Error);
    if (index < 0 || index >= kTemplateCount)
        return false;
    const TemplateRecord& read = result.Content.Records[index];
    record.SwitchId = read.SwitchId;
    std::memcpy(record.TriggerMode, read.TriggerMode, sizeof record.TriggerMode);
    std::memcpy(record.LatchData, read.LatchData, sizeof record.LatchData);
    if (switchIdRead)
        *switchIdRead = (result.Content.SwitchIdRead & Bit(index)) != 0;
    return (result.Content.ListRead & Bit(index)) != 0;
}

bool TemplateTable::WriteTemplate(const TemplateRecord& record, int index) {
    if (index < 0 || index >= kTemplateCount)
        return false;
    TemplateRecord records[kTemplateCount] = {};
    records[index] = record;
    const SaveResult result =
        SaveTemplateFile(regFilePath_, records, SavePlan{0, {index}}, {}, nullptr, BusyWait);
    if (!result.Ok)
        Fail(result.Error);
    return result.Ok;
}

bool TemplateTable::DeleteTemplate(int index) {
    if (index < 0 || index >= kTemplateCount)
        return false;
    const SaveResult result =
        SaveTemplateFile(regFilePath_, Records, SavePlan{Bit(index), {}}, {}, nullptr, BusyWait);
    if (!result.Ok)
        Fail(result.Error);
    return result.Ok;
}

std::uint16_t TemplateTable::ChangedTemplates(std::uint16_t listed) const {
    // Added or removed since the last read or Save, removed and added again, or edited.
    std::uint16_t changed = static_cast<std::uint16_t>((listed ^ baselineListed_) | PendingDeletes);
    for (int i = 0; i < kTemplateCount; ++i) {
        if (!SameValues(Records[i], baseline_[i]))
            changed = static_cast<std::uint16_t>(changed | Bit(i));
    }
    return changed;
}

bool TemplateTable::Save(const ui::TreeView& tree) {
    if (!loaded_) {
        // Writing now could overwrite templates this window never read.
        if (lastError_.FileName.empty())
            Fail(platform::FileErrorInfo{"open", 0, regFilePath_, "the file could not be read"});
        return false;
    }
    SavePlan full{PendingDeletes, ListedInOrder(tree)};
    std::uint16_t listed = 0;
    for (const int index : full.Writes)
        listed = static_cast<std::uint16_t>(listed | Bit(index));
    // When another program changed the file since this window read it, only this window's
    // own changes go in: what the window holds of the other templates is out of date.
    const std::uint16_t changed = ChangedTemplates(listed);
    SavePlan merge{PendingDeletes, {}};
    for (const int index : full.Writes) {
        if (changed & Bit(index))
            merge.Writes.push_back(index);
    }
    // Nothing changed here, and every template shown is in the file as a Save writes it:
    // whether the file is as read (every template written again, no byte changed) or
    // changed since (only this window's changes, none, written), the Save leaves it as it
    // is, so the file is not touched.
    if (changed == 0 && (listed & ~asWritten_) == 0)
        return true;

    const SaveResult result =
        SaveTemplateFile(regFilePath_, Records, full, fileIdentity_, &merge, BusyWait);
    if (!result.Ok) {
        Fail(result.Error);
        return false;
    }
    PendingDeletes = 0;
    skippedValues_ = result.SkippedValues;
    // After a merge the file holds templates this window has not read: every later Save
    // merges too.
    fileIdentity_ = result.Merged ? FileIdentity{} : result.Identity;
    // What the Save wrote is in the written form, unless a value could not be composed; a
    // template left out of a merge is as another program left it.
    std::uint16_t written = 0;
    for (const int index : result.Merged ? merge.Writes : full.Writes)
        written = static_cast<std::uint16_t>(written | Bit(index));
    written = static_cast<std::uint16_t>(written & ~result.SkippedValues);
    asWritten_ = result.Merged ? written : static_cast<std::uint16_t>(written & listed);
    for (int i = 0; i < kTemplateCount; ++i)
        baseline_[i] = Records[i];
    baselineListed_ = listed;
    return true;
}

bool TemplateTable::LowestFreeTemplateIndex(const ui::TreeView& tree, ui::TreeItem selected,
                                            int& index) const {
    const bool onTemplate = selected && IsTemplateNodeText(tree.GetItemText(selected));
    const ui::TreeItem parent = onTemplate ? tree.GetParentItem(selected) : selected;
    std::uint16_t taken = 0;
    for (ui::TreeItem node = parent ? tree.GetChildItem(parent) : nullptr; node;
         node = tree.GetNextSiblingItem(node)) {
        const auto number = TemplateNodeIndex(tree.GetItemText(node));
        if (number && *number >= 0 && *number < kTemplateCount)
            taken = static_cast<std::uint16_t>(taken | Bit(*number));
    }
    index = templates::LowestFreeTemplateIndex(taken);
    return true;
}

bool TemplateTable::AssignFreeSwitchId(int index) {
    const std::optional<int> free = LowestFreeSwitchId(UsedSwitchIds);
    if (!free)
        return false;
    Records[index].SwitchId = *free;
    UsedSwitchIds = static_cast<std::uint16_t>(UsedSwitchIds | Bit(*free));
    return true;
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
