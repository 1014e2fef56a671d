#include <windows.h>

#include "app/globals.h"
#include "app/running_meter.h"
#include "app/switches.h"
#include "framework/format.h"
#include "resources/resource.h"
#include "version.h"

namespace {

constexpr DWORD kMeterStyle = WS_POPUP | WS_SYSMENU;

// The program's one word on its switches, for /? or after a command line it does not know.
int ShowUsage(const char* commandLine, bool asked) {
    char text[512];
    FormatText(text, sizeof(text),
               "Sorvane Battery Meter %s\n\n"
               "SorvaneMeter.exe [/show | /hide | /reset | /quit]\n\n"
               "/show\tshows the meter, starting it if need be\n"
               "/hide\thides it (the tray icon brings it back)\n"
               "/reset\tputs it back in its corner\n"
               "/quit\tends it, keeping its place\n\n"
               "--show and the like work too, in any case.%s%s",
               SORVANE_VERSION_TEXT, asked ? "" : "\n\nNot understood: ", asked ? "" : commandLine);
    MessageBoxA(nullptr, text, USAGE_TITLE, MB_OK | (asked ? MB_ICONINFORMATION : MB_ICONWARNING));
    return asked ? 0 : 2;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const Request request = ParseCommandLine(commandLine);
    if (request == Request::kHelp || request == Request::kUnknown) {
        return ShowUsage(commandLine, request == Request::kHelp);
    }
    const unsigned command = MeterCommand(request);
    // Two starts at the same instant would both find no window: the first to name the
    // mutex is the meter. The process holds it while it runs.
    CreateMutexA(nullptr, FALSE, "Local\\" METER_CLASS_NAME);
    // An elevated copy's mutex refuses a plain start its handle: another copy all the same.
    const DWORD error = GetLastError();
    const bool another = error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
    // Another copy runs: it keeps the meter, and is asked for what this start is for; without
    // a switch to show itself, since starting the program again is what a user does who
    // cannot find it (a tray icon in the overflow).
    if (HWND running = FindWindowA(METER_CLASS_NAME, METER_TITLE)) {
        return AskRunningMeter(running, command, kQuitWaitMs) ? 0 : 1;
    }
    if (another) {
        return 0;  // still starting: it shows itself
    }
    if (command == ID_QUIT) {
        return 0;  // no meter to end
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
    // A switch for a meter that was not running: the new one does it before it is first seen.
    if (command != 0) {
        AskRunningMeter(g_mainWin.GetHwnd(), command, 0);
    }
    g_mainWin.Run();
    return 0;
}
