// The meter window in this process, on a power source the test controls, with the
// real cursor and the real timers.
#include <gtest/gtest.h>

#include <math.h>
#include <process.h>

#include <functional>
#include <utility>
#include <vector>

#include "meter/moon_geometry.h"
#include "resources/resource.h"
#include "tests/support/reference_reduce.h"
#include "tests/support/wine_support.h"

namespace {

constexpr COLORREF kLight = RGB(255, 254, 153);
const PowerSample kOnBattery = MakeSample(kAcOffline, 0, 57, 10260);

std::pair<LONG, LONG> Place(HWND w) { return {WindowRectOf(w).left, WindowRectOf(w).top}; }
LPARAM At(int x, int y) { return MAKELPARAM(x, y); }
std::string Setting(const std::string& file, const char* key) {
    char value[32] = "";
    GetPrivateProfileStringA("WINDOW", key, "", value, sizeof(value), file.c_str());
    return value;
}

TEST(Meter, StartsHiddenAtTheWorkAreasDefaultPlaceAndObeysItsCommands) {
    DeleteFileA(SettingsFilePath().c_str());
    RECT screen, work;  // taskbars at the top and on the right
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0);
    work = {screen.left, screen.top + 40, screen.right - 24, screen.bottom};
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &work, 0);
    MeterUnderTest t(kOnBattery);
    CMainWin& m = t.meter();
    const HWND w = t.hwnd();
    EXPECT_EQ(Place(w), std::make_pair(work.right - 85, work.top + 25));
    EXPECT_FALSE(IsWindowVisible(w));
    const LONG_PTR styles = WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_NOACTIVATE;
    EXPECT_EQ(GetWindowLongPtrA(w, GWL_EXSTYLE) & styles, styles);
    EXPECT_EQ(SendMessageA(w, WM_MOUSEACTIVATE, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              MA_NOACTIVATE);
    EXPECT_NE(m.GetLayerBits()[(30 * 60 + 10) * 4 + 3], 0) << "the first face is drawn";
    m.FadeTick();
    EXPECT_TRUE(IsWindowVisible(w)) << "shown by the first fade tick";
    t.FinishFade();

    MoveWindow(w, 10, 10, 60, 60, FALSE);
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(ID_RESET_POSITION, 1), 0);
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &screen, 0);
    EXPECT_EQ(Place(w), std::make_pair(work.right - 85, work.top + 25));
    SendMessageA(w, WM_COMMAND, ID_HIDE, 0);
    t.FinishFade();
    EXPECT_FALSE(IsWindowVisible(w));
    for (LPARAM other : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE, WM_RBUTTONUP}) {
        SendMessageA(w, WM_TRAYNOTIFY, TRAY_ICON_ID, other);
        EXPECT_EQ(m.GetFade().timerRunning, 0) << "tray notification " << other;
    }
    SendMessageA(w, WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
    t.FinishFade();
    EXPECT_TRUE(IsWindowVisible(w)) << "the tray icon's left button brings it back";
}

