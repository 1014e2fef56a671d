// Drives the real SorvaneMeter.exe from another Wine process: starts it, finds
// its window, reads what is on the screen, moves the real pointer through the X
// server, rewrites the simulated battery and reads the settings file.
#ifndef SORVANE_E2E_HARNESS_H
#define SORVANE_E2E_HARNESS_H

#include <windows.h>

#include <functional>
#include <string>

constexpr char kMeterClass[] = "OstrelBatteryMeter";
constexpr char kMeterTitle[] = "SorvaneBatteryMeter";
constexpr char kAboutClass[] = "OstrelBatteryMeterAbout";

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

#define REQUIRE_BATTERY()                                                                   \
    do {                                                                                    \
        if (!Battery::Available()) {                                                        \
            GTEST_SKIP() << Battery::WhyUnavailable();                                      \
        }                                                                                   \
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

HWND FindMeterWindow();
int CountMeterWindows();
RECT WindowRectOf(HWND hwnd);
RECT WorkArea();

// The window's constant alpha as it shows on the black Xvfb root: the red of the
// brightest pixel, since lit pixels are premultiplied full red (0 when hidden).
// Pixels inside covered (a menu over the meter, say) are not looked at.
int ScreenAlpha(HWND hwnd, const RECT* covered = nullptr);
COLORREF ScreenPixel(int x, int y);

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs = 10);

// Real input through the X server (xdotool run as a Unix program by Wine).
void RunUnix(const std::string& commandLine);
void MouseMove(int x, int y);
void MouseDown(int button);
void MouseUp(int button);
void MouseClick(int button);
// A point of the meter window where the moon is lit (so the click is not
// transparent), in screen coordinates.
POINT LitPoint(HWND hwnd);

std::string SettingsPath();
void RemoveSettings();
void WriteSettings(const std::string& contents);
std::string ReadSetting(const char* key);

// PNG of the whole screen under SORVANE_SHOTS_DIR, when it is set.
void Screenshot(const char* name);

#endif
