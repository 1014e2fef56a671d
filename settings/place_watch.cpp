#include "settings/place_watch.h"

namespace {

BOOL CALLBACK AddMonitorArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MonitorAreas& list = *reinterpret_cast<MonitorAreas*>(data);
    MONITORINFO info;
    info.cbSize = sizeof(info);
    if (GetMonitorInfoA(monitor, &info)) {
        const RECT& w = info.rcWork;
        if (info.dwFlags & MONITORINFOF_PRIMARY) {
            list.primary = list.count;
        }
        list.areas[list.count++] = WorkArea{w.left, w.top, w.right, w.bottom};
    }
    return list.count < kMaxMonitors;
}

}  // namespace

MonitorAreas ListMonitors() {
    MonitorAreas monitors;
    monitors.count = 0;
    monitors.primary = -1;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitorArea, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

// The primary work area comes from the monitor list: on Windows it equals
// SPI_GETWORKAREA, and Wine keeps that one as it was when the process started.
bool PlaceWatch::Misplaced(const Lengths& lengths, Position& to) const {
    const MonitorAreas monitors = ListMonitors();
    RECT r;
    if (monitors.primary < 0 || !GetWindowRect(m_window, &r)) {
        return false;
    }
    to = KeepOnMonitors(Position{r.left, r.top}, monitors.areas[monitors.primary], monitors.areas,
                        monitors.count, lengths);
    return to.x != r.left || to.y != r.top;
}
