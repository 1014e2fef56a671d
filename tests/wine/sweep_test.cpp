// Windows saying no, call by call: a day of the meter (start-up, a changed poll, a fade,
// its menu, About opened and closed, a DPI change, the teardown with its save) runs
// once to count its creating calls, then once with each of them refused in turn.
// Nothing may crash, hang, leak or spoil the stored place; the meter either ends as
// designed or goes on and shows the right face once Windows says yes again.
#include <gtest/gtest.h>

#include <stdio.h>

#include <vector>

#include "about/aboutwin.h"
#include "resources/resource.h"
#include "tests/support/refusals.h"
#include "tests/support/wine_support.h"

namespace {

#define WATCH(dll, function, makes)                                                                \
    Watch<__LINE__, decltype(&function)>::Install(dll, #function, makes)

using SetTimerFunction = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);

std::string g_box;
int WINAPI RecordBox(HWND, LPCSTR text, LPCSTR, UINT) { return g_box = text, IDOK; }

void CALLBACK EndMenuNow(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EndMenu();
}

int ThreadWindows() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(), [](HWND, LPARAM n) { return ++*reinterpret_cast<int*>(n), TRUE; },
        LPARAM(&count));
    return count;
}

struct DayResult {
    bool window = false;        // the meter was made
    bool closedItself = false;  // after the error box
    bool goesOn = false;        // the right face, a poll and its fade going, once allowed
    std::string box, refused;
    std::vector<uint8_t> layer;
    int gdi = 0, windows = 0, userObjects = 0;  // left behind
    std::string place;
};

// The timer runs: killed to see, then started again by the real SetTimer.
bool Runs(HWND w, UINT_PTR id, UINT period, SetTimerFunction setTimer) {
    return KillTimer(w, id) && setTimer(w, id, period, nullptr);
}

