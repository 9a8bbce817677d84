#include "bench/TableBenchmarks.h"

#include <cstring>
#include <memory>
#include <string>

#include "bench/Measure.h"
#include "bench/TableHost.h"
#include "bench/WorkFiles.h"

namespace bench {
namespace {

enum class TableOperation { Open, SaveUnchanged, SaveSwitchIdSwap, SaveAllValues, RemoveAndSave };

// The templates whose switch IDs are swapped (every switch ID is taken, so none can change
// alone), and the one removed: all in the middle.
constexpr int kChangedTemplate = 8;
constexpr int kSwappedTemplate = 9;
constexpr int kRemovedTemplate = 7;

const char* OperationName(TableOperation operation) {
    switch (operation) {
    case TableOperation::Open:
        return "Open";
    case TableOperation::SaveUnchanged:
        return "Save.Unchanged";
    case TableOperation::SaveSwitchIdSwap:
        return "Save.SwitchIdSwap";
    case TableOperation::SaveAllValues:
        return "Save.AllValues";
    case TableOperation::RemoveAndSave:
        return "RemoveAndSave";
    }
    return "?";
}

TemplateValues SwappedSwitchIds(int index) {
    TemplateValues values = GeneratedTemplateValues(index);
    if (index == kChangedTemplate)
        values.SwitchId = GeneratedTemplateValues(kSwappedTemplate).SwitchId;
    if (index == kSwappedTemplate)
        values.SwitchId = GeneratedTemplateValues(kChangedTemplate).SwitchId;
    return values;
}

// Every value differs: the switch IDs mirrored (still all different), every trigger edge
// and every latch flipped.
TemplateValues ChangedAllValues(int index) {
    TemplateValues values = GeneratedTemplateValues(index);
    values.SwitchId = templates::kTemplateCount - 1 - values.SwitchId;
    for (int g = 0; g < 4; ++g) {
        values.TriggerMode[2 * g] ^= templates::kTriggerRisingMask;
        values.LatchData[2 * g] ^= templates::kLatchEnableMask;
    }
    return values;
}

void ApplyToRecord(const TemplateValues& values, templates::TemplateRecord& record) {
    record.SwitchId = values.SwitchId;
    std::memcpy(record.TriggerMode, values.TriggerMode, sizeof record.TriggerMode);
    std::memcpy(record.LatchData, values.LatchData, sizeof record.LatchData);
}

bool RecordHolds(const templates::TemplateRecord& record, const TemplateValues& values) {
    return record.SwitchId == values.SwitchId &&
           std::memcmp(record.TriggerMode, values.TriggerMode, sizeof values.TriggerMode) == 0 &&
           std::memcmp(record.LatchData, values.LatchData, sizeof values.LatchData) == 0;
}

// The generated file with its template sections holding `valuesOf(i)`.
template <class Values> std::string WithTemplates(const DriverFile& file, Values valuesOf) {
    std::string sections;
    for (int i = 0; i < templates::kTemplateCount; ++i)
        sections += TemplateSectionText(i, valuesOf(i));
    std::string text = file.Text;
    text.replace(file.Layout.TemplatesBegin, file.Layout.TemplatesEnd - file.Layout.TemplatesBegin,
                 sections);
    return text;
}

// The generated file without template `index`: from the "[" of its header up to the "["
// of the next one (each section starts with " \r\n" ahead of its "[").
std::string WithoutTemplate(const DriverFile& file, int index) {
    std::size_t begin = file.Layout.TemplatesBegin;
    for (int i = 0; i < index; ++i)
        begin += TemplateSectionText(i, GeneratedTemplateValues(i)).size();
    const std::size_t length = TemplateSectionText(index, GeneratedTemplateValues(index)).size();
    constexpr std::size_t kLead = 3;
    std::string text = file.Text;
    text.erase(begin + kLead, length);
    return text;
}

std::string ExpectedAfter(TableOperation operation, const DriverFile& file) {
    switch (operation) {
    case TableOperation::Open:
    case TableOperation::SaveUnchanged:
        return file.Text;
    case TableOperation::SaveSwitchIdSwap:
        return WithTemplates(file, SwappedSwitchIds);
    case TableOperation::SaveAllValues:
        return WithTemplates(file, ChangedAllValues);
    case TableOperation::RemoveAndSave:
        return WithoutTemplate(file, kRemovedTemplate);
    }
    return {};
}

// The change the user made before Save.
bool ApplyChange(TableOperation operation, TableHost& host) {
    switch (operation) {
    case TableOperation::Open:
    case TableOperation::SaveUnchanged:
        return true;
    case TableOperation::SaveSwitchIdSwap:
        for (const int index : {kChangedTemplate, kSwappedTemplate})
            ApplyToRecord(SwappedSwitchIds(index), host.Table.Records[index]);
        return true;
    case TableOperation::SaveAllValues:
        for (int i = 0; i < templates::kTemplateCount; ++i)
            ApplyToRecord(ChangedAllValues(i), host.Table.Records[i]);
        return true;
    case TableOperation::RemoveAndSave:
        return host.Remove(kRemovedTemplate);
    }
    return false;
}

std::string CheckLoaded(TableHost& host) {
    if (!host.Table.Loaded())
        return "the table did not load the file: " + host.Table.LastError().Cause + " " +
               std::to_string(host.Table.LastError().Code) + " " + host.Table.LastError().Text;
    if (host.Listed().Mask() != 0xFFFF)
        return "the tree does not show the 16 templates";
    if (host.Table.UsedSwitchIds != 0xFFFF)
        return "not every switch ID was marked as used";
    for (int i = 0; i < templates::kTemplateCount; ++i)
        if (!RecordHolds(host.Table.Records[i], GeneratedTemplateValues(i)))
            return "template " + std::to_string(i) + " was not read as written";
    return {};
}

// The window's state right before the measured operation.
struct Subject {
    std::unique_ptr<TableHost> Host;
    bool Saved = false;
};

void TableBenchmark(benchmark::State& state, TableOperation operation, TemplatePlacement placement,
                    std::size_t size) {
    WorkFiles& files = SharedWorkFiles();
    const std::string path = files.PathOf(size, placement);
    const DriverFile& generated = files.Generated(size, placement);
    const std::string expected = ExpectedAfter(operation, generated);
    files.Restore(size, placement);
    std::string setupError;

    auto prepare = [&] {
        files.RestoreIfChanged(size, placement);
        auto subject = std::make_unique<Subject>();
        subject->Host = std::make_unique<TableHost>(path);
        if (operation != TableOperation::Open) {
            subject->Host->Load();
            setupError = CheckLoaded(*subject->Host);
            if (setupError.empty() && !ApplyChange(operation, *subject->Host))
                setupError = "the template to change is not in the tree";
        }
        return subject;
    };
    auto run = [operation](Subject& subject) {
        if (operation == TableOperation::Open)
            subject.Host->Load();
        else
            subject.Saved = subject.Host->Save();
    };
    auto check = [&](Subject& subject) -> std::string {
        if (!setupError.empty())
            return setupError;
        if (operation == TableOperation::Open)
            return CheckLoaded(*subject.Host);
        if (!subject.Saved)
            return "Save failed: " + subject.Host->Table.LastError().Cause + " " +
                   subject.Host->Table.LastError().Text;
        if (ReadWholeFile(path) != expected)
            return "the saved file does not hold the expected bytes";
        return {};
    };
    Measure(state, size, prepare, run, check, [&] { return ModificationTime(path); });
}

} // namespace

void RegisterTableBenchmarks(std::size_t size) {
    constexpr TableOperation operations[] = {
        TableOperation::Open, TableOperation::SaveUnchanged, TableOperation::SaveSwitchIdSwap,
        TableOperation::SaveAllValues, TableOperation::RemoveAndSave};
    for (TableOperation operation : operations) {
        for (TemplatePlacement placement : {TemplatePlacement::End, TemplatePlacement::Middle}) {
            const std::string name = std::string(OperationName(operation)) + "/" +
                                     std::string(PlacementName(placement)) + "/" + SizeLabel(size);
            auto* benchmark = benchmark::RegisterBenchmark(name.c_str(), TableBenchmark, operation,
                                                           placement, size);
            benchmark->UseManualTime()->Unit(benchmark::kMicrosecond);
            // An unchanged Save takes next to no time, so the time-bound loop would repeat
            // the untimed load behind it without end: a fixed count instead.
            if (operation == TableOperation::SaveUnchanged)
                benchmark->Iterations(size >= (16u << 20) ? 20 : size >= (1u << 20) ? 100 : 1000);
        }
    }
}

} // namespace bench
