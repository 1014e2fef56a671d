// The About splash: a colour-keyed picture that fades in over the desktop centre
// and fades out when clicked or closed.
#ifndef SORVANE_ABOUTWIN_H
#define SORVANE_ABOUTWIN_H

#include <windows.h>

#include "framework/lengths.h"
#include "framework/window.h"

class CAboutWin : public Cwindow {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Where and how large the next opening shows: centred on area at the lengths' scale.
    void Prepare(const RECT& area, const Lengths& lengths) {
        m_area = area;
        m_lengths = lengths;
    }

private:
    void OnCreate();
    void OnClose();
    void OnTimer(WPARAM id);
    void OnFadeInTick();
    void OnFadeOutTick();
    void ApplyAlpha();

    static int s_alpha;
    RECT m_area = {};
    Lengths m_lengths = LengthsAt(kDesignDpi);
};

// The single About object of the process (constructed after the meter's).
CAboutWin& TheAboutWindow();

// Opens the splash on the meter's monitor at the meter's scale, unless it is already
// open.
void OpenAboutWindow(HWND meter, const Lengths& lengths);

#endif
