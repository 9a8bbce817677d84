#include "host/terminal/MessageBoxView.h"

#include <algorithm>

#include "host/terminal/SizeCheck.h"
#include "host/terminal/TerminalRestore.h"
#include "host/terminal/TextWrap.h"

namespace terminal {
namespace {

constexpr int kMaxTextWidth = 60;
constexpr char kOkLabel[] = "[ OK ]";
constexpr char kCancelLabel[] = "[ Cancel ]";
constexpr char kStopMark[] = "[X]";
constexpr int kButtonGap = 2;

int Length(std::string_view text) {
    return static_cast<int>(text.size());
}

bool HasCancel(unsigned flags) {
    return (flags & 0x0F) == MB_OKCANCEL;
}

bool HasStopIcon(unsigned flags) {
    return (flags & 0xF0) == MB_ICONSTOP;
}

} // namespace

MessageBoxLayout LayOutMessageBox(const ui::desktop::MessageBoxRequest& request,
                                  const CellRect& over, int columns, int rows) {
    MessageBoxLayout layout;
    const int iconWidth = HasStopIcon(request.Flags) ? Length(kStopMark) + 1 : 0;
    const int textWidth = std::max(10, std::min(kMaxTextWidth, columns - 6 - iconWidth));
    layout.Lines = WrapLines(request.Text, textWidth);
    int widest = 0;
    for (const std::string& line : layout.Lines)
        widest = std::max(widest, Length(line));
    const int buttonsWidth =
        Length(kOkLabel) + (HasCancel(request.Flags) ? kButtonGap + Length(kCancelLabel) : 0);
    const int inner = std::max({Length(request.Caption) + 2, iconWidth + widest, buttonsWidth});
    const int width = std::min(columns, inner + 4);
    const int height = std::min(rows, static_cast<int>(layout.Lines.size()) + 5);
    layout.Complete = width == inner + 4 && height == static_cast<int>(layout.Lines.size()) + 5;

    const CellRect screen{0, 0, columns, rows};
    const CellRect centre = over.Empty() ? screen : over;
    const int left =
        std::clamp(centre.Left + (centre.Width() - width) / 2, 0, std::max(0, columns - width));
    // Between the hint line and the status line where it fits there, so that neither
    // shows beside the box.
    const int first = rows - 2 >= height ? 1 : 0;
    const int last = std::max(first, rows - height - first);
    const int top = std::clamp(centre.Top + (centre.Height() - height) / 2, first, last);
    layout.Box = CellRect{left, top, left + width, top + height};
    layout.TextLeft = left + 2 + iconWidth;
    layout.TextTop = top + 2;

    const int buttonsRow = layout.Box.Bottom - 2;
    int x = left + (width - buttonsWidth) / 2;
    layout.Buttons.push_back({x, buttonsRow, x + Length(kOkLabel), buttonsRow + 1});
    if (HasCancel(request.Flags)) {
        x += Length(kOkLabel) + kButtonGap;
        layout.Buttons.push_back({x, buttonsRow, x + Length(kCancelLabel), buttonsRow + 1});
    }
    return layout;
}

bool MessageBoxView::Paint(const ui::desktop::MessageBoxRequest& request, int focusedButton) {
    buffer_.Resize(screen_.Columns(), screen_.Rows());
    hits_.Clear();
    paintBelow_(buffer_, hits_);
    hits_.Clear(); // nothing below a modal box takes a click

    // Below the smallest size the windows are not shown, so neither is anything of them
    // beside the box: the box stands alone, centred, or the size request alone.
    const bool tooSmall = TooSmall(buffer_.Columns(), buffer_.Rows());
    const ScreenMap map;
    const CellRect over =
        !tooSmall && request.Owner && ui::desktop::IsWindow(request.Owner)
            ? toScreen_(map.ToCells(ui::desktop::Inspect(request.Owner).ScreenRect))
            : CellRect{};
    const MessageBoxLayout layout =
        LayOutMessageBox(request, over, buffer_.Columns(), buffer_.Rows());
    if (tooSmall) {
        buffer_.Clear();
        if (!layout.Complete) {
            PaintSizeRequest(buffer_);
            screen_.Show(buffer_, std::nullopt);
            return false;
        }
    }
    const CellRect& box = layout.Box;
    buffer_.Fill(box, U' ', kNormal);
    buffer_.Box(box, kNormal);
    const CellRect bar{box.Left, box.Top, box.Right, box.Top + 1};
    buffer_.Fill(bar, U' ', kReverse | kBold);
    const int captionX = box.Left + std::max(0, (box.Width() - Length(request.Caption)) / 2);
    buffer_.Text(captionX, box.Top, request.Caption, kReverse | kBold, box.Width());
    if (HasStopIcon(request.Flags))
        buffer_.Text(box.Left + 2, layout.TextTop, kStopMark, kBold);
    for (std::size_t i = 0; i < layout.Lines.size(); ++i) {
        const int y = layout.TextTop + static_cast<int>(i);
        if (y >= box.Bottom - 3)
            break;
        buffer_.Text(layout.TextLeft, y, layout.Lines[i], kNormal, box.Right - 1 - layout.TextLeft);
    }
    for (std::size_t i = 0; i < layout.Buttons.size(); ++i) {
        const CellRect& button = layout.Buttons[i];
        const bool focused = static_cast<int>(i) == focusedButton;
        buffer_.Text(button.Left, button.Top, i == 0 ? kOkLabel : kCancelLabel,
                     focused ? kReverse | kBold : kNormal);
        hits_.Add({button, HitPart::BoxButton, nullptr, nullptr, static_cast<int>(i)});
    }
    const CellRect& focusedRect = layout.Buttons[static_cast<std::size_t>(focusedButton)];
    screen_.Show(buffer_, std::pair{focusedRect.Left + 2, focusedRect.Top});
    return true;
}

int MessageBoxView::Present(const ui::desktop::MessageBoxRequest& request, bool& interrupted) {
    const bool cancel = HasCancel(request.Flags);
    const int buttons = cancel ? 2 : 1;
    // Escape answers Cancel where the box has it, else OK.
    const int escapeAnswer = cancel ? IDCANCEL : IDOK;
    int focused = 0;
    for (;;) {
        const bool shown = Paint(request, focused);
        const Key key = screen_.ReadKey(250);
        const bool quit =
            !shown && (key.Code == KeyCode::Escape ||
                       (key.Code == KeyCode::Char && (key.Ch == 'q' || key.Ch == 'Q')));
        if (TakeShutdownRequest() || key.Code == KeyCode::CtrlC || quit) {
            interrupted = true;
            return escapeAnswer;
        }
        if (!shown && key.Code != KeyCode::CtrlL)
            continue; // a box nobody sees is not answered

        switch (key.Code) {
        case KeyCode::Enter:
        case KeyCode::Space:
            return focused == 0 ? IDOK : IDCANCEL;
        case KeyCode::Escape:
            return escapeAnswer;
        case KeyCode::Tab:
        case KeyCode::Right:
        case KeyCode::Down:
            focused = (focused + 1) % buttons;
            break;
        case KeyCode::BackTab:
        case KeyCode::Left:
        case KeyCode::Up:
            focused = (focused + buttons - 1) % buttons;
            break;
        case KeyCode::CtrlL:
            screen_.Invalidate();
            break;
        case KeyCode::Mouse:
            if (const HitZone* zone = hits_.At(key.X, key.Y);
                zone && zone->Part == HitPart::BoxButton)
                return zone->Index == 0 ? IDOK : IDCANCEL;
            break;
        default:
            break;
        }
    }
}

} // namespace terminal
