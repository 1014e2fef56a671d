// What the end-to-end checks cannot see from X: the program's windows as Windows
// knows them. Commands: start EXE, end MSG WPARAM LPARAM (its exit code), decoy,
// rect|own-rect [meter|about|menu|decoy] (own-rect: as the window's own program sees
// it), post WINDOW MSG WPARAM LPARAM, active, mode WIDTH HEIGHT (the display's).
// Its manifest makes it per-monitor v2 aware, so that it reads real pixels.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

constexpr char kClass[] = "OstrelBatteryMeter";

// The meter and the decoy share a class; #32768 is the class of every popup menu.
HWND Find(const char* which) {
    const char* title = strcmp(which, "decoy") ? "SorvaneBatteryMeter" : "SorvaneDecoy";
    return !strcmp(which, "about")  ? FindWindowA("OstrelBatteryMeterAbout", nullptr)
           : !strcmp(which, "menu") ? FindWindowA("#32768", nullptr)
                                    : FindWindowA(kClass, title);
}

// Watches for the window from before it exists: it is first seen as it was made.
int Start(char* exe) {
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe, exe, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return puts("cannot start"), 1;
    }
    HWND w = nullptr;
    for (int ms = 0; !(w = Find("meter")) && ms < 30000; ++ms) {
        Sleep(1);
    }
    puts(!w ? "none" : IsWindowVisible(w) ? "shown" : "hidden");
    return !w || WaitForInputIdle(pi.hProcess, 10000) != 0;
}

int End(UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD pid = 0, code = STILL_ACTIVE;
    GetWindowThreadProcessId(Find("meter"), &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!process || !PostMessageA(Find("meter"), message, wParam, lParam)) {
        return puts("no program"), 1;
    }
    WaitForSingleObject(process, 10000);
    GetExitCodeProcess(process, &code);
    printf("%lu\n", code);
    return code == STILL_ACTIVE;
}

// Active until it is closed, so that a start that takes the foreground shows.
int Decoy() {
    WNDCLASSA wc = {0, DefWindowProcA, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kClass};
    RegisterClassA(&wc);
    HWND w = CreateWindowA(kClass, "SorvaneDecoy", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300,
                           200, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(w);
    for (MSG msg; IsWindow(w) && GetMessageA(&msg, nullptr, 0, 0) > 0;) {
        DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const auto is = [&](const char* command) { return argc > 1 && !strcmp(argv[1], command); };
    const auto number = [&](int i) { return argc > i ? strtoul(argv[i], nullptr, 0) : 0; };
    char* arg = argc > 2 ? argv[2] : const_cast<char*>("meter");
    HWND w = Find(arg);
    RECT r;
    char title[64] = "";
    if (is("start")) {
        return Start(arg);
    } else if (is("end")) {
        return End(number(2), number(3), number(4));
    } else if (is("decoy")) {
        return Decoy();
    } else if (is("post")) {
        return !PostMessageA(w, number(3), number(4), number(5));
    } else if (is("rect") || is("own-rect")) {
        if (is("own-rect")) {  // scaled, where the program declares no DPI awareness
            SetThreadDpiAwarenessContext(GetWindowDpiAwarenessContext(w));
        }
        if (!GetWindowRect(w, &r)) {
            return puts("none"), 1;
        }
        printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right, r.bottom, IsWindowVisible(w));
    } else if (is("mode")) {
        DEVMODEA mode = {};
        mode.dmSize = sizeof(mode);
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        mode.dmPelsWidth = number(2), mode.dmPelsHeight = number(3);
        return ChangeDisplaySettingsExA(nullptr, &mode, nullptr, 0, nullptr) !=
               DISP_CHANGE_SUCCESSFUL;
    } else if (is("active")) {
        GetWindowTextA(GetForegroundWindow(), title, sizeof(title));
        puts(title);
    } else {
        return puts("see the top of tests/e2e/probe.cpp"), 2;
    }
    return 0;
}
