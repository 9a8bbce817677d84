#include "dialogs/TemplateDialog.h"

#include <string>

#include "dialogs/DevicePage.h"
#include "dialogs/DiPage.h"
#include "dialogs/TemplateNodes.h"
#include "dialogs/resource.h"
#include "platform/FileReason.h"
#include "templates/TemplateRules.h"

namespace dialogs {
namespace {

constexpr char kSavePrompt[] = "The configuration of PCI3916 is change, save the change";
constexpr char kSavePromptCaption[] = "Note";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(text[i]) != lower(prefix[i]))
            return false;
    }
    return true;
}

} // namespace

TemplateDialog::TemplateDialog() : ui::Dialog(IDD_TEMPLATE_DIALOG, nullptr) {}

TemplateDialog::~TemplateDialog() = default;

bool TemplateDialog::ProcessMessage(const ui::Event& event) {
    return ui::RouteMessage(*this, TemplateDialogRoutes, event) || Dialog::ProcessMessage(event);
}

void TemplateDialog::BindControls() {
    BindControl(IDC_PAGE_TABS, PageTabs);
    BindControl(IDC_TEMPLATE_TREE, TemplateTree);
    BindControl(IDC_SAVE, SaveButton);
}

int TemplateDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    Table.PendingDeletes = 0;
    Table.UsedSwitchIds = 0;
    Table.CurrentIndex = 0;
    SaveButton.EnableWindow(false);
    DevicePane = std::make_unique<DevicePage>(this);
    DiPane = std::make_unique<DiPage>(this);

    const ui::TreeItem root = TemplateTree.InsertItem(templates::kRootNodeText, nullptr);
    (void)root;
    TemplateTree.InsertItem(templates::kModelNodeText,
                            TemplateTree.GetNextItem(nullptr, TVGN_FIRSTVISIBLE));
    // The file's templates under the model node, which is then scrolled to the top: it is
    // neither selected nor expanded.
    const ui::TreeItem model =
        TemplateTree.GetChildItem(TemplateTree.GetNextItem(nullptr, TVGN_FIRSTVISIBLE));
    if (Table.LoadTemplateList()) {
        for (int i = 0; i < templates::kTemplateCount; ++i) {
            if (Table.FileTemplates().Has(i))
                TemplateTree.InsertItem(TemplateNodeText(i), model);
        }
        TemplateTree.SelectItem(model, TVGN_FIRSTVISIBLE);
    }
    PageTabs.InsertItem(0, "Device");
    PageTabs.InsertItem(1, "DI");
    Table.LoadAllTemplates(ListedTemplates(TemplateTree));

    if (DevicePane->Create())
        PlacePage(*DevicePane);
    if (DiPane->Create())
        PlacePage(*DiPane);
    RefreshCurrentPage();

    // A file that could not be read is told now, whatever the reason: the tree would
    // otherwise look like a file without templates.
    if (const auto& failure = Table.LoadFailure()) {
        const std::string text = "The templates could not be read from " +
                                 platform::QuotedDisplayPath(failure->FileName) + ": " +
                                 platform::FileReasonText(*failure) + ".";
        MessageBoxA(text.c_str(), nullptr, MB_OK | MB_ICONSTOP);
    }
    if (!Table.Notice().empty())
        MessageBoxA(Table.Notice().c_str(), nullptr, MB_OK | MB_ICONINFORMATION);
    // Told before any edit, so that nobody makes changes that a Save then refuses.
    if (Table.Loaded() && !Table.NotSavable().empty()) {
        const std::string text = "The file " + platform::QuotedDisplayPath(RegFilePath) +
                                 " is shown, but " +
                                 "changes cannot be saved: " + Table.NotSavable() + ".";
        MessageBoxA(text.c_str(), nullptr, MB_OK | MB_ICONINFORMATION);
    }
    if (Table.Loaded() && platform::IsReadOnlyFile(RegFilePath)) {
        const std::string text = "The file " + platform::QuotedDisplayPath(RegFilePath) +
                                 " is read-only: its templates are shown, but changes "
                                 "cannot be saved.";
        MessageBoxA(text.c_str(), nullptr, MB_OK | MB_ICONINFORMATION);
    }
    return 1;
}

void TemplateDialog::PlacePage(ui::Dialog& page) const {
    const ui::Rect client = page.GetClientRect();
    ui::Rect frame = GetDlgItem(IDC_PAGE_FRAME).GetWindowRect();
    ScreenToClient(frame);
    page.MoveWindow(frame.Left, frame.Top, client.Width(), client.Height(), true);
    // The pages' final place, fixed in pixels for the dialog font's base units.
    page.MoveWindow(client.Left + 160, client.Top + 30, client.Width(), client.Height(), false);
}

void TemplateDialog::PostNcDestroy() {
    delete this;
}

int TemplateDialog::SelectedTemplateIndex() {
    const ui::TreeItem selected = TemplateTree.GetSelectedItem();
    if (!selected)
        return -1;
    const auto number = TemplateNodeIndex(TemplateTree.GetItemText(selected));
    if (!number || *number < 0 || *number >= templates::kTemplateCount)
        return -1;
    const int index = *number;
    Table.CurrentIndex = index;
    return index;
}

void TemplateDialog::RefreshCurrentPage() {
    switch (PageTabs.GetCurSel()) {
    case 0:
        DevicePane->Refresh();
        break;
    case 1:
        DiPane->Refresh();
        break;
    default:
        break;
    }
}

void TemplateDialog::MarkModified() {
    ModifiedFlag = true;
    SaveButton.EnableWindow(true);
}

