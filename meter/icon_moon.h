// The tray icon's moon: the face's moon drawn pixel by pixel at the icon's own size, in
// colours the taskbar's theme tells apart, and the contrast that says they do. Free of
// Win32.
#ifndef SORVANE_ICON_MOON_H
#define SORVANE_ICON_MOON_H

#include <stdint.h>

constexpr int kMaxIconSize = 128;  // the small icon at 500 % is 80; beyond, the fixed icon

enum class TaskbarTheme : uint8_t { kDark, kLight, kHighContrast };

struct IconColours {
    uint32_t lit, unlit, rim;  // COLORREF, 0x00BBGGRR
    bool smooth;               // blended edges; without, only these colours, each opaque
};

// The lit part in the face's colour for its state (high or charging, low, critical),
// made light enough for a dark taskbar; a low or critical battery's rim too. High Contrast takes
// the system's window and text colours and no other.
IconColours IconColoursFor(TaskbarTheme theme, uint32_t stateColour, uint32_t windowColour,
                           uint32_t textColour);

// A taskbar of the theme, at the end of its range that is hardest to stand out from.
uint32_t TaskbarColour(TaskbarTheme theme);

// WCAG 2.x: relative luminance 0..1, and the contrast ratio of two colours, 1..21.
double RelativeLuminance(uint32_t colour);
double ContrastRatio(uint32_t a, uint32_t b);

// The moon of that phase and tilt on a size x size icon, its disc one pixel in from each
// edge and ringed by the rim where it is unlit: 0xAARRGGBB pixels, straight alpha, top
// row first. 1 < size <= kMaxIconSize.
void DrawIconMoon(double phase, double tilt, const IconColours& colours, int size,
                  uint32_t* pixels);

#endif
