#include "framework/lengths.h"

namespace {

constexpr int kBigFont = 61;
constexpr int kSmallFont = 53;
constexpr int kPercentTop = 68;
constexpr int kStatusTop = 132;
constexpr int kOutlineFrom = -4;  // -4..+3: an 8-pixel outline, 2 pixels in the window
constexpr int kOutlineWidth = 8;
constexpr int kRightInset = 85;  // 25 pixels between the meter and the right edge
constexpr int kTopInset = 25;
constexpr int kAboutWidth = 537;  // the About picture's own size
constexpr int kAboutHeight = 96;
constexpr int kAboutLift = 50;

}  // namespace

int MulDivRound(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

Lengths LengthsAt(int dpi) {
    dpi = dpi < kDesignDpi ? kDesignDpi : dpi > kMaxDpi ? kMaxDpi : dpi;
    Lengths l;
    l.dpi = dpi;
    l.layer = ScaleLength(kDesignLayer, dpi);
    l.face = kFaceScale * l.layer;
    l.bigFont = ScaleLength(kBigFont, dpi);
    l.smallFont = ScaleLength(kSmallFont, dpi);
    l.percentTop = ScaleLength(kPercentTop, dpi);
    l.statusTop = ScaleLength(kStatusTop, dpi);
    // The width scales, not each end, so the outline keeps its apparent width.
    l.outlineFrom = ScaleLength(kOutlineFrom, dpi);
    l.outlineTo = l.outlineFrom + ScaleLength(kOutlineWidth, dpi) - 1;
    l.rightInset = ScaleLength(kRightInset, dpi);
    l.topInset = ScaleLength(kTopInset, dpi);
    l.aboutWidth = ScaleLength(kAboutWidth, dpi);
    l.aboutHeight = ScaleLength(kAboutHeight, dpi);
    l.aboutLift = ScaleLength(kAboutLift, dpi);
    return l;
}
