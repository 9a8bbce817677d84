// Radio groups, combo box, tab control, push buttons and the picture: what a user's
// action delivers and what the programmatic calls leave alone.
#ifdef _WIN32
#include <windows.h>
#endif

#include "LayerFixture.h"
#include "platform/Button.h"
#include "platform/ComboBox.h"
#include "platform/Static.h"
#include "platform/TabControl.h"

namespace uitest {
namespace {

using Texts = std::vector<std::string>;

class ControlTest : public LayerTest {
protected:
    void SetUp() override {
        LayerTest::SetUp();
        main_ = Make(IDD_MAIN, nullptr, "main");
        page_ = Make(IDD_PAGE, main_.get(), "page");
        page_->ShowWindow(SW_SHOWNORMAL);
        log_.clear();
    }

    std::unique_ptr<LogDialog> main_;
    std::unique_ptr<LogDialog> page_;
};

TEST_F(ControlTest, AutoRadioClickChecksItsGroupOnlyBeforeTheNotification) {
    EXPECT_TRUE(page_->CheckRadioButton(IDC_RADIO_A1, IDC_RADIO_A2, IDC_RADIO_A1));
    EXPECT_TRUE(page_->CheckRadioButton(IDC_RADIO_B1, IDC_RADIO_B2, IDC_RADIO_B1));
    EXPECT_TRUE(log_.empty()) << "CheckRadioButton sends nothing";
    EXPECT_EQ(page_->IsDlgButtonChecked(IDC_RADIO_A1), BST_CHECKED);
    EXPECT_EQ(ui::Button(Control(*page_, IDC_RADIO_A2)).GetCheck(), BST_UNCHECKED);
    page_->Hook = [&](const ui::Event&) {
        log_.push_back("A2=" + std::to_string(page_->IsDlgButtonChecked(IDC_RADIO_A2)) +
                       " A1=" + std::to_string(page_->IsDlgButtonChecked(IDC_RADIO_A1)));
    };
    ASSERT_TRUE(desktop::ClickButton(Control(*page_, IDC_RADIO_A2)));
    EXPECT_EQ(log_, (Texts{"page clicked 2001", "A2=1 A1=0"}));
    EXPECT_EQ(page_->IsDlgButtonChecked(IDC_RADIO_B1), BST_CHECKED) << "the next group is apart";

    // Clicking the checked button again still notifies and keeps it checked.
    log_.clear();
    desktop::ClickButton(Control(*page_, IDC_RADIO_A2));
    EXPECT_EQ(log_, (Texts{"page clicked 2001", "A2=1 A1=0"}));

    ui::Button b2(Control(*page_, IDC_RADIO_B2));
    b2.SetCheck(BST_CHECKED);
    EXPECT_EQ(b2.GetCheck(), BST_CHECKED);
    EXPECT_EQ(page_->IsDlgButtonChecked(IDC_RADIO_B1), BST_CHECKED)
        << "BM_SETCHECK touches one button only";
    b2.SetCheck(BST_UNCHECKED);
    EXPECT_EQ(page_->IsDlgButtonChecked(IDC_RADIO_B2), BST_UNCHECKED);
    EXPECT_EQ(log_, (Texts{"page clicked 2001", "A2=1 A1=0"})) << "BM_SETCHECK sends nothing";
}

TEST_F(ControlTest, UsersCannotActOnHiddenOrDisabledControls) {
    EXPECT_FALSE(desktop::ClickButton(Control(*main_, IDC_HIDDEN_BUTTON)));
    EXPECT_FALSE(desktop::ClickButton(Control(*main_, IDC_DISABLED_BUTTON)));
    page_->ShowWindow(SW_HIDE);
    EXPECT_FALSE(desktop::ClickButton(Control(*page_, IDC_RADIO_A1))) << "inside a hidden page";
    page_->ShowWindow(SW_SHOWNORMAL);
    main_->EnableWindow(false);
    EXPECT_FALSE(desktop::ClickButton(Control(*page_, IDC_RADIO_A1))) << "inside a disabled dialog";
    main_->EnableWindow(true);
    EXPECT_TRUE(log_.empty());

    ASSERT_TRUE(desktop::ClickButton(Control(*main_, IDC_ADD)));
    EXPECT_EQ(log_, Texts{"main clicked 104"});
    EXPECT_EQ(desktop::GetFocus(), Control(*main_, IDC_ADD));
}

TEST_F(ControlTest, ComboSelectionAndEditField) {
    ui::ComboBox combo(Control(*page_, IDC_COMBO));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(combo.AddString(std::to_string(i)), i);
    EXPECT_EQ(combo.GetCount(), 16);
    EXPECT_EQ(combo.GetLBText(10), "10") << "unsorted: \"10\" follows \"9\"";
    EXPECT_EQ(combo.GetCurSel(), -1);

    EXPECT_EQ(combo.SetCurSel(3), 3);
    EXPECT_EQ(combo.GetCurSel(), 3);
    EXPECT_EQ(desktop::ComboEditText(combo.Handle()), "3");
    EXPECT_EQ(combo.GetWindowTextA(), "3");
    EXPECT_TRUE(log_.empty()) << "CB_SETCURSEL sends nothing";

    page_->Hook = [&](const ui::Event&) {
        log_.push_back("sel " + std::to_string(combo.GetCurSel()));
    };
    ASSERT_TRUE(desktop::ChooseComboItem(combo.Handle(), 3)); // the same item again
    ASSERT_TRUE(desktop::ChooseComboItem(combo.Handle(), 7));
    EXPECT_EQ(log_, (Texts{"page cbselchange 1002", "sel 3", "page cbselchange 1002", "sel 7"}));
    EXPECT_FALSE(desktop::ChooseComboItem(combo.Handle(), 16));

    log_.clear();
    ASSERT_TRUE(desktop::TypeComboText(combo.Handle(), "12"));
#ifdef _WIN32
    // The system's drop-down combo box clears its list's selection when the user types in
    // the edit field (CBN_EDITCHANGE); the Linux layer keeps the selection. The dialogs read
    // the selection on CBN_SELCHANGE only, which typing does not send.
    EXPECT_EQ(combo.GetCurSel(), -1) << "typing clears the list's selection";
#else
    EXPECT_EQ(combo.GetCurSel(), 7) << "typing changes the edit field only";
#endif
    EXPECT_EQ(combo.GetWindowTextA(), "12");
    EXPECT_TRUE(log_.empty());

    EXPECT_EQ(combo.SetCurSel(-1), -1);
    EXPECT_EQ(combo.GetCurSel(), -1);
    EXPECT_EQ(desktop::ComboEditText(combo.Handle()), "");
    combo.SetCurSel(2);
    EXPECT_EQ(combo.SetCurSel(99), -1) << "an index outside the list is refused";
#ifdef _WIN32
    // Wine's combo box keeps its selection then; the documentation of CB_SETCURSEL, which
    // the Linux layer follows, says the selection is cleared. The dialogs give only indexes
    // of the list (the switch IDs 0 to 15).
    EXPECT_EQ(combo.GetCurSel(), 2) << "Wine keeps the selection";
#else
    EXPECT_EQ(combo.GetCurSel(), -1) << "an index outside the list clears the selection";
#endif
}

TEST_F(ControlTest, TabInsertAndSelection) {
    ui::TabControl tabs(Control(*main_, IDC_TABS));
    EXPECT_EQ(tabs.GetCurSel(), -1);
    EXPECT_EQ(tabs.InsertItem(0, "Device"), 0);
    EXPECT_EQ(tabs.GetCurSel(), 0) << "the first tab becomes current";
    EXPECT_EQ(tabs.InsertItem(5, "DI"), 1) << "an index past the end appends";
    EXPECT_EQ(tabs.InsertItem(0, "First"), 0);
    EXPECT_EQ(tabs.GetCurSel(), 1) << "the current tab moves with an insert before it";
    EXPECT_EQ(tabs.GetItemCount(), 3);
    EXPECT_EQ(tabs.GetItemText(1), "Device");
    EXPECT_EQ(tabs.GetItemText(2), "DI");

    EXPECT_EQ(tabs.SetCurSel(2), 1) << "the previous tab";
    EXPECT_EQ(tabs.GetCurSel(), 2);
    EXPECT_TRUE(log_.empty()) << "TCM_SETCURSEL sends nothing";
    main_->Hook = [&](const ui::Event&) {
        log_.push_back("cur " + std::to_string(tabs.GetCurSel()));
    };
    ASSERT_TRUE(desktop::ClickTab(tabs.Handle(), 2));
    EXPECT_TRUE(log_.empty()) << "the current tab clicked again";
    ASSERT_TRUE(desktop::ClickTab(tabs.Handle(), 0));
    EXPECT_EQ(log_, (Texts{"main notify tabchange 101", "cur 0"}));
    EXPECT_FALSE(desktop::ClickTab(tabs.Handle(), 3));
}

TEST_F(ControlTest, PictureShowsTheModuleBitmapAtItsSize) {
    const ui::Bitmap bitmap = ui::LoadBitmapA(IDB_TINY);
    ASSERT_NE(bitmap, nullptr);
#ifdef _WIN32
    // Each LoadBitmap makes a new bitmap of the system's; the Linux layer loads a resource
    // once. (The Device page loads its picture once and keeps it.)
    const ui::Bitmap again = ui::LoadBitmapA(IDB_TINY);
    EXPECT_NE(again, nullptr);
    EXPECT_EQ(desktop::BitmapPixels(again).Rgb, desktop::BitmapPixels(bitmap).Rgb);
    DeleteObject(reinterpret_cast<HGDIOBJ>(again));
#else
    EXPECT_EQ(ui::LoadBitmapA(IDB_TINY), bitmap) << "loaded once";
#endif
    EXPECT_EQ(ui::LoadBitmapA(999), nullptr);

    const desktop::Pixels pixels = desktop::BitmapPixels(bitmap);
    ASSERT_EQ(pixels.Width, 3);
    ASSERT_EQ(pixels.Height, 2);
    // Rows from the top: red, green, blue over white, black, grey.
    const std::vector<std::uint8_t> expected = {255, 0,   0,   0, 255, 0, 0,   0,   255,
                                                255, 255, 255, 0, 0,   0, 128, 128, 128};
    EXPECT_EQ(pixels.Rgb, expected);

    ui::Static picture(Control(*page_, IDC_PICTURE));
    const ui::Rect before = picture.GetWindowRect();
    EXPECT_EQ(picture.SetBitmap(bitmap), nullptr);
    EXPECT_EQ(desktop::PictureBitmap(picture.Handle()), bitmap);
    EXPECT_EQ(picture.GetBitmap(), bitmap);
    const ui::Rect after = picture.GetWindowRect();
    EXPECT_EQ(after.Left, before.Left);
    EXPECT_EQ(after.Top, before.Top);
    EXPECT_EQ(after.Width(), 3);
    EXPECT_EQ(after.Height(), 2);
    EXPECT_EQ(picture.SetBitmap(nullptr), bitmap);
}

} // namespace
} // namespace uitest