// Each way the meter fades by itself or on a command: the direction and the step
// (10 for everything but the hover, whose steps are checked with the pointer).
TEST(Meter, EachTriggerFadesItsWayAtItsStep) {
    const struct {
        const char* trigger;
        PowerSample first;
        std::function<void(MeterUnderTest&)> act;
        int direction;  // 1 out, 0 in
    } cases[] = {
        {"start", kOnBattery, [](MeterUnderTest&) {}, 0},
        {"Hide", kOnBattery, [](MeterUnderTest& t) { t.Command(ID_HIDE); }, 1},
        {"tray icon", kOnBattery,
         [](MeterUnderTest& t) {
             t.Command(ID_HIDE), t.FinishFade();
             SendMessageA(t.hwnd(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
         },
         0},
        {"nearly full on mains", MakeSample(kAcOnline, 9, 98, kUnknownTime),
         [](MeterUnderTest& t) { t.FinishFade(), t.meter().PollPower(); }, 1},
        {"unplugged", MakeSample(kAcOnline, 9, 98, kUnknownTime),
         [](MeterUnderTest& t) {
             t.FinishFade(), t.meter().PollPower(), t.FinishFade();
             FakePower::sample = MakeSample(kAcOffline, 1, 98, 7200);
             t.meter().PollPower();
         },
         0},
        {"Reset while hidden", kOnBattery,
         [](MeterUnderTest& t) {
             t.Command(ID_HIDE), t.FinishFade(), t.Command(ID_RESET_POSITION);
         },
         0},
        {"a second start", kOnBattery,
         [](MeterUnderTest& t) {
             t.Command(ID_HIDE), t.FinishFade();
             SendMessageA(t.hwnd(), RegisterWindowMessageA(SHOW_METER_MESSAGE), 0, 0);
         },
         0},
        {"unplugged, told at once", MakeSample(kAcOnline, 9, 98, kUnknownTime),
         [](MeterUnderTest& t) {
             t.FinishFade(), t.meter().PollPower(), t.FinishFade();
             FakePower::sample = MakeSample(kAcOffline, 1, 98, 7200);
             EXPECT_EQ(SendMessageA(t.hwnd(), WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0),
                       TRUE);
         },
         0},
        {"a press", kOnBattery,
         [](MeterUnderTest& t) {
             t.FinishFade(), t.meter().FadeTo(kFadeOut, kFadeStepFast), t.meter().FadeTick();
             SendMessageA(t.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 30));
             SendMessageA(t.hwnd(), WM_LBUTTONUP, 0, At(20, 30));
         },
         0},
    };
    for (const auto& c : cases) {
        MeterUnderTest t(c.first);
        c.act(t);
        const FadeState& f = t.meter().GetFade();
        EXPECT_EQ(std::make_pair(f.direction, f.step), std::make_pair(c.direction, 10))
            << c.trigger;
        EXPECT_EQ(f.timerRunning, 1) << c.trigger;
    }
    MeterUnderTest stays(MakeSample(kAcOnline, 9, 98, kUnknownTime));
    stays.FinishFade(), stays.meter().PollPower(), stays.FinishFade();
    FakePower::sample = MakeSample(kAcOnline, 8, 60, kUnknownTime);
    stays.meter().PollPower();
    EXPECT_EQ(stays.meter().GetFade().timerRunning, 0) << "plugged in below 95 % it stays";
}

TEST(Meter, APollRedrawsOnlyAChangedFace) {
    MeterUnderTest t(kOnBattery);
    CMainWin& m = t.meter();
    t.FinishFade();
    m.PollPower();
    uint8_t* layer = const_cast<uint8_t*>(m.GetLayerBits());
    const HBITMAP face = m.GetFace().GetBitmap();
    const int objects = CountGdiObjects();
    layer[0] = 0x5A;
    m.PollPower();
    FakePower::fail = true;
    m.PollPower();
    FakePower::fail = false;
    // Windows revises its estimate in seconds: a new sample, the same face.
    const PowerSample sameFace[] = {MakeSample(kAcOffline, 0, 57, 10262),
                                    PowerSample{kAcOffline, 0, 57, 1, 10262, kUnknownTime},
                                    PowerSample{kAcOffline, 0, 57, 1, 10262, 99}};
    for (const PowerSample& s : sameFace) {
        FakePower::sample = s;
        m.PollPower();
        EXPECT_EQ(memcmp(&m.GetSnapshot(), &s, sizeof(s)), 0) << "the snapshot follows it";
    }
    EXPECT_EQ(m.GetFace().GetBitmap(), face) << "an unchanged, failed or same-face poll draws";
    EXPECT_EQ(layer[0], 0x5A);
    EXPECT_EQ(CountGdiObjects(), objects);
    m.FadeTo(kFadeIn, kFadeStepFast);
    t.FinishFade();
    EXPECT_EQ(layer[0], 0x5A) << "a fade only re-applies the alpha";
    const PowerSample newFace[] = {MakeSample(kAcOffline, 0, 57, 10320),  // a minute less
                                   MakeSample(kAcOffline, 2, 57, 10320),  // the colour
                                   MakeSample(kAcOffline, 2, 56, 10320)};
    for (const PowerSample& s : newFace) {
        FakePower::sample = s;
        m.PollPower();
        EXPECT_EQ(layer[0], 0) << "a new face recomposes the layer";
        layer[0] = 0x5A;
    }
}

TEST(Meter, TheMoonOnTheMaskIsTheFaceInTheExactLightColour) {
    MeterUnderTest t(kOnBattery);
    CMainWin& m = t.meter();
    for (int percent : {0, 7, 25, 48, 50, 52, 75, 100}) {
        const FaceDescription d = DescribeSample(MakeSample(0, 0, uint8_t(percent), 60));
        m.DrawMoon(d.phase, d.tilt);
        int lit = 0;
        for (int i = 0; i < 240 * 240; ++i) {
            const int x = i % 240, y = i / 240;
            const COLORREF f = SurfacePixel(m.GetFace(), x, y);
            ASSERT_EQ(f, SurfacePixel(m.GetMask(), x, y)) << percent << "% " << x << "," << y;
            ASSERT_TRUE(f == kLight || f == 0) << std::hex << f << " at " << x << "," << y;
            ASSERT_TRUE(f == 0 || hypot(x - 119.5, y - 119.5) < 121) << "off the disc";
            lit += f == kLight;
        }
        const double disc = kPi * 120 * 120;  // the lit share follows the phase
        EXPECT_NEAR(lit, (1.0 + cos(d.phase)) / 2.0 * disc, 0.06 * disc) << percent << " %";
        if (percent % 25 == 0 && percent % 100 != 0) {  // lit at the lower left
            EXPECT_EQ(SurfacePixel(m.GetFace(), 40, 200), kLight) << percent << " %";
            EXPECT_EQ(SurfacePixel(m.GetFace(), 200, 40), 0u) << percent << " %";
        }
    }
    m.DrawMoon(std::nan(""), -0.5);
    for (int i = 0; i < 240; i += 7) {
        ASSERT_EQ(SurfacePixel(m.GetFace(), i, 239 - i), 0u) << "nothing honest to draw";
    }
}

TEST(Meter, TheLayerIsTheReductionOfAFaceWithTextsInTheFlagsColour) {
    for (int flag : {1, 2}) {                                              // 2: low
        MeterUnderTest t(MakeSample(kAcOffline, uint8_t(flag), 0, 4000));  // texts on black
        CMainWin& m = t.meter();
        const COLORREF fill = flag == 2 ? RGB(160, 0, 37) : RGB(0, 0, 160);
        int filled = 0, white = 0, top = 240, bottom = 0, left = 240, right = 0;
        for (int i = 0; i < 240 * 240; ++i) {
            const int x = i % 240, y = i / 240;
            const COLORREF f = SurfacePixel(m.GetFace(), x, y), k = SurfacePixel(m.GetMask(), x, y);
            const bool grey = GetRValue(k) == GetGValue(k) && GetGValue(k) == GetBValue(k);
            ASSERT_TRUE((grey || k == kLight) && (k != 0 || f == 0)) << "the mask has no colour";
            filled += f == fill;
            if (k == RGB(255, 255, 255)) {
                ++white, top = std::min(top, y), bottom = y, left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        EXPECT_GT(filled, 200) << "flag " << flag;
        EXPECT_GT(white, 2000);
        EXPECT_NEAR(top, 75, 5) << "the percentage hangs from 68, the glyphs lower";
        EXPECT_NEAR(bottom, 177, 5) << "the status line hangs from 132";
        EXPECT_NEAR(left + right, 240, 12) << "centred";
        std::vector<uint8_t> want(60 * 60 * 4);
        ReduceLayerReference(m.GetFace().GetRows(), m.GetMask().GetRows(), 60, want.data());
        EXPECT_EQ(memcmp(want.data(), m.GetLayerBits(), want.size()), 0) << "flag " << flag;
    }
    MeterUnderTest full(MakeSample(kAcOnline, 1, 100, kUnknownTime));
    // Above the texts of a full moon: the light colour, premultiplied by its coverage.
    const uint8_t* p = full.meter().GetLayerBits() + ((59 - 12) * 60 + 30) * 4;
    EXPECT_EQ(uint32_t(p[0] | p[1] << 8 | p[2] << 16 | p[3] << 24), 0xFEFFFE99u);
}

TEST(Meter, ARefusedTrayIconIsTriedAgainForAWhile) {
    std::string never = "A";
    for (int i = 0; i < CMainWin::kTrayTries; ++i) {
        never += "MA";
    }
    const UINT restart = RegisterWindowMessageA("TaskbarCreated");
    const struct {
        int refusals, ticks;
        bool land;
        UINT message;  // then sent: the shell restarting, or a log-off
        bool timerLeft;
        std::string calls;  // a tick after the last try tries nothing
    } cases[] = {
        {0, 30, false, 0, false, "A"},       {3, 30, false, 0, false, "AMAMA"},
        {1, 30, true, 0, false, "AM"},       {99, 30, false, 0, false, never},
        {99, 2, false, 0, true, "AMAMA"},    {99, 2, false, WM_QUERYENDSESSION, false, "AMAMAD"},
        {0, 0, false, restart, false, "AA"},  // a restarted shell knows no icon
    };
    for (const auto& c : cases) {
        MeterUnderTest t(kOnBattery, c.refusals, c.land);
        for (int i = 0; i < c.ticks; ++i) {
            SendMessageA(t.hwnd(), WM_TIMER, TIMER_TRAY_RETRY, 0);
        }
        FakeShell::iconThere &= c.message != restart;
        if (c.message) {
            SendMessageA(t.hwnd(), c.message, 0, 0);
        }
        EXPECT_EQ(FakeShell::calls, c.calls);
        EXPECT_EQ(KillTimer(t.hwnd(), TIMER_TRAY_RETRY) != 0, c.timerLeft) << c.calls;
    }
}

unsigned __stdcall AnswerErrorBox(void* text) {
    for (int i = 0; i < 500; ++i, Sleep(10)) {
        if (HWND box = FindWindowA("#32770", "Error")) {
            GetDlgItemTextA(box, 0xFFFF, static_cast<char*>(text), 64);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            break;
        }
    }
    return 0;
}

HBITMAP WINAPI RefuseDibSection(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD) {
    return nullptr;
}

TEST(Meter, AFailedLayerShowsTheBoxAndEndsWithoutSaving) {
    const std::string file = SettingsFilePath();
    SHCreateDirectoryExA(nullptr, file.substr(0, file.rfind('\\')).c_str(), nullptr);
    WritePrivateProfileStringA("WINDOW", "POSX", "77", file.c_str());
    char text[64] = "";
    HANDLE answerer = HANDLE(_beginthreadex(nullptr, 0, AnswerErrorBox, text, 0, nullptr));
    CMainWin meter;
    meter.SetPowerReader(FakePower::Read);
    meter.SetDibSectionMaker(RefuseDibSection);
    meter.Register(GetModuleHandleA(nullptr), "SorvaneTestMeter", nullptr, nullptr);
    const int reads = FakePower::reads;
    meter.Create(GetModuleHandleA(nullptr), GetDesktopWindow(), "", WS_POPUP | WS_SYSMENU, 0);
    WaitForSingleObject(answerer, 5000);
    CloseHandle(answerer);
    EXPECT_STREQ(text, "Error on CreateDIBSection()");
    EXPECT_EQ(FakePower::reads, reads) << "no sample after the failure";
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(meter.GetHwnd()); }, 3000)) << "it closes itself";
    EXPECT_EQ(Setting(file, "POSX"), "77") << "the stored place survives";
}

