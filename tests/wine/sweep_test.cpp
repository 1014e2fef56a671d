// Windows saying no, call by call: a day of the meter runs once to count the calls it
// makes that Windows may refuse, then once with each of them refused in turn. The day:
// start-up, a changed poll that alerts, a fade, the screen off and on, a hover, monitors changing,
// a tray retry, Start with Windows and an alert chosen, the menu, About, a DPI change, a drag that
// saves the place, a changed poll again, and a log-off. It runs on Windows 7's functions too.
#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
#include <iterator>
#include <tuple>

#include "about/aboutwin.h"
#include "resources/resource.h"
#include "tests/support/refusals.h"
#include "tests/support/wine_support.h"

namespace {

#define WATCH(dll, function, makes, failure)                                                       \
    Watch<__LINE__, decltype(&function)>::Install(dll, #function, makes, failure)

using SetTimerFunction = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);
SetTimerFunction g_setTimer;  // the real one: the test's own timers are not the meter's
std::string g_box;
int WINAPI RecordBox(HWND, LPCSTR text, LPCSTR, UINT) { return g_box = text, IDOK; }

bool Runs(HWND w, UINT_PTR id, UINT ms) { return TimerRuns(w, id, ms, g_setTimer); }
// The meter's Run value, through functions the sweep does not watch.
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunEntry[] = L"Sorvane Battery Meter";
bool InRunKey() {
    return RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunEntry, RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
}
const wchar_t kApproved[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
void LeaveRunKey() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunEntry);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kApproved, kRunEntry);
}

// The shell may refuse a balloon too (one it cannot show, a shell gone).
BOOL WINAPI RefusingShell(DWORD message, PNOTIFYICONDATAA data) {
    if ((data->uFlags & NIF_INFO) && ++Refusals::calls == Refusals::refuse) {
        return Refusals::refused = "a balloon", FALSE;
    }
    return FakeShell::Notify(message, data);
}

struct Day {
    bool window = false, closedItself = false;
    std::string stuck;           // what did not go on once Windows said yes again
    std::vector<uint8_t> layer;  // after Windows says yes again and a poll
    std::vector<uint32_t> icon;  // the tray's, then
    int left = 0;  // GDI objects, windows, icons, menus, registry keys and timers left behind
    std::string place, last;  // the stored place, and where the window was at the end
};

int ThreadWindows() {
    int n = 0;
    EnumThreadWindows(
        GetCurrentThreadId(), [](HWND, LPARAM c) { return ++*reinterpret_cast<int*>(c), TRUE; },
        LPARAM(&n));
    return n;
}

// A day that does not come back: a crash, named here (a hang meets tools/test's timeout).
int g_refusal = 0;
LONG WINAPI Crashed(EXCEPTION_POINTERS*) {
    printf("refusal sweep: the day of refusal %d (%s) did not come back: a crash\n", g_refusal,
           Refusals::refused.c_str());
    fflush(stdout);
    ExitProcess(3);
}

