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
    if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &m_process)) {
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

int CountMeterWindows() {
    int count = 0;
    EnumWindows(
        [](HWND w, LPARAM counter) -> BOOL {
            char name[64] = "";
            GetClassNameA(w, name, sizeof(name));
            *reinterpret_cast<int*>(counter) += strcmp(name, kMeterClass) == 0;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

RECT WindowRectOf(HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
}

RECT WorkArea() {
    RECT r;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
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

COLORREF ScreenPixel(int x, int y) {
    const RECT r = {x, y, x + 1, y + 1};
    const std::vector<uint32_t> p = GrabScreen(r);
    return p.empty() ? 0 : RGB((p[0] >> 16) & 0xFF, (p[0] >> 8) & 0xFF, p[0] & 0xFF);
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

void RunUnix(const std::string& commandLine) {
    std::string command = commandLine;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        ADD_FAILURE() << "cannot run " << commandLine;
        return;
    }
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

void MouseMove(int x, int y) {
    RunUnix("/usr/bin/xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
}
void MouseDown(int button) { RunUnix("/usr/bin/xdotool mousedown " + std::to_string(button)); }
void MouseUp(int button) { RunUnix("/usr/bin/xdotool mouseup " + std::to_string(button)); }
void MouseClick(int button) { RunUnix("/usr/bin/xdotool click " + std::to_string(button)); }

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

void Screenshot(const char* name) {
    const std::string dir = Env("SORVANE_SHOTS_DIR");
    if (dir.empty()) {
        return;
    }
    RunUnix("/usr/bin/import -window root " + dir + "/" + name + ".png");
}
