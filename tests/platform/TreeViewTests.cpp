// The tree view: item navigation, the visible walk, selection with its notification and
// re-entrancy, and where the selection goes after a delete or a collapse.
#ifdef _WIN32
#include <windows.h>

#include <commctrl.h>
#endif

#include <algorithm>

#include "LayerFixture.h"
#include "platform/TreeView.h"

namespace uitest {
namespace {

using desktop::TreeRow;

// TVN_SELCHANGING, which the system's tree sends before each change of the selection (the
// dialogs route none; the Linux layer sends none), in its ANSI and Unicode forms.
constexpr unsigned kSelChangingA = 0u - 400u - 1u;
constexpr unsigned kSelChangingW = 0u - 400u - 50u;

class TreeViewTest : public LayerTest {
protected:
    void SetUp() override {
        LayerTest::SetUp();
        dialog_ = Make(IDD_MAIN);
        tree_.Attach(Control(*dialog_, IDC_TREE));
        // root
        //   model
        //     t0, t1 (with child t1a), t2
        //   other
        root_ = tree_.InsertItem("root", nullptr);
        model_ = tree_.InsertItem("model", root_);
        t0_ = tree_.InsertItem("t0", model_);
        t1_ = tree_.InsertItem("t1", model_);
        t1a_ = tree_.InsertItem("t1a", t1_);
        t2_ = tree_.InsertItem("t2", model_);
        other_ = tree_.InsertItem("other", root_);
        // Each item with children expanded once and collapsed again, after which TVM_EXPAND
        // sends nothing: the system's tree notifies the first expansion of an item by
        // TVM_EXPAND too, the Linux layer never (FirstProgrammaticExpansion below).
        for (const ui::TreeItem item : {root_, model_, t1_}) {
            tree_.Expand(item, TVE_EXPAND);
            tree_.Expand(item, TVE_COLLAPSE);
        }
        log_.clear();
        dialog_->Notifications.clear();
    }

    std::size_t SelChangings() const {
        const auto& codes = dialog_->Notifications;
        return static_cast<std::size_t>(std::count(codes.begin(), codes.end(), kSelChangingA) +
                                        std::count(codes.begin(), codes.end(), kSelChangingW));
    }

    std::vector<std::string> VisibleTexts() const {
        std::vector<std::string> texts;
        for (const TreeRow& row : desktop::VisibleTreeRows(tree_.Handle()))
            texts.push_back(row.Text);
        return texts;
    }

    // The walk a dialog does: from the first item, always the next visible one.
    std::vector<std::string> NextVisibleWalk() const {
        std::vector<std::string> texts;
        for (ui::TreeItem item = tree_.GetRootItem(); item;
             item = tree_.GetNextItem(item, TVGN_NEXTVISIBLE))
            texts.push_back(tree_.GetItemText(item));
        return texts;
    }

