// Placement arithmetic of the window library, free of Win32 so it is tested natively.
#ifndef SORVANE_DESKTOP_MATH_H
#define SORVANE_DESKTOP_MATH_H

struct CenteredOrigin {
    int x;
    int y;
};

// The origin that centres a window on an area, each half truncated toward zero. On a
// monitor above or below the primary the area's top counts as much as its left.
inline CenteredOrigin CenterOrigin(int left, int top, int right, int bottom, int width,
                                   int height) {
    return CenteredOrigin{(left + right) / 2 - width / 2, (top + bottom) / 2 - height / 2};
}

// Mouse coordinates in lParam are two signed 16-bit halves.
inline int SignedLow16(unsigned long value) { return static_cast<short>(value & 0xFFFF); }
inline int SignedHigh16(unsigned long value) { return static_cast<short>((value >> 16) & 0xFFFF); }

#endif
