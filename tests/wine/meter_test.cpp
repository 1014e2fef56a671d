// The meter window in this process, on a power source the test controls, with the
// real cursor and the real timers.
#include <gtest/gtest.h>

#include <math.h>
#include <process.h>

#include <utility>
#include <vector>

#include "meter/layer_reduce.h"
#include "meter/moon_geometry.h"
#include "resources/resource.h"
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
    EXPECT_EQ(GetWindowLongPtrA(w, GWL_EXSTYLE) & 0x08080008, 0x08080008);
    EXPECT_EQ(SendMessageA(w, WM_MOUSEACTIVATE, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              MA_NOACTIVATE);
    EXPECT_NE(m.GetLayerBits()[(30 * 60 + 10) * 4 + 3], 0) << "the first face is drawn";
    m.FadeTick();
    EXPECT_TRUE(IsWindowVisible(w)) << "shown by the first fade tick";
    EXPECT_EQ(t.FinishFade(), 20);

    MoveWindow(w, 10, 10, 60, 60, FALSE);
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(ID_RESET_POSITION, 1), 0);
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &screen, 0);
    EXPECT_EQ(Place(w), std::make_pair(work.right - 85, work.top + 25));
    SendMessageA(w, WM_COMMAND, ID_HIDE, 0);
    EXPECT_EQ(t.FinishFade(), 22);
    EXPECT_FALSE(IsWindowVisible(w));
    for (LPARAM other : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE, WM_RBUTTONUP}) {
        SendMessageA(w, WM_TRAYNOTIFY, TRAY_ICON_ID, other);
        EXPECT_EQ(m.GetFade().timerRunning, 0) << "tray notification " << other;
    }
    EXPECT_EQ(SendMessageA(w, WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN), 0);
    EXPECT_EQ(t.FinishFade(), 21) << "the tray icon brings it back in steps of 10";
}

TEST(Meter, APollRedrawsOnlyAChangeAndFadesByTheRules) {
    MeterUnderTest t(MakeSample(kAcOnline, 9, 98, kUnknownTime));
    CMainWin& m = t.meter();
    EXPECT_EQ(m.GetFade().direction, 0) << "the start always fades in";
    t.FinishFade();
    m.PollPower();
    EXPECT_EQ(t.FinishFade(), 22) << "on mains nearly full it fades out at the first poll";
    uint8_t* layer = const_cast<uint8_t*>(m.GetLayerBits());
    const HBITMAP face = m.GetFace().GetBitmap();
    const int objects = CountGdiObjects();
    layer[0] = 0x5A;
    m.PollPower();
    FakePower::fail = true;
    m.PollPower();
    FakePower::fail = false;
    EXPECT_EQ(m.GetFace().GetBitmap(), face) << "an unchanged or failed poll draws nothing";
    EXPECT_EQ(layer[0], 0x5A);
    EXPECT_EQ(m.GetFade().timerRunning, 0);
    EXPECT_EQ(CountGdiObjects(), objects);
    m.FadeTo(kFadeIn, kFadeStepFast);
    t.FinishFade();
    EXPECT_EQ(layer[0], 0x5A) << "a fade only re-applies the alpha";
    for (int field = 0; field < 2; ++field) {
        FakePower::sample.reserved ^= field == 0;
        FakePower::sample.batteryFullLifeTime ^= field == 1;
        m.PollPower();
        t.FinishFade();
        EXPECT_EQ(layer[0], 0) << "any other byte recomposes the layer";
        EXPECT_EQ(memcmp(&m.GetSnapshot(), &FakePower::sample, 12), 0);
        layer[0] = 0x5A;
    }
    FakePower::sample = MakeSample(kAcOffline, 0, 98, 7200);
    m.PollPower();
    EXPECT_EQ(t.FinishFade(), 21) << "unplugged, it comes back in steps of 10";
    FakePower::sample = MakeSample(kAcOnline, 8, 60, kUnknownTime);
    m.PollPower();
    EXPECT_EQ(m.GetFade().timerRunning, 0) << "plugged in below 95 % it stays";
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
        m.PollPower();
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
        std::vector<uint8_t> want(kLayerBytes);
        ReduceLayer(m.GetFace().GetRows(), m.GetMask().GetRows(), want.data());
        EXPECT_EQ(memcmp(want.data(), m.GetLayerBits(), kLayerBytes), 0) << "flag " << flag;
    }
    MeterUnderTest full(MakeSample(kAcOnline, 1, 100, kUnknownTime));
    full.meter().PollPower();
    // Above the texts of a full moon: the light colour, premultiplied by its coverage.
    const uint8_t* p = full.meter().GetLayerBits() + ((59 - 12) * 60 + 30) * 4;
    EXPECT_EQ(uint32_t(p[0] | p[1] << 8 | p[2] << 16 | p[3] << 24), 0xFEFFFE99u);
}