    std::unique_ptr<LogDialog> dialog_;
    ui::TreeView tree_;
    ui::TreeItem root_ = nullptr, model_ = nullptr, t0_ = nullptr, t1_ = nullptr, t1a_ = nullptr,
                 t2_ = nullptr, other_ = nullptr;
};

using Texts = std::vector<std::string>;

// The notifications of `count` collapsed ancestors that a selection expands. The system's
// tree notifies these expansions (TVN_ITEMEXPANDING, TVN_ITEMEXPANDED for each), as it makes
// the item visible the way a user's expansions would; the Linux layer sends nothing for them.
// The dialogs route neither notification.
Texts AncestorExpansions(int count) {
    Texts texts;
#ifdef _WIN32
    for (int i = 0; i < count; ++i)
        texts.insert(texts.end(), {"notify expanding 102", "notify expanded 102"});
#else
    (void)count;
#endif
    return texts;
}

Texts Concat(Texts first, const Texts& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST_F(TreeViewTest, NavigationCodes) {
    EXPECT_EQ(tree_.GetNextItem(nullptr, TVGN_ROOT), root_);
    EXPECT_EQ(tree_.GetNextItem(root_, TVGN_CHILD), model_);
    EXPECT_EQ(tree_.GetNextItem(model_, TVGN_NEXT), other_);
    EXPECT_EQ(tree_.GetNextItem(other_, TVGN_NEXT), nullptr);
    EXPECT_EQ(tree_.GetNextItem(t1a_, TVGN_PARENT), t1_);
    EXPECT_EQ(tree_.GetNextItem(root_, TVGN_PARENT), nullptr);
    EXPECT_EQ(tree_.GetNextItem(t0_, TVGN_CHILD), nullptr);
    EXPECT_EQ(tree_.GetNextItem(nullptr, TVGN_CARET), nullptr);
    EXPECT_EQ(tree_.GetNextItem(nullptr, TVGN_FIRSTVISIBLE), root_);
    EXPECT_EQ(tree_.GetItemText(t1a_), "t1a");
    EXPECT_EQ(tree_.GetRootItem(), root_);
    EXPECT_EQ(tree_.GetChildItem(model_), t0_);
    EXPECT_EQ(tree_.GetNextSiblingItem(t0_), t1_);
    EXPECT_EQ(tree_.GetParentItem(t2_), model_);
    EXPECT_EQ(tree_.GetParentItem(root_), nullptr);
    EXPECT_EQ(tree_.GetSelectedItem(), nullptr);
    EXPECT_FALSE(tree_.IsExpanded(root_));
}

// The first TVM_EXPAND of an item notifies around the change in the system's tree, as a
// user's expansion does (the item has not the TVIS_EXPANDEDONCE state yet); later ones, and
// every one in the Linux layer, send nothing. The dialogs route neither notification.
TEST_F(TreeViewTest, FirstProgrammaticExpansion) {
    const ui::TreeItem fresh = tree_.InsertItem("fresh", other_);
    tree_.InsertItem("leaf", fresh);
    tree_.Expand(other_, TVE_EXPAND);
    log_.clear();
    EXPECT_TRUE(tree_.Expand(fresh, TVE_EXPAND));
    EXPECT_TRUE(tree_.IsExpanded(fresh));
#ifdef _WIN32
    EXPECT_EQ(log_, (Texts{"notify expanding 102", "notify expanded 102"}));
#else
    EXPECT_TRUE(log_.empty());
#endif
    log_.clear();
    tree_.Expand(fresh, TVE_COLLAPSE);
    tree_.Expand(fresh, TVE_EXPAND);
    EXPECT_TRUE(log_.empty()) << "expanded once before";
}

TEST_F(TreeViewTest, VisibleWalkFollowsExpandAndCollapse) {
    EXPECT_EQ(NextVisibleWalk(), Texts{"root"});
    tree_.Expand(root_, TVE_EXPAND);
    EXPECT_EQ(NextVisibleWalk(), (Texts{"root", "model", "other"}));
    tree_.Expand(model_, TVE_EXPAND);
    tree_.Expand(t1_, TVE_EXPAND);
    EXPECT_EQ(NextVisibleWalk(), (Texts{"root", "model", "t0", "t1", "t1a", "t2", "other"}));
    EXPECT_EQ(VisibleTexts(), NextVisibleWalk());
    // A collapsed item hides its whole subtree, though the items below keep their state.
    tree_.Expand(model_, TVE_COLLAPSE);
    EXPECT_EQ(NextVisibleWalk(), (Texts{"root", "model", "other"}));
#ifndef _WIN32
    // The system's TVGN_NEXTVISIBLE wants a visible item (Wine answers the next visible row
    // for another); the Linux layer answers none.
    EXPECT_EQ(tree_.GetNextItem(t1a_, TVGN_NEXTVISIBLE), nullptr); // not visible itself
#endif
    tree_.Expand(model_, TVE_TOGGLE);
    EXPECT_EQ(NextVisibleWalk().size(), 7u);
    EXPECT_FALSE(tree_.Expand(t0_, TVE_EXPAND)); // no children
    EXPECT_TRUE(log_.empty()) << "programmatic expansion sends nothing";
}

TEST_F(TreeViewTest, SelectExpandsAncestorsAndNotifiesOnlyOnChange) {
    dialog_->Hook = [&](const ui::Event& event) {
        // The selection is already made when the handler runs.
        if (event.Code == TVN_SELCHANGED)
            log_.push_back("selected " + tree_.GetItemText(tree_.GetSelectedItem()));
    };
    ASSERT_TRUE(tree_.SelectItem(t1a_, TVGN_CARET));
    EXPECT_EQ(log_, Concat(AncestorExpansions(3), {"notify selchanged 102", "selected t1a"}));
    EXPECT_TRUE(tree_.IsExpanded(root_));
    EXPECT_TRUE(tree_.IsExpanded(model_));
    EXPECT_TRUE(tree_.IsExpanded(t1_));
    EXPECT_FALSE(tree_.IsExpanded(t1a_));

    log_.clear();
    EXPECT_TRUE(tree_.SelectItem(t1a_, TVGN_CARET));
    EXPECT_TRUE(log_.empty()) << "selecting the selected item again sends nothing";
}

TEST_F(TreeViewTest, HandlerThatSelectsReentersBeforeTheCallReturns) {
    int depth = 0;
    dialog_->Hook = [&](const ui::Event& event) {
        if (event.Code != TVN_SELCHANGED)
            return;
        ++depth;
        const std::string text = tree_.GetItemText(tree_.GetSelectedItem());
        log_.push_back("enter " + text + " depth " + std::to_string(depth));
        if (text == "t0")
            tree_.SelectItem(t2_, TVGN_CARET);
        log_.push_back("leave " + text);
        --depth;
    };
    tree_.SelectItem(t0_, TVGN_CARET);
    log_.push_back("returned");
    EXPECT_EQ(log_, Concat(AncestorExpansions(2),
                           {"notify selchanged 102", "enter t0 depth 1", "notify selchanged 102",
                            "enter t2 depth 2", "leave t2", "leave t0", "returned"}));
    EXPECT_EQ(tree_.GetSelectedItem(), t2_);
}

TEST_F(TreeViewTest, FirstVisibleScrollsWithoutSelectingOrExpanding) {
    ASSERT_TRUE(tree_.SelectItem(t1_, TVGN_FIRSTVISIBLE));
    EXPECT_EQ(log_, AncestorExpansions(2)) << "no selection";
    EXPECT_EQ(tree_.GetSelectedItem(), nullptr);
    EXPECT_TRUE(tree_.IsExpanded(model_));
    EXPECT_FALSE(tree_.IsExpanded(t1_));
    // The view holds more rows than remain below t1, so it shows as many as fit.
    const std::vector<TreeRow> rows = desktop::VisibleTreeRows(tree_.Handle());
    EXPECT_EQ(rows.size(), 6u);
    EXPECT_EQ(desktop::TreeScrollTop(tree_.Handle()), 0);
    EXPECT_EQ(tree_.GetNextItem(nullptr, TVGN_FIRSTVISIBLE), root_);

    // With many rows the item does reach the top.
    for (int i = 0; i < 40; ++i)
        tree_.InsertItem("extra" + std::to_string(i), other_);
    tree_.Expand(other_, TVE_EXPAND);
    tree_.SelectItem(t1_, TVGN_FIRSTVISIBLE);
    EXPECT_EQ(tree_.GetNextItem(nullptr, TVGN_FIRSTVISIBLE), t1_);
}

TEST_F(TreeViewTest, DeletingTheSelectionMovesItToTheNextSiblingParentOrPrevious) {
    dialog_->Hook = [&](const ui::Event&) {
        log_.push_back("now " + tree_.GetItemText(tree_.GetSelectedItem()));
    };
    tree_.SelectItem(t1_, TVGN_CARET);
    log_.clear();
    ASSERT_TRUE(tree_.DeleteItem(t1_)); // takes t1a with it
    EXPECT_EQ(log_, (Texts{"notify selchanged 102", "now t2"}));
    EXPECT_EQ(tree_.GetItemText(t1a_), "") << "children go with their parent";
    EXPECT_EQ(tree_.GetNextItem(t0_, TVGN_NEXT), t2_);

    log_.clear();
    tree_.DeleteItem(t2_); // the last child: no next sibling, so the parent
    EXPECT_EQ(log_, (Texts{"notify selchanged 102", "now model"}));

    tree_.SelectItem(other_, TVGN_CARET);
    tree_.DeleteItem(other_);
    EXPECT_EQ(tree_.GetSelectedItem(), root_) << "parent of a non-top-level item";

    const ui::TreeItem second = tree_.InsertItem("second", nullptr);
    tree_.SelectItem(second, TVGN_CARET);
    log_.clear();
    tree_.DeleteItem(second); // top level, last: the previous sibling
    EXPECT_EQ(log_, (Texts{"notify selchanged 102", "now root"}));
}

TEST_F(TreeViewTest, DeletingAnAncestorOfTheSelectionOrAnotherItem) {
    tree_.SelectItem(t1a_, TVGN_CARET);
    log_.clear();
    tree_.DeleteItem(t0_);
    EXPECT_TRUE(log_.empty()) << "the selection was not among the deleted items";
    EXPECT_EQ(tree_.GetSelectedItem(), t1a_);

    tree_.DeleteItem(model_); // the ancestor: its next sibling takes the selection
    EXPECT_EQ(tree_.GetSelectedItem(), other_);
    EXPECT_EQ(log_, Texts{"notify selchanged 102"});
    EXPECT_FALSE(tree_.DeleteItem(t2_)) << "already deleted with its parent";
    EXPECT_EQ(tree_.InsertItem("x", t2_), nullptr) << "a stale parent is refused";
}

TEST_F(TreeViewTest, CollapsingAnAncestorSelectsItSilently) {
    tree_.SelectItem(t1a_, TVGN_CARET);
    log_.clear();
    EXPECT_TRUE(tree_.Expand(t1_, TVE_COLLAPSE));
    EXPECT_FALSE(tree_.IsExpanded(t1_));
    EXPECT_EQ(tree_.GetSelectedItem(), t1_);
    EXPECT_TRUE(log_.empty());
    tree_.Expand(t1_, TVE_EXPAND);
    tree_.Expand(root_, TVE_COLLAPSE);
    EXPECT_EQ(tree_.GetSelectedItem(), root_);
    EXPECT_EQ(NextVisibleWalk(), Texts{"root"});
}

TEST_F(TreeViewTest, UserExpandAndCollapseNotifyAroundTheChange) {
    dialog_->Hook = [&](const ui::Event& event) {
        if (event.Code == TVN_ITEMEXPANDING || event.Code == TVN_ITEMEXPANDED)
            log_.push_back(tree_.IsExpanded(root_) ? "open" : "closed");
    };
    ASSERT_TRUE(desktop::ClickTreeButton(tree_.Handle(), root_));
#ifdef _WIN32
    // The system's tree takes the focus with the click, which with nothing selected selects
    // the top item (FocusWithNothingSelectedSelectsTheTopItem); the Linux layer's click on a
    // button leaves the focus where it is.
    EXPECT_EQ(log_, (Texts{"notify expanding 102", "closed", "notify expanded 102", "open",
                           "notify selchanged 102"}));
    EXPECT_EQ(desktop::GetFocus(), tree_.Handle());
#else
    EXPECT_EQ(log_, (Texts{"notify expanding 102", "closed", "notify expanded 102", "open"}));
#endif
    EXPECT_FALSE(desktop::ClickTreeButton(tree_.Handle(), t0_)) << "hidden";
    EXPECT_FALSE(desktop::ClickTreeButton(tree_.Handle(), other_)) << "no children";

    log_.clear();
    ASSERT_TRUE(desktop::ClickTreeItem(tree_.Handle(), model_));
    EXPECT_EQ(log_, Texts{"notify selchanged 102"});
    EXPECT_FALSE(desktop::ClickTreeItem(tree_.Handle(), t0_))
        << "a user only clicks shown rows";
    desktop::ClickTreeButton(tree_.Handle(), root_);
    EXPECT_EQ(tree_.GetSelectedItem(), root_);
    const std::vector<TreeRow> rows = desktop::VisibleTreeRows(tree_.Handle());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].Selected);
    EXPECT_TRUE(rows[0].HasChildren);
    EXPECT_FALSE(rows[0].Expanded);
}

// As the system's tree view does (checked under Wine): a click on the expand button of a
// node whose subtree holds the selection collapses it and moves the selection to it
// without a selection notification; only the expand notifications come.
TEST_F(TreeViewTest, UserCollapseOverTheSelectionSelectsTheNodeWithoutNotifying) {
    tree_.SelectItem(t1a_, TVGN_CARET);
    log_.clear();
    dialog_->Notifications.clear();
    ASSERT_TRUE(desktop::ClickTreeButton(tree_.Handle(), model_));
    EXPECT_EQ(tree_.GetSelectedItem(), model_);
    EXPECT_FALSE(tree_.IsExpanded(model_));
    EXPECT_EQ(log_, (Texts{"notify expanding 102", "notify expanded 102"}));
    EXPECT_EQ(SelChangings(), 0u) << "nor the notification ahead of a selection change";
    EXPECT_EQ(NextVisibleWalk(), (Texts{"root", "model", "other"}));

    // Expanding again leaves the selection on the node; the subtree keeps its state.
    log_.clear();
    ASSERT_TRUE(desktop::ClickTreeButton(tree_.Handle(), model_));
    EXPECT_EQ(tree_.GetSelectedItem(), model_);
    EXPECT_TRUE(tree_.IsExpanded(t1_));
    EXPECT_EQ(log_, (Texts{"notify expanding 102", "notify expanded 102"}));

    // A collapse that does not hide the selection leaves it where it is.
    tree_.SelectItem(other_, TVGN_CARET);
    log_.clear();
    ASSERT_TRUE(desktop::ClickTreeButton(tree_.Handle(), model_));
    EXPECT_EQ(tree_.GetSelectedItem(), other_);
    EXPECT_EQ(log_, (Texts{"notify expanding 102", "notify expanded 102"}));
}

// As the system's tree view: the focus arriving with nothing selected selects the item at
// the top of the view, with the notification; with a selection, or when the focus stays,
// nothing happens. A click on an item selects that item alone.
TEST_F(TreeViewTest, FocusWithNothingSelectedSelectsTheTopItem) {
    ui::Window(Control(*dialog_, IDC_ADD)).SetFocus();
    log_.clear();
    tree_.SetFocus();
    EXPECT_EQ(tree_.GetSelectedItem(), root_);
    EXPECT_EQ(log_, Texts{"notify selchanged 102"});
    EXPECT_FALSE(tree_.IsExpanded(root_));

    log_.clear();
    desktop::SetFocus(tree_.Handle());
    EXPECT_TRUE(log_.empty()) << "the focus did not move";
    ui::Window(Control(*dialog_, IDC_ADD)).SetFocus();
    tree_.SetFocus();
    EXPECT_TRUE(log_.empty()) << "an item is selected already";

    tree_.Expand(root_, TVE_EXPAND);
    tree_.SelectItem(nullptr, TVGN_CARET);
    ui::Window(Control(*dialog_, IDC_ADD)).SetFocus();
    log_.clear();
    ASSERT_TRUE(desktop::ClickTreeItem(tree_.Handle(), other_));
    EXPECT_EQ(tree_.GetSelectedItem(), other_);
    EXPECT_EQ(log_, Texts{"notify selchanged 102"});
    EXPECT_EQ(desktop::GetFocus(), tree_.Handle());

    // An empty tree has nothing to select.
    tree_.DeleteItem(root_);
    ui::Window(Control(*dialog_, IDC_ADD)).SetFocus();
    log_.clear();
    tree_.SetFocus();
    EXPECT_EQ(tree_.GetSelectedItem(), nullptr);
    EXPECT_TRUE(log_.empty());
}

// The system's tree takes keys, which the dialog manager hands it as a host's message loop
// does: Right expands the selected item, then moves to its first child; the keypad's +
// expands; Enter is the dialog's, the command of its default button (IDOK when it names
// none), and leaves the tree's selection. The Linux layer takes no keys: the terminal front
// end maps them to the user's actions (host/terminal, tested in tests/terminal).
TEST_F(TreeViewTest, KeysExpandAndMoveAndEnterIsTheDialogs) {
#ifndef _WIN32
    GTEST_SKIP() << "the Linux layer takes no keys; the terminal front end maps them";
#else
    tree_.SetFocus();
    ASSERT_EQ(tree_.GetSelectedItem(), root_) << "the focus selects the top item";
    log_.clear();
    ASSERT_TRUE(desktop::PressKey(VK_RIGHT));
    EXPECT_TRUE(tree_.IsExpanded(root_));
    EXPECT_EQ(tree_.GetSelectedItem(), root_);
    desktop::PressKey(VK_RIGHT);
    EXPECT_EQ(tree_.GetSelectedItem(), model_);
    EXPECT_FALSE(tree_.IsExpanded(model_));
    desktop::PressKey(VK_ADD);
    EXPECT_TRUE(tree_.IsExpanded(model_));
    EXPECT_EQ(tree_.GetSelectedItem(), model_);
    EXPECT_EQ(log_, (Texts{"notify expanding 102", "notify expanded 102", "notify selchanged 102",
                           "notify expanding 102", "notify expanded 102"}));

    log_.clear();
    desktop::PressKey(VK_RETURN);
    EXPECT_EQ(log_, Texts{"ok"});
    EXPECT_EQ(tree_.GetSelectedItem(), model_);
    EXPECT_FALSE(dialog_->IsWindowVisible()) << "IDOK ends the dialog";
#endif
}

#ifdef _WIN32
// What the system's tree tells its parent of each selection change: the cause and the
// items, recorded by a subclass of the dialog's window procedure.
struct SelectionChange {
    UINT action = 0;
    HTREEITEM oldItem = nullptr;
    HTREEITEM newItem = nullptr;
};
std::vector<SelectionChange> selectionChanges;
WNDPROC dialogProcedure = nullptr;

LRESULT CALLBACK RecordSelectionChanges(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == TVN_SELCHANGEDA || header->code == TVN_SELCHANGEDW) {
            const auto* change = reinterpret_cast<const NMTREEVIEWA*>(lParam);
            selectionChanges.push_back(
                {change->action, change->itemOld.hItem, change->itemNew.hItem});
        }
    }
    return CallWindowProcA(dialogProcedure, window, message, wParam, lParam);
}
#endif

