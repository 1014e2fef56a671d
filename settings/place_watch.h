// The meter's place. The user's is the one restored at the start, a drag's end or Reset:
// it is what is saved. Docking, a new resolution or taskbar come as a burst of messages;
// once the burst has settled the meter belongs at the user's place when that lies on a
// monitor's work area again, and otherwise at the start's rule's place on the primary
// one, for as long as the monitors stay so: a place forced on it is never the user's. The
// watch owns the settle timer.
#ifndef SORVANE_PLACE_WATCH_H
#define SORVANE_PLACE_WATCH_H

#include <windows.h>

#include "resources/resource.h"
#include "settings/position_rules.h"

constexpr int kMaxMonitors = 16;

struct MonitorAreas {
    WorkArea areas[kMaxMonitors];
    int count;
    WorkArea primary;  // also in areas
};

// Every monitor's work area, from the one source that follows changes under Wine too
// (which keeps SPI_GETWORKAREA as it was when the process started).
MonitorAreas ListMonitors();

class PlaceWatch {
public:
    static constexpr UINT kSettleMs = 1000;

    void Attach(HWND window) { m_window = window; }
    void Choose(Position place) {
        m_chosen = place;
        m_known = true;
    }
    // Saving is sound only once the stored place was read, or a new one chosen.
    bool Known() const { return m_known; }
    Position Chosen() const { return m_chosen; }
    // Each message of the burst starts the wait again.
    void OnChange() { SetTimer(m_window, TIMER_PLACE_CHECK, kSettleMs, nullptr); }
    // The wait is over: where the meter belongs now.
    Position OnSettled(const Lengths& primary) {
        Stop();
        return Where(primary);
    }
    // The user's place, or the place it falls back to on the monitors there are now.
    Position Where(const Lengths& primary) const;
    void Stop() { KillTimer(m_window, TIMER_PLACE_CHECK); }

private:
    HWND m_window = nullptr;
    Position m_chosen = {};
    bool m_known = false;
};

#endif