TEST(Meter, ARefusedTrayIconIsTriedAgainForAWhile) {
    std::string never = "A";
    for (int i = 0; i < CMainWin::kTrayTries; ++i) {
        never += "MA";
    }
    const struct {
        int refusals, ticks;
        bool land, tearDown, timerLeft;
        std::string calls;  // a tick after the last try tries nothing
    } cases[] = {
        {0, 30, false, false, false, "A"},    {3, 30, false, false, false, "AMAMA"},
        {1, 30, true, false, false, "AM"},    {99, 30, false, false, false, never},
        {99, 2, false, false, true, "AMAMA"}, {99, 2, false, true, false, "AMAMAD"},
    };
    for (const auto& c : cases) {
        MeterUnderTest t(kOnBattery, c.refusals, c.land);
        for (int i = 0; i < c.ticks; ++i) {
            SendMessageA(t.hwnd(), WM_TIMER, TIMER_TRAY_RETRY, 0);
        }
        if (c.tearDown) {
            SendMessageA(t.hwnd(), WM_QUERYENDSESSION, 0, 0);
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

TEST(Meter, TeardownFreesAllOnceAndSavesWhereTheFileBesideTheProgramSaid) {
    const std::string file = SettingsFilePath(), product = file.substr(0, file.rfind('\\'));
    char exe[MAX_PATH];
    const std::string beside(exe, GetModuleFileNameA(nullptr, exe, sizeof(exe)));
    const std::string fallback = beside.substr(0, beside.rfind('\\')) + "\\default.ini";
    DeleteFileA(file.c_str());
    RemoveDirectoryA(product.c_str());
    RemoveDirectoryA(product.substr(0, product.rfind('\\')).c_str());  // a new user
    WritePrivateProfileStringA("WINDOW", "POSX", "123", fallback.c_str());
    WritePrivateProfileStringA("WINDOW", "POSY", "45", fallback.c_str());
    const int baseline = CountGdiObjects();
    {
        MeterUnderTest t(kOnBattery);
        EXPECT_EQ(Place(t.hwnd()), std::make_pair(123L, 45L));
        FakeShell::iconThere = false;  // the shell restarts and knows no icon
        SendMessageA(t.hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        EXPECT_EQ(FakeShell::calls, "AA") << "added again after the shell restarted";
        // Log-off: teardown and quit, while the window lives on...
        SendMessageA(t.hwnd(), WM_QUERYENDSESSION, 0, 0);
        MSG msg;
        EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(FakeShell::calls, "AAD");
        // ...and a late tick must not touch what is gone.
        SendMessageA(t.hwnd(), WM_TIMER, TIMER_FADE, 0);
        SendMessageA(t.hwnd(), WM_TIMER, TIMER_POLL, 0);
        EXPECT_EQ(Setting(file, "POSX") + "," + Setting(file, "POSY"), "123,45");
        MoveWindow(t.hwnd(), 300, 300, 60, 60, FALSE);
    }
    EXPECT_EQ(Setting(file, "POSX"), "123") << "the destruction ran no second teardown";
    EXPECT_EQ(FakeShell::calls, "AAD");
    EXPECT_EQ(CountGdiObjects(), baseline);
    WritePrivateProfileStringA("WINDOW", "POSX", "333", fallback.c_str());
    MeterUnderTest again(kOnBattery);
    EXPECT_EQ(Place(again.hwnd()).first, 123) << "the user's file wins once there is one";
    DeleteFileA(fallback.c_str());
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

TEST(Pointer, ARestingMouseHidesTheMeterUnlessClickedAndADragKeepsThePressedPoint) {
    MeterUnderTest t(kOnBattery);
    const FadeState& fade = t.meter().GetFade();
    t.FinishFade();
    MoveWindow(t.hwnd(), 400, 300, 60, 60, FALSE);
    const auto arrive = [&] {  // the cursor comes to rest on the meter, which is told so
        SetCursorPos(430, 330);
        SendMessageA(t.hwnd(), WM_MOUSEMOVE, 0, At(30, 30));
    };
    arrive();
    SendMessageA(t.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(30, 30));
    SendMessageA(t.hwnd(), WM_LBUTTONUP, 0, At(30, 30));
    PumpFor(600);
    EXPECT_EQ(fade.alpha, 210) << "a left click within the delay cancels that hover";
    arrive();  // the right button's menu runs the timers in its own loop; ended after the delay
    SetTimer(nullptr, 0, 600, EndMenuNow);
    SendMessageA(t.hwnd(), WM_RBUTTONUP, 0, At(30, 30));
    EXPECT_EQ(g_menusEnded, 1) << "the menu was open all the while";
    EXPECT_EQ(fade.alpha, 210) << "so does a right click";

    const auto unread = [&](POINT stale, WPARAM timer) {
        t.meter().SetCursorReader(NoCursor);
        g_stalePoint = stale;
        SendMessageA(t.hwnd(), WM_TIMER, timer, 0);
        t.meter().SetCursorReader(GetCursorPos);
        return fade.timerRunning;
    };
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, 0, At(30, 30));
    EXPECT_EQ(unread({430, 330}, TIMER_HOVER_DELAY), 0) << "an unread cursor is not on it";

    TimerLog log;
    arrive();
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(t.hwnd()); }, 3000, &log));
    EXPECT_GE(log.first[TIMER_FADE - 100], 250u) << "the mouse must rest 300 ms first";
    EXPECT_EQ(log.count[TIMER_FADE - 100], 11) << "the hover fade goes in steps of 20";
    EXPECT_EQ(unread({100, 100}, TIMER_HOVER_WATCH), 0) << "nor gone from it: still watched";
    SetCursorPos(100, 100);
    ASSERT_TRUE(PumpUntil([&] { return fade.alpha == 210; }, 3000)) << "the watch sees it go";
    TimerLog after;
    PumpFor(350, &after);
    EXPECT_EQ(after.count[TIMER_HOVER_WATCH - 100], 0) << "the watch ends with the hover";

    // A press during a hover fade-out, then a drag.
    t.meter().FadeTo(kFadeOut, kFadeStepFast);
    t.meter().FadeTick();
    SendMessageA(t.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 30));
    EXPECT_EQ(std::make_pair(fade.direction, fade.step), std::make_pair(0, 10))
        << "a press brings a fading meter back in steps of 10";
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
