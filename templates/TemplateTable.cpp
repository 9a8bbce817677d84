#include "templates/TemplateTable.h"

#include <cstring>
#include <string>
#include <vector>

#include "templates/TemplateRules.h"

namespace templates {
namespace {

std::uint16_t Bit(int index) {
    return static_cast<std::uint16_t>(1u << index);
}

} // namespace

TemplateTable::TemplateTable(const char* regFilePath) : regFilePath_(regFilePath) {}

bool TemplateTable::LoadTemplateList() {
    for (int i = 0; i < kTemplateCount; ++i)
        Records[i] = TemplateRecord{kRecordTag, i, {}, {}};
    loaded_ = false;
    loadFailure_.reset();
    fileTemplates_ = {};

    LoadResult result = LoadTemplateFile(regFilePath_, BusyWait);
    notice_ = result.Notice;
    read_ = result.Content;
    fileIdentity_ = read_.Identity;
    if (!result.Ok) {
        Fail(result.Error);
        loadFailure_ = result.Error;
        return false;
    }
    fileTemplates_ = TemplateSet::Of(read_.Present);
    loaded_ = true;
    return true;
}

void TemplateTable::LoadAllTemplates(TemplateSet listed) {
    // Every template listed takes its switch ID, read or defaulted to its index, whatever
    // values its section has: Add must never hand out a switch ID that a listed template has.
    for (int i = 0; i < kTemplateCount; ++i) {
        Records[i] = read_.Records[i];
        baseline_[i] = Records[i];
    }
    UsedSwitchIds =
        static_cast<std::uint16_t>(UsedSwitchIds | UsedSwitchIdsOf(Records, listed.Mask()));
    baselineListed_ = listed.Mask();
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
    const LoadResult read = LoadTemplateFile(regFilePath_, BusyWait);
    if (!read.Ok) {
        Fail(read.Error);
        return false;
    }
    TemplateRecord records[kTemplateCount] = {};
    records[index] = record;
    SaveRequest request;
    if (read.Content.Present & Bit(index))
        request.Changed[index] = kAllValues;
    else
        request.Adds.push_back(index);
    return Finish(
        SaveTemplateFile(regFilePath_, records, request, read.Content.Identity, BusyWait));
}

bool TemplateTable::DeleteTemplate(int index) {
    if (index < 0 || index >= kTemplateCount)
        return false;
    SaveRequest request;
    request.Deletes = Bit(index);
    return Finish(SaveTemplateFile(regFilePath_, Records, request, {}, BusyWait));
}

bool TemplateTable::Finish(const SaveResult& result) {
    refusal_ = result.Refusal;
    if (result.Failure == SaveFailure::Refused)
        Fail(platform::FileErrorInfo{"save", 0, regFilePath_, result.Refusal});
    else if (!result.Ok)
        Fail(result.Error);
    return result.Ok;
}

SaveRequest TemplateTable::RequestOf(const std::vector<int>& order) const {
    std::uint16_t listed = 0;
    for (const int index : order)
        listed = static_cast<std::uint16_t>(listed | Bit(index));
    SaveRequest request;
    // Only a template that the file held is deleted: one added here and removed again was
    // never written, and another program may have added one of that index meanwhile.
    request.Deletes = static_cast<std::uint16_t>((PendingDeletes | (baselineListed_ & ~listed)) &
                                                 baselineListed_);
    for (const int index : order) {
        if (!(baselineListed_ & Bit(index)) || (request.Deletes & Bit(index)))
            request.Adds.push_back(index);
    }
    for (int i = 0; i < kTemplateCount; ++i) {
        if (!(listed & baselineListed_ & Bit(i)) || (request.Deletes & Bit(i)))
            continue;
        request.Changed[i] = ChangedValues(baseline_[i], Records[i]);
    }
    return request;
}

bool TemplateTable::Save(const std::vector<int>& listedInOrder) {
    refusal_.clear();
    lastSaveMerged_ = false;
    if (!loaded_) {
        // Writing now could overwrite templates this window never read.
        if (lastError_.FileName.empty())
            Fail(platform::FileErrorInfo{"open", 0, regFilePath_, "the file could not be read"});
        return false;
    }
    const SaveRequest request = RequestOf(listedInOrder);
    // Nothing changed here: the file is not touched.
    if (!request.ChangesAnything()) {
        PendingDeletes = 0;
        return true;
    }
    const SaveResult result =
        SaveTemplateFile(regFilePath_, Records, request, fileIdentity_, BusyWait);
    if (!Finish(result))
        return false;
    PendingDeletes = 0;
    lastSaveMerged_ = result.Merged;
    const TemplateFileContent& now = result.Content;
    fileIdentity_ = now.Identity;
    if (result.Merged) {
        TakeFileAsItIs(now);
    } else {
        TemplateSet listed;
        for (const int index : listedInOrder)
            listed = listed.With(index);
        fileTemplates_ = listed;
    }
    for (int i = 0; i < kTemplateCount; ++i)
        baseline_[i] = Records[i];
    baselineListed_ = fileTemplates_.Mask();
    return true;
}

void TemplateTable::TakeFileAsItIs(const TemplateFileContent& now) {
    fileTemplates_ = TemplateSet::Of(now.Present);
    for (int i = 0; i < kTemplateCount; ++i)
        Records[i] = now.Records[i];
    UsedSwitchIds = UsedSwitchIdsOf(Records, now.Present);
}

bool TemplateTable::AssignFreeSwitchId(int index) {
    const std::optional<int> free = LowestFreeSwitchId(UsedSwitchIds);
    if (!free)
        return false;
    Records[index].SwitchId = *free;
    UsedSwitchIds = static_cast<std::uint16_t>(UsedSwitchIds | Bit(*free));
    return true;
}

void TemplateTable::ReleaseSwitchId(TemplateSet listed, std::int32_t switchId, int leavingIndex) {
    if (!IsSwitchId(switchId))
        return;
    for (int i = 0; i < kTemplateCount; ++i) {
        if (i != leavingIndex && listed.Has(i) && Records[i].SwitchId == switchId)
            return;
    }
    UsedSwitchIds = static_cast<std::uint16_t>(UsedSwitchIds & ~Bit(switchId));
}

void TemplateTable::RemoveTemplate(TemplateSet listed, int index) {
    if (index < 0 || index >= kTemplateCount)
        return;
    PendingDeletes = static_cast<std::uint16_t>(PendingDeletes | Bit(index));
    ReleaseSwitchId(listed, Records[index].SwitchId, index);
}

} // namespace templates
