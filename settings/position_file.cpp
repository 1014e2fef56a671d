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
constexpr char kAlerts[] = "ALERTS";
constexpr char kKeyLow[] = "LOW";
constexpr char kKeyLowOn[] = "LOWALERT";
constexpr char kKeyUnplug[] = "UNPLUG";
constexpr char kKeyUnplugOn[] = "UNPLUGALERT";

// The user's file, its folders made; false with no application-data folder, where
// nothing could be kept.
bool WritablePath(char (&path)[kPathSize]) {
    CFileUtil files;
    if (!files.GetSpecialFolderPath(path, sizeof(path), CSIDL_APPDATA, kVendorFolder)[0]) {
        return false;
    }
    CreateDirectoryA(path, nullptr);
    if (files.GetSpecialFolderPath(path, sizeof(path), CSIDL_APPDATA, kProductFolder)[0]) {
        CreateDirectoryA(path, nullptr);
    }
    return files.GetSpecialFolderPath(path, sizeof(path), CSIDL_APPDATA, kSettingsFile)[0] != 0;
}

// The user's file, or the one beside the program when the user has none; empty when
// there is no path at all.
void ReadablePath(char (&path)[kPathSize]) {
    CFileUtil files;
    files.GetSpecialFolderPath(path, sizeof(path), CSIDL_APPDATA, kSettingsFile);
    if (!path[0] || !FileExists(path, false)) {
        files.GetModuleDirPath(path, sizeof(path), kFallbackFile);
    }
}

void WriteNumber(const char* key, int number, const char* path) {
    char value[kValueSize];
    FormatText(value, sizeof(value), "%d", number);
    WritePrivateProfileStringA(kAlerts, key, value, path);
}

}  // namespace

// The user's place, not one that monitors changing force on the meter for a while.
int CMainWin::SavePosition() {
    const Position p = m_place.Chosen();
    char path[kPathSize];
    if (!WritablePath(path)) {
        return 1;
    }
    char value[kValueSize];
    FormatText(value, sizeof(value), "%d", p.x);
    WritePrivateProfileStringA(kSection, kKeyX, value, path);
    FormatText(value, sizeof(value), "%d", p.y);
    WritePrivateProfileStringA(kSection, kKeyY, value, path);
    return 1;
}

int CMainWin::RestorePosition() {
    char path[kPathSize];
    ReadablePath(path);
    char x[kValueSize];
    char y[kValueSize];
    FormatText(x, sizeof(x), "%s", kNotSet);
    FormatText(y, sizeof(y), "%s", kNotSet);
    // With no path at all there is nothing to read: the defaults.
    if (path[0]) {
        GetPrivateProfileStringA(kSection, kKeyX, kNotSet, x, sizeof(x), path);
        GetPrivateProfileStringA(kSection, kKeyY, kNotSet, y, sizeof(y), path);
    }
    // A place on a monitor that is not there now stays the user's, for when it comes back.
    m_place.Choose(StoredPlace(x, y, ListMonitors().primary, PrimaryLengths()));
    GoTo(m_place.Where(PrimaryLengths()));
    return 1;
}

void CMainWin::PlaceAt(Position p) {
    MoveTo(p.x, p.y);
    RECT r;
    if (GetWindowRect(m_hwnd, &r) && (r.left != p.x || r.top != p.y)) {
        MoveTo(p.x, p.y);
    }
}

// Where the meter belongs, unless a drag is under way.
void CMainWin::GoTo(Position p) {
    RECT r;
    if (!m_pointer.dragging && GetWindowRect(m_hwnd, &r) && (r.left != p.x || r.top != p.y)) {
        PlaceAt(p);
    }
}

// Where the window is now is the user's place, kept at once: a battery that dies, a crash
// or a forced end would lose it.
void CMainWin::KeepPlace() {
    RECT r;
    if (GetWindowRect(m_hwnd, &r)) {
        m_place.Choose(Position{r.left, r.top});
    }
    SavePosition();
}

// The levels are written too, so that the user finds where to change them.
void CMainWin::SaveAlerts() {
    const AlertSettings& a = m_alerts.Settings();
    char path[kPathSize];
    if (!WritablePath(path)) {
        return;
    }
    WriteNumber(kKeyLow, a.lowLevel, path);
    WritePrivateProfileStringA(kAlerts, kKeyLowOn, a.lowOn ? "on" : "off", path);
    WriteNumber(kKeyUnplug, a.unplugLevel, path);
    WritePrivateProfileStringA(kAlerts, kKeyUnplugOn, a.unplugOn ? "on" : "off", path);
}

void CMainWin::RestoreAlerts() {
    char path[kPathSize];
    ReadablePath(path);
    AlertSettings a;
    char value[kValueSize];
    const auto read = [&](const char* key) {
        value[0] = 0;
        if (path[0]) {
            GetPrivateProfileStringA(kAlerts, key, "", value, sizeof(value), path);
        }
        return value;
    };
    a.lowLevel = ParseAlertLevel(read(kKeyLow), a.lowLevel);
    a.lowOn = ParseAlertSwitch(read(kKeyLowOn), a.lowOn);
    a.unplugLevel = ParseAlertLevel(read(kKeyUnplug), a.unplugLevel);
    a.unplugOn = ParseAlertSwitch(read(kKeyUnplugOn), a.unplugOn);
    m_alerts = BatteryAlerts(a);
}