DayResult Day(int refuse, SetTimerFunction setTimer) {
    const std::string file = SettingsFilePath();
    WritePrivateProfileStringA("WINDOW", "POSX", "111", file.c_str());
    WritePrivateProfileStringA("WINDOW", "POSY", "222", file.c_str());
    const int gdi = CountGdiObjects(), windows = ThreadWindows();
    Refusals::liveUserObjects = 0;
    g_box.clear();
    DayResult run;
    {
        CMainWin meter;  // made after the watches, so its seams start watched
        FakePower::sample = MakeSample(kAcOffline, 0, 57, 10260);
        FakeShell::refusals = 0, FakeShell::iconThere = false;
        meter.SetPowerReader(FakePower::Read);
        meter.SetTrayNotifier(
            Watch<1, CMainWin::TrayNotifier>::Wrap("Shell_NotifyIconA", FakeShell::Notify));
        NewerApi api = FakeSystem::Api();
        api.setCoalescableTimer = Watch<2, decltype(api.setCoalescableTimer)>::Wrap(
            "SetCoalescableTimer", LookUpNewerApi().setCoalescableTimer);
        api.registerPowerSettingNotification =
            Watch<3, decltype(api.registerPowerSettingNotification)>::Wrap(
                "RegisterPowerSettingNotification", FakeSystem::Register);
        meter.SetNewerApi(api);
        Refusals::Start(refuse);
        meter.Register(GetModuleHandleA(nullptr), "SorvaneSweepMeter", nullptr, nullptr);
        meter.Create(GetModuleHandleA(nullptr), GetDesktopWindow(), "", WS_POPUP | WS_SYSMENU, 0);
        const HWND w = meter.GetHwnd();
        run.window = w != nullptr;
        if (run.window && !g_box.empty()) {
            run.closedItself = PumpUntil([&] { return !IsWindow(w); }, 2000);
        } else if (run.window) {
            FakePower::sample = MakeSample(kAcOffline, 2, 31, 5400);
            SendMessageA(w, WM_TIMER, TIMER_POLL, 0);
            for (int i = 0; i < 5; ++i) {  // a fade on its way
                SendMessageA(w, WM_TIMER, TIMER_FADE, 0);
            }
            setTimer(nullptr, 0, 30, EndMenuNow);
            SendMessageA(w, WM_RBUTTONUP, 0, MAKELPARAM(30, 30));
            SendMessageA(w, WM_COMMAND, ID_ABOUT, 0);
            const HWND about = TheAboutWindow().GetHwnd();
            SendMessageA(about, WM_CLOSE, 0, 0);
            const bool aboutGoes =
                !IsWindow(about) || Runs(about, TIMER_ABOUT_FADE_OUT, 30, setTimer);
            for (int i = 0; i < 15 && IsWindow(about); ++i) {
                SendMessageA(about, WM_TIMER, TIMER_ABOUT_FADE_OUT, 0);
            }
            RECT scaled = {333, 444, 423, 534};
            SendMessageA(w, WM_DPICHANGED, MAKEWPARAM(144, 144), LPARAM(&scaled));
            Refusals::refuse = 0;  // Windows says yes again: the next poll and tick try again
            SendMessageA(w, WM_TIMER, TIMER_POLL, 0);
            SendMessageA(w, WM_TIMER, TIMER_FADE, 0);
            const int size = meter.GetLengths().layer;
            run.layer.assign(meter.GetLayerBits(), meter.GetLayerBits() + size * size * 4);
            run.goesOn = aboutGoes && !IsWindow(about) && Runs(w, TIMER_POLL, 3000, setTimer) &&
                         Runs(w, TIMER_FADE, 20, setTimer) &&
                         (FakeShell::iconThere || Runs(w, TIMER_TRAY_RETRY, 5000, setTimer));
            DestroyWindow(w);
        }
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    Refusals::refuse = 0;
    // Registered again in the next run, so that a refused registration is a new start's.
    UnregisterClassA("SorvaneSweepMeter", GetModuleHandleA(nullptr));
    UnregisterClassA("OstrelBatteryMeterAbout", GetModuleHandleA(nullptr));
    run.box = g_box, run.refused = Refusals::refused;
    run.gdi = CountGdiObjects() - gdi;
    run.windows = ThreadWindows() - windows;
    run.userObjects = Refusals::liveUserObjects;
    char x[16] = "", y[16] = "";
    GetPrivateProfileStringA("WINDOW", "POSX", "", x, sizeof(x), file.c_str());
    GetPrivateProfileStringA("WINDOW", "POSY", "", y, sizeof(y), file.c_str());
    run.place = std::string(x) + "," + y;
    return run;
}

TEST(Sweep, EveryCreatingCallRefusedInTurn) {
    ULONG_PTR* box = FindImportSlot("user32.dll", "MessageBoxA");
    Refusals::patched.emplace_back(box, *box);
    PatchSlot(box, reinterpret_cast<ULONG_PTR>(RecordBox));
    const auto setTimer =
        reinterpret_cast<SetTimerFunction>(*FindImportSlot("user32.dll", "SetTimer"));
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
    for (bool w : watched) {
        ASSERT_TRUE(w) << "a watched function is not imported";
    }
    const DayResult reference = Day(0, setTimer);
    const int calls = Refusals::calls;
    ASSERT_TRUE(reference.goesOn && reference.layer.size() == 90 * 90 * 4);
    // A crash or a hang ends the whole test process, which tools/test counts as failed.
    int finished = 0, leaks = 0, spoiled = 0;
    for (int k = 1; k <= calls; ++k, ++finished) {
        const DayResult r = Day(k, setTimer);
        const std::string what = std::to_string(k) + ": " + r.refused;
        leaks += r.gdi != 0 || r.windows != 0 || r.userObjects != 0;
        spoiled += r.place != "111,222" && r.place != "333,444";
        EXPECT_EQ(std::vector<int>({r.gdi, r.windows, r.userObjects}), std::vector<int>(3, 0))
            << what << ": GDI objects, windows, icons and menus left";
        EXPECT_TRUE(r.place == "111,222" || r.place == "333,444") << what << ": " << r.place;
        const bool endedAsDesigned = !r.window || (r.box == "Error on CreateDIBSection()" &&
                                                   r.closedItself && r.place == "111,222");
        EXPECT_TRUE(endedAsDesigned || (r.goesOn && r.layer == reference.layer))
            << what << ": neither ended as designed nor went on";
    }
    printf("refusal sweep: %d call sites watched, %d refusals tried; crashes, leaks, corrupted "
           "places: %d, %d, %d\n",
           int(sizeof(watched) / sizeof(watched[0])) + 3, calls, calls - finished, leaks, spoiled);
    Refusals::Unwatch();
}

}  // namespace
