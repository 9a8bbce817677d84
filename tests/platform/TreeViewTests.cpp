// The tree view: item navigation, the visible walk, selection with its notification and
// re-entrancy, and where the selection goes after a delete or a collapse.
#include "LayerFixture.h"
#include "platform/TreeView.h"

namespace uitest {
namespace {

using ui::desktop::TreeRow;

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
        log_.clear();
    }

    std::vector<std::string> VisibleTexts() const {
        std::vector<std::string> texts;
        for (const TreeRow& row : ui::desktop::VisibleTreeRows(tree_.Handle()))
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
    EXPECT_EQ(tree_.GetNextItem(t1a_, TVGN_NEXTVISIBLE), nullptr); // not visible itself
    tree_.Expand(model_, TVE_TOGGLE);
    EXPECT_EQ(NextVisibleWalk().size(), 7u);
    EXPECT_FALSE(tree_.Expand(t0_, TVE_EXPAND)); // no children
    EXPECT_TRUE(log_.empty()) << "programmatic expansion sends nothing";
}

TEST_F(TreeViewTest, SelectExpandsAncestorsAndNotifiesOnlyOnChange) {
    dialog_->Hook = [&](const ui::Event&) {
        // The selection is already made when the handler runs.
        log_.push_back("selected " + tree_.GetItemText(tree_.GetSelectedItem()));
    };
    ASSERT_TRUE(tree_.SelectItem(t1a_, TVGN_CARET));
    EXPECT_EQ(log_, (Texts{"notify selchanged 102", "selected t1a"}));
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
    dialog_->Hook = [&](const ui::Event&) {
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
    EXPECT_EQ(log_, (Texts{"notify selchanged 102", "enter t0 depth 1", "notify selchanged 102",
                           "enter t2 depth 2", "leave t2", "leave t0", "returned"}));
    EXPECT_EQ(tree_.GetSelectedItem(), t2_);
}

TEST_F(TreeViewTest, FirstVisibleScrollsWithoutSelectingOrExpanding) {
    ASSERT_TRUE(tree_.SelectItem(t1_, TVGN_FIRSTVISIBLE));
    EXPECT_TRUE(log_.empty());
    EXPECT_EQ(tree_.GetSelectedItem(), nullptr);
    EXPECT_TRUE(tree_.IsExpanded(model_));
    EXPECT_FALSE(tree_.IsExpanded(t1_));
    // The view holds more rows than remain below t1, so it shows as many as fit.
    const std::vector<TreeRow> rows = ui::desktop::VisibleTreeRows(tree_.Handle());
    EXPECT_EQ(rows.size(), 6u);
    EXPECT_EQ(ui::desktop::TreeScrollTop(tree_.Handle()), 0);
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
    tree_.Expand(t1_, TVE_COLLAPSE);
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
    ASSERT_TRUE(ui::desktop::ClickTreeButton(tree_.Handle(), root_));
    EXPECT_EQ(log_, (Texts{"notify expanding 102", "closed", "notify expanded 102", "open"}));
    EXPECT_FALSE(ui::desktop::ClickTreeButton(tree_.Handle(), t0_)) << "hidden";
    EXPECT_FALSE(ui::desktop::ClickTreeButton(tree_.Handle(), other_)) << "no children";

    log_.clear();
    ASSERT_TRUE(ui::desktop::ClickTreeItem(tree_.Handle(), model_));
    EXPECT_EQ(log_, Texts{"notify selchanged 102"});
    EXPECT_FALSE(ui::desktop::ClickTreeItem(tree_.Handle(), t0_))
        << "a user only clicks shown rows";
    ui::desktop::ClickTreeButton(tree_.Handle(), root_);
    EXPECT_EQ(tree_.GetSelectedItem(), root_);
    const std::vector<TreeRow> rows = ui::desktop::VisibleTreeRows(tree_.Handle());
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
    ASSERT_TRUE(ui::desktop::ClickTreeButton(tree_.Handle(), model_));
    EXPECT_EQ(tree_.GetSelectedItem(), model_);
    EXPECT_FALSE(tree_.IsExpanded(model_));
    EXPECT_EQ(log_, (Texts{"notify expanding 102", "notify expanded 102"}));
    EXPECT_EQ(NextVisibleWalk(), (Texts{"root", "model", "other"}));

    // Expanding again leaves the selection on the node; the subtree keeps its state.
    log_.clear();
    ASSERT_TRUE(ui::desktop::ClickTreeButton(tree_.Handle(), model_));
    EXPECT_EQ(tree_.GetSelectedItem(), model_);
    EXPECT_TRUE(tree_.IsExpanded(t1_));
    EXPECT_EQ(log_, (Texts{"notify expanding 102", "notify expanded 102"}));

    // A collapse that does not hide the selection leaves it where it is.
    tree_.SelectItem(other_, TVGN_CARET);
    log_.clear();
    ASSERT_TRUE(ui::desktop::ClickTreeButton(tree_.Handle(), model_));
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
    ui::desktop::SetFocus(tree_.Handle());
    EXPECT_TRUE(log_.empty()) << "the focus did not move";
    ui::Window(Control(*dialog_, IDC_ADD)).SetFocus();
    tree_.SetFocus();
    EXPECT_TRUE(log_.empty()) << "an item is selected already";

    tree_.Expand(root_, TVE_EXPAND);
    tree_.SelectItem(nullptr, TVGN_CARET);
    ui::Window(Control(*dialog_, IDC_ADD)).SetFocus();
    log_.clear();
    ASSERT_TRUE(ui::desktop::ClickTreeItem(tree_.Handle(), other_));
    EXPECT_EQ(tree_.GetSelectedItem(), other_);
    EXPECT_EQ(log_, Texts{"notify selchanged 102"});
    EXPECT_EQ(ui::desktop::GetFocus(), tree_.Handle());

    // An empty tree has nothing to select.
    tree_.DeleteItem(root_);
    ui::Window(Control(*dialog_, IDC_ADD)).SetFocus();
    log_.clear();
    tree_.SetFocus();
    EXPECT_EQ(tree_.GetSelectedItem(), nullptr);
    EXPECT_TRUE(log_.empty());
}

} // namespace
} // namespace uitest
