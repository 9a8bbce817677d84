// The Windows windowing layer over the real controls: run under Wine by .ci/windows.sh.
// Each group states what the dialogs rely on; a failed check prints its line and the run
// exits non-zero.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/MessageBoxAnswers.h"
#include "host/windows/MessageBoxWatcher.h"
#include "platform/Application.h"
#include "platform/Button.h"
#include "platform/ComboBox.h"
#include "platform/Dialog.h"
#include "platform/File.h"
#include "platform/FileReason.h"
#include "platform/FileSeam.h"
#include "platform/Static.h"
#include "platform/TabControl.h"
#include "platform/TreeView.h"
#include "tests/wine/LayerTestResource.h"

namespace {

int checks = 0;
int failures = 0;

void Check(bool condition, const char* what, int line) {
    ++checks;
    if (!condition) {
        ++failures;
        std::printf("FAIL line %d: %s\n", line, what);
    }
}
#define CHECK(condition) Check((condition), #condition, __LINE__)

class TestApp : public ui::Application {};
TestApp theApp;

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

class LayerDialog : public ui::Dialog {
public:
    explicit LayerDialog(const ui::Window* parent) : Dialog(IDD_LAYER_TEST, parent) {}

    ui::TreeView Tree;
    ui::TabControl Tabs;
    ui::ComboBox Combo;
    ui::Static Picture;
    std::vector<ui::Event> Events;
    int RadioAStateAtClick = -1;
    bool BoundBeforeInit = false;
    bool Throw = false;
    int LastCommandId = 0;

protected:
    bool ProcessMessage(const ui::Event& event) override;
    void BindControls() override {
        BindControl(IDC_TREE, Tree);
        BindControl(IDC_TABS, Tabs);
        BindControl(IDC_COMBO, Combo);
        BindControl(IDC_PICTURE, Picture);
    }
    int OnInitDialog() override {
        const int result = Dialog::OnInitDialog();
        BoundBeforeInit = static_cast<bool>(Tree) && static_cast<bool>(Combo);
        return result;
    }

private:
    void Record(const ui::Event& event) {
        Events.push_back(event);
        if (Throw)
            throw std::runtime_error("handler failed");
    }
    void OnRadio(const ui::Event& event) {
        RadioAStateAtClick = IsDlgButtonChecked(IDC_RADIO_A);
        Record(event);
    }
    static const ui::MessageRoute<LayerDialog> kRoutes[];
};

const ui::MessageRoute<LayerDialog> LayerDialog::kRoutes[] = {
    {WM_NOTIFY, TVN_SELCHANGED, IDC_TREE, IDC_TREE, &LayerDialog::Record},
    {WM_NOTIFY, TCN_SELCHANGE, IDC_TABS, IDC_TABS, &LayerDialog::Record},
    {WM_COMMAND, CBN_SELCHANGE, IDC_COMBO, IDC_COMBO, &LayerDialog::Record},
    {WM_COMMAND, BN_CLICKED, IDC_RADIO_A, IDC_RADIO_B, &LayerDialog::OnRadio},
    {WM_COMMAND, BN_CLICKED, IDC_PUSH, IDC_PUSH, &LayerDialog::Record},
    {WM_DESTROY, 0, 0, 0, &LayerDialog::Record},
};

bool LayerDialog::ProcessMessage(const ui::Event& event) {
    if (event.Message == WM_COMMAND)
        LastCommandId = event.ControlId;
    return ui::RouteMessage(*this, kRoutes, event);
}

class LayerPage : public ui::Dialog {
public:
    explicit LayerPage(const ui::Window* parent) : Dialog(IDD_LAYER_PAGE, parent) {}
};

std::size_t CountEvents(const LayerDialog& dialog, unsigned message, unsigned code) {
    std::size_t count = 0;
    for (const auto& event : dialog.Events)
        count += event.Message == message && event.Code == code;
    return count;
}

HWND MakeHostWindow() {
    HWND host = CreateWindowA("Static", "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(host, SW_SHOWNORMAL);
    SetActiveWindow(host);
    return host;
}

// Creation: the resource of the application's module, the active window as owner, the
// controls bound before the initialisation's own steps; a child page inside its parent.
void TestCreate(LayerDialog& dialog, HWND host) {
    CHECK(dialog.Create() != 0);
    CHECK(dialog.BoundBeforeInit);
    CHECK(reinterpret_cast<HWND>(dialog.GetParent().Handle()) == host);
    CHECK(GetWindow(reinterpret_cast<HWND>(dialog.Handle()), GW_OWNER) == host);
    CHECK(!dialog.IsWindowVisible());

    LayerPage page(&dialog);
    CHECK(page.Create() != 0);
    CHECK(page.GetParent().Handle() == dialog.Handle());
    CHECK(!page.IsWindowVisible());
    CHECK(dialog.GetDlgItem(IDC_PAGE_BUTTON).Handle() == nullptr);
    CHECK(page.GetDlgItem(IDC_PAGE_BUTTON).GetDlgCtrlID() == IDC_PAGE_BUTTON);
}

void TestTree(LayerDialog& dialog) {
    const ui::TreeView& tree = dialog.Tree;
    ui::TreeItem root = tree.InsertItem("DeviceTemplate", nullptr);
    ui::TreeItem model = tree.InsertItem("PCI-3916", tree.GetNextItem(nullptr, TVGN_FIRSTVISIBLE));
    ui::TreeItem first = tree.InsertItem("Template0", model);
    ui::TreeItem second = tree.InsertItem("Template3", model);
    CHECK(root && model && first && second);
    CHECK(tree.GetRootItem() == root);
    CHECK(tree.GetChildItem(root) == model);
    CHECK(tree.GetNextSiblingItem(first) == second);
    CHECK(tree.GetParentItem(first) == model);
    CHECK(tree.GetParentItem(root) == nullptr);
    CHECK(tree.GetItemText(second) == "Template3");
    CHECK(tree.GetSelectedItem() == nullptr);
    // Display order runs only through expanded nodes.
    CHECK(tree.GetNextItem(root, TVGN_NEXTVISIBLE) == nullptr);
    CHECK(!tree.IsExpanded(root));

    // Selecting expands the ancestors and notifies before the call returns.
    const std::size_t before = CountEvents(dialog, WM_NOTIFY, TVN_SELCHANGED);
    CHECK(tree.SelectItem(second, TVGN_CARET));
    CHECK(CountEvents(dialog, WM_NOTIFY, TVN_SELCHANGED) == before + 1);
    CHECK(tree.GetSelectedItem() == second);
    CHECK(tree.IsExpanded(root) && tree.IsExpanded(model));
    CHECK(tree.GetNextItem(root, TVGN_NEXTVISIBLE) == model);
    CHECK(tree.GetNextItem(model, TVGN_NEXTVISIBLE) == first);
    CHECK(tree.GetNextItem(second, TVGN_NEXTVISIBLE) == nullptr);
    // Programmatic expanding sends no notification of its own; collapsing the parent of
    // the selected node moves the selection to that parent, silently (the Linux layer
    // does the same).
    const std::size_t selections = CountEvents(dialog, WM_NOTIFY, TVN_SELCHANGED);
    CHECK(tree.Expand(model, TVE_COLLAPSE));
    CHECK(!tree.IsExpanded(model));
    CHECK(tree.GetSelectedItem() == model);
    CHECK(CountEvents(dialog, WM_NOTIFY, TVN_SELCHANGED) == selections);
    CHECK(tree.GetNextItem(model, TVGN_NEXTVISIBLE) == nullptr);
    tree.Expand(model, TVE_EXPAND);

    // Deleting the selected node selects its next sibling, else its parent, and notifies.
    tree.SelectItem(first, TVGN_CARET);
    const std::size_t beforeDelete = CountEvents(dialog, WM_NOTIFY, TVN_SELCHANGED);
    ui::TreeItem third = tree.InsertItem("Template5", model);
    CHECK(tree.DeleteItem(first));
    CHECK(tree.GetSelectedItem() == second);
    CHECK(CountEvents(dialog, WM_NOTIFY, TVN_SELCHANGED) == beforeDelete + 1);
    tree.SelectItem(third, TVGN_CARET);
    CHECK(tree.DeleteItem(third));
    CHECK(tree.GetSelectedItem() == model);
    CHECK(CountEvents(dialog, WM_NOTIFY, TVN_SELCHANGED) == beforeDelete + 3);
    // Deleting removes the children too.
    CHECK(tree.DeleteItem(model));
    CHECK(tree.GetChildItem(root) == nullptr);
    CHECK(tree.GetNextItem(root, TVGN_NEXTVISIBLE) == nullptr);
}

// Focus reaching a tree with nothing selected selects its first visible item, with the
// notification; Right then expands that item and moves on to its first child, the
// keypad's + expands, and Enter is the dialog's (the default button), not the tree's.
void TestTreeFocus(LayerDialog& dialog) {
    const ui::TreeView& tree = dialog.Tree;
    HWND treeHwnd = reinterpret_cast<HWND>(tree.Handle());
    HWND dialogHwnd = reinterpret_cast<HWND>(dialog.Handle());
    while (ui::TreeItem item = tree.GetRootItem())
        tree.DeleteItem(item);
    ui::TreeItem root = tree.InsertItem("DeviceTemplate", nullptr);
    ui::TreeItem model = tree.InsertItem("PCI-3916", root);
    ui::TreeItem first = tree.InsertItem("Template0", model);
    CHECK(root && model && first);
    CHECK(tree.GetSelectedItem() == nullptr);
    dialog.ShowWindow(SW_SHOWNORMAL);
    SetFocus(reinterpret_cast<HWND>(dialog.GetDlgItem(IDC_PUSH).Handle()));
    Pump();

    const std::size_t before = CountEvents(dialog, WM_NOTIFY, TVN_SELCHANGED);
    SetFocus(treeHwnd);
    Pump();
    CHECK(GetFocus() == treeHwnd);
    CHECK(tree.GetSelectedItem() == root);
    CHECK(CountEvents(dialog, WM_NOTIFY, TVN_SELCHANGED) == before + 1);
    CHECK(!tree.IsExpanded(root));

    SendMessageA(treeHwnd, WM_KEYDOWN, VK_RIGHT, 0);
    CHECK(tree.IsExpanded(root));
    CHECK(tree.GetSelectedItem() == root);
    SendMessageA(treeHwnd, WM_KEYDOWN, VK_RIGHT, 0);
    CHECK(tree.GetSelectedItem() == model);
    CHECK(CountEvents(dialog, WM_NOTIFY, TVN_SELCHANGED) == before + 2);
    CHECK(!tree.IsExpanded(model));
    SendMessageA(treeHwnd, WM_KEYDOWN, VK_ADD, 0);
    CHECK(tree.IsExpanded(model));
    CHECK(tree.GetSelectedItem() == model);

    // Enter, as the dialog manager routes it: the command of the default button (IDOK
    // when the dialog names none), the tree's selection unchanged.
    const std::size_t commands = dialog.Events.size();
    MSG enter{treeHwnd, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    CHECK(IsDialogMessageA(dialogHwnd, &enter));
    Pump();
    CHECK(tree.GetSelectedItem() == model);
    CHECK(CountEvents(dialog, WM_NOTIFY, TVN_SELCHANGED) == before + 2);
    CHECK(dialog.Events.size() == commands);
    CHECK(dialog.LastCommandId == IDOK);
}

// What the tree control sends its parent: every notification code, and the action and
// items of each selection change, recorded by a subclass of the dialog's procedure.
struct SelectionChange {
    UINT Action = 0;
    HTREEITEM OldItem = nullptr;
    HTREEITEM NewItem = nullptr;
};
std::vector<SelectionChange> selectionChanges;
std::vector<UINT> treeNotifications;
WNDPROC dialogProcedure = nullptr;

LRESULT CALLBACK RecordTreeNotifications(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        treeNotifications.push_back(header->code);
        if (header->code == TVN_SELCHANGEDA || header->code == TVN_SELCHANGEDW) {
            const auto* change = reinterpret_cast<const NMTREEVIEWA*>(lParam);
            selectionChanges.push_back(
                {change->action, change->itemOld.hItem, change->itemNew.hItem});
        }
    }
    return CallWindowProcA(dialogProcedure, window, message, wParam, lParam);
}

std::size_t CountNotifications(UINT code) {
    std::size_t count = 0;
    for (const UINT notification : treeNotifications)
        count += notification == code;
    return count;
}

void ClearTreeRecords() {
    selectionChanges.clear();
    treeNotifications.clear();
}

// A press and release of the left button on the item's expand button, where the tree's
// own hit test finds it.
bool ClickExpandButton(HWND tree, HTREEITEM item) {
    RECT rect{};
    if (!TreeView_GetItemRect(tree, item, &rect, TRUE))
        return false;
    const int y = (rect.top + rect.bottom) / 2;
    for (int x = 0; x < rect.left; ++x) {
        TVHITTESTINFO hit{};
        hit.pt = POINT{x, y};
        if (TreeView_HitTest(tree, &hit) == item && (hit.flags & TVHT_ONITEMBUTTON)) {
            SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
            SendMessageA(tree, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
            Pump();
            return true;
        }
    }
    return false;
}

// The user collapses the node that holds the selection. A click on the expand button of
// the selected node's parent collapses it (TVN_ITEMEXPANDING, TVN_ITEMEXPANDED) and moves
// the selection to it without TVN_SELCHANGING or TVN_SELCHANGED. From the keyboard the
// first Left selects the parent, with TVN_SELCHANGED (TVC_BYKEYBOARD), and the second
// collapses it, the selection staying.
void TestUserCollapse(LayerDialog& dialog) {
    const ui::TreeView& tree = dialog.Tree;
    HWND treeHwnd = reinterpret_cast<HWND>(tree.Handle());
    HWND dialogHwnd = reinterpret_cast<HWND>(dialog.Handle());
    while (ui::TreeItem item = tree.GetRootItem())
        tree.DeleteItem(item);
    ui::TreeItem model = tree.InsertItem("PCI-3916", tree.InsertItem("DeviceTemplate", nullptr));
    ui::TreeItem first = tree.InsertItem("Template0", model);
    tree.InsertItem("Template3", model);
    const auto modelItem = reinterpret_cast<HTREEITEM>(model);
    const auto firstItem = reinterpret_cast<HTREEITEM>(first);
    dialog.ShowWindow(SW_SHOWNORMAL);
    tree.SelectItem(first, TVGN_CARET);
    Pump();
    dialogProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        dialogHwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordTreeNotifications)));

