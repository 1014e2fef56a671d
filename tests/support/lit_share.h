// What a moon lights, measured: the share of the disc's pixels that are lit, and where
// their centre of mass lies from the disc's centre (right and down positive), over the
// rows above a given one. A plan's light comes from its shapes' geometry at each pixel's
// centre; GDI's own edge pixels differ by a pixel here and there. Free of windows.h.
#ifndef SORVANE_LIT_SHARE_H
#define SORVANE_LIT_SHARE_H

#include "meter/moon_geometry.h"

struct LitShare {
    double share, x, y;
};

template <typename Lit> LitShare MeasureLight(int size, int rows, Lit lit) {
    double disc = 0, count = 0, sx = 0, sy = 0, r = size / 2.0;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = x + 0.5 - r, dy = y + 0.5 - r;
            if (dx * dx + dy * dy <= r * r) {
                ++disc;
                if (lit(x, y)) {
                    ++count, sx += dx, sy += dy;
                }
            }
        }
    }
    return LitShare{count / disc, count ? sx / count / r : 0, count ? sy / count / r : 0};
}

inline bool PlanLights(const MoonPlan& p, int x, int y) {
    const double px = x + 0.5, py = y + 0.5;
    bool inPolygon = false;  // crossings of a ray to the right
    for (int i = 0, j = 4; i < 5; j = i++) {
        const MoonPoint &a = p.polygon[i], &b = p.polygon[j];
        inPolygon ^= (a.y > py) != (b.y > py) &&
                     px < a.x + (py - a.y) * double(b.x - a.x) / double(b.y - a.y);
    }
    const double rx = (p.right - p.left) / 2.0, ry = (p.bottom - p.top) / 2.0;
    const double dx = (px - p.left - rx) / rx, dy = (py - p.top - ry) / ry;
    const bool inShape = dx * dx + dy * dy <= 1;  // in the box's ellipse
    return p.way == MoonWay::kStraight  ? !inPolygon
           : p.way == MoonWay::kGibbous ? inShape
                                        : p.way == MoonWay::kCrescent && !inShape;
}

#endif
