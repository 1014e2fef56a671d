// What the end-to-end checks cannot see from X: the program's windows as Windows knows them.
// Commands: start EXE, end MSG WPARAM LPARAM (its exit code), decoy, rect|own-rect
// [meter|about|menu|usage|decoy|cover] (own-rect: as the window's own program sees it), exstyle
// [WINDOW], post WINDOW MSG WPARAM LPARAM, active, mode WIDTH HEIGHT (the display's), cover [X]
// [caption|xaml|small] [quiet] (over the monitor at X until closed: a full-screen window, a
// maximized one, a full-screen one of the shell switcher's class, a small one; quiet, without
// taking the foreground; how soon the meter hid and came back), mutex SECONDS [denied] (the
// meter's, held; as an elevated copy holds it).
#include <windows.h>
#include <sddl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "resources/resource.h"

namespace {

// #32768 is the class of every popup menu; the covers are found by their title alone, the one
// in front first.
HWND Find(const char* which) {
    const char* title = !strcmp(which, "decoy")   ? "SorvaneDecoy"
                        : !strcmp(which, "cover") ? "SorvaneCover"
                                                  : METER_TITLE;
    return !strcmp(which, "about")   ? FindWindowA(ABOUT_CLASS_NAME, nullptr)
           : !strcmp(which, "menu")  ? FindWindowA("#32768", nullptr)
           : !strcmp(which, "cover") ? FindWindowA(nullptr, title)
           : !strcmp(which, "usage") ? FindWindowA("#32770", USAGE_TITLE)  // a message box
                                     : FindWindowA(METER_CLASS_NAME, title);
}

// In front until it is closed: the decoy, so that a start that takes the foreground shows,
// and the cover, a film or a game over a whole monitor. Windows tells WinEvent hooks of
// a new foreground window and of one that ends; Wine 8 does not, so the probe does. Each
// change of the meter's visibility is printed with the milliseconds since the window came
// or went, the moment the meter hears of it; once it went, until the meter shows, or 5 s.
int Foreground(const char* title, DWORD style, RECT r, int show,
               const char* name = METER_CLASS_NAME) {
    WNDCLASSA wc = {0, DefWindowProcA, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, name};
    RegisterClassA(&wc);
    HWND w = CreateWindowA(name, title, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           nullptr, nullptr, nullptr, nullptr);
    ShowWindow(w, show);
    if (show != SW_SHOWNOACTIVATE) {
        SetForegroundWindow(w);
        NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, w, OBJID_WINDOW, CHILDID_SELF);
    }
    DWORD since = GetTickCount();
    bool shown = IsWindowVisible(Find("meter"));
    SetTimer(nullptr, 0, 10, nullptr);
    for (MSG msg; (w || (!shown && GetTickCount() - since < 5000)) &&
                  GetMessageA(&msg, nullptr, 0, 0) > 0;) {
        // Windows raises the event while the window still exists, and a hook for its
        // process alone hears it only then.
        if (w && msg.hwnd == w && msg.message == WM_CLOSE) {
            NotifyWinEvent(EVENT_OBJECT_DESTROY, w, OBJID_WINDOW, CHILDID_SELF);
            since = GetTickCount();
        }
        DispatchMessageA(&msg);
        if (w && !IsWindow(w)) {
            w = nullptr;
        }
        if (IsWindowVisible(Find("meter")) != shown) {
            shown = !shown;
            printf("%s %lu\n", shown ? "shown" : "hidden", GetTickCount() - since), fflush(stdout);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Real pixels: Windows 10 hands a program that declares no awareness coordinates scaled to
    // 96 DPI.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const auto is = [&](const char* command) { return argc > 1 && !strcmp(argv[1], command); };
    const auto number = [&](int i) { return argc > i ? strtoul(argv[i], nullptr, 0) : 0; };
    char* arg = argc > 2 ? argv[2] : const_cast<char*>("meter");
    HWND w = Find(arg);
    RECT r;
    char title[64] = "";
    if (is("start")) {
        // Watches for the window from before it exists, and looks at it once the program
        // first waits for input, its set-up over (a fade tick already due runs first).
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessA(arg, arg, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            return puts("cannot start"), 1;
        }
        for (int ms = 0; !(w = Find("meter")) && ms < 30000; ++ms) {
            Sleep(1);
        }
        const bool idle = w && WaitForInputIdle(pi.hProcess, 10000) == 0;
        puts(!idle ? "none" : IsWindowVisible(w) ? "shown" : "hidden");
        return !idle;
    } else if (is("end")) {
        DWORD pid = 0, code = STILL_ACTIVE;
        GetWindowThreadProcessId(Find("meter"), &pid);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
        if (!process || !PostMessageA(Find("meter"), number(2), number(3), number(4))) {
            return puts("no program"), 1;
        }
        WaitForSingleObject(process, 10000);
        GetExitCodeProcess(process, &code);
        printf("%lu\n", code);
        return code == STILL_ACTIVE;
    } else if (is("decoy")) {
        return Foreground("SorvaneDecoy", WS_OVERLAPPEDWINDOW, RECT{100, 100, 400, 300}, SW_SHOW);
    } else if (is("cover")) {
        MONITORINFO m = {sizeof(m), {}, {}, 0};
        GetMonitorInfoA(MonitorFromPoint(POINT{LONG(number(2)), 10}, MONITOR_DEFAULTTOPRIMARY), &m);
        const char* kind = argc > 3 ? argv[3] : "";
        const int show = argc > 4 && !strcmp(argv[4], "quiet") ? SW_SHOWNOACTIVATE : SW_SHOW;
        const RECT small = {m.rcWork.left + 20, 400, m.rcWork.left + 320, 600};
        return !strcmp(kind, "caption")
                   ? Foreground("SorvaneCover", WS_OVERLAPPEDWINDOW, m.rcWork, SW_MAXIMIZE)
               : !strcmp(kind, "small")
                   ? Foreground("SorvaneCover", WS_OVERLAPPEDWINDOW, small, SW_SHOW)
               : !strcmp(kind, "xaml") ? Foreground("SorvaneCover", WS_POPUP, m.rcMonitor, show,
                                                    "XamlExplorerHostIslandWindow")
                                       : Foreground("SorvaneCover", WS_POPUP, m.rcMonitor, show);
    } else if (is("mutex")) {  // as a meter still starting holds it
        // An elevated copy's grants a plain start nothing, as an empty list of who may.
        SECURITY_ATTRIBUTES denied = {sizeof(denied), nullptr, FALSE};
        ConvertStringSecurityDescriptorToSecurityDescriptorA("D:", SDDL_REVISION_1,
                                                             &denied.lpSecurityDescriptor, nullptr);
        CreateMutexA(argc > 3 ? &denied : nullptr, FALSE, "Local\\" METER_CLASS_NAME);
        puts("held"), fflush(stdout);
        Sleep(number(2) * 1000);
    } else if (is("post")) {
        return !PostMessageA(w, number(3), number(4), number(5));
    } else if (is("rect") || is("own-rect")) {  // own-rect: scaled where the program is unaware
        SetThreadDpiAwarenessContext(is("rect") ? DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
                                                : GetWindowDpiAwarenessContext(w));
        if (!GetWindowRect(w, &r)) {
            return puts("none"), 1;
        }
        printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right, r.bottom, IsWindowVisible(w));
    } else if (is("mode")) {
        DEVMODEA mode = {};
        mode.dmSize = sizeof(mode), mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        mode.dmPelsWidth = number(2), mode.dmPelsHeight = number(3);
        return ChangeDisplaySettingsA(&mode, 0) != DISP_CHANGE_SUCCESSFUL;
    } else if (is("exstyle")) {
        printf("%ld\n", GetWindowLongA(w, GWL_EXSTYLE));
    } else if (is("active")) {
        GetWindowTextA(GetForegroundWindow(), title, sizeof(title));
        puts(title);
    } else {
        return puts("see the top of tests/e2e/probe.cpp"), 2;
    }
    return 0;
}