// The user collapses from the keyboard the node that holds the selection: the first Left
// selects the parent, by keyboard, the second collapses it and the selection stays. (A
// click on the parent's button collapses it and selects it silently:
// UserCollapseOverTheSelectionSelectsTheNodeWithoutNotifying.)
TEST_F(TreeViewTest, LeftSelectsTheParentThenCollapsesIt) {
#ifndef _WIN32
    GTEST_SKIP() << "the Linux layer takes no keys; the terminal front end maps them";
#else
    tree_.SelectItem(t0_, TVGN_CARET);
    tree_.SetFocus();
    const auto dialog = reinterpret_cast<HWND>(dialog_->Handle());
    selectionChanges.clear();
    dialogProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordSelectionChanges)));
    log_.clear();

    desktop::PressKey(VK_LEFT);
    EXPECT_EQ(tree_.GetSelectedItem(), model_);
    EXPECT_TRUE(tree_.IsExpanded(model_));
    ASSERT_EQ(selectionChanges.size(), 1u);
    EXPECT_EQ(selectionChanges[0].action, static_cast<UINT>(TVC_BYKEYBOARD));
    EXPECT_EQ(selectionChanges[0].oldItem, reinterpret_cast<HTREEITEM>(t0_));
    EXPECT_EQ(selectionChanges[0].newItem, reinterpret_cast<HTREEITEM>(model_));
    EXPECT_EQ(log_, Texts{"notify selchanged 102"});

    selectionChanges.clear();
    log_.clear();
    desktop::PressKey(VK_LEFT);
    EXPECT_FALSE(tree_.IsExpanded(model_));
    EXPECT_EQ(tree_.GetSelectedItem(), model_);
    EXPECT_TRUE(selectionChanges.empty());
    EXPECT_EQ(log_, (Texts{"notify expanding 102", "notify expanded 102"}));

    SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(dialogProcedure));
#endif
}

} // namespace
} // namespace uitest
