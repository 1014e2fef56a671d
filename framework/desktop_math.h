// Placement arithmetic of the window library, free of Win32 so it is tested natively.
#ifndef SORVANE_DESKTOP_MATH_H
#define SORVANE_DESKTOP_MATH_H

struct CenteredOrigin {
    int x;
    int y;
};

// x uses the sum of left and right, y the height alone: both centre a window on a
// desktop whose origin is 0,0. Divisions truncate toward zero.
inline CenteredOrigin CenterOrigin(int left, int top, int right, int bottom, int width,
                                   int height) {
    return CenteredOrigin{(left + right) / 2 - width / 2, (bottom - top) / 2 - height / 2};
}

// Mouse coordinates in lParam are two signed 16-bit halves.
inline int SignedLow16(unsigned long value) { return static_cast<short>(value & 0xFFFF); }
inline int SignedHigh16(unsigned long value) { return static_cast<short>((value >> 16) & 0xFFFF); }

#endif
