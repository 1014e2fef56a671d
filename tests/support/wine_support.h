// Helpers of the Win32 tests, the Wine benchmark and the contact sheet: a power
// source they control, message pumping, a meter window made as the program makes
// it, a stand-in for the shell's notification area and a count of live GDI objects.
#ifndef SORVANE_WINE_SUPPORT_H
#define SORVANE_WINE_SUPPORT_H

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "mainwin/mainwin.h"
#include "resources/resource.h"
#include "tests/support/sample_maker.h"

struct FakePower {
    static inline PowerSample sample = {};
    static inline bool fail = false;
    static inline int reads = 0;
    static BOOL WINAPI Read(LPSYSTEM_POWER_STATUS status) {
        ++reads;
        memset(status, 0xEE, sizeof(*status));
        return !fail && memcpy(status, &sample, sizeof(sample));
    }
};

// Dispatches messages, each seen first, until done() or the bound; true when done() held.
inline bool PumpUntil(
    const std::function<bool()>& done, DWORD ms,
    const std::function<void(const MSG&)>& seen = [](const MSG&) {}) {
    for (const DWORD start = GetTickCount(); !done(); Sleep(5)) {
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) {
            seen(msg);
            if (msg.message != WM_QUIT) {  // left by a destroyed window
                DispatchMessageA(&msg);
            }
        }
        if (GetTickCount() - start >= ms) {
            return done();
        }
    }
    return true;
}
inline void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}
// Until the window's timer has ticked, or the bound; true when it ticked.
inline bool PumpUntilTick(HWND w, UINT_PTR id, DWORD ms) {
    bool ticked = false;
    return PumpUntil(
        [&] { return ticked; }, ms,
        [&](const MSG& m) { ticked |= m.hwnd == w && m.message == WM_TIMER && m.wParam == id; });
}

// A popup menu runs a loop of its own: this timer ends it, counting the menus it saw open
// and noting where the last was and whether Start with Windows showed its check mark.
inline int g_menusEnded = 0;
inline bool g_startChecked = false;
inline RECT g_menuRect = {};
inline void CALLBACK EndMenuNow(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    const HWND menu = FindWindowA("#32768", nullptr);
    g_menusEnded += IsWindowVisible(menu);
    GetWindowRect(menu, &g_menuRect);
    const UINT state = GetMenuState(HMENU(SendMessageA(menu, MN_GETHMENU, 0, 0)),
                                    ID_START_WITH_WINDOWS, MF_BYCOMMAND);
    g_startChecked = state != UINT(-1) && (state & MF_CHECKED);
    EndMenu();
}

// The meter's menu, open until EndMenuNow ends it.
inline void OpenMenu(HWND w, UINT_PTR(WINAPI* setTimer)(HWND, UINT_PTR, UINT, TIMERPROC)) {
    setTimer(nullptr, 0, 30, EndMenuNow);
    SendMessageA(w, WM_RBUTTONUP, 0, MAKELPARAM(30, 30));
}

// An icon's colour pixels, as many as it has.
inline std::vector<uint32_t> IconPixels(HICON icon) {
    ICONINFO info;
    BITMAP bitmap;
    std::vector<uint32_t> pixels;
    if (GetIconInfo(icon, &info) && GetObjectA(info.hbmColor, sizeof(bitmap), &bitmap)) {
        pixels.resize(bitmap.bmWidth * bitmap.bmHeight);
        GetBitmapBits(info.hbmColor, LONG(pixels.size() * 4), pixels.data());
        DeleteObject(info.hbmColor), DeleteObject(info.hbmMask);
    }
    return pixels;
}

