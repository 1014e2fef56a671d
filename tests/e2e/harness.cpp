#include "tests/e2e/harness.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include "resources/resource.h"

namespace {

std::string Env(const char* name) {
    const char* value = getenv(name);
    return value ? value : "";
}

void WriteFileText(const std::string& path, const std::string& text) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        ADD_FAILURE_AT(__FILE__, __LINE__) << "cannot write " << path;
        return;
    }
    DWORD written = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
}

}  // namespace

std::string MeterExe() { return Env("SORVANE_METER_EXE"); }

bool Battery::Available() { return !Env("SORVANE_BATTERY_DIR").empty(); }

std::string Battery::WhyUnavailable() {
    const std::string why = Env("SORVANE_BATTERY_WHY");
    return "no simulated battery: " + (why.empty() ? std::string("not mounted") : why);
}

void Battery::Set(int percent, const char* state) {
    const std::string dir = Env("SORVANE_BATTERY_DIR");
    const bool charging = strcmp(state, "charging") == 0;
    WriteFileText(dir + "\\BAT0\\charge_now", std::to_string(percent * 50000) + "\n");
    WriteFileText(dir + "\\BAT0\\status", charging ? "Charging\n" : "Discharging\n");
    WriteFileText(dir + "\\AC\\online", charging ? "1\n" : "0\n");
}

MeterProcess::~MeterProcess() {
    if (m_process.hProcess) {
        if (Running()) {
            TerminateProcess(m_process.hProcess, 99);
            WaitForSingleObject(m_process.hProcess, 5000);
        }
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
    }
}

bool MeterProcess::Start(bool waitForWindow) {
    const std::string exe = MeterExe();
    if (exe.empty()) {
        ADD_FAILURE() << "SORVANE_METER_EXE is not set";
        return false;
    }
    std::string command = "\"" + exe + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &m_process)) {
        ADD_FAILURE() << "cannot start " << exe << ": " << GetLastError();
        return false;
    }
    if (!waitForWindow) {
        return true;
    }
    const DWORD pid = m_process.dwProcessId;
    const bool found = WaitFor(
        [&] {
            HWND w = FindMeterWindow();
            DWORD owner = 0;
            if (w) {
                GetWindowThreadProcessId(w, &owner);
            }
            if (w && owner == pid) {
                m_hwnd = w;
                return true;
            }
            return false;
        },
        15000, 2);
    // The window exists from inside its own creation on; the set-up (position,
    // first face, fade-in) is done once the program waits for input.
    return found && WaitForInputIdle(m_process.hProcess, 10000) == 0;
}

