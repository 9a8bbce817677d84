#include "host/terminal/FrontEnd.h"

#include <algorithm>
#include <ctime>
#include <string>

#include "host/terminal/CellBuffer.h"
#include "host/terminal/ComboListControl.h"
#include "host/terminal/ControlPainter.h"
#include "host/terminal/CursesScreen.h"
#include "host/terminal/FocusOrder.h"
#include "host/terminal/HitMap.h"
#include "host/terminal/KeyHandler.h"
#include "host/terminal/MessageBoxView.h"
#include "host/terminal/MouseHandler.h"
#include "host/terminal/RowFold.h"
#include "host/terminal/SaveNotice.h"
#include "host/terminal/SizeCheck.h"
#include "host/terminal/StatusLine.h"
#include "host/terminal/TerminalRestore.h"
#include "host/terminal/ViewState.h"
#include "host/terminal/Viewport.h"
#include "host/terminal/WindowPainter.h"
#include "platform/ComboBox.h"
#include "platform/linux/Desktop.h"
#include "platform/linux/Styles.h"

namespace terminal {

namespace desktop = ui::desktop;
using desktop::Kind;

namespace {

DefaultButtonState CurrentDefaultButton() {
    const ui::WindowHandle dialog = KeyboardDialog();
    if (!dialog)
        return DefaultButtonState{};
    const std::vector<FocusItem> items = CollectControls(dialog);
    const int index = DefaultButton(items);
    if (index < 0)
        return DefaultButtonState{};
    const FocusItem& button = items[static_cast<std::size_t>(index)];
    return DefaultButtonState{button.Window, button.Usable};
}

} // namespace

class FrontEnd::Impl {
public:
    explicit Impl(FrontEndOptions options) { view_.File = std::move(options.File); }

    std::optional<std::string> Start();
    void Stop();
    ui::Rect ScreenPixels() const { return ScreenMap::PixelsOf(screen_.Columns(), screen_.Rows()); }
    void Run(ui::WindowHandle mainWindow, const std::function<bool()>& keepRunning);

private:
    // Paints the screen: the hint line, the windows' view and the status line, or the
    // request for a larger terminal. The zones are in the canvas's cells.
    void PaintScreen(CellBuffer& buffer, HitMap& hits);
    void PaintLines(CellBuffer& buffer) const;
    void PaintEdgeMarks(CellBuffer& buffer) const;
    CellRect FocusCells() const;
    Place CurrentPlace() const;
    void Show();
    void FitMainWindow();
    // Hands a key or a mouse press to the windows, noting a Save it makes.
    void Act(const Key& key);
    std::optional<std::pair<int, int>> Cursor() const;