// The shell (Wine's takes seconds to forget an icon): it records A, M, D, F, V (add, modify,
// delete, focus back, version 4 asked; T and I a modify of the tip or the icon alone), the last
// icon and tip it was given and each balloon ("flags|title|text|tip"), and, still starting at
// log-on, refuses the first; a refused add may land.
struct FakeShell {
    static inline int refusals = 0;
    static inline bool refusedAddsLand = false, iconThere = false, takesVersion4 = true;
    static inline UINT version = 0;
    static inline std::string calls, tip;
    static inline std::vector<std::string> balloons;
    static inline std::vector<uint32_t> icon;
    static inline NOTIFYICONDATAA callback = {};  // whom a click on the icon tells, and how
    // A click on the icon, or a key, told as the shell tells it; the fourth version says where.
    static LRESULT Click(UINT event, POINT at = {}) {
        const bool v4 = version == NOTIFYICON_VERSION_4;
        return SendMessageA(callback.hWnd, callback.uCallbackMessage,
                            v4 ? MAKEWPARAM(at.x, at.y) : callback.uID,
                            v4 ? MAKELPARAM(event, callback.uID) : event);
    }
    static BOOL WINAPI Notify(DWORD message, PNOTIFYICONDATAA data) {
        calls += data->uFlags == (NIF_TIP | NIF_SHOWTIP) ? 'T'
                 : data->uFlags == NIF_ICON              ? 'I'
                                                         : "AMDFV"[message];
        if (message == NIM_SETVERSION) {
            const bool holds = data->cbSize > offsetof(NOTIFYICONDATAA, uVersion);
            version = takesVersion4 && iconThere && holds ? data->uVersion : 0;
            return version == NOTIFYICON_VERSION_4;
        }
        icon = data->uFlags & NIF_ICON ? IconPixels(data->hIcon) : icon;
        // The fourth version shows the standard tip only when asked to.
        tip = data->uFlags & NIF_TIP ? data->uFlags & NIF_SHOWTIP ? data->szTip : "" : tip;
        if (data->uFlags & NIF_INFO) {
            balloons.push_back(std::to_string(data->dwInfoFlags) + "|" + data->szInfoTitle + "|" +
                               data->szInfo + "|" + (data->uFlags & NIF_TIP ? tip : "no tip"));
        }
        callback = data->uFlags & NIF_MESSAGE ? *data : callback;
        const bool taken =
            message == NIM_SETFOCUS || (refusals-- <= 0 && iconThere != (message == NIM_ADD));
        iconThere |= message == NIM_ADD && (taken || refusedAddsLand);
        return taken;
    }
};

// What Wine cannot show of the functions newer than Windows 7: Wine's power setting
// registration is a stub, and it has no privilege isolation. Calls are recorded. The
// window's DPI is the screen's, as before Windows 10; the real program asks the window.
struct FakeSystem {
    static inline GUID registered = {};
    static inline HPOWERNOTIFY unregistered = nullptr;
    static inline std::vector<UINT> allowed;        // messages let through
    static inline std::vector<UINT_PTR> coalesced;  // timers that may come late
    static inline decltype(NewerApi::getDpiForMonitor) monitorDpi = nullptr;  // a test's desktop
    static HPOWERNOTIFY WINAPI Register(HANDLE, LPCGUID setting, DWORD) {
        registered = *setting;
        return reinterpret_cast<HPOWERNOTIFY>(&registered);
    }
    static BOOL WINAPI Unregister(HPOWERNOTIFY notify) { return unregistered = notify, TRUE; }
    static BOOL WINAPI Allow(HWND, UINT message, DWORD action, PCHANGEFILTERSTRUCT) {
        allowed.push_back(action == MSGFLT_ALLOW ? message : 0);
        return TRUE;
    }
    static UINT_PTR WINAPI Coalesce(HWND w, UINT_PTR id, UINT ms, TIMERPROC, ULONG tolerance) {
        coalesced.push_back(tolerance > 0 ? id : 0);
        return SetTimer(w, id, ms, nullptr);
    }
    static inline bool windows7 = false;  // none of them there
    static inline int taskbarDpi = 0;     // the taskbar's scale, where a test sets one
    static UINT WINAPI DpiForWindow(HWND w) {
        return w && w == FindWindowA("Shell_TrayWnd", nullptr) ? taskbarDpi : 0;
    }
    static NewerApi Api() {
        NewerApi api = LookUpNewerApi();
        registered = GUID{}, unregistered = nullptr, allowed.clear(), coalesced.clear();
        if (windows7) {
            return NewerApi{};
        }
        api.setCoalescableTimer = Coalesce;
        api.registerPowerSettingNotification = Register;
        api.unregisterPowerSettingNotification = Unregister;
        api.changeWindowMessageFilterEx = Allow;
        api.getDpiForWindow = DpiForWindow;  // the meter's own: the screen's, as before Windows 10
        api.getDpiForMonitor = monitorDpi;
        return api;
    }
};

