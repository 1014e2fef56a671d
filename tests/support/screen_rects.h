// Where windows are and what the desktop leaves free; shared by the Win32 tests
// and the end-to-end harness.
#ifndef SORVANE_SCREEN_RECTS_H
#define SORVANE_SCREEN_RECTS_H

#include <windows.h>

inline RECT WindowRectOf(HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
}

inline RECT WorkArea() {
    RECT r;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

#endif