    ClearTreeRecords();
    CHECK(ClickExpandButton(treeHwnd, modelItem));
    CHECK(!tree.IsExpanded(model));
    CHECK(tree.GetSelectedItem() == model);
    CHECK(selectionChanges.empty());
    CHECK(CountNotifications(TVN_SELCHANGINGA) + CountNotifications(TVN_SELCHANGINGW) == 0);
    CHECK(CountNotifications(TVN_ITEMEXPANDINGA) == 1);
    CHECK(CountNotifications(TVN_ITEMEXPANDEDA) == 1);

    tree.Expand(model, TVE_EXPAND);
    tree.SelectItem(first, TVGN_CARET);
    SetFocus(treeHwnd);
    Pump();
    ClearTreeRecords();
    SendMessageA(treeHwnd, WM_KEYDOWN, VK_LEFT, 0);
    Pump();
    CHECK(tree.GetSelectedItem() == model);
    CHECK(tree.IsExpanded(model));
    CHECK(selectionChanges.size() == 1);
    CHECK(!selectionChanges.empty() && selectionChanges[0].Action == TVC_BYKEYBOARD &&
          selectionChanges[0].OldItem == firstItem && selectionChanges[0].NewItem == modelItem);
    ClearTreeRecords();
    SendMessageA(treeHwnd, WM_KEYDOWN, VK_LEFT, 0);
    Pump();
    CHECK(!tree.IsExpanded(model));
    CHECK(tree.GetSelectedItem() == model);
    CHECK(selectionChanges.empty());
    CHECK(CountNotifications(TVN_ITEMEXPANDEDA) == 1);

