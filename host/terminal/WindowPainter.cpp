#include "host/terminal/WindowPainter.h"

#include <algorithm>
#include <string>
#include <vector>

#include "host/terminal/ControlPainter.h"
#include "host/terminal/PictureRenderer.h"
#include "host/terminal/TreePainter.h"
#include "platform/linux/Desktop.h"

namespace terminal {
namespace {

namespace desktop = ui::desktop;
using desktop::Kind;

// The frame is the backdrop; its caption row lies under the front end's hint line.
void PaintFrame(PaintContext& context, const CellRect& cells) {
    context.Buffer.Fill(cells, U' ', kNormal);
}

void PaintCaption(PaintContext& context, const CellRect& cells, const CellRect& client,
                  const std::string& caption) {
    const CellRect bar{cells.Left, cells.Top, cells.Right, client.Top};
    context.Buffer.Fill(bar, U' ', kReverse | kBold);
    const int width = static_cast<int>(caption.size());
    const int x = bar.Left + (bar.Width() > width ? (bar.Width() - width) / 2 : 0);
    context.Buffer.Text(x, bar.Top, caption, kReverse | kBold, bar.Width());
}

// The frame of a top-level dialog below its caption row.
void PaintDialogBorder(PaintContext& context, const CellRect& cells, const CellRect& client) {
    CellBuffer& buffer = context.Buffer;
    if (cells.Width() < 2 || client.Height() < 1)
        return;
    buffer.VLine(cells.Left, client.Top, client.Height() - 1, kNormal);
    buffer.VLine(cells.Right - 1, client.Top, client.Height() - 1, kNormal);
    buffer.HLine(cells.Left + 1, cells.Bottom - 1, cells.Width() - 2, kNormal);
    buffer.Put(cells.Left, cells.Bottom - 1, glyph::kBottomLeft, kNormal);
    buffer.Put(cells.Right - 1, cells.Bottom - 1, glyph::kBottomRight, kNormal);
}

void PaintWindow(PaintContext& context, ui::WindowHandle window);

void PaintChildren(PaintContext& context, ui::WindowHandle window, const CellRect& client) {
    context.Buffer.PushClip(client);
    // Group boxes first: they frame the controls drawn over them.
    const std::vector<ui::WindowHandle> children = desktop::Children(window);
    for (const ui::WindowHandle child : children)
        if (desktop::Inspect(child).Kind == Kind::GroupBox)
            PaintWindow(context, child);
    for (const ui::WindowHandle child : children)
        if (desktop::Inspect(child).Kind != Kind::GroupBox)
            PaintWindow(context, child);
    context.Buffer.PopClip();
}

void PaintDialog(PaintContext& context, ui::WindowHandle window, const desktop::WindowInfo& info,
                 const CellRect& cells, const CellRect& client) {
    // A child dialog (a page) is transparent: its parent has drawn the place it sits in.
    const bool topLevel = info.Parent == nullptr;
    if (topLevel) {
        context.Buffer.Fill(cells, U' ', kNormal);
        if (client.Top > cells.Top)
            PaintCaption(context, cells, client, info.Text);
        // Clicks on the dialog's empty places go nowhere below it.
        context.Hits.Add({cells, HitPart::Blocker, window, nullptr, 0});
    }
    PaintChildren(context, window, client);
    if (topLevel && client.Top > cells.Top)
        PaintDialogBorder(context, cells, client);
}

void PaintWindow(PaintContext& context, ui::WindowHandle window) {
    const desktop::WindowInfo info = desktop::Inspect(window);
    if (!info.Visible)
        return;
    const CellRect cells = context.Map.ToCells(info.ScreenRect);
    const ControlLook look{window == context.Focus, info.Enabled};
    switch (info.Kind) {
    case Kind::Frame:
        PaintFrame(context, cells);
        break;
    case Kind::Dialog:
        PaintDialog(context, window, info, cells, ClientCells(context.Map, window));
        break;
    case Kind::PushButton:
    case Kind::DefPushButton:
        PaintPushButton(context, window, info, cells, look);
        break;
    case Kind::RadioButton:
        PaintRadioButton(context, window, info, cells, look);
        break;
    case Kind::GroupBox:
        PaintGroupBox(context, info, cells);
        break;
    case Kind::Text:
        PaintText(context, info, cells);
        break;
    case Kind::ComboBox:
        PaintComboBox(context, window, info, cells, look);
        break;
    case Kind::TabControl:
        PaintTabControl(context, window, info, cells, look);
        break;
    case Kind::TreeView:
        PaintTree(context, window, info, cells, look);
        break;
    case Kind::Picture:
        if (const ui::Bitmap bitmap = desktop::PictureBitmap(window))
            PaintPicture(context.Buffer, cells, desktop::BitmapPixels(bitmap), context.View.Colours,
                         context.View.Unicode);
        break;
    }
}

} // namespace

CellRect WindowCells(const ScreenMap& map, ui::WindowHandle window) {
    return map.ToCells(desktop::Inspect(window).ScreenRect);
}

CellRect ClientCells(const ScreenMap& map, ui::WindowHandle window) {
    const desktop::WindowInfo info = desktop::Inspect(window);
    const ui::Window handle(window);
    // The client area's screen position: ScreenToClient of the origin gives it negated.
    ui::Rect origin{0, 0, 0, 0};
    handle.ScreenToClient(origin);
    const ui::Rect client = handle.GetClientRect();
    const ui::Rect screen{-origin.Left, -origin.Top, -origin.Left + client.Width(),
                          -origin.Top + client.Height()};
    const CellRect cells = map.ToCells(info.ScreenRect);
    CellRect result = map.ToCells(screen);
    // The client area never reaches beyond the window's own cells.
    result.Right = std::min(result.Right, cells.Right);
    result.Bottom = std::min(result.Bottom, cells.Bottom);
    return result;
}

void PaintDesktop(PaintContext& context) {
    context.Buffer.Clear();
    context.Hits.Clear();
    for (const ui::WindowHandle window : desktop::TopLevelWindows())
        if (desktop::IsReallyVisible(window))
            PaintWindow(context, window);
    PaintComboList(context);
}

} // namespace terminal
