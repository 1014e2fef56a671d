// The moon as geometry: where the terminator runs for a phase and a tilt, and the
// integer shape each way of drawing it hands to GDI. Free of Win32.
#ifndef SORVANE_MOON_GEOMETRY_H
#define SORVANE_MOON_GEOMETRY_H

// Beyond this radius, on the 240-pixel face of 96 DPI, the terminator is drawn
// straight; on a larger face the bound grows with it.
constexpr double kStraightRadius = 1000.0;
constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;

struct Terminator {
    double x1, y1;   // upper pole, relative to the disc centre
    double x2, y2;   // lower pole
    double x3, y3;   // point on the equator
    double X, Y, R;  // circle through the three points
};

// The disc of the given radius is centred on 0, 0.
Terminator ComputeTerminator(double phase, double tilt, double radius);

enum class MoonWay {
    kStraight,  // a black polygon right of the pole axis
    kGibbous,   // the disc ANDed with a lit terminator disc
    kCrescent,  // a black terminator disc over the lit disc
    kUnlit,     // the geometry is not a number: nothing can be drawn honestly
};

struct MoonPoint {
    int x, y;
};

struct MoonPlan {
    MoonWay way;
    MoonPoint polygon[5];          // kStraight
    int left, top, right, bottom;  // kGibbous and kCrescent: the ellipse's box
};

// The disc fills a face of faceSize x faceSize pixels.
MoonPlan PlanMoon(double phase, double tilt, int faceSize);

// Which way draws the moon whose terminator t was computed for a disc of that radius.
MoonWay ChooseWay(double phase, const Terminator& t, double radius);

// Whether the point (x, y), relative to the centre and inside the disc, is lit by the
// way chosen for t: the pixel test behind an icon too small to draw with GDI's shapes.
bool LightsPoint(const Terminator& t, MoonWay way, double x, double y);

// Truncation toward zero that stays defined for any double: values beyond the int
// range saturate (GDI would clip them anyway); NaN is the caller's to rule out.
int TruncToInt(double value);

#endif