    SetWindowLongPtrA(dialogHwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(dialogProcedure));
    tree.Expand(model, TVE_EXPAND);
}

void TestTabsAndCombo(LayerDialog& dialog) {
    CHECK(dialog.Tabs.InsertItem(0, "Device") == 0);
    CHECK(dialog.Tabs.InsertItem(1, "DI") == 1);
    CHECK(dialog.Tabs.GetItemCount() == 2);
    CHECK(dialog.Tabs.GetItemText(1) == "DI");
    CHECK(dialog.Tabs.GetCurSel() == 0);
    CHECK(dialog.Tabs.SetCurSel(1) == 0);
    CHECK(dialog.Tabs.GetCurSel() == 1);
    CHECK(CountEvents(dialog, WM_NOTIFY, TCN_SELCHANGE) == 0);

    // Unsorted: "10" follows "9".
    for (int id = 0; id < 16; ++id)
        CHECK(dialog.Combo.AddString(std::to_string(id)) == id);
    CHECK(dialog.Combo.GetCount() == 16);
    CHECK(dialog.Combo.GetLBText(10) == "10");
    CHECK(dialog.Combo.GetCurSel() == -1);
    CHECK(dialog.Combo.SetCurSel(12) == 12);
    CHECK(dialog.Combo.GetCurSel() == 12);
    CHECK(dialog.Combo.GetWindowTextA() == "12");
    CHECK(dialog.Combo.SetCurSel(-1) == -1);
    CHECK(dialog.Combo.GetCurSel() == -1);
    CHECK(CountEvents(dialog, WM_COMMAND, CBN_SELCHANGE) == 0);
}