// A meter window on the fake power source, shell and system, destroyed (with its
// teardown) at the end.
class MeterUnderTest {
public:
    explicit MeterUnderTest(const PowerSample& first, int trayRefusals = 0,
                            bool refusedAddsLand = false) {
        FakePower::sample = first;
        FakePower::fail = false;
        FakeShell::refusals = trayRefusals, FakeShell::refusedAddsLand = refusedAddsLand;
        FakeShell::iconThere = false, FakeShell::calls = FakeShell::tip = "";
        FakeShell::balloons.clear();
        FakeShell::icon.clear();
        FakeShell::callback = {}, FakeShell::version = 0;
        m_meter.SetPowerReader(FakePower::Read);
        m_meter.SetTrayNotifier(FakeShell::Notify);
        m_meter.SetNewerApi(FakeSystem::Api());
        m_meter.Register(GetModuleHandleA(nullptr), "SorvaneTestMeter", nullptr, nullptr);
        m_meter.Create(GetModuleHandleA(nullptr), GetDesktopWindow(), "", WS_POPUP | WS_SYSMENU,
                       CMainWin::kExStyleAtCreation);
    }
    ~MeterUnderTest() {
        DestroyWindow(hwnd());
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    CMainWin& meter() { return m_meter; }
    HWND hwnd() const { return m_meter.GetHwnd(); }
    void Command(WORD id) { SendMessageA(hwnd(), WM_COMMAND, id, 0); }
    int FinishFade() {  // fade ticks by hand until the fade timer stops; how many it took
        int ticks = 0;
        for (; m_meter.GetFade().timerRunning && ticks < 1000; ++ticks) {
            m_meter.FadeTick();
        }
        return ticks;
    }

private:
    CMainWin m_meter;
};

inline COLORREF SurfacePixel(CDibImage& image, int x, int y) {
    const uint8_t* p = image.GetRows()[y] + 3 * x;
    return RGB(p[2], p[1], p[0]);
}

// This session's display: 0 off, 1 on, 2 dimmed; or as another setting, or cut short.
inline LRESULT Display(HWND meter, DWORD state, const GUID& setting = GUID_SESSION_DISPLAY_STATUS,
                       DWORD length = sizeof(DWORD)) {
    DWORD data[6] = {0, 0, 0, 0, length, state};  // Data is the last DWORD
    memcpy(data, &setting, sizeof(GUID));
    return SendMessageA(meter, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, LPARAM(data));
}

// The timer runs: killed to see, and started again.
inline bool TimerRuns(HWND w, UINT_PTR id, UINT ms,
                      UINT_PTR(WINAPI* start)(HWND, UINT_PTR, UINT, TIMERPROC) = SetTimer) {
    return KillTimer(w, id) && start(w, id, ms, nullptr);
}

inline RECT WindowRectOf(HWND hwnd) {
    RECT r = {};
    return GetWindowRect(hwnd, &r), r;
}

inline std::string SettingsFilePath() {
    char folder[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_APPDATA, TRUE);
    return std::string(folder) + "\\Ostrel\\Sorvane Meter\\default.ini";
}

// The user's place, stored where a meter made next starts.
inline bool StorePlace(const char* x, const char* y) {
    return WritePrivateProfileStringA("WINDOW", "POSX", x, SettingsFilePath().c_str()) &&
           WritePrivateProfileStringA("WINDOW", "POSY", y, SettingsFilePath().c_str());
}

// One key of the user's file, as written.
inline std::string Setting(const char* key, const char* section = "WINDOW") {
    char value[32] = "";
    GetPrivateProfileStringA(section, key, "", value, sizeof(value), SettingsFilePath().c_str());
    return value;
}

// Live GDI objects: every handle slot is asked for its type (Wine does not
// implement GetGuiResources). This relies on Wine's numbering: a GDI handle's low 16
// bits are its slot, and a handle given as the bare slot is taken for it.
inline int CountGdiObjects() {
    int count = 0;
    for (ULONG_PTR slot = 0; slot < 0x10000; ++slot) {
        count += GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0;
    }
    return count;
}

#endif
