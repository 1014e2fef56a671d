// Helpers of the Win32 tests: a power source the tests control, message pumping,
// and a meter window created the way the program creates it.
#ifndef SORVANE_WINE_SUPPORT_H
#define SORVANE_WINE_SUPPORT_H

#include <windows.h>

#include "tests/support/screen_rects.h"

#include <functional>
#include <string>

#include "mainwin/mainwin.h"
#include "meter/power_sample.h"
#include "tests/support/sample_maker.h"

// The sample the fake reader hands out, and whether it fails.
struct FakePower {
    static PowerSample sample;
    static bool fail;
    static int reads;
    static BOOL WINAPI Read(LPSYSTEM_POWER_STATUS status);
};

// Dispatches messages for the given time.
void PumpFor(DWORD milliseconds);
// Dispatches messages until done() or the timeout; true when done() held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Drops a WM_QUIT that a destroyed meter left in this thread's queue.
void DropQuit();

constexpr char kTestMeterClass[] = "SorvaneTestMeter";

// A meter window on the fake power source, destroyed (with its teardown) at the end.
class MeterUnderTest {
public:
    explicit MeterUnderTest(const PowerSample& first);
    ~MeterUnderTest();
    CMainWin& meter() { return m_meter; }
    HWND hwnd() const { return m_meter.GetHwnd(); }
    // Runs fade ticks by hand until the fade timer has stopped; returns the count.
    int FinishFade();

private:
    CMainWin m_meter;
};

// Stands in for the notification area for the whole test run: the shell library
// hands every icon request to the top-level "Shell_TrayWnd" as WM_COPYDATA whose
// dwData is the request. Wine's own tray takes seconds to forget an icon.
struct FakeTray {
    static int adds;
    static int deletes;
    static void Install();
};

// Pixel of a 24-bit surface as a COLORREF.
COLORREF SurfacePixel(CDibImage& image, int x, int y);

// The user settings file in this prefix's application-data folder.
std::string SettingsFilePath();
void RemoveSettingsFile();

#endif