// Radio pairs: the program checks without a notification; a click checks first.
void TestRadios(LayerDialog& dialog) {
    CHECK(dialog.CheckRadioButton(IDC_RADIO_A, IDC_RADIO_B, IDC_RADIO_A));
    CHECK(dialog.IsDlgButtonChecked(IDC_RADIO_A) == 1);
    CHECK(CountEvents(dialog, WM_COMMAND, BN_CLICKED) == 0);
    ui::Button radioB(dialog.GetDlgItem(IDC_RADIO_B).Handle());
    CHECK(radioB.GetCheck() == BST_UNCHECKED);
    dialog.ShowWindow(SW_SHOWNORMAL);
    SendMessageA(reinterpret_cast<HWND>(radioB.Handle()), BM_CLICK, 0, 0);
    CHECK(CountEvents(dialog, WM_COMMAND, BN_CLICKED) == 1);
    CHECK(dialog.RadioAStateAtClick == 0);
    CHECK(radioB.GetCheck() == BST_CHECKED);
    radioB.SetCheck(BST_UNCHECKED);
    CHECK(dialog.IsDlgButtonChecked(IDC_RADIO_B) == 0);
}

void TestPicture(LayerDialog& dialog) {
    ui::Bitmap bitmap = ui::LoadBitmapA(IDB_LAYER_PICTURE);
    CHECK(bitmap != nullptr);
    CHECK(ui::LoadBitmapA(999) == nullptr);
    BITMAP info{};
    GetObjectA(reinterpret_cast<HBITMAP>(bitmap), sizeof info, &info);
    CHECK(info.bmWidth == 219 && info.bmHeight == 159);
    CHECK(dialog.Picture.SetBitmap(bitmap) == nullptr);
    CHECK(dialog.Picture.GetBitmap() == bitmap);
}

