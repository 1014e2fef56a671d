#include "meter/moon_geometry.h"

#include "framework/lengths.h"

#include <limits.h>
#include <math.h>

Terminator ComputeTerminator(double phase, double tilt, double radius) {
    Terminator t;
    const double s = sin(tilt);
    const double c = cos(tilt);
    t.x1 = radius * s;
    t.y1 = -(radius * c);
    t.x2 = -(radius * s);
    t.y2 = radius * c;
    const double k = radius * cos(phase);
    t.x3 = k * c;
    t.y3 = k * s;

    // Crossing of the perpendicular bisectors of P1P2 and P1P3, each as y = m x + b.
    // Divisions by zero are allowed to give infinities: a near-straight terminator
    // then shows up as a huge or infinite radius.
    const double mx = (t.x1 + t.x2) * 0.5;
    const double my = (t.y1 + t.y2) * 0.5;
    const double m1 = -((t.x2 - t.x1) / (t.y2 - t.y1));
    const double b1 = my - m1 * mx;
    const double hx = (t.x3 + t.x1) * 0.5;
    const double hy = (t.y3 + t.y1) * 0.5;
    const double m2 = -((t.x3 - t.x1) / (t.y3 - t.y1));
    const double b2 = hy - m2 * hx;
    t.X = (b2 - b1) / (m1 - m2);
    const double r = m1 / m2;
    t.Y = (b1 - b2 * r) / (1 - r);
    t.R = sqrt(pow(t.Y - t.y1, 2) + pow(t.X - t.x1, 2));
    return t;
}

int TruncToInt(double value) {
    if (value >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (value <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

namespace {

bool IsNumber(double v) { return v == v; }

MoonPlan StraightPlan(const Terminator& t, int faceSize) {
    MoonPlan p{};
    p.way = MoonWay::kStraight;
    // The poles are truncated first and then moved to the centre.
    const int centre = faceSize / 2;
    const int ux = TruncToInt(t.x1) + centre;
    const int uy = TruncToInt(t.y1) + centre;
    const int lx = TruncToInt(t.x2) + centre;
    const int ly = TruncToInt(t.y2) + centre;
    p.polygon[0] = {ux, uy};
    p.polygon[1] = {lx, ly};
    p.polygon[2] = {faceSize, ly};
    p.polygon[3] = {faceSize, 0};
    p.polygon[4] = {ux, 0};
    return p;
}

MoonPlan EllipsePlan(MoonWay way, const Terminator& t, int faceSize, double rounding) {
    MoonPlan p{};
    p.way = way;
    const int centre = faceSize / 2;
    p.left = TruncToInt((t.X - t.R) + centre + rounding);
    p.top = TruncToInt((t.Y - t.R) + centre + rounding);
    p.right = TruncToInt((t.R + t.X) + centre + rounding);
    p.bottom = TruncToInt((t.R + t.Y) + centre + rounding);
    return p;
}

}  // namespace

MoonWay ChooseWay(double phase, const Terminator& t, double radius) {
    const bool polesKnown = IsNumber(t.x1) && IsNumber(t.y1) && IsNumber(t.x2) && IsNumber(t.y2);
    if (!IsNumber(phase) || !polesKnown) {
        return MoonWay::kUnlit;
    }
    // A circle through three points that are (numerically) in a line has no
    // finite centre: its limit is the straight pole axis.
    constexpr double kDesignRadius = kFaceScale * kDesignLayer / 2.0;
    const double straight = kStraightRadius * radius / kDesignRadius;
    if (t.R > straight || !IsNumber(t.R) || !IsNumber(t.X) || !IsNumber(t.Y)) {
        return MoonWay::kStraight;
    }
    return phase <= kHalfPi ? MoonWay::kGibbous : MoonWay::kCrescent;
}

MoonPlan PlanMoon(double phase, double tilt, int faceSize) {
    const Terminator t = ComputeTerminator(phase, tilt, faceSize / 2.0);
    switch (ChooseWay(phase, t, faceSize / 2.0)) {
    case MoonWay::kStraight:
        return StraightPlan(t, faceSize);
    case MoonWay::kGibbous:
        return EllipsePlan(MoonWay::kGibbous, t, faceSize, 0.0);
    case MoonWay::kCrescent:
        return EllipsePlan(MoonWay::kCrescent, t, faceSize, 0.5);
    case MoonWay::kUnlit:
        break;
    }
    MoonPlan p{};
    p.way = MoonWay::kUnlit;
    return p;
}

bool LightsPoint(const Terminator& t, MoonWay way, double x, double y) {
    const double dx = x - t.X, dy = y - t.Y;
    const bool inTerminator = dx * dx + dy * dy <= t.R * t.R;
    switch (way) {
    case MoonWay::kStraight:
        // Lit on the side of the pole axis away from the equator point's direction,
        // which is the axis turned a quarter: (y2 - y1, x1 - x2).
        return x * (t.y2 - t.y1) + y * (t.x1 - t.x2) < 0;
    case MoonWay::kGibbous:
        return inTerminator;
    case MoonWay::kCrescent:
        return !inTerminator;
    case MoonWay::kUnlit:
        break;
    }
    return false;
}
