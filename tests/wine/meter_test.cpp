// The meter window in this process, on a power source the test controls, with the
// real cursor and the real timers; and what Windows tells it besides its poll (power,
// sleep, the screen, monitors coming and going, a new scale), which Wine never sends.
#include <gtest/gtest.h>

#include <math.h>

#include <utility>
#include <vector>

#include "about/aboutwin.h"
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

    MoveWindow(w, 10, 10, 60, 60, FALSE);
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(ID_RESET_POSITION, 1), 0);
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &screen, 0);
    EXPECT_EQ(Place(w), std::make_pair(work.right - 85, work.top + 25));
    t.FinishFade();
    for (LPARAM other : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE, WM_RBUTTONUP}) {
        SendMessageA(w, WM_TRAYNOTIFY, TRAY_ICON_ID, other);
        EXPECT_EQ(m.GetFade().timerRunning, 0) << "tray notification " << other;
    }
}

// Each way the meter fades by itself or on a command, one after the other: the direction
// and the step (10 for everything but the hover, whose steps are checked with the pointer).
TEST(Meter, EachTriggerFadesItsWayAtItsStep) {
    MeterUnderTest t(MakeSample(kAcOnline, 9, 98, kUnknownTime));  // on mains, nearly full
    const auto fades = [&](const char* trigger, int direction) {
        const FadeState& f = t.meter().GetFade();
        EXPECT_EQ(std::vector<int>({f.direction, f.step, f.timerRunning}),
                  std::vector<int>({direction, 10, 1}))
            << trigger;
        t.FinishFade();
    };
    fades("start", 0);
    t.meter().PollPower();
    fades("nearly full on mains", 1);
    FakePower::sample = MakeSample(kAcOffline, 1, 98, 7200);
    t.meter().PollPower();
    fades("unplugged", 0);
    t.Command(ID_HIDE);
    fades("Hide", 1);
    SendMessageA(t.hwnd(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
    fades("the tray icon", 0);
    t.Command(ID_HIDE), t.FinishFade(), t.Command(ID_RESET_POSITION);
    fades("Reset while hidden", 0);
    t.Command(ID_HIDE), t.FinishFade();
    SendMessageA(t.hwnd(), RegisterWindowMessageA(SHOW_METER_MESSAGE), 0, 0);
    fades("a second start", 0);
    t.meter().FadeTo(kFadeOut, kFadeStepFast), t.meter().FadeTick();
    SendMessageA(t.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 30));
    SendMessageA(t.hwnd(), WM_LBUTTONUP, 0, At(20, 30));
    fades("a press", 0);
    FakePower::sample = MakeSample(kAcOnline, 8, 60, kUnknownTime);
    t.meter().PollPower();
    EXPECT_EQ(t.meter().GetFade().timerRunning, 0) << "plugged in below 95 % it stays";
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
    EXPECT_FALSE(KillTimer(t.hwnd(), TIMER_HOVER_WATCH)) << "the watch ends with the hover";
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

// GUID_CONSOLE_DISPLAY_STATE
constexpr GUID kDisplayState = {
    0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};

LRESULT Display(HWND meter, DWORD state) {
    struct {
        POWERBROADCAST_SETTING head;
        DWORD rest;  // Data holds one byte in the header
    } setting = {{kDisplayState, sizeof(DWORD), {}}, 0};
    memcpy(setting.head.Data, &state, sizeof(state));
    return SendMessageA(meter, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, LPARAM(&setting));
}

bool PollTimerRuns(HWND meter) {
    const bool runs = KillTimer(meter, TIMER_POLL) != 0;
    if (runs) {
        SetTimer(meter, TIMER_POLL, 3000, nullptr);
    }
    return runs;
}

TEST(Events, PowerAndWakingRedrawAChangedFaceAtOnce) {
    for (WPARAM event : {PBT_APMPOWERSTATUSCHANGE, PBT_APMRESUMEAUTOMATIC, PBT_APMRESUMESUSPEND}) {
        MeterUnderTest t(kOnBattery);
        uint8_t* layer = const_cast<uint8_t*>(t.meter().GetLayerBits());
        layer[0] = 0x5A;
        FakePower::sample = MakeSample(kAcOffline, 0, 41, 7000);
        EXPECT_EQ(SendMessageA(t.hwnd(), WM_POWERBROADCAST, event, 0), TRUE) << event;
        EXPECT_EQ(layer[0], 0) << "event " << event << " redrew the face";
    }
}

TEST(Events, ADarkScreenStopsThePollAndTheScreenOnPollsAndStartsIt) {
    MeterUnderTest t(kOnBattery);
    EXPECT_EQ(FakeSystem::registered, kDisplayState);
    EXPECT_TRUE(PollTimerRuns(t.hwnd())) << "no notification yet: the screen counts as on";
    EXPECT_EQ(Display(t.hwnd(), 0), TRUE);
    EXPECT_FALSE(PollTimerRuns(t.hwnd())) << "off";
    int reads = FakePower::reads;
    SendMessageA(t.hwnd(), WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
    EXPECT_EQ(FakePower::reads, reads + 1) << "an unplug is heard with the screen off";
    EXPECT_FALSE(PollTimerRuns(t.hwnd()));
    for (DWORD on : {1, 2}) {  // on, or dimmed
        Display(t.hwnd(), 0);
        reads = FakePower::reads;
        Display(t.hwnd(), on);
        EXPECT_EQ(FakePower::reads, reads + 1) << "state " << on << " polls at once";
        EXPECT_TRUE(PollTimerRuns(t.hwnd())) << "state " << on;
    }
    reads = FakePower::reads;
    Display(t.hwnd(), 1);  // dimmed to on: it was never dark
    EXPECT_EQ(FakePower::reads, reads);
    SendMessageA(t.hwnd(), WM_QUERYENDSESSION, 0, 0);
    EXPECT_EQ(FakeSystem::unregistered, reinterpret_cast<HPOWERNOTIFY>(&FakeSystem::registered))
        << "the teardown gives the registration back";
}

// The meter's top-left on no monitor's work area (1024 x 768 here) once monitors
// changed: it comes back by the start's rule, per coordinate, after the burst.
TEST(Events, AfterMonitorsChangeAMeterOnNoneComesBackAndOneOnAMonitorStays) {
    const struct {
        UINT message;
        WPARAM wParam;
        POINT place, want;
    } cases[] = {
        {WM_DISPLAYCHANGE, 24, {1500, 300}, {939, 300}},
        {WM_DISPLAYCHANGE, 24, {100, 100}, {100, 100}},
        {WM_SETTINGCHANGE, SPI_SETWORKAREA, {300, -200}, {300, 25}},
    };
    for (const auto& c : cases) {
        MeterUnderTest t(kOnBattery);
        MoveWindow(t.hwnd(), c.place.x, c.place.y, 60, 60, FALSE);
        const DWORD start = GetTickCount();
        SendMessageA(t.hwnd(), c.message, c.wParam, 0);
        PumpFor(300);
        SendMessageA(t.hwnd(), c.message, c.wParam, 0);  // the burst goes on
        const auto placed = [&] {
            const RECT r = WindowRectOf(t.hwnd());
            return r.left == c.want.x && r.top == c.want.y;
        };
        const bool moves = c.want.x != c.place.x || c.want.y != c.place.y;
        EXPECT_EQ(PumpUntil(placed, 2500) && (!moves || GetTickCount() - start >= 1200), true)
            << c.place.x << "," << c.place.y << ": moved only after the burst settled";
    }
    MeterUnderTest hidden(kOnBattery);
    hidden.Command(ID_HIDE), hidden.FinishFade();
    MoveWindow(hidden.hwnd(), 1500, 300, 60, 60, FALSE);
    SendMessageA(hidden.hwnd(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
    EXPECT_EQ(WindowRectOf(hidden.hwnd()).left, 939) << "shown onto a work area at once";
}

// What Wine cannot show: privilege isolation would keep the shell's restart and a
// second start from an elevated meter, and Wine ignores a timer's tolerance.
TEST(Events, TheMeterAsksWindowsToLetItsMessagesThroughAndItsPollComeLate) {
    MeterUnderTest t(kOnBattery);
    EXPECT_EQ(FakeSystem::allowed, std::vector<UINT>({RegisterWindowMessageA("TaskbarCreated"),
                                                      RegisterWindowMessageA(SHOW_METER_MESSAGE)}));
    t.FinishFade();
    t.Command(ID_HIDE);
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(FakeSystem::coalesced, std::vector<UINT_PTR>({TIMER_POLL}))
        << "the poll alone; the fade and hover stay exact";
}

// At 150 %: the Dpi tests run in a process of their own with LogPixels 144 (tools/test)
// on a 1024 x 768 screen, and send WM_DPICHANGED themselves, which Wine never does.
// The layer is the plain reduction of a face and a mask 4 x its size, and the white
// texts on the mask span what they span at 100 %, scaled: from below 68 (the
// percentage's glyphs start lower) to near 177 (the status line's bottom).
void ExpectDrawnAt(CMainWin& m, int layer) {
    const int face = 4 * layer;
    ASSERT_EQ(std::make_pair(m.GetFace().m_width, m.GetMask().m_height),
              std::make_pair(face, face));
    std::vector<uint8_t> want(layer * layer * 4);
    ReduceLayerReference(m.GetFace().GetRows(), m.GetMask().GetRows(), layer, want.data());
    EXPECT_EQ(memcmp(want.data(), m.GetLayerBits(), want.size()), 0) << layer;
    int top = face, bottom = 0;
    for (int i = 0; i < face * face; ++i) {
        if (SurfacePixel(m.GetMask(), i % face, i / face) == RGB(255, 255, 255)) {
            top = std::min(top, i / face), bottom = i / face;
        }
    }
    EXPECT_NEAR(top, face * 75 / 240, face / 48) << "the texts hang from their scaled tops";
    EXPECT_NEAR(bottom, face * 177 / 240, face / 48) << "in their scaled fonts";
}

TEST(Dpi, AChangeRedrawsAllAtTheNewScaleWhereWindowsSaysAndLeaksNothing) {
    MeterUnderTest t(kOnBattery);
    ExpectDrawnAt(t.meter(), 90);
    t.FinishFade();
    const auto change = [&](int dpi, RECT suggested) {
        SendMessageA(t.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&suggested));
    };
    const struct {
        int dpi;
        RECT suggested;
        int layer;
    } steps[] = {{96, {100, 200, 160, 260}, 60}, {144, {300, 100, 390, 190}, 90}};
    for (const auto& s : steps) {
        change(s.dpi, s.suggested);
        const RECT r = WindowRectOf(t.hwnd());
        EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}),
                  std::vector<LONG>(
                      {s.suggested.left, s.suggested.top, s.suggested.right, s.suggested.bottom}));
        ExpectDrawnAt(t.meter(), s.layer);
    }
    const int objects = CountGdiObjects();
    for (int i = 0; i < 20; ++i) {
        change(96 + 48 * (i % 2), RECT{300, 100, 360 + 30 * (i % 2), 160 + 30 * (i % 2)});
    }
    EXPECT_EQ(CountGdiObjects(), objects) << "back at 144 after 20 changes";

    // Pressed at 45, 45 of the 90-pixel meter: the same spot is 30, 30 at 96 DPI.
    SendMessageA(t.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(45, 45));
    change(96, RECT{100, 200, 160, 260});
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 50));
    EXPECT_EQ(WindowRectOf(t.hwnd()).left, 100 + 50 - 30) << "the meter stays under the cursor";
    SendMessageA(t.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
}

