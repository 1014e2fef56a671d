#include "mainwin/mainwin.h"

#include <shlobj.h>

#include "framework/format.h"
#include "settings/fileutil.h"
#include "settings/place_watch.h"

namespace {

constexpr char kVendorFolder[] = "Ostrel";
constexpr char kProductFolder[] = "Ostrel\\Sorvane Meter";
constexpr char kSettingsFile[] = "Ostrel\\Sorvane Meter\\default.ini";
constexpr char kFallbackFile[] = "default.ini";
constexpr char kSection[] = "WINDOW";
constexpr char kKeyX[] = "POSX";
constexpr char kKeyY[] = "POSY";

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
                                       monitors.areas, monitors.count, PrimaryLengths());
    PlaceAt(p);
    m_positionKnown = true;
    return 1;
}

void CMainWin::PlaceAt(Position p) {
    MoveTo(p.x, p.y);
    RECT r;
    if (GetWindowRect(m_hwnd, &r) && (r.left != p.x || r.top != p.y)) {
        MoveTo(p.x, p.y);
    }
}

void CMainWin::KeepOnAMonitor() {
    Position p;
    if (m_place.Misplaced(PrimaryLengths(), p)) {
        PlaceAt(p);
    }
}