    CursesScreen screen_;
    ViewState view_;
    CellBuffer canvas_;
    RowFold fold_;
    CellBuffer folded_; // the canvas without the rows the fold leaves out
    CellBuffer buffer_;
    HitMap hits_;
    Viewport viewport_;
    SaveNotice saveNotice_;
    ui::WindowHandle mainWindow_ = nullptr;
    int openBoxes_ = 0;
    bool changed_ = true;
    bool interrupted_ = false;
    bool tooSmall_ = false;
};

std::optional<std::string> FrontEnd::Impl::Start() {
    if (auto error = screen_.Start())
        return error;
    view_.Colours = screen_.Colours();
    view_.Unicode = screen_.Unicode();
    desktop::SetChangeListener([this] { changed_ = true; });
    desktop::SetMessageBoxPresenter([this](const desktop::MessageBoxRequest& request) {
        ++openBoxes_;
        MessageBoxView box(
            screen_,
            [this](CellBuffer& buffer, HitMap& hits) {
                FitMainWindow();
                PaintScreen(buffer, hits);
            },
            [this](const CellRect& cells) { return viewport_.ToScreen(fold_.ToFolded(cells)); });
        const int answer = box.Present(request, interrupted_);
        --openBoxes_;
        changed_ = true;
        return answer;
    });
    return std::nullopt;
}

void FrontEnd::Impl::Stop() {
    desktop::SetMessageBoxPresenter(nullptr);
    desktop::SetChangeListener(nullptr);
    screen_.Stop();
}

void FrontEnd::Impl::FitMainWindow() {
    if (!mainWindow_ || !desktop::IsWindow(mainWindow_))
        return;
    const ui::Rect wanted = ScreenPixels();
    const ui::Window window(mainWindow_);
    if (window.GetWindowRect() != wanted)
        window.MoveWindow(wanted.Left, wanted.Top, wanted.Width(), wanted.Height(), true);
}

Place FrontEnd::Impl::CurrentPlace() const {
    if (tooSmall_)
        return Place::TooSmall;
    if (openBoxes_ > 0)
        return Place::MessageBox;
    if (view_.List.Combo)
        return Place::ComboList;
    const ui::WindowHandle focus = desktop::GetFocus();
    if (!focus || !desktop::IsReallyVisible(focus))
        return Place::Nothing;
    const desktop::WindowInfo info = desktop::Inspect(focus);
    switch (info.Kind) {
    case Kind::TreeView:
        return Place::Tree;
    case Kind::PushButton:
    case Kind::DefPushButton:
        return Place::PushButton;
    case Kind::RadioButton:
        return Place::RadioButton;
    case Kind::ComboBox:
        return (info.Style & ui::style::CBS_TYPEMASK) == ui::style::CBS_DROPDOWNLIST
                   ? Place::Combo
                   : Place::ComboEdit;
    case Kind::TabControl:
        return Place::Tabs;
    default:
        return Place::Nothing;
    }
}

// What the view keeps in sight: the open list with its field, else the focused control
// (of a tree, its selected row).
CellRect FrontEnd::Impl::FocusCells() const {
    const ScreenMap map;
    if (view_.List.Combo && desktop::IsReallyVisible(view_.List.Combo)) {
        const CellRect field = WindowCells(map, view_.List.Combo);
        const CellRect list =
            ComboListCells(field, ui::ComboBox(view_.List.Combo).GetCount(), canvas_.Rows());
        return CellRect{std::min(field.Left, list.Left), std::min(field.Top, list.Top),
                        std::max(field.Right, list.Right), std::max(field.Top + 1, list.Bottom)};
    }
    const ui::WindowHandle focus = desktop::GetFocus();
    if (!focus || !desktop::IsReallyVisible(focus))
        return CellRect{};
    const desktop::WindowInfo info = desktop::Inspect(focus);
    CellRect cells = map.ToCells(info.ScreenRect);
    if (info.Kind == Kind::ComboBox)
        return CellRect{cells.Left, cells.Top, cells.Right, cells.Top + 1};
    if (info.Kind != Kind::TreeView)
        return cells;
    const std::vector<desktop::TreeRow> rows = desktop::VisibleTreeRows(focus);
    const int top = desktop::TreeScrollTop(focus);
    for (int index = 0; index < static_cast<int>(rows.size()); ++index) {
        if (!rows[static_cast<std::size_t>(index)].Selected)
            continue;
        const int y = cells.Top + 1 + index - top; // below the frame's top line
        if (y > cells.Top && y < cells.Bottom - 1)
            return CellRect{cells.Left, y - 1, cells.Right, y + 2};
    }
    return CellRect{cells.Left, cells.Top, cells.Right, std::min(cells.Bottom, cells.Top + 3)};
}

void FrontEnd::Impl::PaintLines(CellBuffer& buffer) const {
    const int columns = buffer.Columns();
    const CellRect hintRow{0, 0, columns, 1};
    buffer.Fill(hintRow, U' ', kReverse);
    bool pages = false;
    if (const ui::WindowHandle dialog = KeyboardDialog())
        for (const FocusItem& item : CollectControls(dialog))
            pages = pages || (item.Kind == Kind::TabControl && item.Usable);
    // The last three columns of both lines are kept for the edge marks.
    buffer.Text(1, 0, HintFor(CurrentPlace(), pages, columns - 4), kReverse, columns - 4);
    if (buffer.Rows() < 2)
        return;
    const int last = buffer.Rows() - 1;
    buffer.Fill(CellRect{0, last, columns, last + 1}, U' ', kReverse);
    constexpr std::string_view kLabel = "File: ";
    int x = 1;
    // The notice of a Save goes first; the path gives up the room it takes.
    if (const std::string notice = saveNotice_.Text(SaveNotice::Clock::now());
        !notice.empty() && static_cast<int>(notice.size()) + 2 <= columns - 4)
        x = buffer.Text(x, last, notice, kReverse | kBold, columns - 4) + 2;
    x = buffer.Text(x, last, kLabel, kReverse | kBold, std::max(0, columns - 3 - x));
    buffer.Text(x, last, ShortenPath(view_.File, columns - 3 - x), kReverse);
}

// Where more of the windows lies beyond the screen's edge, a mark on that edge: at the
// right end of the hint line for above and of the status line for below (which hide
// nothing of the windows), in the middle of the side columns for left and right.
void FrontEnd::Impl::PaintEdgeMarks(CellBuffer& buffer) const {
    const bool unicode = view_.Unicode;
    const int right = buffer.Columns() - 1;
    const int middleRow = buffer.Rows() / 2;
    if (viewport_.MoreAbove())
        buffer.Put(right - 1, 0, unicode ? U'\u25B2' : U'^', kReverse | kBold);
    if (viewport_.MoreBelow())
        buffer.Put(right - 1, buffer.Rows() - 1, unicode ? U'\u25BC' : U'v', kReverse | kBold);
    if (viewport_.MoreLeft())
        buffer.Put(0, middleRow, unicode ? U'\u25C0' : U'<', kReverse);
    if (viewport_.MoreRight())
        buffer.Put(right, middleRow, unicode ? U'\u25B6' : U'>', kReverse);
}

void FrontEnd::Impl::PaintScreen(CellBuffer& buffer, HitMap& hits) {
    const int columns = screen_.Columns();
    const int rows = screen_.Rows();
    buffer.Resize(columns, rows);
    tooSmall_ = TooSmall(columns, rows);
    hits.Clear();
    if (tooSmall_) {
        PaintSizeRequest(buffer);
        return;
    }
    const ScreenMap map;
    const SizeNeed need = NeededSize(map);
    const auto [canvasColumns, canvasRows] = CanvasSize(need.Columns, need.Rows, columns, rows);
    canvas_.Resize(canvasColumns, canvasRows);
    PaintContext context{canvas_, hits, map, view_, desktop::GetFocus(), EnterButton()};
    PaintDesktop(context);
    // The rows the screen has no room for come out of empty stretches first.
    fold_ = RowFold::Plan(canvas_, canvasRows - (rows - 1));
    fold_.Copy(canvas_, folded_);

    viewport_.Fit(columns, rows, canvasColumns, fold_.Rows());
    viewport_.KeepInView(fold_.ToFolded(FocusCells()));
    buffer.Clear();
    const CellRect shown = viewport_.Shown();
    for (int y = shown.Top; y < shown.Bottom; ++y)
        for (int x = shown.Left; x < shown.Right; ++x)
            if (const auto cell = viewport_.ToScreen(x, y))
                buffer.PutCell(cell->first, cell->second, folded_.At(x, y));
    PaintLines(buffer);
    PaintEdgeMarks(buffer);
}

std::optional<std::pair<int, int>> FrontEnd::Impl::Cursor() const {
    // The text cursor stands in the focused edit field, at the end of its text.
    const ui::WindowHandle focus = desktop::GetFocus();
    if (tooSmall_ || view_.List.Combo || !focus || !desktop::IsReallyVisible(focus))
        return std::nullopt;
    const desktop::WindowInfo info = desktop::Inspect(focus);
    if (info.Kind != desktop::Kind::ComboBox)
        return std::nullopt;
    const CellRect cells = ScreenMap{}.ToCells(info.ScreenRect);
    const int length = static_cast<int>(desktop::ComboEditText(focus).size());
    const int x = std::min(cells.Left + length, std::max(cells.Left, cells.Right - 4));
    if (!canvas_.Bounds().Contains(x, cells.Top))
        return std::nullopt;
    return viewport_.ToScreen(x, fold_.FoldedRow(cells.Top));
}

void FrontEnd::Impl::Show() {
    EnsureUsableFocus();
    changed_ = false;
    PaintScreen(buffer_, hits_);
    screen_.Show(buffer_, Cursor());
}

void FrontEnd::Impl::Run(ui::WindowHandle mainWindow, const std::function<bool()>& keepRunning) {
    mainWindow_ = mainWindow;
    FitMainWindow();
    changed_ = true;
    while (!interrupted_ && keepRunning()) {
        if (TakeShutdownRequest())
            break;
        Show();
        Key key = screen_.ReadKey(changed_ ? 0 : 250);
        if (key.Code == KeyCode::None)
            continue;
        changed_ = true;
        if (key.Code == KeyCode::CtrlC) {
            interrupted_ = true;
            break;
        }
        if (key.Code == KeyCode::Resize) {
            FitMainWindow();
            continue;
        }
        if (key.Code == KeyCode::CtrlL) {
            screen_.Invalidate();
            continue;
        }
        if (tooSmall_) {
            // Nothing of the windows is shown: only the ways out work.
            if (key.Code == KeyCode::Escape ||
                (key.Code == KeyCode::Char && (key.Ch == 'q' || key.Ch == 'Q')))
                interrupted_ = true;
            continue;
        }
        Act(key);
    }
    view_.List = ComboList{};
    interrupted_ = false;
    Show();
}

void FrontEnd::Impl::Act(const Key& key) {
    saveNotice_.BeforeAction(CurrentDefaultButton());
    if (key.Code == KeyCode::Mouse) {
        if (const auto cell = viewport_.ToCanvas(key.X, key.Y))
            OnMousePress(view_, hits_, cell->first, fold_.CanvasRow(cell->second), canvas_.Rows());
    } else {
        KeyHandler(view_, canvas_.Rows()).OnKey(key);
    }
    saveNotice_.AfterAction(CurrentDefaultButton(), SaveNotice::Clock::now(), std::time(nullptr));
}

FrontEnd::FrontEnd(FrontEndOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

FrontEnd::~FrontEnd() {
    impl_->Stop();
}

std::optional<std::string> FrontEnd::Start() {
    return impl_->Start();
}

ui::Rect FrontEnd::ScreenPixels() const {
    return impl_->ScreenPixels();
}

void FrontEnd::Run(ui::WindowHandle mainWindow, const std::function<bool()>& keepRunning) {
    impl_->Run(mainWindow, keepRunning);
}

void FrontEnd::Stop() {
    impl_->Stop();
}

} // namespace terminal
