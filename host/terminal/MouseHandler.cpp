#include "host/terminal/MouseHandler.h"

#include "host/terminal/ComboListControl.h"
#include "platform/linux/Desktop.h"

namespace terminal {

namespace desktop = ui::desktop;

void OnMousePress(ViewState& view, const HitMap& hits, int x, int y, int screenRows) {
    ComboListControl list(view, screenRows);
    const HitZone* zone = hits.At(x, y);
    if (list.IsOpen()) {
        const bool onList = zone && zone->Window == view.List.Combo &&
                            (zone->Part == HitPart::ComboItem || zone->Part == HitPart::Blocker ||
                             zone->Part == HitPart::ComboButton);
        if (!onList) {
            list.Close();
            return;
        }
    }
    if (!zone)
        return;
    switch (zone->Part) {
    case HitPart::Window: {
        const desktop::WindowInfo info = desktop::Inspect(zone->Window);
        if (info.Kind == desktop::Kind::ComboBox) {
            if (info.Enabled && desktop::IsReallyVisible(zone->Window))
                desktop::SetFocus(zone->Window); // a press in the edit field
        } else {
            desktop::ClickButton(zone->Window);
        }
        return;
    }
    case HitPart::TreeRow:
        desktop::ClickTreeItem(zone->Window, zone->Item);
        return;
    case HitPart::TreeButton:
        if (desktop::ClickTreeButton(zone->Window, zone->Item))
            desktop::SetFocus(zone->Window);
        return;
    case HitPart::Tab:
        // The tab control takes the focus, so that the arrow keys then change the page.
        if (desktop::ClickTab(zone->Window, zone->Index) && desktop::IsWindow(zone->Window))
            desktop::SetFocus(zone->Window);
        return;
    case HitPart::ComboButton:
        if (list.IsOpen())
            list.Close();
        else
            list.Open(zone->Window);
        return;
    case HitPart::ComboItem:
        list.Choose(zone->Index);
        return;
    case HitPart::Blocker:
    case HitPart::BoxButton:
        return;
    }
}

} // namespace terminal
