#include "host/terminal/FrontEnd.h"

#include <algorithm>
#include <string>

#include "host/terminal/CellBuffer.h"
#include "host/terminal/CursesScreen.h"
#include "host/terminal/HitMap.h"
#include "host/terminal/KeyHandler.h"
#include "host/terminal/MessageBoxView.h"
#include "host/terminal/MouseHandler.h"
#include "host/terminal/SizeCheck.h"
#include "host/terminal/TerminalRestore.h"
#include "host/terminal/ViewState.h"
#include "host/terminal/WindowPainter.h"
#include "platform/linux/Desktop.h"

namespace terminal {

namespace desktop = ui::desktop;

class FrontEnd::Impl {
public:
    explicit Impl(FrontEndOptions options) {
        view_.hint = std::move(options.hint);
        view_.file = std::move(options.file);
    }

    std::optional<std::string> Start();
    void Stop();
    ui::Rect ScreenPixels() const { return ScreenMap::PixelsOf(screen_.Columns(), screen_.Rows()); }
    void Run(ui::WindowHandle mainWindow, const std::function<bool()>& keepRunning);

private:
    // Paints the windows, or the request for a larger terminal when they do not fit.
    void PaintScreen(CellBuffer& buffer, HitMap& hits);
    void Show();
    void FitMainWindow();
    std::optional<std::pair<int, int>> Cursor() const;

    CursesScreen screen_;
    ViewState view_;
    CellBuffer buffer_;
    HitMap hits_;
    ui::WindowHandle mainWindow_ = nullptr;
    bool changed_ = true;
    bool interrupted_ = false;
    bool tooSmall_ = false;
};

std::optional<std::string> FrontEnd::Impl::Start() {
    if (auto error = screen_.Start())
        return error;
    view_.colours = screen_.Colours();
    view_.unicode = screen_.Unicode();
    desktop::SetChangeListener([this] { changed_ = true; });
    desktop::SetMessageBoxPresenter([this](const desktop::MessageBoxRequest& request) {
        MessageBoxView box(screen_, [this](CellBuffer& buffer, HitMap& hits) {
            FitMainWindow();
            PaintScreen(buffer, hits);
        });
        const int answer = box.Present(request, interrupted_);
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
        window.MoveWindow(wanted.left, wanted.top, wanted.Width(), wanted.Height(), true);
}

void FrontEnd::Impl::PaintScreen(CellBuffer& buffer, HitMap& hits) {
    buffer.Resize(screen_.Columns(), screen_.Rows());
    const ScreenMap map;
    const SizeNeed need = NeededSize(map);
    tooSmall_ = need.columns > buffer.Columns() || need.rows > buffer.Rows();
    if (tooSmall_) {
        hits.Clear();
        PaintSizeRequest(buffer, need);
        return;
    }
    PaintContext context{buffer, hits, map, view_, desktop::GetFocus(), EnterButton()};
    PaintDesktop(context);
}

std::optional<std::pair<int, int>> FrontEnd::Impl::Cursor() const {
    // The text cursor stands in the focused edit field, at the end of its text.
    const ui::WindowHandle focus = desktop::GetFocus();
    if (tooSmall_ || view_.list.combo || !focus || !desktop::IsReallyVisible(focus))
        return std::nullopt;
    const desktop::WindowInfo info = desktop::Inspect(focus);
    if (info.kind != desktop::Kind::ComboBox)
        return std::nullopt;
    const CellRect cells = ScreenMap{}.ToCells(info.screenRect);
    const int length = static_cast<int>(desktop::ComboEditText(focus).size());
    const int x = std::min(cells.left + length, std::max(cells.left, cells.right - 4));
    if (!buffer_.Bounds().Contains(x, cells.top))
        return std::nullopt;
    return std::pair{x, cells.top};
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
        if (key.code == KeyCode::None)
            continue;
        changed_ = true;
        switch (key.code) {
        case KeyCode::CtrlC:
            interrupted_ = true;
            break;
        case KeyCode::Resize:
            FitMainWindow();
            break;
        case KeyCode::CtrlL:
            screen_.Invalidate();
            break;
        case KeyCode::Mouse:
            if (!tooSmall_)
                OnMousePress(view_, hits_, key.x, key.y, screen_.Rows());
            break;
        default:
            if (!tooSmall_)
                KeyHandler(view_, screen_.Rows()).OnKey(key);
            break;
        }
    }
    view_.list = ComboList{};
    interrupted_ = false;
    Show();
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