bool MeterProcess::WaitExit(DWORD timeoutMs) {
    return WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD MeterProcess::ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

bool MeterProcess::Running() const {
    return m_process.hProcess && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

bool MeterProcess::Quit() {
    if (!m_hwnd) {
        m_hwnd = FindMeterWindow();
    }
    PostMessageA(m_hwnd, WM_COMMAND, ID_QUIT, 0);
    return WaitExit(10000);
}

HWND FindMeterWindow() { return FindWindowA(kMeterClass, kMeterTitle); }

int CountMeterWindows() { return CountWindowsOfClass(kMeterClass); }

namespace {

// Top-level windows of a class, optionally only the visible ones of one process.
std::vector<HWND> WindowsOfClass(const char* className, DWORD processId, bool visibleOnly) {
    struct Query {
        const char* className;
        DWORD processId;
        bool visibleOnly;
        std::vector<HWND> found;
    } query = {className, processId, visibleOnly, {}};
    EnumWindows(
        [](HWND w, LPARAM data) -> BOOL {
            Query& q = *reinterpret_cast<Query*>(data);
            char name[64] = "";
            GetClassNameA(w, name, sizeof(name));
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (strcmp(name, q.className) == 0 && (q.processId == 0 || owner == q.processId) &&
                (!q.visibleOnly || IsWindowVisible(w))) {
                q.found.push_back(w);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&query));
    return query.found;
}

}  // namespace

int CountWindowsOfClass(const char* className) {
    return static_cast<int>(WindowsOfClass(className, 0, false).size());
}

HWND FindProcessWindow(const char* className, HANDLE process) {
    const std::vector<HWND> found = WindowsOfClass(className, GetProcessId(process), true);
    return found.empty() ? nullptr : found.front();
}

namespace {

// The screen pixels of a rectangle, top row first, as 0x00RRGGBB.
std::vector<uint32_t> GrabScreen(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<uint32_t> pixels;
    if (w <= 0 || h <= 0) {
        return pixels;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP dib = CreateDIBSection(mem, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    pixels.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + w * h);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace

int ScreenAlpha(HWND hwnd, const RECT* covered) {
    if (!IsWindowVisible(hwnd)) {
        return 0;
    }
    const RECT r = WindowRectOf(hwnd);
    const std::vector<uint32_t> pixels = GrabScreen(r);
    const int w = r.right - r.left;
    int best = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const POINT at = {r.left + static_cast<LONG>(i % w), r.top + static_cast<LONG>(i / w)};
        if (covered && PtInRect(covered, at)) {
            continue;
        }
        const int red = (pixels[i] >> 16) & 0xFF;
        best = red > best ? red : best;
    }
    return best;
}

std::vector<uint32_t> ScreenPixels(const RECT& r) { return GrabScreen(r); }

COLORREF ScreenPixel(int x, int y) {
    const RECT r = {x, y, x + 1, y + 1};
    const std::vector<uint32_t> p = GrabScreen(r);
    return p.empty() ? 0 : RGB((p[0] >> 16) & 0xFF, (p[0] >> 8) & 0xFF, p[0] & 0xFF);
}

int LayeredAlpha(HWND hwnd) {
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(hwnd, &key, &alpha, &flags) || !(flags & LWA_ALPHA)) {
        return -1;
    }
    return alpha;
}

POINT LitPoint(HWND hwnd) {
    const RECT r = WindowRectOf(hwnd);
    const int w = r.right - r.left;
    const std::vector<uint32_t> pixels = GrabScreen(r);
    // The brightest pixel well inside the window, nearest the centre on ties.
    POINT best = {r.left + w / 2, r.top + (r.bottom - r.top) / 2};
    int bestRed = -1;
    for (int y = 8; y < r.bottom - r.top - 8; ++y) {
        for (int x = 8; x < w - 8; ++x) {
            const int red = (pixels[y * w + x] >> 16) & 0xFF;
            if (red > bestRed + 8) {
                bestRed = red;
                best = POINT{r.left + x, r.top + y};
            }
        }
    }
    return best;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) {
            return done();
        }
        Sleep(pollMs);
    }
    return true;
}

int RunUnix(const std::string& commandLine) {
    // Wine starts a Unix program without a process handle to wait on, so the
    // command reports its end through a file: without that, each xdotool call would
    // overtake the next and the checks after it, and a picture would be taken after
    // the windows were gone.
    static int serial = 0;
    const std::string done = "/tmp/sorvane-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++serial);
    const std::string doneDos = "Z:" + done;
    DeleteFileA(doneDos.c_str());
    std::string command = "/bin/sh -c \"" + commandLine + "; echo $? >" + done + ".part && mv " +
                          done + ".part " + done + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        ADD_FAILURE() << "cannot run " << commandLine;
        return -1;
    }
    if (pi.hProcess) {
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    if (!WaitFor([&] { return GetFileAttributesA(doneDos.c_str()) != INVALID_FILE_ATTRIBUTES; },
                 10000, 1)) {
        ADD_FAILURE() << "no end of " << commandLine;
        return -1;
    }
    char status[16] = "";
    HANDLE f = CreateFileA(doneDos.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD got = 0;
    if (f != INVALID_HANDLE_VALUE) {
        ReadFile(f, status, sizeof(status) - 1, &got, nullptr);
        CloseHandle(f);
    }
    DeleteFileA(doneDos.c_str());
    const int code = atoi(status);
    if (code != 0) {
        ADD_FAILURE() << commandLine << " ended with " << code;
    }
    return code;
}

void MouseMove(int x, int y) {
    RunUnix("/usr/bin/xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
}
void MouseDown(int button) { RunUnix("/usr/bin/xdotool mousedown " + std::to_string(button)); }
void MouseUp(int button) { RunUnix("/usr/bin/xdotool mouseup " + std::to_string(button)); }
void MouseClick(int button) { RunUnix("/usr/bin/xdotool click " + std::to_string(button)); }
void PressKey(const char* key) { RunUnix(std::string("/usr/bin/xdotool key ") + key); }

bool StartShown(MeterProcess& meter) {
    MouseMove(20, 700);
    if (!meter.Start() || !WaitFor([&] { return NearFull(ScreenAlpha(meter.hwnd())); }, 3000)) {
        return false;
    }
    if (Battery::Available()) {
        return true;
    }
    // Without a battery Wine reports mains power and no battery, which the first
    // poll hides; bring it back the way the tray icon would.
    if (!WaitFor([&] { return !IsWindowVisible(meter.hwnd()); }, 6000)) {
        return false;
    }
    PostMessageA(meter.hwnd(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
    return WaitFor([&] { return NearFull(ScreenAlpha(meter.hwnd())); }, 3000);
}

namespace {

struct MenuProbe {
    HMENU menu;
    MenuLayout layout;
    int ticks;
};
MenuProbe g_probe;
constexpr int kProbeGiveUpTicks = 100;

// Runs inside this thread's own menu loop: measures the open menu, then ends it.
void CALLBACK MeasureOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND w = FindProcessWindow(kMenuClass, GetCurrentProcess());
    if (!w && ++g_probe.ticks < kProbeGiveUpTicks) {
        return;
    }
    KillTimer(nullptr, timer);
    if (w) {
        const RECT frame = WindowRectOf(w);
        g_probe.layout.window = SIZE{frame.right - frame.left, frame.bottom - frame.top};
        const int count = GetMenuItemCount(g_probe.menu);
        for (int i = 0; i < count && i < kMaxMenuItems; ++i) {
            RECT r = {};
            if (!GetMenuItemRect(w, g_probe.menu, i, &r)) {
                break;
            }
            OffsetRect(&r, -frame.left, -frame.top);
            g_probe.layout.items[i] = r;
            const UINT command = GetMenuItemID(g_probe.menu, i);  // -1: a submenu
            g_probe.layout.commands[i] = command == UINT(-1) ? 0 : command;
            g_probe.layout.count = i + 1;
        }
    }
    EndMenu();
}

}  // namespace

const MenuLayout& ProgramMenuLayout() {
    static bool measured = false;
    if (measured) {
        return g_probe.layout;
    }
    measured = true;
    HMODULE program = LoadLibraryExA(MeterExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HMENU bar = program ? LoadMenuA(program, MAKEINTRESOURCEA(IDR_POPUP)) : nullptr;
    HWND owner = CreateWindowExA(0, "STATIC", "menu probe", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    if (bar && owner) {
        g_probe.menu = GetSubMenu(bar, 0);
        SetTimer(nullptr, 0, 20, MeasureOpenMenu);
        TrackPopupMenu(g_probe.menu, TPM_RETURNCMD, 0, 300, 0, owner, nullptr);
    }
    if (owner) {
        DestroyWindow(owner);
    }
    if (bar) {
        DestroyMenu(bar);
    }
    if (program) {
        FreeLibrary(program);
    }
    if (g_probe.layout.count == 0) {
        ADD_FAILURE() << "the program's menu could not be measured";
    }
    return g_probe.layout;
}

void ClickMenuItem(HWND menuWindow, UINT command) {
    const MenuLayout& layout = ProgramMenuLayout();
    int position = 0;
    while (position < layout.count && layout.commands[position] != command) {
        ++position;
    }
    if (position == layout.count) {
        ADD_FAILURE() << "no menu item for command " << command;
        return;
    }
    const RECT frame = WindowRectOf(menuWindow);
    const RECT& item = layout.items[position];
    MouseMove(frame.left + (item.left + item.right) / 2, frame.top + (item.top + item.bottom) / 2);
    MouseClick(kLeftButton);
}

void SetRootColour(const char* colour) {
    RunUnix(std::string("/usr/bin/xsetroot -solid '") + colour + "'");
}

std::string SettingsPath() {
    char folder[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_APPDATA, TRUE);
    return std::string(folder) + "\\Ostrel\\Sorvane Meter\\default.ini";
}

void RemoveSettings() { DeleteFileA(SettingsPath().c_str()); }

void WriteSettings(const std::string& contents) {
    const std::string path = SettingsPath();
    const std::string product = path.substr(0, path.rfind('\\'));
    CreateDirectoryA(product.substr(0, product.rfind('\\')).c_str(), nullptr);
    CreateDirectoryA(product.c_str(), nullptr);
    WriteFileText(path, contents);
}

std::string ReadSetting(const char* key) {
    char value[100] = "";
    GetPrivateProfileStringA("WINDOW", key, "", value, sizeof(value), SettingsPath().c_str());
    return value;
}

void Screenshot(const char* name, const RECT* crop) {
    const std::string dir = Env("SORVANE_SHOTS_DIR");
    if (dir.empty()) {
        return;
    }
    // One GetImage of the root through Wine, the same read the checks before made.
    // ImageMagick's import walks the window tree itself, one window at a time, and now
    // and then came back with the bare root: no meter, no menu.
    RECT r;
    GetWindowRect(GetDesktopWindow(), &r);
    if (crop) {
        IntersectRect(&r, &r, crop);
    }
    const int w = r.right - r.left, h = r.bottom - r.top;
    const std::vector<uint32_t> pixels = GrabScreen(r);
    std::string ppm = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (uint32_t p : pixels) {
        ppm += static_cast<char>((p >> 16) & 0xFF);
        ppm += static_cast<char>((p >> 8) & 0xFF);
        ppm += static_cast<char>(p & 0xFF);
    }
    const std::string unixBase = dir + "/" + name;
    const std::string ppmPath = "Z:" + unixBase + ".ppm";  // Z: is the Unix root
    WriteFileText(ppmPath, ppm);
    RunUnix("/usr/bin/convert " + unixBase + ".ppm " + unixBase + ".png");
    DeleteFileA(ppmPath.c_str());
}

void PutAway(MeterProcess& meter) {
    MouseMove(20, 700);
    if (meter.Running()) {
        PressKey("Escape");
        meter.Quit();
    }
}