// The system hands out 24-pixel small icons at 144 DPI: the image drawn for them, not
// a neighbour stretched.
TEST(Dpi, TheTrayIconIsTheImageOfTheSystemsSmallIconSize) {
    FakeShell::recordIcon = true;
    MeterUnderTest t(kOnBattery);
    FakeShell::recordIcon = false;
    const HMODULE self = GetModuleHandleA(nullptr);
    const BYTE* group = static_cast<const BYTE*>(LockResource(
        LoadResource(self, FindResourceA(self, MAKEINTRESOURCEA(IDI_TRAY), RT_GROUP_ICON))));
    ASSERT_NE(group, nullptr);
    int id = 0;
    for (int i = 0; i < *reinterpret_cast<const WORD*>(group + 4); ++i) {
        const BYTE* entry = group + 6 + 14 * i;  // GRPICONDIRENTRY, packed
        id = entry[0] == 24 ? *reinterpret_cast<const WORD*>(entry + 12) : id;
    }
    ASSERT_NE(id, 0) << "the icon has a 24-pixel image";
    const HRSRC image = FindResourceA(self, MAKEINTRESOURCEA(id), RT_ICON);
    const HICON exact = CreateIconFromResourceEx(
        static_cast<BYTE*>(LockResource(LoadResource(self, image))), SizeofResource(self, image),
        TRUE, 0x00030000, 24, 24, LR_DEFAULTCOLOR);
    const std::vector<uint32_t> want = IconPixels(exact);
    DestroyIcon(exact);
    ASSERT_EQ(want.size(), 1u + 24 * 24);
    EXPECT_EQ(FakeShell::icon, want);
}

TEST(Dpi, AboutKeepsItsApparentSizeAndItsKeyStaysWhole) {
    MeterUnderTest t(kOnBattery);
    t.Command(ID_ABOUT);
    const HWND about = TheAboutWindow().GetHwnd();
    ASSERT_TRUE(IsWindow(about));
    const RECT r = WindowRectOf(about);
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right - r.left, r.bottom - r.top}),
              std::vector<LONG>({512 - 403, 384 - 72 - 75, 806, 144}));
    int key = 0, content = 0;
    for (int i = 0; i < 806 * 144; ++i) {
        const COLORREF c = GetPixel(TheAboutWindow().GetBackDC(), i % 806, i / 806);
        const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
        key += c == RGB(255, 0, 255);
        content += c != RGB(255, 0, 255);
        // A blend of the key into the picture would be a magenta fringe on the desktop.
        ASSERT_TRUE(c == RGB(255, 0, 255) || std::min(r, b) - g <= 24) << i % 806 << "," << i / 806;
    }
    EXPECT_GT(key, 806 * 144 / 2);
    EXPECT_GT(content, 3000);
    DestroyWindow(about);
}

}  // namespace
