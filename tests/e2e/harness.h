// Drives the real SorvaneMeter.exe from another Wine process: starts it, finds
// its window, reads what is on the screen, moves the real pointer through the X
// server, rewrites the simulated battery and reads the settings file.
#ifndef SORVANE_E2E_HARNESS_H
#define SORVANE_E2E_HARNESS_H

#include <windows.h>

#include "tests/support/screen_rects.h"

#include <functional>
#include <string>
#include <vector>

constexpr char kMeterClass[] = "OstrelBatteryMeter";
constexpr char kMeterTitle[] = "SorvaneBatteryMeter";
constexpr char kAboutClass[] = "OstrelBatteryMeterAbout";
constexpr char kMenuClass[] = "#32768";  // every popup menu is a top-level window of it

constexpr int kFullAlpha = 210;
constexpr int kLeftButton = 1;
constexpr int kRightButton = 3;

inline bool NearFull(int alpha) { return alpha >= kFullAlpha - 3 && alpha <= kFullAlpha + 3; }

// Environment: SORVANE_METER_EXE (Windows path of the program) and, when a
// simulated battery is mounted, SORVANE_BATTERY_DIR (its Windows path).
std::string MeterExe();

class Battery {
public:
    static bool Available();
    static std::string WhyUnavailable();
    // state: "charging", "discharging" (AC online follows it)
    static void Set(int percent, const char* state);
};

#define REQUIRE_BATTERY()                                                                          \
    do {                                                                                           \
        if (!Battery::Available()) {                                                               \
            GTEST_SKIP() << Battery::WhyUnavailable();                                             \
        }                                                                                          \
    } while (0)

class MeterProcess {
public:
    MeterProcess() = default;
    ~MeterProcess();
    MeterProcess(const MeterProcess&) = delete;
    MeterProcess& operator=(const MeterProcess&) = delete;

    // Starts the program; with waitForWindow, returns once its window exists.
    bool Start(bool waitForWindow = true);
    bool WaitExit(DWORD timeoutMs);
    DWORD ExitCode() const;
    bool Running() const;
    // Quit through the program's own command, then wait for the process to end.
    bool Quit();
    HWND hwnd() const { return m_hwnd; }
    HANDLE process() const { return m_process.hProcess; }

private:
    PROCESS_INFORMATION m_process = {};
    HWND m_hwnd = nullptr;
};

// End of a test: the pointer off the meter, any open menu closed, the program quit.
void PutAway(MeterProcess& meter);

HWND FindMeterWindow();
int CountMeterWindows();
int CountWindowsOfClass(const char* className);
// The visible top-level window of that class owned by the process, or null.
HWND FindProcessWindow(const char* className, HANDLE process);

// The window's constant alpha as it shows on the black Xvfb root: the red of the
// brightest pixel, since lit pixels are premultiplied full red (0 when hidden).
// Pixels inside covered (a menu over the meter, say) are not looked at.
int ScreenAlpha(HWND hwnd, const RECT* covered = nullptr);
COLORREF ScreenPixel(int x, int y);
// The screen pixels of a rectangle, top row first, as 0x00RRGGBB.
std::vector<uint32_t> ScreenPixels(const RECT& r);
// The constant alpha of another process's layered window, as Windows keeps it
// (GetLayeredWindowAttributes); -1 when the window has none. Without a compositing
// manager the X server ignores it, so the screen cannot show it.
int LayeredAlpha(HWND hwnd);

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs = 10);

// Runs a Unix command line through /bin/sh and waits for its end; its exit code (and
// a failure of the test when that is not 0).
int RunUnix(const std::string& commandLine);
// Real input through the X server (xdotool).
void MouseMove(int x, int y);
void MouseDown(int button);
void MouseUp(int button);
void MouseClick(int button);
// xdotool key names: "Escape", "r", ...
void PressKey(const char* key);
// A point of the meter window where the moon is lit (so the click is not
// transparent), in screen coordinates.
POINT LitPoint(HWND hwnd);

std::string SettingsPath();
void RemoveSettings();
void WriteSettings(const std::string& contents);
std::string ReadSetting(const char* key);

// Starts the program and returns once the meter shows at its full alpha.
bool StartShown(MeterProcess& meter);

// Where the items of the program's popup menu lie, relative to the top-left corner
// of the menu window, measured once on the same menu resource opened in this process
// (another process's menu handle is of no use here).
constexpr int kMaxMenuItems = 8;
struct MenuLayout {
    SIZE window;
    RECT items[kMaxMenuItems];
    UINT commands[kMaxMenuItems];  // 0 for the separator
    int count;
};
const MenuLayout& ProgramMenuLayout();
// Clicks the item of that command in the open menu window with the real pointer.
void ClickMenuItem(HWND menuWindow, UINT command);

// The X root window's colour ("#rrggbb"); ScreenAlpha needs it black.
void SetRootColour(const char* colour);

// PNG of the screen (or of crop) under SORVANE_SHOTS_DIR (a Unix path), when it is set.
void Screenshot(const char* name, const RECT* crop = nullptr);

#endif
