// The About splash: a colour-keyed picture that fades in over the desktop centre
// and fades out when clicked or closed.
#ifndef SORVANE_ABOUTWIN_H
#define SORVANE_ABOUTWIN_H

#include <windows.h>

#include "framework/window.h"

class CAboutWin : public Cwindow {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    static int GetAlpha() { return s_alpha; }

private:
    void OnCreate();
    void OnClose();
    void OnTimer(WPARAM id);
    void OnFadeInTick();
    void OnFadeOutTick();
    void ApplyAlpha();

    static int s_alpha;
};

// The single About object of the process (constructed after the meter's).
CAboutWin& TheAboutWindow();

// Opens the splash over the meter window, unless it is already open.
void OpenAboutWindow(HWND meter);

#endif