TEST(Meter, TheFileBesideTheProgramGivesTheFirstPlaceAndTheUsersFileWinsAfter) {
    const std::string file = SettingsFilePath(), product = file.substr(0, file.rfind('\\'));
    char exe[MAX_PATH];
    const std::string beside(exe, GetModuleFileNameA(nullptr, exe, sizeof(exe)));
    const std::string fallback = beside.substr(0, beside.rfind('\\')) + "\\default.ini";
    DeleteFileA(file.c_str());
    RemoveDirectoryA(product.c_str());
    RemoveDirectoryA(product.substr(0, product.rfind('\\')).c_str());  // a new user
    WritePrivateProfileStringA("WINDOW", "POSX", "123", fallback.c_str());
    WritePrivateProfileStringA("WINDOW", "POSY", "45", fallback.c_str());
    {
        MeterUnderTest t(kOnBattery);
        EXPECT_EQ(Place(t.hwnd()), std::make_pair(123L, 45L));
    }
    EXPECT_EQ(Setting(file, "POSX") + "," + Setting(file, "POSY"), "123,45") << "saved as his";
    WritePrivateProfileStringA("WINDOW", "POSX", "333", fallback.c_str());
    MeterUnderTest again(kOnBattery);
    EXPECT_EQ(Place(again.hwnd()).first, 123) << "the user's file wins once there is one";
    DeleteFileA(fallback.c_str());
}

