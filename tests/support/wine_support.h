// Helpers of the Win32 tests, the Wine benchmark and the contact sheet: a power
// source they control, message pumping, a meter window made as the program makes
// it, a stand-in notification area and a count of live GDI objects.
#ifndef SORVANE_WINE_SUPPORT_H
#define SORVANE_WINE_SUPPORT_H

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <functional>
#include <string>

#include "mainwin/mainwin.h"
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

// How many ticks of each timer (100..105) a pump dispatched, and when the first came.
struct TimerLog {
    int count[6] = {};
    DWORD first[6] = {};
};

// Dispatches messages until done() or the bound; true when done() held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms, TimerLog* log = nullptr) {
    for (const DWORD start = GetTickCount(); !done(); Sleep(5)) {
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) {
            const WPARAM slot = msg.wParam - 100;
            if (log && msg.message == WM_TIMER && slot < 6 && !log->count[slot]++) {
                log->first[slot] = GetTickCount() - start;
            }
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
inline void PumpFor(DWORD ms, TimerLog* log = nullptr) {
    PumpUntil([] { return false; }, ms, log);
}

// A meter window on the fake power source, destroyed (with its teardown) at the end.
class MeterUnderTest {
public:
    explicit MeterUnderTest(const PowerSample& first) {
        FakePower::sample = first;
        FakePower::fail = false;
        m_meter.SetPowerReader(FakePower::Read);
        m_meter.Register(GetModuleHandleA(nullptr), "SorvaneTestMeter", nullptr, nullptr);
        m_meter.Create(GetModuleHandleA(nullptr), GetDesktopWindow(), "", WS_POPUP | WS_SYSMENU, 0);
    }
    ~MeterUnderTest() {
        DestroyWindow(hwnd());
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    CMainWin& meter() { return m_meter; }
    HWND hwnd() const { return m_meter.GetHwnd(); }
    int FinishFade() {  // fade ticks by hand until the fade timer stops; their count
        int ticks = 0;
        for (; m_meter.GetFade().timerRunning && ticks < 1000; ++ticks) {
            m_meter.FadeTick();
        }
        return ticks;
    }

private:
    CMainWin m_meter;
};

// Stands in for the notification area, to which the shell library hands each icon
// request as WM_COPYDATA. Wine's own tray takes seconds to forget an icon.
struct FakeTray {
    static inline int adds = 0, deletes = 0;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COPYDATA) {
            const ULONG_PTR request = reinterpret_cast<const COPYDATASTRUCT*>(lParam)->dwData;
            adds += request == NIM_ADD, deletes += request == NIM_DELETE;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    static void Install() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&wc);
        CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                      nullptr);
    }
};

inline COLORREF SurfacePixel(CDibImage& image, int x, int y) {
    const uint8_t* p = image.GetRows()[y] + 3 * x;
    return RGB(p[2], p[1], p[0]);
}

inline RECT WindowRectOf(HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
}

inline std::string SettingsFilePath() {
    char folder[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_APPDATA, TRUE);
    return std::string(folder) + "\\Ostrel\\Sorvane Meter\\default.ini";
}

// Live GDI objects: every handle slot is asked for its type (Wine does not
// implement GetGuiResources).
inline int CountGdiObjects() {
    int count = 0;
    for (ULONG_PTR slot = 0; slot < 0x10000; ++slot) {
        count += GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0;
    }
    return count;
}

#endif
