#include "mainwin/mainwin.h"

#include <shlobj.h>

#include "framework/format.h"
#include "settings/fileutil.h"
#include "settings/position_rules.h"

namespace {

constexpr char kVendorFolder[] = "Ostrel";
constexpr char kProductFolder[] = "Ostrel\\Sorvane Meter";
constexpr char kSettingsFile[] = "Ostrel\\Sorvane Meter\\default.ini";
constexpr char kFallbackFile[] = "default.ini";
constexpr char kSection[] = "WINDOW";
constexpr char kKeyX[] = "POSX";
constexpr char kKeyY[] = "POSY";
constexpr int kMaxMonitors = 16;

struct MonitorAreas {
    WorkArea areas[kMaxMonitors];
    int count;
    int primary;  // -1 until the primary monitor is seen
};

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

MonitorAreas ListMonitors() {
    MonitorAreas monitors;
    monitors.count = 0;
    monitors.primary = -1;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitorArea, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

}  // namespace

int CMainWin::SavePosition() {
    RECT r;
    GetWindowRect(m_hwnd, &r);
    CFileUtil files;
    char path[kPathSize];
    // No application-data folder: there is nowhere the position could be kept.
    if (!files.GetSpecialFolderPath(path, sizeof(path), CSIDL_APPDATA, kVendorFolder)[0]) {
        return 1;
    }
    CreateDirectoryA(path, nullptr);
    if (files.GetSpecialFolderPath(path, sizeof(path), CSIDL_APPDATA, kProductFolder)[0]) {
        CreateDirectoryA(path, nullptr);
    }
    if (!files.GetSpecialFolderPath(path, sizeof(path), CSIDL_APPDATA, kSettingsFile)[0]) {
        return 1;
    }
    char value[kValueSize];
    FormatText(value, sizeof(value), "%d", static_cast<int>(r.left));
    WritePrivateProfileStringA(kSection, kKeyX, value, path);
    FormatText(value, sizeof(value), "%d", static_cast<int>(r.top));
    WritePrivateProfileStringA(kSection, kKeyY, value, path);
    return 1;
}

int CMainWin::RestorePosition() {
    RECT r;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    CFileUtil files;
    char path[kPathSize];
    files.GetSpecialFolderPath(path, sizeof(path), CSIDL_APPDATA, kSettingsFile);
    if (!path[0] || !FileExists(path, false)) {
        files.GetModuleDirPath(path, sizeof(path), kFallbackFile);
    }
    char x[kValueSize];
    char y[kValueSize];
    FormatText(x, sizeof(x), "%s", kNotSet);
    FormatText(y, sizeof(y), "%s", kNotSet);
    // With no path at all there is nothing to read: the defaults.
    if (path[0]) {
        GetPrivateProfileStringA(kSection, kKeyX, kNotSet, x, sizeof(x), path);
        GetPrivateProfileStringA(kSection, kKeyY, kNotSet, y, sizeof(y), path);
    }
    const MonitorAreas monitors = ListMonitors();
    const Position p = ResolvePosition(x, y, WorkArea{r.left, r.top, r.right, r.bottom},
                                       monitors.areas, monitors.count, m_lengths);
    MoveTo(p.x, p.y);
    m_positionKnown = true;
    return 1;
}

// After a change of monitors the place is checked as at the start. The primary work
// area comes from the monitor list: on Windows it equals SPI_GETWORKAREA, and Wine
// keeps that one as it was when the process started.
void CMainWin::KeepOnWorkArea() {
    const MonitorAreas monitors = ListMonitors();
    RECT r;
    if (monitors.primary < 0 || !GetWindowRect(m_hwnd, &r)) {
        return;
    }
    const Position p = KeepOnMonitors(Position{r.left, r.top}, monitors.areas[monitors.primary],
                                      monitors.areas, monitors.count, m_lengths);
    if (p.x != r.left || p.y != r.top) {
        MoveTo(p.x, p.y);
    }
}