Day Live(int refuse) {
    const std::string file = SettingsFilePath();
    StorePlace("111", "222");
    WritePrivateProfileStringA("ALERTS", nullptr, nullptr, file.c_str());
    LeaveRunKey();
    const int before = CountGdiObjects() + ThreadWindows();
    Refusals::calls = 0, Refusals::refuse = refuse, Refusals::liveUserObjects = 0, g_box.clear();
    g_refusal = refuse;
    Day day;
    {
        MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
        const HWND w = t.hwnd();
        t.meter().SetTrayNotifier(RefusingShell);
        day.window = w != nullptr;
        if (day.window && !g_box.empty()) {
            day.closedItself = PumpUntil([&] { return !IsWindow(w); }, 2000);
        } else if (day.window) {
            FakePower::sample = MakeSample(kAcOffline, 2, 19, 5400);
            SendMessageA(w, WM_TIMER, TIMER_POLL, 0);
            for (int i = 0; i < 5; ++i) {  // a fade on its way
                SendMessageA(w, WM_TIMER, TIMER_FADE, 0);
            }
            Display(w, 0), Display(w, 1);
            SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
            for (UINT_PTR id : {TIMER_HOVER_DELAY, TIMER_HOVER_WATCH, TIMER_TRAY_RETRY}) {
                SendMessageA(w, WM_TIMER, id, 0);
            }
            SendMessageA(w, WM_DISPLAYCHANGE, 32, 0);
            SendMessageA(w, WM_TIMER, TIMER_PLACE_CHECK, 0);
            t.Command(ID_START_WITH_WINDOWS);
            t.Command(ID_ALERT_UNPLUG);
            OpenMenu(w, g_setTimer);
            t.Command(ID_ABOUT);
            const HWND about = TheAboutWindow().GetHwnd();
            SendMessageA(about, WM_CLOSE, 0, 0);
            const bool aboutGoes = !IsWindow(about) || Runs(about, TIMER_ABOUT_FADE_OUT, 30);
            for (int i = 0; i < 15 && IsWindow(about); ++i) {
                SendMessageA(about, WM_TIMER, TIMER_ABOUT_FADE_OUT, 0);
            }
            RECT scaled = {333, 444, 423, 534};
            SendMessageA(w, WM_DPICHANGED, MAKEWPARAM(144, 144), LPARAM(&scaled));
            SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
            SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 20));
            SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(40, 20));
            FakePower::sample = MakeSample(kAcOffline, 2, 30, 5400);  // the last icon of the day
            SendMessageA(w, WM_TIMER, TIMER_POLL, 0);
            Refusals::refuse = 0;  // Windows says yes again: the next poll and tick try again
            SendMessageA(w, WM_TIMER, TIMER_POLL, 0);
            SendMessageA(w, WM_TIMER, TIMER_FADE, 0);
            const int size = t.meter().GetLengths().layer;
            day.layer.assign(t.meter().GetLayerBits(), t.meter().GetLayerBits() + size * size * 4);
            day.icon = FakeShell::icon;
            OpenMenu(w, g_setTimer);
            const FadeState& fade = t.meter().GetFade();
            const std::pair<const char*, bool> parts[] = {
                {"About", aboutGoes && !IsWindow(about)},
                {"poll", Runs(w, TIMER_POLL, 3000)},
                {"fade", fade.alpha == 210 || Runs(w, TIMER_FADE, 20)},  // the menu's loop ticks
                {"tray", FakeShell::iconThere || Runs(w, TIMER_TRAY_RETRY, 5000)},
                {"check mark", g_startChecked == InRunKey()}};
            for (const auto& part : parts) {
                day.stuck += part.second ? "" : std::string(" ") + part.first;
            }
            // Wine may yet move the window the way X has it: the place is where it is.
            const RECT r = WindowRectOf(w);
            day.last = std::to_string(r.left) + "," + std::to_string(r.top);
            // A log-off asked and then certain: a tick already queued makes nothing, and the
            // window's end saves no other place.
            SendMessageA(w, WM_QUERYENDSESSION, 0, 0);
            SendMessageA(w, WM_ENDSESSION, TRUE, 0);
            for (UINT_PTR id : {TIMER_POLL, TIMER_FADE, TIMER_HOVER_DELAY, TIMER_HOVER_WATCH,
                                TIMER_PLACE_CHECK, TIMER_TRAY_RETRY}) {
                day.left += KillTimer(w, id);
                SendMessageA(w, WM_TIMER, id, 0);
            }
            MoveWindow(w, 0, 0, 60, 60, FALSE);
        }
    }
    Refusals::refuse = 0;
    // A refused registration must be a new start's: the classes go with each day.
    UnregisterClassA("SorvaneTestMeter", GetModuleHandleA(nullptr));
    UnregisterClassA(ABOUT_CLASS_NAME, GetModuleHandleA(nullptr));
    day.left += CountGdiObjects() + ThreadWindows() + Refusals::liveUserObjects - before;
    day.place = Setting("POSX") + "," + Setting("POSY");
    return day;
}

