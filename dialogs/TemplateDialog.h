// The template window: the tree of templates, the tabbed Device and DI pages, and the
// Add, Remove, Save and Close buttons. Each window has its own table and its own record
// of unsaved changes.
#pragma once

#include <memory>

#include "dialogs/resource.h"
#include "platform/Button.h"
#include "platform/Dialog.h"
#include "platform/TabControl.h"
#include "platform/TreeView.h"
#include "templates/TemplateTable.h"

namespace dialogs {

class DevicePage;
class DiPage;

class TemplateDialog : public ui::Dialog {
public:
    TemplateDialog();
    ~TemplateDialog() override;

    char RootPath[50] = {};
    char ModuleName[20] = {};
    char ExtraText[10] = {};
    char RegFilePath[256] = {};
    std::unique_ptr<DevicePage> DevicePane;
    std::unique_ptr<DiPage> DiPane;
    templates::TemplateTable Table{RegFilePath};
    ui::TabControl PageTabs;
    ui::TreeView TemplateTree;
    ui::Button SaveButton;
    // The configuration changed since the last save.
    bool ModifiedFlag = false;

    // The index of the selected template node (also made CurrentIndex), or -1.
    int SelectedTemplateIndex();
    void RefreshCurrentPage();
    void BindCurrentRecord() { Table.BindCurrentRecord(); }
    // An edit on a page: the configuration changed and can be saved.
    void MarkModified();

    void OnDestroy(const ui::Event& event);
    void OnAdd(const ui::Event& event);
    void OnRemove(const ui::Event& event);
    void OnClose(const ui::Event& event);
    void OnSave(const ui::Event& event);
    void OnTreeSelChanged(const ui::Event& event);
    void OnTabSelChange(const ui::Event& event);

protected:
    bool ProcessMessage(const ui::Event& event) override;
    void BindControls() override;
    int OnInitDialog() override;
    void PostNcDestroy() override;

private:
    void PlacePage(ui::Dialog& page) const;
    // Writes the table to the file; on failure tells the user and keeps the changes.
    bool SaveTemplates(ui::WindowHandle messageOwner);
    void ShowPages(bool device, bool di) const;
};

inline constexpr ui::MessageRoute<TemplateDialog> TemplateDialogRoutes[] = {
    {WM_DESTROY, 0, 0, 0, &TemplateDialog::OnDestroy},
    {WM_COMMAND, BN_CLICKED, IDC_ADD, IDC_ADD, &TemplateDialog::OnAdd},
    {WM_COMMAND, BN_CLICKED, IDC_REMOVE, IDC_REMOVE, &TemplateDialog::OnRemove},
    {WM_COMMAND, BN_CLICKED, IDC_CLOSE, IDC_CLOSE, &TemplateDialog::OnClose},
    {WM_COMMAND, BN_CLICKED, IDC_SAVE, IDC_SAVE, &TemplateDialog::OnSave},
    {WM_NOTIFY, TVN_SELCHANGED, IDC_TEMPLATE_TREE, IDC_TEMPLATE_TREE,
     &TemplateDialog::OnTreeSelChanged},
    {WM_NOTIFY, TCN_SELCHANGE, IDC_PAGE_TABS, IDC_PAGE_TABS, &TemplateDialog::OnTabSelChange},
};

} // namespace dialogs