// Log-off: the teardown runs at WM_QUERYENDSESSION, while the window lives on, and
// not again when it is destroyed.
TEST(Meter, ALogOffTearsDownOnceAndLeavesNothingRunning) {
    const std::string file = SettingsFilePath();
    const int baseline = CountGdiObjects();
    {
        MeterUnderTest t(kOnBattery);
        MoveWindow(t.hwnd(), 200, 100, 60, 60, FALSE);
        SendMessageA(t.hwnd(), WM_QUERYENDSESSION, 0, 0);
        MSG msg;
        EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(FakeShell::calls, "AD") << "the icon is gone";
        EXPECT_EQ(Setting(file, "POSX") + "," + Setting(file, "POSY"), "200,100");
        const int objects = CountGdiObjects();
        for (UINT_PTR id : {TIMER_POLL, TIMER_FADE, TIMER_HOVER_DELAY, TIMER_HOVER_WATCH}) {
            EXPECT_FALSE(KillTimer(t.hwnd(), id)) << "timer " << id << " still runs";
            SendMessageA(t.hwnd(), WM_TIMER, id, 0);  // one that was already queued
        }
        EXPECT_EQ(CountGdiObjects(), objects) << "a late tick makes nothing";
        MoveWindow(t.hwnd(), 300, 300, 60, 60, FALSE);
    }
    EXPECT_EQ(Setting(file, "POSX"), "200") << "the destruction ran no second teardown";
    EXPECT_EQ(FakeShell::calls, "AD");
    EXPECT_EQ(CountGdiObjects(), baseline);
}