// No crash or hang, nothing left behind, the stored place the old one or the new one, and
// the meter either ends as designed or goes on and shows the right face, with a check
// mark that tells the truth, once Windows says yes again.
TEST(Sweep, EveryRefusableCallRefusedInTurn) {
    g_setTimer = reinterpret_cast<SetTimerFunction>(*FindImportSlot("user32.dll", "SetTimer"));
    Refusals::Replace("user32.dll", "MessageBoxA", RecordBox);
    const LONG denied = ERROR_ACCESS_DENIED;
    const bool watched[] = {
        WATCH("gdi32.dll", CreateCompatibleDC, 0, nullptr),
        WATCH("gdi32.dll", CreateCompatibleBitmap, 0, nullptr),
        WATCH("gdi32.dll", CreateDIBSection, 0, nullptr),
        WATCH("gdi32.dll", CreateFontIndirectA, 0, nullptr),
        WATCH("gdi32.dll", CreatePen, 0, nullptr),
        WATCH("gdi32.dll", CreateSolidBrush, 0, nullptr),
        WATCH("user32.dll", GetDC, 0, nullptr),
        WATCH("user32.dll", LoadImageA, 1, nullptr),
        WATCH("user32.dll", CreateIconIndirect, 1, nullptr),
        WATCH("gdi32.dll", CreateBitmap, 0, nullptr),
        WATCH("user32.dll", LoadMenuA, 1, nullptr),
        WATCH("user32.dll", LoadBitmapA, 0, nullptr),
        WATCH("user32.dll", SetTimer, 0, 0),
        WATCH("user32.dll", CreateWindowExA, 0, nullptr),
        WATCH("user32.dll", RegisterClassExA, 0, 0),
        WATCH("user32.dll", SetWinEventHook, 0, nullptr),
        WATCH("user32.dll", EnumDisplayMonitors, 0, FALSE),
        WATCH("user32.dll", UpdateLayeredWindow, 0, FALSE),
        WATCH("kernel32.dll", GlobalAlloc, 0, nullptr),
        WATCH("kernel32.dll", CreateDirectoryA, 0, FALSE),
        WATCH("kernel32.dll", WritePrivateProfileStringA, 0, FALSE),
        WATCH("shell32.dll", SHGetSpecialFolderPathA, 0, FALSE),
        WATCH("advapi32.dll", RegOpenKeyExW, 1, denied),
        WATCH("advapi32.dll", RegOpenKeyExA, 1, denied),
        WATCH("advapi32.dll", RegQueryValueExA, 0, denied),
        WATCH("advapi32.dll", RegCreateKeyExW, 1, denied),
        WATCH("advapi32.dll", RegQueryValueExW, 0, denied),
        WATCH("advapi32.dll", RegSetValueExW, 0, denied),
        WATCH("advapi32.dll", RegDeleteValueW, 0, denied),
        WATCH("user32.dll", DestroyIcon, -1, FALSE),
        WATCH("user32.dll", DestroyMenu, -1, FALSE),
        WATCH("advapi32.dll", RegCloseKey, -1, denied),
    };
    ASSERT_EQ(std::count(std::begin(watched), std::end(watched), true), int(std::size(watched)));
    SetUnhandledExceptionFilter(Crashed);
    Live(0);  // the first day fills Wine's caches of fonts, menus and bitmaps
    const Day reference = Live(0);
    const int calls = Refusals::calls;
    EXPECT_EQ(FakeShell::balloons.size(), 1u) << "the day's low alert";
    EXPECT_EQ(reference.stuck, "") << "the day as it is";
    EXPECT_EQ(reference.left, 0) << "left behind";
    EXPECT_EQ(reference.layer.size(), 90u * 90 * 4) << "the layer at 144 DPI";
    FakeSystem::windows7 = true;  // the same day where nothing newer than Windows 7 is found
    const Day seven = Live(0);
    FakeSystem::windows7 = false;
    EXPECT_EQ(seven.stuck + " " + std::to_string(seven.left), " 0") << "on Windows 7";
    EXPECT_EQ(seven.layer, reference.layer) << "on Windows 7";
    EXPECT_EQ(seven.icon, reference.icon) << "on Windows 7";
    if (HasFailure()) {
        printf("refusal sweep: not run, the day fails without a refusal\n");
        return Refusals::Unwatch();
    }
    int leaks = 0, spoiled = 0;
    for (int k = 1; k <= calls; ++k) {
        const Day d = Live(k);
        const std::string what = std::to_string(k) + ": " + Refusals::refused;
        const bool placeKept = d.place == "111,222" || d.place == d.last;
        leaks += d.left != 0, spoiled += !placeKept;
        EXPECT_EQ(d.left, 0) << what << ": GDI objects, windows, icons, menus or keys left";
        EXPECT_TRUE(placeKept) << what << ": " << d.place;
        const bool ended = !d.window || (g_box.find("CreateDIBSection") != std::string::npos &&
                                         d.closedItself && d.place == "111,222");
        EXPECT_TRUE(ended ||
                    (d.stuck.empty() && d.layer == reference.layer && d.icon == reference.icon))
            << what << ": neither ended as designed nor went on;" << d.stuck;
    }
    // Every day came back, or this line would not print.
    printf("refusal sweep: %d call sites watched, %d refusals tried; days that did not come "
           "back, leaks, corrupted places: 0, %d, %d\n",
           int(std::size(watched)), calls, leaks, spoiled);
    Refusals::Unwatch();
    LeaveRunKey();
}

// What the menu's check mark says of what the Run key may hold: on for this program's path
// alone, and only while Task Manager's mark, if any, says enabled (an even first byte).
TEST(Startup, TheCheckMarkIsOnOnlyWhileThisProgramStartsWithWindows) {
    wchar_t own[MAX_PATH + 3] = L"\"";
    GetModuleFileNameW(nullptr, own + 1, MAX_PATH);
    lstrcatW(own, L"\"");
    // The value, Task Manager's mark (0: none), the check mark.
    const std::tuple<const wchar_t*, BYTE, bool> cases[] = {
        {own, 0, true}, {own, 2, true}, {own, 3, false}, {L"\"C:\\Other\\meter.exe\"", 0, false}};
    for (const auto& [value, mark, checked] : cases) {
        const BYTE data[12] = {mark};
        LeaveRunKey();
        RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunEntry, REG_SZ, value,
                        DWORD(lstrlenW(value) + 1) * sizeof(wchar_t));
        if (mark) {
            RegSetKeyValueW(HKEY_CURRENT_USER, kApproved, kRunEntry, REG_BINARY, data, 12);
        }
        MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
        OpenMenu(t.hwnd(), SetTimer);
        EXPECT_EQ(g_startChecked, checked) << (value == own) << " " << int(mark);
    }
    LeaveRunKey();
}

}  // namespace
