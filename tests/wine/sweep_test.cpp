// Windows saying no, call by call: a day of the meter (start-up, a changed poll, a fade,
// its menu, About opened and closed, a DPI change, a log-off with its save) runs once to
// count its creating calls, then once with each of them refused in turn.
#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
#include <iterator>

#include "about/aboutwin.h"
#include "resources/resource.h"
#include "tests/support/refusals.h"
#include "tests/support/wine_support.h"

namespace {

#define WATCH(dll, function, makes)                                                                \
    Watch<__LINE__, decltype(&function)>::Install(dll, #function, makes)

using SetTimerFunction = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);
SetTimerFunction g_setTimer;  // the real one: the test's own timers are not the meter's
std::string g_box;
int WINAPI RecordBox(HWND, LPCSTR text, LPCSTR, UINT) { return g_box = text, IDOK; }

bool Runs(HWND w, UINT_PTR id, UINT ms) { return TimerRuns(w, id, ms, g_setTimer); }

struct Day {
    bool window = false, closedItself = false;
    std::string stuck;           // what did not go on once Windows said yes again
    std::vector<uint8_t> layer;  // after Windows says yes again and a poll
    int left = 0;                // GDI objects, windows, icons, menus and timers left behind
    std::string place, last;     // the stored place, and where the window was at the end
};

int ThreadWindows() {
    int n = 0;
    EnumThreadWindows(
        GetCurrentThreadId(), [](HWND, LPARAM c) { return ++*reinterpret_cast<int*>(c), TRUE; },
        LPARAM(&n));
    return n;
}

Day Live(int refuse) {
    const std::string file = SettingsFilePath();
    WritePrivateProfileStringA("WINDOW", "POSX", "111", file.c_str());
    WritePrivateProfileStringA("WINDOW", "POSY", "222", file.c_str());
    const int before = CountGdiObjects() + ThreadWindows();
    Refusals::calls = 0, Refusals::refuse = refuse, Refusals::liveUserObjects = 0, g_box.clear();
    Day day;
    {
        MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
        const HWND w = t.hwnd();
        day.window = w != nullptr;
        if (day.window && !g_box.empty()) {
            day.closedItself = PumpUntil([&] { return !IsWindow(w); }, 2000);
        } else if (day.window) {
            FakePower::sample = MakeSample(kAcOffline, 2, 31, 5400);
            SendMessageA(w, WM_TIMER, TIMER_POLL, 0);
            for (int i = 0; i < 5; ++i) {  // a fade on its way
                SendMessageA(w, WM_TIMER, TIMER_FADE, 0);
            }
            g_setTimer(nullptr, 0, 30, EndMenuNow);
            SendMessageA(w, WM_RBUTTONUP, 0, MAKELPARAM(30, 30));
            t.Command(ID_ABOUT);
            const HWND about = TheAboutWindow().GetHwnd();
            SendMessageA(about, WM_CLOSE, 0, 0);
            const bool aboutGoes = !IsWindow(about) || Runs(about, TIMER_ABOUT_FADE_OUT, 30);
            for (int i = 0; i < 15 && IsWindow(about); ++i) {
                SendMessageA(about, WM_TIMER, TIMER_ABOUT_FADE_OUT, 0);
            }
            RECT scaled = {333, 444, 423, 534};
            SendMessageA(w, WM_DPICHANGED, MAKEWPARAM(144, 144), LPARAM(&scaled));
            Refusals::refuse = 0;  // Windows says yes again: the next poll and tick try again
            SendMessageA(w, WM_TIMER, TIMER_POLL, 0);
            SendMessageA(w, WM_TIMER, TIMER_FADE, 0);
            const int size = t.meter().GetLengths().layer;
            day.layer.assign(t.meter().GetLayerBits(), t.meter().GetLayerBits() + size * size * 4);
            const FadeState& fade = t.meter().GetFade();
            const std::pair<const char*, bool> parts[] = {
                {"About", aboutGoes && !IsWindow(about)},
                {"poll", Runs(w, TIMER_POLL, 3000)},
                {"fade", fade.alpha == 210 || Runs(w, TIMER_FADE, 20)},  // the menu's loop ticks
                {"tray", FakeShell::iconThere || Runs(w, TIMER_TRAY_RETRY, 5000)}};
            for (const auto& part : parts) {
                day.stuck += part.second ? "" : std::string(" ") + part.first;
            }
            // Wine may yet move the window the way X has it: the place is where it is.
            const RECT r = WindowRectOf(w);
            day.last = std::to_string(r.left) + "," + std::to_string(r.top);
            // A log-off tears down while the window lives on, once: a tick already queued
            // makes nothing, and the window's end saves no other place.
            SendMessageA(w, WM_QUERYENDSESSION, 0, 0);
            for (UINT_PTR id : {TIMER_POLL, TIMER_FADE, TIMER_HOVER_DELAY, TIMER_HOVER_WATCH}) {
                day.left += KillTimer(w, id);
                SendMessageA(w, WM_TIMER, id, 0);
            }
            MoveWindow(w, 0, 0, 60, 60, FALSE);
        }
    }
    Refusals::refuse = 0;
    // A refused registration must be a new start's: the classes go with each day.
    UnregisterClassA("SorvaneTestMeter", GetModuleHandleA(nullptr));
    UnregisterClassA("OstrelBatteryMeterAbout", GetModuleHandleA(nullptr));
    day.left += CountGdiObjects() + ThreadWindows() + Refusals::liveUserObjects - before;
    day.place = Setting("POSX") + "," + Setting("POSY");
    return day;
}

// No crash or hang (either ends the process, which tools/test counts as failed), nothing
// left behind, the stored place the old one or the new one, and the meter either ends as
// designed or goes on and shows the right face once Windows says yes again.
TEST(Sweep, EveryCreatingCallRefusedInTurn) {
    g_setTimer = reinterpret_cast<SetTimerFunction>(*FindImportSlot("user32.dll", "SetTimer"));
    ULONG_PTR* box = FindImportSlot("user32.dll", "MessageBoxA");
    Refusals::patched.emplace_back(box, *box);
    PatchSlot(box, reinterpret_cast<ULONG_PTR>(RecordBox));
    const bool watched[] = {
        WATCH("gdi32.dll", CreateCompatibleDC, 0),
        WATCH("gdi32.dll", CreateCompatibleBitmap, 0),
        WATCH("gdi32.dll", CreateDIBSection, 0),
        WATCH("gdi32.dll", CreateFontIndirectA, 0),
        WATCH("gdi32.dll", CreatePen, 0),
        WATCH("gdi32.dll", CreateSolidBrush, 0),
        WATCH("user32.dll", GetDC, 0),
        WATCH("user32.dll", LoadImageA, 1),
        WATCH("user32.dll", LoadMenuA, 1),
        WATCH("user32.dll", LoadBitmapA, 0),
        WATCH("user32.dll", SetTimer, 0),
        WATCH("user32.dll", CreateWindowExA, 0),
        WATCH("user32.dll", RegisterClassExA, 0),
        WATCH("kernel32.dll", GlobalAlloc, 0),
        WATCH("user32.dll", DestroyIcon, -1),
        WATCH("user32.dll", DestroyMenu, -1),
    };
    ASSERT_EQ(std::count(std::begin(watched), std::end(watched), true), 16);
    Live(0);  // the first day fills Wine's caches of fonts, menus and bitmaps
    const Day reference = Live(0);
    const int calls = Refusals::calls;
    ASSERT_TRUE(reference.stuck.empty() && reference.place == "333,444" && reference.left == 0 &&
                reference.layer.size() == 90 * 90 * 4)
        << reference.stuck << " " << reference.place << " " << reference.left;
    int leaks = 0, spoiled = 0, k = 1;
    for (; k <= calls; ++k) {
        const Day d = Live(k);
        const std::string what = std::to_string(k) + ": " + Refusals::refused;
        const bool placeKept = d.place == "111,222" || d.place == d.last;
        leaks += d.left != 0, spoiled += !placeKept;
        EXPECT_EQ(d.left, 0) << what << ": GDI objects, windows, icons or menus left";
        EXPECT_TRUE(placeKept) << what << ": " << d.place;
        const bool ended = !d.window || (g_box == "Error on CreateDIBSection()" && d.closedItself &&
                                         d.place == "111,222");
        EXPECT_TRUE(ended || (d.stuck.empty() && d.layer == reference.layer))
            << what << ": neither ended as designed nor went on;" << d.stuck;
    }
    printf("refusal sweep: %d call sites watched, %d refusals tried; crashes, leaks, corrupted "
           "places: %d, %d, %d\n",
           int(std::size(watched)), calls, calls + 1 - k, leaks, spoiled);
    Refusals::Unwatch();
}

}  // namespace
