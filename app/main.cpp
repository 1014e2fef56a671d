#include <windows.h>

#include "app/globals.h"
#include "resources/resource.h"

namespace {

constexpr DWORD kMeterStyle = WS_POPUP | WS_SYSMENU;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Another copy runs: it keeps the meter, and shows it, since starting the program
    // again is what a user does who cannot find it (a tray icon in the overflow).
    if (HWND running = FindWindowA(METER_CLASS_NAME, METER_TITLE)) {
        PostMessageA(running, RegisterWindowMessageA(SHOW_METER_MESSAGE), 0, 0);
        return 0;
    }
    HWND active = GetActiveWindow();
    g_mainWin.Register(instance, METER_CLASS_NAME, nullptr, nullptr);
    g_mainWin.Create(instance, GetDesktopWindow(), METER_TITLE, kMeterStyle, 0);
    // Without a window no WM_QUIT could ever end the loop.
    if (!g_mainWin.GetHwnd()) {
        return 0;
    }
    SetActiveWindow(active);
    g_mainWin.Run();
    return 0;
}