// Another desktop has the input: the cursor cannot be read, and the point holds
// whatever it held.
POINT g_stalePoint;
BOOL WINAPI NoCursor(LPPOINT p) { return *p = g_stalePoint, FALSE; }

int g_menusEnded = 0;
void CALLBACK EndMenuNow(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    g_menusEnded += IsWindowVisible(FindWindowA("#32768", nullptr));
    EndMenu();
}

// A meter at 400, 300, faded in, and the cursor coming to rest on it.
struct PointerTest : MeterUnderTest {
    PointerTest() : MeterUnderTest(kOnBattery) {
        FinishFade();
        MoveWindow(hwnd(), 400, 300, 60, 60, FALSE);
    }
    void Arrive() {
        SetCursorPos(430, 330);
        SendMessageA(hwnd(), WM_MOUSEMOVE, 0, At(30, 30));
    }
    const FadeState& fade() { return meter().GetFade(); }
};

TEST(Pointer, AClickWithinTheDelayCancelsThatHover) {
    PointerTest t;
    t.Arrive();
    SendMessageA(t.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(30, 30));
    SendMessageA(t.hwnd(), WM_LBUTTONUP, 0, At(30, 30));
    PumpFor(600);
    EXPECT_EQ(t.fade().alpha, 210) << "a left click";
    t.Arrive();  // the right button's menu runs the timers in its own loop; ended after the delay
    SetTimer(nullptr, 0, 600, EndMenuNow);
    SendMessageA(t.hwnd(), WM_RBUTTONUP, 0, At(30, 30));
    EXPECT_EQ(g_menusEnded, 1) << "the menu was open all the while";
    EXPECT_EQ(t.fade().alpha, 210) << "a right click";
}

