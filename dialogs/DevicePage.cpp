#include "dialogs/DevicePage.h"

#include <cstdio>

#include "dialogs/TemplateDialog.h"
#include "dialogs/TemplateNodes.h"
#include "dialogs/resource.h"
#include "templates/TemplateRules.h"

namespace dialogs {
namespace {

constexpr char kModelName[] = "PCI-3916";
constexpr char kDescription[] =
    "\n*64 Isolated Digital Input channel\n*Interrupt handling capability\n";

} // namespace

DevicePage::DevicePage(TemplateDialog* owner) : ui::Dialog(IDD_DEVICE_PAGE, owner), Owner(owner) {}

DevicePage::~DevicePage() = default;

bool DevicePage::ProcessMessage(const ui::Event& event) {
    return ui::RouteMessage(*this, DevicePageRoutes, event) || Dialog::ProcessMessage(event);
}

void DevicePage::BindControls() {
    BindControl(IDC_MODEL_TEXT, ModelText);
    BindControl(IDC_DESCRIPTION, Description);
    BindControl(IDC_BOARD_PICTURE, Picture);
    BindControl(IDC_BOARD_ID, BoardId);
}

int DevicePage::OnInitDialog() {
    Dialog::OnInitDialog();
    for (int id = 0; id < 16; ++id) {
        char text[12];
        std::snprintf(text, sizeof text, "%d", id);
        BoardId.AddString(text);
    }
    Refresh();
    return 1;
}

void DevicePage::Refresh() {
    BoardId.SetCurSel(Owner->Table.CurrentRecord->SwitchId);
    ModelText.SetWindowTextA(kModelName);
    Description.SetWindowTextA(kDescription);
    // The bitmap is loaded once and kept by the picture control for the page's lifetime.
    if (!Picture.GetBitmap())
        Picture.SetBitmap(ui::LoadBitmapA(IDB_BOARD));
}

void DevicePage::OnBoardIdChange(const ui::Event&) {
    templates::TemplateTable& table = Owner->Table;
    templates::TemplateRecord& record = *table.CurrentRecord;
    SelectedSwitchId = BoardId.GetCurSel();
    if (SelectedSwitchId < 0 || SelectedSwitchId >= templates::kTemplateCount)
        return;
    if (templates::IsSwitchIdRefused(table.UsedSwitchIds, record.SwitchId, SelectedSwitchId)) {
        MessageBoxA(templates::kSwitchIdUsedText, nullptr, MB_OK);
        SelectedSwitchId = record.SwitchId;
        BoardId.SetCurSel(SelectedSwitchId);
    }
    Owner->MarkModified();
    if (SelectedSwitchId == record.SwitchId) {
        // The template keeps its switch ID, which is taken from now on.
        table.UsedSwitchIds =
            static_cast<std::uint16_t>(table.UsedSwitchIds | (1u << SelectedSwitchId));
        return;
    }
    // The old switch ID stays taken while another shown template has it too.
    table.ReleaseSwitchId(ListedTemplates(Owner->TemplateTree), record.SwitchId,
                          table.CurrentIndex);
    table.UsedSwitchIds =
        static_cast<std::uint16_t>(table.UsedSwitchIds | (1u << SelectedSwitchId));
    record.SwitchId = SelectedSwitchId;
}

} // namespace dialogs
