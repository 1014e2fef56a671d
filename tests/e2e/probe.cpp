// What the end-to-end checks cannot see from X: the program's windows as Windows
// knows them. Commands: start EXE, end MSG WPARAM LPARAM (its exit code), decoy,
// rect [meter|about|menu|decoy], post WINDOW MSG WPARAM LPARAM, active.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

constexpr char kClass[] = "OstrelBatteryMeter";
constexpr char kTitle[] = "SorvaneBatteryMeter";

HWND Find(const char* which) {
    if (!strcmp(which, "about")) {
        return FindWindowA("OstrelBatteryMeterAbout", nullptr);
    }
    if (!strcmp(which, "menu")) {
        return FindWindowA("#32768", nullptr);  // the class of every popup menu
    }
    return FindWindowA(kClass, strcmp(which, "decoy") ? kTitle : "SorvaneDecoy");
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
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = kClass;
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
    const char* command = argc > 1 ? argv[1] : "";
    char* arg = argc > 2 ? argv[2] : const_cast<char*>("meter");
    const auto number = [&](int i) { return argc > i ? strtoul(argv[i], nullptr, 0) : 0; };
    RECT r;
    char title[64] = "";
    if (!strcmp(command, "start")) {
        return Start(arg);
    } else if (!strcmp(command, "end")) {
        return End(number(2), number(3), number(4));
    } else if (!strcmp(command, "decoy")) {
        return Decoy();
    } else if (!strcmp(command, "post")) {
        return !PostMessageA(Find(arg), number(3), number(4), number(5));
    } else if (!strcmp(command, "rect")) {
        if (!GetWindowRect(Find(arg), &r)) {
            return puts("none"), 1;
        }
        printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right, r.bottom,
               IsWindowVisible(Find(arg)));
    } else if (!strcmp(command, "active")) {
        GetWindowTextA(GetForegroundWindow(), title, sizeof(title));
        puts(title);
    } else {
        return puts("see the top of tests/e2e/probe.cpp"), 2;
    }
    return 0;
}