TEST(Pointer, ARestingMouseHidesTheMeterAndTheWatchSeesItLeave) {
    PointerTest t;
    const DWORD start = GetTickCount();
    t.Arrive();
    ASSERT_TRUE(PumpUntil([&] { return t.fade().direction == 1; }, 3000));
    EXPECT_GE(GetTickCount() - start, 250u) << "the mouse must rest 300 ms first";
    EXPECT_EQ(t.fade().step, 20) << "the hover fades fast";
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(t.hwnd()); }, 3000));
    SetCursorPos(100, 100);
    ASSERT_TRUE(PumpUntil([&] { return t.fade().alpha == 210; }, 3000)) << "the watch sees it go";
    EXPECT_EQ(std::make_pair(t.fade().direction, t.fade().step), std::make_pair(0, 20));
    TimerLog after;
    PumpFor(350, &after);
    EXPECT_EQ(after.count[TIMER_HOVER_WATCH - 100], 0) << "the watch ends with the hover";
}

TEST(Pointer, ACursorThatCannotBeReadIsNeitherOnTheMeterNorGone) {
    PointerTest t;
    const auto unread = [&](POINT stale, WPARAM timer) {
        t.meter().SetCursorReader(NoCursor);
        g_stalePoint = stale;
        SendMessageA(t.hwnd(), WM_TIMER, timer, 0);
        t.meter().SetCursorReader(GetCursorPos);
        return t.fade().timerRunning;
    };
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, 0, At(30, 30));
    EXPECT_EQ(unread({430, 330}, TIMER_HOVER_DELAY), 0) << "not on it: no fade";
    t.meter().FadeTo(kFadeOut, kFadeStepFast);
    t.FinishFade();
    EXPECT_EQ(unread({100, 100}, TIMER_HOVER_WATCH), 0) << "nor gone from it: still hidden";
}

TEST(Pointer, ADragKeepsThePressedPointUnderTheCursorUntilTheButtonOrCaptureGoes) {
    PointerTest t;
    SendMessageA(t.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 30));
    EXPECT_EQ(GetCapture(), t.hwnd());
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, At(70, 10));
    EXPECT_EQ(Place(t.hwnd()), std::make_pair(450L, 280L));
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, At(-30, 30));  // left of the window
    EXPECT_EQ(Place(t.hwnd()).first, 400);
    SendMessageA(t.hwnd(), WM_LBUTTONUP, 0, At(-30, 30));
    EXPECT_NE(GetCapture(), t.hwnd());
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, 0, At(10, 10));
    EXPECT_EQ(Place(t.hwnd()).first, 400) << "after the release moves do not drag";
    SendMessageA(t.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 30));
    ReleaseCapture();  // another window takes the mouse
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, At(70, 10));
    EXPECT_EQ(Place(t.hwnd()).first, 400) << "a lost capture ends the drag";
}

}  // namespace
