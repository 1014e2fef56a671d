#include "tests/support/wine_support.h"

#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "resources/resource.h"

PowerSample FakePower::sample = {};
bool FakePower::fail = false;
int FakePower::reads = 0;

BOOL WINAPI FakePower::Read(LPSYSTEM_POWER_STATUS status) {
    ++reads;
    if (fail) {
        memset(status, 0xEE, sizeof(*status));
        return FALSE;
    }
    memcpy(status, &sample, sizeof(sample));
    return TRUE;
}

void PumpFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

void DropQuit() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

MeterUnderTest::MeterUnderTest(const PowerSample& first) {
    FakePower::sample = first;
    FakePower::fail = false;
    m_meter.SetPowerReader(FakePower::Read);
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    m_meter.Register(instance, kTestMeterClass, nullptr, nullptr);
    m_meter.Create(instance, GetDesktopWindow(), "SorvaneTestMeter", WS_POPUP | WS_SYSMENU, 0);
}

MeterUnderTest::~MeterUnderTest() {
    if (m_meter.GetHwnd() && IsWindow(m_meter.GetHwnd())) {
        DestroyWindow(m_meter.GetHwnd());
    }
    DropQuit();
}

int MeterUnderTest::FinishFade() {
    int ticks = 0;
    while (m_meter.GetFade().timerRunning && ticks < 1000) {
        m_meter.FadeTick();
        ++ticks;
    }
    return ticks;
}

COLORREF SurfacePixel(CDibImage& image, int x, int y) {
    const uint8_t* p = image.GetRows()[y] + 3 * x;
    return RGB(p[2], p[1], p[0]);
}

std::string SettingsFilePath() {
    char folder[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_APPDATA, TRUE);
    return std::string(folder) + "\\Ostrel\\Sorvane Meter\\default.ini";
}

void RemoveSettingsFile() { DeleteFileA(SettingsFilePath().c_str()); }

int FakeTray::adds = 0;
int FakeTray::deletes = 0;

namespace {

LRESULT CALLBACK FakeTrayProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        FakeTray::adds += data->dwData == NIM_ADD;
        FakeTray::deletes += data->dwData == NIM_DELETE;
        return TRUE;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class FakeTrayEnvironment : public ::testing::Environment {
public:
    void SetUp() override { FakeTray::Install(); }
};

// Every test executable that links these helpers talks to the fake tray.
::testing::Environment* const g_trayEnvironment =
    ::testing::AddGlobalTestEnvironment(new FakeTrayEnvironment);

}  // namespace

void FakeTray::Install() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FakeTrayProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Shell_TrayWnd";
    RegisterClassA(&wc);
    CreateWindowExA(0, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance,
                    nullptr);
}
