#include "host/terminal/MouseHandler.h"

#include "host/terminal/ComboListControl.h"
#include "platform/linux/Desktop.h"

namespace terminal {

namespace desktop = ui::desktop;

void OnMousePress(ViewState& view, const HitMap& hits, int x, int y, int screenRows) {
    ComboListControl list(view, screenRows);
    const HitZone* zone = hits.At(x, y);
    if (list.IsOpen()) {
        const bool onList = zone && zone->window == view.list.combo &&
                            (zone->part == HitPart::ComboItem || zone->part == HitPart::Blocker ||
                             zone->part == HitPart::ComboButton);
        if (!onList) {
            list.Close();
            return;
        }
    }
    if (!zone)
        return;
    switch (zone->part) {
    case HitPart::Window: {
        const desktop::WindowInfo info = desktop::Inspect(zone->window);
        if (info.Kind == desktop::Kind::ComboBox) {
            if (info.Enabled && desktop::IsReallyVisible(zone->window))
                desktop::SetFocus(zone->window); // a press in the edit field
        } else {
            desktop::ClickButton(zone->window);
        }
        return;
    }
    case HitPart::TreeRow:
        desktop::ClickTreeItem(zone->window, zone->item);
        return;
    case HitPart::TreeButton:
        if (desktop::ClickTreeButton(zone->window, zone->item))
            desktop::SetFocus(zone->window);
        return;
    case HitPart::Tab:
        // The tab control takes the focus, so that the arrow keys then change the page.
        if (desktop::ClickTab(zone->window, zone->index) && desktop::IsWindow(zone->window))
            desktop::SetFocus(zone->window);
        return;
    case HitPart::ComboButton:
        if (list.IsOpen())
            list.Close();
        else
            list.Open(zone->window);
        return;
    case HitPart::ComboItem:
        list.Choose(zone->index);
        return;
    case HitPart::Blocker:
    case HitPart::BoxButton:
        return;
    }
}

} // namespace terminal
