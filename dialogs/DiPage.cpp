#include "dialogs/DiPage.h"

#include <cstdint>

#include "dialogs/TemplateDialog.h"
#include "dialogs/resource.h"

namespace dialogs {
namespace {

// One pair of radio buttons: the first stands for the bit set, the second for it clear.
struct RadioPair {
    int SetId;
    bool Trigger; // TriggerMode (else LatchData)
    int Byte;
    std::uint8_t Mask;
};

constexpr RadioPair kPairs[] = {
    {IDC_TRIGGER_CH0_RISING, true, 0, templates::kTriggerRisingMask},
    {IDC_TRIGGER_CH16_RISING, true, 2, templates::kTriggerRisingMask},
    {IDC_TRIGGER_CH32_RISING, true, 4, templates::kTriggerRisingMask},
    {IDC_TRIGGER_CH48_RISING, true, 6, templates::kTriggerRisingMask},
    {IDC_LATCH_CH0_ENABLE, false, 0, templates::kLatchEnableMask},
    {IDC_LATCH_CH16_ENABLE, false, 2, templates::kLatchEnableMask},
    {IDC_LATCH_CH32_ENABLE, false, 4, templates::kLatchEnableMask},
    {IDC_LATCH_CH48_ENABLE, false, 6, templates::kLatchEnableMask},
};

std::uint8_t& PairByte(templates::TemplateRecord& record, const RadioPair& pair) {
    return pair.Trigger ? record.TriggerMode[pair.Byte] : record.LatchData[pair.Byte];
}

} // namespace

DiPage::DiPage(TemplateDialog* owner) : ui::Dialog(IDD_DI_PAGE, owner), Owner(owner) {}

DiPage::~DiPage() = default;

bool DiPage::ProcessMessage(const ui::Event& event) {
    return ui::RouteMessage(*this, DiPageRoutes, event) || Dialog::ProcessMessage(event);
}

int DiPage::OnInitDialog() {
    Dialog::OnInitDialog();
    Refresh();
    return 1;
}

void DiPage::Refresh() {
    templates::TemplateRecord& record = *Owner->Table.CurrentRecord;
    for (const RadioPair& pair : kPairs) {
        GetDlgItem(pair.SetId).EnableWindow(true);
        GetDlgItem(pair.SetId + 1).EnableWindow(true);
        const bool set = (PairByte(record, pair) & pair.Mask) != 0;
        CheckRadioButton(pair.SetId, pair.SetId + 1, set ? pair.SetId : pair.SetId + 1);
    }
}

void DiPage::OnTriggerClick(const ui::Event& event) {
    ApplyClick(event.ControlId);
}

void DiPage::OnLatchClick(const ui::Event& event) {
    ApplyClick(event.ControlId);
}

void DiPage::ApplyClick(int id) {
    templates::TemplateRecord& record = *Owner->Table.CurrentRecord;
    for (const RadioPair& pair : kPairs) {
        if (id != pair.SetId && id != pair.SetId + 1)
            continue;
        if (IsDlgButtonChecked(id) == BST_CHECKED) {
            std::uint8_t& byte = PairByte(record, pair);
            byte =
                id == pair.SetId ? std::uint8_t(byte | pair.Mask) : std::uint8_t(byte & ~pair.Mask);
        }
        break;
    }
    Owner->MarkModified();
}

} // namespace dialogs