// Message boxes: for a missing caption the application's title when the box has an owner,
// the system's default caption when it has none; an escaping exception shown with the stop
// icon while the message counts as handled.
void TestMessageBoxes(LayerDialog& dialog) {
    std::ostringstream transcript;
    {
        host::MessageBoxAnswers answers(transcript);
        host::MessageBoxWatcher watcher(answers);
        answers.Queue(false);
        CHECK(dialog.MessageBoxA("Save?", "Note", MB_OKCANCEL) == IDCANCEL);
        CHECK(ui::MessageBoxA(nullptr, "plain", nullptr, MB_OK) == IDOK);
        dialog.Throw = true;
        const bool handled = dialog.Dispatch(ui::Event{WM_COMMAND, BN_CLICKED, IDC_PUSH});
        dialog.Throw = false;
        CHECK(handled);
    }
    const std::string expected =
        "messagebox caption=\"Note\" text=\"Save?\" buttons=OKCANCEL icon=none answer=cancel\n"
        "messagebox caption=\"Error\" text=\"plain\" buttons=OK icon=none answer=ok\n"
        "messagebox caption=\"LayerTest\" text=\"handler failed\" buttons=OK icon=stop "
        "answer=ok\n";
    CHECK(transcript.str() == expected);
    if (transcript.str() != expected)
        std::printf("transcript was:\n%s", transcript.str().c_str());
}

