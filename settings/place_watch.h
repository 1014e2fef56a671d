// The meter's place after the monitors change. Docking, a new resolution or taskbar
// come as a burst of messages: once the burst has settled, a place on no monitor goes
// back onto the primary's work area by the start's rule. The watch owns the settle timer.
#ifndef SORVANE_PLACE_WATCH_H
#define SORVANE_PLACE_WATCH_H

#include <windows.h>

#include "resources/resource.h"
#include "settings/position_rules.h"

constexpr int kMaxMonitors = 16;

struct MonitorAreas {
    WorkArea areas[kMaxMonitors];
    int count;
    int primary;  // -1 until the primary monitor is seen
};

MonitorAreas ListMonitors();

class PlaceWatch {
public:
    static constexpr UINT kSettleMs = 1000;

    void Attach(HWND window) { m_window = window; }
    // Each message of the burst starts the wait again.
    void OnChange() { SetTimer(m_window, TIMER_PLACE_CHECK, kSettleMs, nullptr); }
    // The settle timer's tick: the check is due, once.
    void OnTimer() { Stop(); }
    void Stop() { KillTimer(m_window, TIMER_PLACE_CHECK); }
    // True when the window's top-left lies on no monitor's work area now; to is where it
    // belongs then.
    bool Misplaced(const Lengths& lengths, Position& to) const;

private:
    HWND m_window = nullptr;
};

#endif
