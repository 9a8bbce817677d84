#include "host/terminal/HitMap.h"

namespace terminal {

const HitZone* HitMap::At(int x, int y) const {
    for (auto zone = zones_.rbegin(); zone != zones_.rend(); ++zone)
        if (zone->Rect.Contains(x, y))
            return &*zone;
    return nullptr;
}

} // namespace terminal