void TemplateDialog::ShowPages(bool device, bool di) const {
    DevicePane->ShowWindow(device ? SW_SHOWNORMAL : SW_HIDE);
    DiPane->ShowWindow(di ? SW_SHOWNORMAL : SW_HIDE);
}

void TemplateDialog::OnTreeSelChanged(const ui::Event&) {
    const int index = SelectedTemplateIndex();
    const ui::TreeItem selected = TemplateTree.GetSelectedItem();
    if (index < 0) {
        DevicePane->ShowWindow(SW_HIDE);
        if (selected && IsModelNodeText(TemplateTree.GetItemText(selected)))
            BindCurrentRecord();
        return;
    }
    const ui::TreeItem parent = TemplateTree.GetParentItem(selected);
    if (parent && IsModelNodeText(TemplateTree.GetItemText(parent)))
        BindCurrentRecord();
    switch (PageTabs.GetCurSel()) {
    case 0:
        ShowPages(true, false);
        break;
    case 1:
        ShowPages(false, true);
        break;
    default:
        break;
    }
    RefreshCurrentPage();
    RedrawWindow(RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void TemplateDialog::OnTabSelChange(const ui::Event&) {
    const int tab = PageTabs.GetCurSel();
    const ui::TreeItem selected = TemplateTree.GetSelectedItem();
    if (!selected ||
        !StartsWithNoCase(TemplateTree.GetItemText(selected), templates::kTemplateNodePrefix))
        return;
    RefreshCurrentPage();
    if (tab == 0)
        ShowPages(true, false);
    else if (tab == 1)
        ShowPages(false, true);
}

void TemplateDialog::OnAdd(const ui::Event&) {
    // With no node selected yet, Add works as if the model node were selected.
    ui::TreeItem selected = TemplateTree.GetSelectedItem();
    if (!selected)
        selected = ModelNode(TemplateTree);
    const std::string text = selected ? TemplateTree.GetItemText(selected) : std::string();
    if (selected && text.find(templates::kRootNodeText) == std::string::npos) {
        const ui::TreeItem parent =
            IsTemplateNodeText(text) ? TemplateTree.GetParentItem(selected) : selected;
        int index = 0;
        index = templates::LowestFreeTemplateIndex(SiblingTemplates(TemplateTree, selected).Mask());
        if (index >= templates::kTemplateCount) {
            MessageBoxA(templates::kTooManyTemplatesText, nullptr, MB_OK);
        } else {
            Table.AssignFreeSwitchId(index);
            const ui::TreeItem node = TemplateTree.InsertItem(TemplateNodeText(index), parent);
            MarkModified();
            TemplateTree.SelectItem(node, TVGN_CARET);
        }
    }
    ModifiedFlag = true;
}

void TemplateDialog::OnRemove(const ui::Event&) {
    const ui::TreeItem selected = TemplateTree.GetSelectedItem();
    const ui::TreeItem parent = selected ? TemplateTree.GetParentItem(selected) : nullptr;
    if (!parent || !TemplateTree.GetParentItem(parent))
        return;
    if (SelectedTemplateIndex() < 0)
        return;
    if (IsModelNodeText(TemplateTree.GetItemText(parent)))
        BindCurrentRecord();
    // The switch ID stays taken while another listed template has it too.
    Table.RemoveTemplate(ListedTemplates(TemplateTree), Table.CurrentIndex);
    TemplateTree.DeleteItem(selected);
    MarkModified();
}

bool TemplateDialog::SaveTemplates(ui::WindowHandle messageOwner) {
    if (Table.Save(ListedInOrder(TemplateTree))) {
        ModifiedFlag = false;
        SaveButton.EnableWindow(false);
        // A merge shows the file as another program left it, with this window's changes.
        if (Table.LastSaveMerged()) {
            ShowTemplates(TemplateTree, Table.FileTemplates());
            RefreshCurrentPage();
        }
        return true;
    }
    const platform::FileErrorInfo& error = Table.LastError();
    std::string text =
        "The templates were not saved to " + platform::QuotedDisplayPath(error.FileName) + ": ";
    if (!Table.Refusal().empty())
        text += Table.Refusal();
    else
        text += (Table.Loaded() ? platform::FileReasonText(error)
                                : "it could not be read when this window opened (" +
                                      platform::FileReasonText(error) + ")") +
                ".";
    ui::MessageBoxA(messageOwner, text.c_str(), nullptr, MB_OK | MB_ICONSTOP);
    ModifiedFlag = true;
    SaveButton.EnableWindow(true);
    return false;
}

void TemplateDialog::OnSave(const ui::Event&) {
    SaveTemplates(Handle());
}

void TemplateDialog::OnClose(const ui::Event&) {
    if (ModifiedFlag) {
        if (MessageBoxA(kSavePrompt, kSavePromptCaption, MB_OKCANCEL) == IDOK &&
            !SaveTemplates(Handle()))
            return; // the window stays open so that the changes are not lost
        ModifiedFlag = false;
    }
    EndDialog(IDCANCEL);
    if (const ui::Window owner = GetParent())
        owner.SetFocus();
}

void TemplateDialog::OnDestroy(const ui::Event&) {
    Dialog::OnDestroy();
    if (ModifiedFlag &&
        ui::MessageBoxA(nullptr, kSavePrompt, kSavePromptCaption, MB_OKCANCEL) == IDOK)
        SaveTemplates(nullptr);
    ModifiedFlag = false;
    if (const ui::Window owner = GetParent())
        owner.SetFocus();
    Dialog::OnDestroy();
}

} // namespace dialogs
