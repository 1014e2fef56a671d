#include <windows.h>

#include "app/globals.h"
#include "resources/resource.h"

namespace {

constexpr DWORD kMeterStyle = WS_POPUP | WS_SYSMENU;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Two starts at the same instant would both find no window: the first to name the
    // mutex is the meter. The process holds it while it runs.
    CreateMutexA(nullptr, FALSE, "Local\\" METER_CLASS_NAME);
    // An elevated copy's mutex refuses a plain start its handle: another copy all the same.
    const DWORD error = GetLastError();
    const bool another = error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
    // Another copy runs: it keeps the meter, and shows it, since starting the program
    // again is what a user does who cannot find it (a tray icon in the overflow).
    if (HWND running = FindWindowA(METER_CLASS_NAME, METER_TITLE)) {
        PostMessageA(running, RegisterWindowMessageA(SHOW_METER_MESSAGE), 0, 0);
        return 0;
    }
    if (another) {
        return 0;  // still starting: it shows itself
    }
    HWND active = GetActiveWindow();
    g_mainWin.Register(instance, METER_CLASS_NAME, nullptr, nullptr);
    g_mainWin.Create(instance, GetDesktopWindow(), METER_TITLE, kMeterStyle,
                     CMainWin::kExStyleAtCreation);
    // Without a window no WM_QUIT could ever end the loop.
    if (!g_mainWin.GetHwnd()) {
        return 0;
    }
    SetActiveWindow(active);
    g_mainWin.Run();
    return 0;
}
