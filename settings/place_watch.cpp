#include "settings/place_watch.h"

namespace {

bool AddMonitor(HMONITOR monitor, MonitorAreas& list) {
    MONITORINFO info;
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(monitor, &info)) {
        return false;
    }
    const RECT& w = info.rcWork;
    list.areas[list.count] = WorkArea{w.left, w.top, w.right, w.bottom};
    if (info.dwFlags & MONITORINFOF_PRIMARY) {
        list.primary = list.areas[list.count];
    }
    return ++list.count < kMaxMonitors;
}

BOOL CALLBACK AddMonitorArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    return AddMonitor(monitor, *reinterpret_cast<MonitorAreas*>(data));
}

}  // namespace

MonitorAreas ListMonitors() {
    MonitorAreas monitors = {};
    EnumDisplayMonitors(nullptr, nullptr, AddMonitorArea, reinterpret_cast<LPARAM>(&monitors));
    // Windows refused the list: the primary at least.
    if (monitors.count == 0) {
        AddMonitor(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), monitors);
    }
    return monitors;
}

Position PlaceWatch::Where(const Lengths& primary) const {
    RECT r;
    if (!m_known) {  // where it is, until the stored place was read
        return GetWindowRect(m_window, &r) ? Position{r.left, r.top} : Position{};
    }
    const MonitorAreas monitors = ListMonitors();
    return KeepOnMonitors(m_chosen, monitors.primary, monitors.areas, monitors.count, primary);
}
