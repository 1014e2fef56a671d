// What Windows says of power beside the poll: plugging, unplugging and waking come as
// broadcasts, and the display's state as a registered power setting. The watch owns the
// poll's timer, which may come late so that the processor wakes for several timers at
// once and which stops while the screen is dark, and the registration, which it gives
// back when it stops.
#ifndef SORVANE_POWER_WATCH_H
#define SORVANE_POWER_WATCH_H

#include <windows.h>

#include "framework/newer_api.h"

class PowerWatch {
public:
    // How late the poll may come. Plugging and unplugging arrive as messages at once, so
    // the poll is only the fallback; a tolerance beyond about 1.6 s is not kept by
    // Windows 8's timer encoding anyway.
    static constexpr ULONG kPollToleranceMs = 1000;

    PowerWatch() = default;
    ~PowerWatch() { Stop(); }
    PowerWatch(const PowerWatch&) = delete;
    PowerWatch& operator=(const PowerWatch&) = delete;

    void Start(HWND window, const NewerApi& api);
    void Stop();
    // WM_POWERBROADCAST: true when the face must be brought up to date now.
    bool OnBroadcast(WPARAM event, LPARAM data);
    // A poll timer Windows refused is asked for again (the fade tick asks).
    void RetryRefusedTimer();

private:
    void OnDisplayState(DWORD state);
    void StartPollTimer();

    HWND m_window = nullptr;
    NewerApi m_api = {};
    HPOWERNOTIFY m_displayNotify = nullptr;
    bool m_screenOn = true;  // where Windows never says, it counts as on
    bool m_pollTimerOn = false;
};

#endif