// Cancel ends a modeless dialog by hiding it; destruction reaches the handler table and
// the object lets go of the handle.
void TestEndAndDestroy(LayerDialog& dialog) {
    HWND hwnd = reinterpret_cast<HWND>(dialog.Handle());
    CHECK(dialog.IsWindowVisible());
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    Pump();
    CHECK(IsWindow(hwnd));
    CHECK(!dialog.IsWindowVisible());
    DestroyWindow(hwnd);
    CHECK(CountEvents(dialog, WM_DESTROY, 0) == 1);
    CHECK(!dialog);
}

std::string TempPath(const char* name) {
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    return std::string(directory) + name;
}

class FailWrites : public platform::FaultHook {
public:
    int BeforeCall(platform::FileCall call, std::string_view) override {
        return call == platform::FileCall::Write ? ERROR_ACCESS_DENIED : 0;
    }
};

// Files: never created by Open, held without sharing, errors with the system's code
// and text.
void TestFiles() {
    const std::string path = TempPath("layer-test.reg");
    platform::RemoveFile(path);
    platform::FileErrorInfo error;
    platform::File missing;
    CHECK(missing.Open(path, error) == ERROR_FILE_NOT_FOUND);
    CHECK(error.Code == ERROR_FILE_NOT_FOUND && error.Cause == "open" && !error.Text.empty());
    CHECK(error.FileName == path);
    CHECK(!platform::FileExists(path));

    platform::File file;
    CHECK(file.Create(path, error) == 0);
    const std::string content = "0123456789";
    file.Write(content);
    CHECK(file.Length() == 10);

    platform::File second;
    CHECK(second.Open(path, error) == ERROR_SHARING_VIOLATION);

    // Cutting keeps the position; reading from the start sees the cut content.
    file.Seek(8, platform::SeekOrigin::Begin);
    file.SetLength(4);
    CHECK(file.Length() == 4);
    file.Seek(0, platform::SeekOrigin::End);
    file.Write(std::string_view("ab"));
    file.Seek(0, platform::SeekOrigin::Begin);
    char bytes[16] = {};
    CHECK(file.Read(bytes) == 6);
    CHECK(std::string(bytes, 6) == "0123ab");

    FailWrites failWrites;
    platform::SetFaultHook(&failWrites);
    bool raised = false;
    try {
        file.Write(std::string_view("x"));
    } catch (const platform::FileError& fault) {
        raised = fault.Code() == ERROR_ACCESS_DENIED && fault.Info().Cause == "write" &&
                 !fault.Info().Text.empty();
    }
    platform::SetFaultHook(nullptr);
    CHECK(raised);
    file.Close();
    CHECK(!file.IsOpen());
    CHECK(second.Open(path, error) == 0);
    second.Close();

    // A new file only: anything at the name refuses the creation and stays as it was.
    platform::File again;
    CHECK(again.Create(path, error) == platform::kFileExistsCode);
    CHECK(platform::QueryEntry(path) == platform::EntryKind::RegularFile);
    const std::string folder = TempPath("layer-test-folder");
    CreateDirectoryA(folder.c_str(), nullptr);
    CHECK(platform::QueryEntry(folder) == platform::EntryKind::Other);
    CHECK(again.Create(folder, error) != 0);
    CHECK(again.OpenToRead(folder, error) != 0);
    CHECK(again.OpenToRead(path, error) == 0);
    char head[4] = {};
    CHECK(again.Read(head) == 4 && std::string(head, 4) == "0123");
    again.Close();
    const std::string moved = TempPath("layer-test.moved");
    platform::RemoveFile(moved);
    CHECK(platform::RenameNoReplace(path, folder) == platform::kFileExistsCode);
    CHECK(platform::RenameNoReplace(path, moved) == 0);
    CHECK(platform::QueryEntry(path) == platform::EntryKind::None);
    RemoveDirectoryA(folder.c_str());
    platform::RemoveFile(moved);
    CHECK(!platform::FileExists(moved));
}

