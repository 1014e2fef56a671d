#include <windows.h>

#include "app/globals.h"

namespace {

constexpr char kMeterClass[] = "OstrelBatteryMeter";
constexpr char kMeterTitle[] = "SorvaneBatteryMeter";
constexpr DWORD kMeterStyle = WS_POPUP | WS_SYSMENU;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Another copy runs: it keeps the meter, this one leaves without a trace.
    if (FindWindowA(kMeterClass, kMeterTitle)) {
        return 0;
    }
    HWND active = GetActiveWindow();
    g_mainWin.Register(instance, kMeterClass, nullptr, nullptr);
    g_mainWin.Create(instance, GetDesktopWindow(), kMeterTitle, kMeterStyle, 0);
    // Without a window no WM_QUIT could ever end the loop.
    if (!g_mainWin.GetHwnd()) {
        return 0;
    }
    SetActiveWindow(active);
    g_mainWin.Run();
    return 0;
}
