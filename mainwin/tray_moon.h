// The tray icon's picture: the battery's moon drawn for the taskbar's theme at the size
// the taskbar asks for, or the fixed tray.ico where Windows refuses the drawing. It holds
// the icon the shell was given until the shell has the next.
#ifndef SORVANE_TRAY_MOON_H
#define SORVANE_TRAY_MOON_H

#include <windows.h>

#include "framework/owned_handles.h"
#include "meter/icon_moon.h"
#include "meter/power_sample.h"

class TrayMoon {
public:
    // A change of the taskbar's light or dark theme, of High Contrast or of its colours.
    static bool IsThemeChange(WPARAM wParam, LPARAM lParam);
    // Light or dark, High Contrast and the system's colours, read again.
    void ReadTheme();
    // True when the picture may change: the charge or the state colour is new.
    bool SetBattery(const PowerSample& sample);
    // The fixed icon stands in for a moon that Windows refused to draw.
    bool StandingIn() const { return m_known && !m_shownDrawn; }
    // The icon the shell was last given.
    HICON Shown() const { return m_shown; }
    // Whether the icon of that size would look other than the one the shell has.
    bool Differs(int size);
    // A new icon for the shell, or null; the shell's answer then says which one to keep.
    HICON Make(int size);
    void Answer(bool taken);
    // The shell has no icon any more.
    void Forget();

private:
    static BOOL FreeIcon(HICON icon) { return DestroyIcon(icon); }
    using Icon = Owned<HICON, FreeIcon>;
    bool Draw(int size, uint32_t* pixels) const;

    TaskbarTheme m_theme = TaskbarTheme::kDark;
    uint32_t m_window = 0, m_text = 0;  // High Contrast's colours
    bool m_known = false;               // a battery was set
    uint8_t m_percent = 0;
    uint32_t m_stateColour = 0;
    double m_phase = 0, m_tilt = 0;
    Icon m_shown;    // the shell's, destroyed once it has the next
    Icon m_pending;  // made, the shell not yet asked
    bool m_pendingDrawn = false, m_shownDrawn = false;
    int m_pendingSize = 0, m_shownSize = 0;
    uint64_t m_pendingHash = 0, m_shownHash = 0;  // of the pictures drawn
};

#endif