// A file with the read-only attribute: opened for reading (and held without sharing), it
// refuses writes, and a refused open of it for writing names the cause.
void TestReadOnlyFiles() {
    const std::string path = TempPath("layer-test-read-only.reg");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    platform::RemoveFile(path);
    platform::FileErrorInfo error;
    platform::File file;
    CHECK(file.Create(path, error) == 0);
    file.Write(std::string_view("0123456789"));
    file.Close();
    CHECK(!platform::IsReadOnlyFile(path));
    const auto refusal = platform::MakeFileErrorInfo("open", ERROR_ACCESS_DENIED, path);
    CHECK(platform::FileReasonText(refusal) == "access is denied");

    CHECK(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    CHECK(platform::IsReadOnlyFile(path));
    CHECK(platform::FileReasonText(refusal) == "the file is read-only");
    CHECK(file.Open(path, error, platform::FileAccess::Read) == 0);
    char bytes[16] = {};
    CHECK(file.Read(bytes) == 10 && std::string(bytes, 10) == "0123456789");
    bool refused = false;
    try {
        file.Write(std::string_view("x"));
    } catch (const platform::FileError&) {
        refused = true;
    }
    CHECK(refused);
    platform::File second;
    CHECK(second.Open(path, error, platform::FileAccess::Read) == ERROR_SHARING_VIOLATION);
    file.Close();
    CHECK(!platform::IsReadOnlyFile(TempPath("layer-test-none.reg")));
    CHECK(!platform::IsReadOnlyFile(TempPath("")));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    platform::RemoveFile(path);
}

// Paths longer than the 259 characters of the plain system calls: every call of the file
// layer takes them, in any of the forms a caller may give ("/", "..").
void TestLongPaths() {
    std::string folder = TempPath("layer-test-long");
    std::vector<std::string> folders{folder};
    CreateDirectoryA(folder.c_str(), nullptr);
    while (folder.size() < 300) {
        folder += "\\" + std::string(60, 'f');
        folders.push_back(folder);
        const std::wstring wide(folder.begin(), folder.end());
        CreateDirectoryW((L"\\\\?\\" + wide).c_str(), nullptr);
    }
    const std::string path = folder + "\\PCI3916.reg";
    platform::RemoveFile(path);
    platform::FileErrorInfo error;
    platform::File file;
    CHECK(file.Create(path, error) == 0);
    file.Write(std::string_view("0123456789"));
    file.Sync();
    file.Close();
    CHECK(platform::FileExists(path));
    CHECK(platform::QueryEntry(path) == platform::EntryKind::RegularFile);
    CHECK(platform::QueryEntry(folder) == platform::EntryKind::Other);

    // The same file through "/" separators and a "..".
    std::string other = folder + "\\..\\" + std::string(60, 'f') + "/PCI3916.reg";
    CHECK(file.Open(other, error) == 0);
    CHECK(file.Path() == other);
    CHECK(file.Length() == 10);
    file.Close();
    CHECK(file.OpenToRead(path, error) == 0);
    file.Close();

    const std::string moved = path + ".undo";
    CHECK(platform::RenameNoReplace(path, moved) == 0);
    CHECK(platform::QueryEntry(path) == platform::EntryKind::None);
    platform::RemoveFile(moved);
    CHECK(!platform::FileExists(moved));
    // A missing file in a long path is told as such, with the path as given.
    CHECK(file.Open(path, error) == ERROR_FILE_NOT_FOUND);
    CHECK(error.FileName == path);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        const std::wstring wide(it->begin(), it->end());
        CHECK(RemoveDirectoryW((L"\\\\?\\" + wide).c_str()));
    }
}

} // namespace

int main() {
    HWND host = MakeHostWindow();
    CHECK(theApp.Title() == "LayerTest");
    {
        LayerDialog dialog(nullptr);
        TestCreate(dialog, host);
        TestTree(dialog);
        TestTreeFocus(dialog);
        TestUserCollapse(dialog);
        TestTabsAndCombo(dialog);
        TestRadios(dialog);
        TestPicture(dialog);
        TestMessageBoxes(dialog);
        TestEndAndDestroy(dialog);
    }
    TestFiles();
    TestReadOnlyFiles();
    TestLongPaths();
    DestroyWindow(host);
    std::printf("%d checks, %d failed\n", checks, failures);
    return failures == 0 ? 0 : 1;
}
