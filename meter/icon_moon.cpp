#include "meter/icon_moon.h"

#include <math.h>

#include "meter/moon_geometry.h"
#include "meter/power_sample.h"

namespace {

constexpr uint32_t Rgb(int r, int g, int b) {
    return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16;
}

// On a dark taskbar the face's colours are too dark to see: each state keeps its hue,
// lightened. On a light one they are the face's own.
constexpr uint32_t kDarkNormal = Rgb(120, 160, 255);
constexpr uint32_t kDarkLow = Rgb(255, 120, 140);
constexpr uint32_t kDarkCritical = Rgb(255, 80, 64);
constexpr IconColours kDark = {kDarkNormal, Rgb(12, 12, 12), Rgb(150, 150, 150), true};
constexpr IconColours kLight = {kNormalColour, Rgb(245, 245, 245), Rgb(96, 96, 96), true};

constexpr int kSamplesPerSide = 4;  // 16 samples a pixel for the blended edges

double Linear(uint32_t channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : pow((c + 0.055) / 1.055, 2.4);
}

uint32_t Channel(uint32_t colour, int shift) { return (colour >> shift) & 0xFF; }

}  // namespace

IconColours IconColoursFor(TaskbarTheme theme, uint32_t stateColour, uint32_t windowColour,
                           uint32_t textColour) {
    if (theme == TaskbarTheme::kHighContrast) {
        return IconColours{textColour, windowColour, textColour, false};
    }
    IconColours c = theme == TaskbarTheme::kLight ? kLight : kDark;
    if (theme == TaskbarTheme::kLight) {
        c.lit = stateColour;
    } else {
        c.lit = stateColour == kLowColour        ? kDarkLow
                : stateColour == kCriticalColour ? kDarkCritical
                                                 : kDarkNormal;
    }
    // A low battery's crescent is a pixel or less at 16 pixels: the rim says it too.
    if (stateColour == kLowColour || stateColour == kCriticalColour) {
        c.rim = c.lit;
    }
    return c;
}

uint32_t TaskbarColour(TaskbarTheme theme) {
    // The dark taskbars of Windows 10 and 11 lie about 16 to 32 grey, the light ones
    // about 238 to 243.
    return theme == TaskbarTheme::kLight ? Rgb(238, 238, 238) : Rgb(32, 32, 32);
}

double RelativeLuminance(uint32_t colour) {
    return 0.2126 * Linear(Channel(colour, 0)) + 0.7152 * Linear(Channel(colour, 8)) +
           0.0722 * Linear(Channel(colour, 16));
}

double ContrastRatio(uint32_t a, uint32_t b) {
    const double la = RelativeLuminance(a) + 0.05, lb = RelativeLuminance(b) + 0.05;
    return la > lb ? la / lb : lb / la;
}

void DrawIconMoon(double phase, double tilt, const IconColours& colours, int size,
                  uint32_t* pixels) {
    const double centre = size / 2.0, radius = centre - 1;
    const double rim = size < 40 ? 1 : 2;
    const double inner = (radius - rim) * (radius - rim);
    const Terminator t = ComputeTerminator(phase, tilt, radius);
    const MoonWay way = ChooseWay(phase, t, radius);
    // Without blending, one sample at each pixel's centre: a pixel is one colour or clear.
    const int n = colours.smooth ? kSamplesPerSide : 1;
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            int covered = 0, sum[3] = {0, 0, 0};
            for (int sy = 0; sy < n; ++sy) {
                for (int sx = 0; sx < n; ++sx) {
                    const double x = px + (sx + 0.5) / n - centre;
                    const double y = py + (sy + 0.5) / n - centre;
                    const double d2 = x * x + y * y;
                    if (d2 > radius * radius) {
                        continue;
                    }
                    const uint32_t c = LightsPoint(t, way, x, y) ? colours.lit
                                       : d2 > inner              ? colours.rim
                                                                 : colours.unlit;
                    ++covered;
                    for (int k = 0; k < 3; ++k) {
                        sum[k] += int(Channel(c, 8 * k));
                    }
                }
            }
            uint32_t p = 0;
            if (covered) {
                const int half = covered / 2;
                p = uint32_t((covered * 255 + n * n / 2) / (n * n)) << 24 |
                    uint32_t((sum[0] + half) / covered) << 16 |
                    uint32_t((sum[1] + half) / covered) << 8 | uint32_t((sum[2] + half) / covered);
            }
            pixels[py * size + px] = p;
        }
    }
}
