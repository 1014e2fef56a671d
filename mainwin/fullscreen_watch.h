// Whether a full-screen window covers the meter: the window the meter is drawn over (down
// the z-order from the top, the first that is seen and holds the meter's centre, gadgets,
// the meter's own windows and the shell's surfaces passed over; mainwin/cover_rule.h) has
// no caption and covers the meter's monitor, or Windows says that an exclusive Direct3D
// program runs in front on that monitor. A maximized window keeps its caption, and the
// taskbar shows. The watch hears of a new foreground window, a minimize and the end of a
// move or size anywhere, and while a window covers the meter, of that window going, hiding
// or moving, as WinEvents; it then asks its owner to look again. Where none come, the poll
// looks. It owns its event hooks.
#ifndef SORVANE_FULLSCREEN_WATCH_H
#define SORVANE_FULLSCREEN_WATCH_H

#include <windows.h>

#include "framework/newer_api.h"
#include "mainwin/cover_rule.h"

class FullScreenWatch {
public:
    FullScreenWatch() = default;
    ~FullScreenWatch() { Stop(); }
    FullScreenWatch(const FullScreenWatch&) = delete;
    FullScreenWatch& operator=(const FullScreenWatch&) = delete;

    // Watches for meter, which gets WM_FULLSCREEN when it should look again.
    void Start(HWND meter, const NewerApi& api);
    void Stop();
    // Whether a full-screen window covers the meter now.
    bool Check();

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                                 LONG child, DWORD thread, DWORD time);
    HWND CoveringWindow() const;
    WindowFacts FactsOf(HWND window, char* name, int size) const;
    bool Own(HWND window) const;
    void AskTheShell();
    void Follow(HWND covering);

    HWND m_meter = nullptr;
    DWORD m_thread = 0;  // the meter's, whose windows are its own
    NewerApi m_api = {};
    HWINEVENTHOOK m_anywhere[3] = {};
    HWINEVENTHOOK m_covering[2] = {};  // the covering window's process's
    HWND m_coveringWindow = nullptr;
    HWND m_askedAbout = nullptr;  // the foreground window the shell was last asked about
    int m_shellState = 0;         // its answer then
    bool m_lookPending = false;   // WM_FULLSCREEN waits in the queue
};

#endif
