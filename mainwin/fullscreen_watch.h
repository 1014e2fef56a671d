// Whether a full-screen window covers the meter's monitor: the foreground window, when it
// is neither the desktop nor the shell's, covering the monitor's whole rectangle without a
// caption (a maximized window keeps its caption, and the taskbar still shows), or Windows
// saying that a presentation or a full-screen Direct3D program runs. Windows tells of each
// new foreground window, and of each move, hide and end of the one in front, as WinEvents;
// the watch then posts WM_FULLSCREEN to the meter when the answer changed. It owns its two
// event hooks. No timer: while nothing changes it costs nothing.
#ifndef SORVANE_FULLSCREEN_WATCH_H
#define SORVANE_FULLSCREEN_WATCH_H

#include <windows.h>

class FullScreenWatch {
public:
    FullScreenWatch() = default;
    ~FullScreenWatch() { Stop(); }
    FullScreenWatch(const FullScreenWatch&) = delete;
    FullScreenWatch& operator=(const FullScreenWatch&) = delete;

    // Starts watching for meter; Covered() tells at once, without a message.
    void Start(HWND meter);
    void Stop();
    // Looks again: the meter may be on another monitor now.
    void Check();
    bool Covered() const { return m_covered; }
    // The test itself, apart from the events.
    bool FullScreenNow() const;

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                                 LONG child, DWORD thread, DWORD time);
    void Follow(HWND front);

    using NotificationState = HRESULT(WINAPI*)(int*);
    HWND m_meter = nullptr;
    HWND m_front = nullptr;  // the foreground window whose moves are watched
    HWINEVENTHOOK m_foregroundHook = nullptr;
    HWINEVENTHOOK m_frontHook = nullptr;
    NotificationState m_notificationState = nullptr;  // Vista and later
    bool m_covered = false;
};

#endif
