// The meter window in this process, on a power source the test controls, with the
// real cursor and the real timers; and what Windows tells it besides its poll (power,
// sleep, the screen, monitors coming and going, a new scale), which Wine never sends.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "app/running_meter.h"
#include "resources/resource.h"
#include "meter/layer_reduce.h"
#include "tests/support/refusals.h"
#include "tests/support/wine_support.h"

namespace {

const PowerSample kOnBattery = MakeSample(kAcOffline, 0, 57, 10260);

std::pair<LONG, LONG> Place(HWND w) { return {WindowRectOf(w).left, WindowRectOf(w).top}; }
LPARAM At(int x, int y) { return MAKELPARAM(x, y); }
// The layer is the reduction of the face and the mask, 4 x its size, with no colour of a
// pixel above its alpha: what UpdateLayeredWindow takes.
bool LayerIsTheReduction(CMainWin& m, int layer) {
    std::vector<uint8_t> want(layer * layer * 4);
    ReduceLayer(m.GetFace().GetRows(), m.GetMask().GetRows(), layer, want.data());
    int over = 0;
    for (size_t i = 0; i < want.size(); i += 4) {
        over += std::max({want[i], want[i + 1], want[i + 2]}) > want[i + 3];
    }
    return over == 0 && memcmp(want.data(), m.GetLayerBits(), want.size()) == 0;
}

// A tool window from its first moment: out of Alt+Tab, Task View and the taskbar, and on
// every virtual desktop.
DWORD g_madeExStyle = ~0u;  // of the first window made while watched
LRESULT CALLBACK SeeCreation(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_CREATEWND && g_madeExStyle == ~0u) {
        g_madeExStyle = reinterpret_cast<CBT_CREATEWNDA*>(l)->lpcs->dwExStyle;
    }
    return CallNextHookEx(nullptr, code, w, l);
}

// The monitor as Windows tells of it with taskbars at the top and on the right.
const RECT kWork = {0, 40, 1000, 768};
decltype(&GetMonitorInfoA) g_monitorInfo = nullptr;  // the real one
BOOL WINAPI WorkAreaInfo(HMONITOR monitor, LPMONITORINFO info) {
    return g_monitorInfo(monitor, info) && (info->rcWork = kWork, TRUE);
}

TEST(Meter, StartsHiddenAToolWindowFadesInAboveLaterWindowsAndIsNeverActivated) {
    const HHOOK hook = SetWindowsHookExA(WH_CBT, SeeCreation, nullptr, GetCurrentThreadId());
    MeterUnderTest t(kOnBattery);
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(g_madeExStyle & WS_EX_TOOLWINDOW) << "a tool window when made";
    EXPECT_FALSE(IsWindowVisible(t.hwnd()));
    EXPECT_TRUE(t.FinishFade() > 0 && IsWindowVisible(t.hwnd())) << "and fades in";
    const HWND later = CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 9, 9, nullptr,
                                       nullptr, nullptr, nullptr);
    bool above = false;  // the meter before a window brought to the top after it
    for (HWND h = GetTopWindow(nullptr); h && h != later; h = GetWindow(h, GW_HWNDNEXT)) {
        above |= h == t.hwnd();
    }
    EXPECT_TRUE(above) << "topmost";
    DestroyWindow(later);
    EXPECT_EQ(SendMessageA(t.hwnd(), WM_MOUSEACTIVATE, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              MA_NOACTIVATE);
}

// Taskbars at the top and on the right: a new user's meter starts 85 from the work area's
// right and 25 down, and Reset puts it back there and keeps that place at once.
TEST(Meter, StartsAndResetsAtTheWorkAreasDefaultPlace) {
    DeleteFileA(SettingsFilePath().c_str());
    g_monitorInfo = reinterpret_cast<decltype(g_monitorInfo)>(
        Refusals::Replace("user32.dll", "GetMonitorInfoA", WorkAreaInfo));
    const auto place = std::make_pair(kWork.right - 85, kWork.top + 25);
    MeterUnderTest t(kOnBattery);
    EXPECT_EQ(Place(t.hwnd()), place);
    MoveWindow(t.hwnd(), 10, 10, 60, 60, FALSE);
    SendMessageA(t.hwnd(), WM_COMMAND, MAKEWPARAM(ID_RESET_POSITION, 1), 0);  // as an accelerator
    Refusals::Unwatch();
    EXPECT_EQ(Place(t.hwnd()), place);
    EXPECT_EQ(std::make_pair(std::stol(Setting("POSX")), std::stol(Setting("POSY"))), place);
}

// /quit waits for the meter's process to end: this one, which holds the window, goes on, so
// after the wait the meter is said to run still (and the program exits 1).
TEST(Meter, QuitWaitsForTheProcessAndSaysWhenItGoesOn) {
    MeterUnderTest t(kOnBattery);
    EXPECT_FALSE(AskRunningMeter(t.hwnd(), ID_QUIT, 100));
}

// Each way the meter fades by itself or on a command that no end-to-end check sees, on a meter
// of its own that faded in and took its first poll, hidden first by Hide where asked, the cursor
// resting on it: its next sample, then the message; the hover quicker than Hide. Woken from
// sleep, unplugged meanwhile, by itself or by hand.
TEST(Meter, EachTriggerFadesItsWay) {
    enum { kNone, kIn, kOut, kQuickOut };
    const PowerSample same = kOnBattery, full = MakeSample(kAcOnline, 9, 98, kUnknownTime),
                      unplugged = MakeSample(kAcOffline, 1, 98, 7200);
    const struct {
        const char* trigger;
        PowerSample first, next;
        bool hide;
        UINT message;  // 0: a click on the tray icon
        WPARAM wParam;
        LPARAM lParam;
        int fade;
    } cases[] = {
        {"woken", full, unplugged, false, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0, kIn},
        {"by hand", full, unplugged, false, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0, kIn},
        {"the tray icon", same, same, true, 0, 0, WM_LBUTTONDOWN, kIn},
        {"a release on the tray icon", same, same, true, 0, 0, WM_LBUTTONUP, kNone},
        {"the mouse at rest on it", same, same, false, WM_TIMER, TIMER_HOVER_DELAY, 0, kQuickOut},
        {"critical", same, MakeSample(kAcOffline, 6, 3, 600), true, WM_TIMER, TIMER_POLL, 0, kIn},
    };
    const int hide = [] {
        MeterUnderTest t(kOnBattery);
        return t.FinishFade(), t.Command(ID_HIDE), t.FinishFade();
    }();
    for (const auto& c : cases) {
        MeterUnderTest t(c.first);
        t.FinishFade(), t.meter().PollPower(), t.FinishFade();
        if (c.hide) {
            t.Command(ID_HIDE), t.FinishFade();
        }
        const bool before = IsWindowVisible(t.hwnd()) != FALSE;
        SetCursorPos(WindowRectOf(t.hwnd()).left + 30, WindowRectOf(t.hwnd()).top + 30);
        FakePower::sample = c.next;
        c.message ? SendMessageA(t.hwnd(), c.message, c.wParam, c.lParam)
                  : FakeShell::Click(c.lParam);
        const FadeState& f = t.meter().GetFade();
        const int way = f.timerRunning ? kIn + f.direction : kNone;
        EXPECT_EQ(way, c.fade == kQuickOut ? kOut : c.fade) << c.trigger;
        const int ticks = t.FinishFade();
        EXPECT_EQ(IsWindowVisible(t.hwnd()) != FALSE, c.fade == kNone ? before : c.fade == kIn)
            << c.trigger;
        EXPECT_TRUE(c.fade == kNone || (ticks * 3 < hide * 2) == (c.fade == kQuickOut))
            << c.trigger << ": quick";
    }
}

TEST(Meter, APollRedrawsOnlyAChangedFace) {
    MeterUnderTest t(kOnBattery);
    CMainWin& m = t.meter();
    t.FinishFade();
    m.PollPower();
    uint8_t* layer = const_cast<uint8_t*>(m.GetLayerBits());
    const int objects = CountGdiObjects();
    layer[0] = 0x5A;
    FakePower::fail = true;
    m.PollPower();
    FakePower::fail = false;
    // The same sample, and Windows revising its estimates in seconds: the same face.
    for (const PowerSample& s : {kOnBattery, MakeSample(kAcOffline, 0, 57, 10262),
                                 PowerSample{kAcOffline, 0, 57, 0, 10262, 99}}) {
        FakePower::sample = s, m.PollPower();
    }
    m.FadeTo(kFadeOut, kFadeStepFast);
    t.FinishFade();
    EXPECT_EQ(layer[0], 0x5A) << "nothing drawn, and a fade only re-applies the alpha";
    EXPECT_EQ(FakeShell::calls, "AV") << "nor the tip told again";
    EXPECT_EQ(CountGdiObjects(), objects);
    // A minute more, the colour, the charge, mains: each a new face; then no longer charging,
    // the same face and a new tip.
    std::string drawn;
    for (const PowerSample& s :
         {MakeSample(kAcOffline, 0, 57, 10320), MakeSample(kAcOffline, 2, 57, 10320),
          MakeSample(kAcOffline, 2, 56, 10320), MakeSample(kAcOnline, 8, 56, kUnknownTime),
          MakeSample(kAcOnline, 0, 56, kUnknownTime)}) {
        FakePower::sample = s, m.PollPower();
        drawn += std::exchange(layer[0], 0x5A) == 0 ? '+' : '=';
    }
    EXPECT_EQ(drawn, "++++=") << "a new face recomposes the layer";
    EXPECT_EQ(FakeShell::calls, "AVTIITITT")
        << "a minute more, the charge, mains, held: the tip; the colour and the charge: the icon";
    EXPECT_EQ(FakeShell::tip, METER_TITLE "\n56 % - held on mains");
}

// The layers at 100 % of faces in every colour, moon shape and kind of status text, as the
// build before the outline was spread at larger scales drew them under this machine's Wine
// 8 and Liberation fonts, kept as hashes: a pixel that moves anywhere fails.
TEST(Meter, AtOneHundredPercentEveryPixelStaysAsItWas) {
    const struct {
        PowerSample sample;
        uint64_t hash;  // FNV-1a of the layer's bytes
    } cases[] = {
        {MakeSample(kAcOffline, 0, 4, 720), 15036886376618175771u},
        {MakeSample(kAcOffline, 2, 18, 3240), 2346740217529160898u},
        {MakeSample(kAcOffline, 0, 50, kUnknownTime), 17109831244960524222u},
        {MakeSample(kAcOffline, 0, 75, 13500), 8437163782819944925u},
        {MakeSample(kAcOnline, 8, 100, kUnknownTime), 9286714308525392209u},
        {MakeSample(kAcOffline, 4, 3, 600), 1199726654443430988u},
    };
    MeterUnderTest t(cases[0].sample);
    for (const auto& c : cases) {
        FakePower::sample = c.sample;
        t.meter().PollPower();
        uint64_t hash = 14695981039346656037u;
        for (int i = 0; i < 60 * 60 * 4; ++i) {
            hash = (hash ^ t.meter().GetLayerBits()[i]) * 1099511628211u;
        }
        EXPECT_EQ(hash, c.hash) << int(c.sample.batteryLifePercent) << " %";
    }
}

// Above 100 % the outline is as wide to the eye as at 100 %, 2 window pixels: every pixel
// of a text has outline around it up to that far from it, left and up one face pixel
// further than right and down, and no outline lies beyond.
TEST(Meter, AtLargerScalesTheOutlineReachesAsFarAroundEveryPixelOfTheTexts) {
    MeterUnderTest t(kOnBattery);
    const int scales[][3] = {{144, 6, 5}, {192, 8, 7}};  // DPI; reach left and up, right and down
    for (const auto& c : scales) {
        RECT place = {300, 300, 300 + c[0] * 60 / 96, 300 + c[0] * 60 / 96};
        SendMessageA(t.hwnd(), WM_DPICHANGED, MAKEWPARAM(c[0], c[0]), LPARAM(&place));
        const int n = t.meter().GetLengths().face;
        CDibImage s;
        ASSERT_TRUE(s.CreateDib(n, n, 24) && s.FillColor(0)) << c[0];
        t.meter().DrawFaceTexts(s.GetMemDC(), DescribeSample(kOnBattery), RGB(255, 0, 0),
                                RGB(0, 0, 255));
        std::vector<char> text(n * n);  // with any of the texts' fill
        for (int i = 0; i < n * n; ++i) {
            text[i] = GetBValue(SurfacePixel(s, i % n, i / n)) > 0;
        }
        int missing = 0, beyond = 0;
        for (int i = 0; i < n * n; ++i) {
            const int x = i % n, y = i / n;
            bool reached = false;  // by a text pixel c[2] right and down of it to c[1] left and up
            for (int dy = -c[2]; dy <= c[1]; ++dy) {
                for (int dx = -c[2]; dx <= c[1]; ++dx) {
                    reached |= x + dx >= 0 && x + dx < n && y + dy >= 0 && y + dy < n &&
                               text[(y + dy) * n + x + dx];
                }
            }
            const bool inked = SurfacePixel(s, x, y) != 0;
            missing += reached && !inked, beyond += inked && !reached;
        }
        EXPECT_EQ(std::make_pair(missing, beyond), std::make_pair(0, 0)) << c[0] << " DPI";
        EXPECT_GT(std::count(text.begin(), text.end(), 1), n * n / 50) << c[0] << " DPI: texts";
    }
}

// The first and the last row of the face where the texts' fill shows (neither low nor critical).
std::pair<int, int> TextRows(CDibImage& face) {
    std::pair<int, int> rows = {face.m_width, 0};
    for (int i = 0; i < face.m_width * face.m_width; ++i) {
        if (SurfacePixel(face, i % face.m_width, i / face.m_width) == kNormalColour) {
            rows = {std::min(rows.first, i / face.m_width), i / face.m_width};
        }
    }
    return rows;
}

TEST(Meter, ARefusedTrayIconIsTriedAgainForAWhile) {
    const std::string never = "AMAMAMAMAMAMAMAMAMAMAMAMA";  // a try every 5 s for a minute
    const UINT restart = RegisterWindowMessageA("TaskbarCreated");
    const struct {
        int refusals, ticks;
        bool land;
        UINT message;       // then sent: the shell restarting, or a display change
        std::string calls;  // a tick after the last try tries nothing
    } cases[] = {
        {0, 30, false, 0, "AV"},  // each icon taken is asked for the version
        {3, 30, false, 0, "AMAMAV"},
        {1, 30, true, 0, "AMV"},
        {99, 30, false, 0, never},
        {0, 0, false, restart, "AVAV"},         // a restarted shell knows no icon
        {0, 0, false, WM_DISPLAYCHANGE, "AV"},  // the taskbar's size and picture as they were
    };
    for (const auto& c : cases) {
        MeterUnderTest t(kOnBattery, c.refusals, c.land);
        for (int i = 0; i < c.ticks; ++i) {
            SendMessageA(t.hwnd(), WM_TIMER, TIMER_TRAY_RETRY, 0);
        }
        FakeShell::iconThere &= c.message != restart;
        SendMessageA(t.hwnd(), c.message, 32, 0);
        EXPECT_EQ(FakeShell::calls, c.calls);
        EXPECT_EQ(FakeShell::tip, METER_TITLE "\n57 % - 2:51 left") << "each try tells all";
        EXPECT_FALSE(KillTimer(t.hwnd(), TIMER_TRAY_RETRY)) << c.calls << ": no retry left";
    }
}

// The system as High Contrast leaves it, in two colours of the test's.
constexpr COLORREF kHighWindow = RGB(0, 0, 64), kHighText = RGB(255, 255, 0);
decltype(&SystemParametersInfoA) g_parametersInfo = nullptr;  // the real one
BOOL WINAPI HighContrastOn(UINT action, UINT size, PVOID data, UINT ini) {
    return action == SPI_GETHIGHCONTRAST
               ? (static_cast<HIGHCONTRASTA*>(data)->dwFlags = HCF_HIGHCONTRASTON, TRUE)
               : g_parametersInfo(action, size, data, ini);
}
DWORD WINAPI HighContrastColour(int index) {
    return index == COLOR_WINDOW ? kHighWindow : kHighText;
}

COLORREF ColourOf(uint32_t pixel) { return RGB(pixel >> 16 & 255, pixel >> 8 & 255, pixel & 255); }
double Share(uint32_t colour) {
    const auto& icon = FakeShell::icon;
    return double(std::count(icon.begin(), icon.end(), colour)) / double(icon.size());
}

// The tray icon is the battery's moon at 16 pixels: its light grows with the charge, lit from
// the left as on the face; a light and a dark taskbar each have their picture, its lit part 3:1
// or more from its unlit part; High Contrast paints it in the system's window and text colours
// alone. A theme changed sends the picture, one unchanged does not.
TEST(Tray, TheIconIsTheMoonOfTheChargeInTheTaskbarsColours) {
    const char* personalize = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
    const auto theme = [&](HWND w, DWORD light) {
        RegSetKeyValueA(HKEY_CURRENT_USER, personalize, "SystemUsesLightTheme", REG_DWORD, &light,
                        4);
        SendMessageA(w, WM_SETTINGCHANGE, 0, LPARAM("ImmersiveColorSet"));
    };
    MeterUnderTest t(MakeSample(kAcOffline, 0, 100, 7200));
    const uint32_t lit = FakeShell::icon[8 * 16 + 8];  // the full moon's middle
    std::vector<double> shares;
    for (uint8_t percent : {10, 30, 50, 70, 90}) {
        FakePower::sample = MakeSample(kAcOffline, 0, percent, 7200), t.meter().PollPower();
        shares.push_back(Share(lit));
    }
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()) && shares[0] < shares[4] / 4)
        << shares[0] << " " << shares[2] << " " << shares[4];
    FakePower::sample = MakeSample(kAcOffline, 0, 50, 7200), t.meter().PollPower();
    EXPECT_TRUE(FakeShell::icon[8 * 16 + 3] == lit && FakeShell::icon[8 * 16 + 12] != lit)
        << "at 50 % lit on the left, as the face";
    std::vector<uint32_t> pictures[2];
    for (DWORD light : {1, 0}) {
        FakeShell::calls.clear();
        theme(t.hwnd(), light);
        theme(t.hwnd(), light);
        pictures[light] = FakeShell::icon;
        const uint32_t bright = FakeShell::icon[8 * 16 + 3], unlit = FakeShell::icon[8 * 16 + 12];
        const double contrast = ContrastRatio(ColourOf(bright), ColourOf(unlit));
        printf("tray icon at 50 %% on a %s taskbar: lit %06X, unlit %06X, contrast %.2f\n",
               light ? "light" : "dark", bright & 0xFFFFFF, unlit & 0xFFFFFF, contrast);
        EXPECT_GE(contrast, 3.0) << light;
        EXPECT_EQ(FakeShell::calls, "I") << light << ": sent once";
    }
    EXPECT_NE(pictures[0], pictures[1]);
    g_parametersInfo = reinterpret_cast<decltype(g_parametersInfo)>(
        Refusals::Replace("user32.dll", "SystemParametersInfoA", HighContrastOn));
    Refusals::Replace("user32.dll", "GetSysColor", HighContrastColour);
    SendMessageA(t.hwnd(), WM_SYSCOLORCHANGE, 0, 0);
    Refusals::Unwatch();
    int other = 0;
    for (uint32_t p : FakeShell::icon) {
        other +=
            p != 0 && (p >> 24 != 255 || (ColourOf(p) != kHighWindow && ColourOf(p) != kHighText));
    }
    EXPECT_EQ(other, 0) << "pixels neither clear nor of High Contrast's two colours";
    EXPECT_TRUE(Share(0xFF000000u | ColourOf(kHighText)) > 0.2 &&
                Share(0xFF000000u | ColourOf(kHighWindow)) > 0.2);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, personalize, "SystemUsesLightTheme");
}

// Each new picture is given to the shell and the one before destroyed: 10,000 changes leave
// one icon, and no GDI object, behind; removed, the icon goes too.
TEST(Tray, TenThousandChangesLeaveNothingBehind) {
    MeterUnderTest t(kOnBattery);
    TrayIcon tray;  // the meter's own, alone: the face is not redrawn 10,000 times
    tray.SetNotifier(FakeShell::Notify);
    tray.Attach(t.hwnd(), FakeSystem::Api());
    const int objects = CountGdiObjects();
    Refusals::liveUserObjects = 0;
    Watch<1, decltype(&CreateIconIndirect)>::Install("user32.dll", "CreateIconIndirect", 1);
    Watch<2, decltype(&LoadImageA)>::Install("user32.dll", "LoadImageA", 1);
    Watch<3, decltype(&DestroyIcon)>::Install("user32.dll", "DestroyIcon", -1);
    FakeShell::iconThere = false, FakeShell::calls.clear();
    tray.Add();
    for (int i = 0; i < 10000; ++i) {
        tray.ShowBattery(MakeSample(kAcOffline, 0, i % 2 ? 57 : 30, 7200));
    }
    EXPECT_EQ(std::count(FakeShell::calls.begin(), FakeShell::calls.end(), 'I'), 10000);
    EXPECT_EQ(Refusals::liveUserObjects, 1) << "the shell's icon";
    tray.Remove();
    EXPECT_EQ(Refusals::liveUserObjects, 0) << "and it goes with the tray's";
    EXPECT_EQ(CountGdiObjects(), objects);
    Refusals::Unwatch();
}

// A log-off asked for is allowed at once, and the meter goes on until it is certain: cancelled,
// it goes on whole (the tray icon's retries, the poll, the face); certain, it lets go of the
// icon, the retries, the poll and the display's registration.
TEST(Session, ALogOffIsAllowedAndTheMeterGoesOnUntilItIsCertain) {
    for (int end : {-1, FALSE, TRUE}) {    // not yet known, cancelled, certain
        MeterUnderTest t(kOnBattery, 99);  // a shell that refuses the icon
        uint8_t* layer = const_cast<uint8_t*>(t.meter().GetLayerBits());
        layer[0] = 0x5A;
        const int reads = FakePower::reads;
        EXPECT_EQ(SendMessageA(t.hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
        if (end >= 0) {
            SendMessageA(t.hwnd(), WM_ENDSESSION, end, ENDSESSION_LOGOFF);
        }
        FakePower::sample = MakeSample(kAcOffline, 0, 56, 10320);
        SendMessageA(t.hwnd(), WM_TIMER, TIMER_POLL, 0);
        SendMessageA(t.hwnd(), WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
        const bool on = end != TRUE;
        EXPECT_EQ(FakePower::reads - reads, on ? 2 : 0) << end << ": a poll and a broadcast read";
        EXPECT_EQ(FakeSystem::unregistered != nullptr, !on)
            << end << ": the display's registration";
        EXPECT_EQ(FakeShell::calls, on ? "A" : "AD") << end;
        EXPECT_TRUE(!on || layer[0] == 0) << end << ": the face drawn again";
        EXPECT_EQ(TimerRuns(t.hwnd(), TIMER_POLL, 3000), on) << end;
        EXPECT_EQ(KillTimer(t.hwnd(), TIMER_TRAY_RETRY) != 0, on) << end;
    }
}

// A discharge through the file's low level with jitter, then a charge through 80 % with the
// unplug alert switched on from the menu: a hidden meter comes back and the shell gets one
// balloon for each, with the tip and in quiet time kept quiet, and each is taken down when
// the plug changes.
TEST(Meter, EachAlertShowsTheMeterAndOneBalloonTakenDownWhenThePlugChanges) {
    const std::string file = SettingsFilePath();
    WritePrivateProfileStringA("ALERTS", nullptr, nullptr, file.c_str());
    WritePrivateProfileStringA("ALERTS", "LOW", "30", file.c_str());
    MeterUnderTest t(MakeSample(kAcOffline, 2, 32, 3300));
    t.Command(ID_ALERT_UNPLUG);
    EXPECT_EQ(Setting("LOWALERT", "ALERTS") + Setting("UNPLUGALERT", "ALERTS"), "onon");
    const int day[][4] = {{0, 2, 31, 3000}, {0, 2, 30, 2700}, {0, 2, 29, 2400}, {0, 2, 31, 2600},
                          {0, 2, 28, 2200}, {1, 10, 28, -1},  {1, 8, 79, -1},   {1, 8, 80, -1},
                          {1, 8, 81, -1},   {1, 8, 79, -1},   {0, 1, 81, 9000}};
    std::vector<int> shown;
    for (const auto& s : day) {
        t.Command(ID_HIDE), t.FinishFade();
        FakePower::sample = MakeSample(uint8_t(s[0]), uint8_t(s[1]), uint8_t(s[2]), s[3]);
        t.meter().PollPower(), t.FinishFade();
        if (IsWindowVisible(t.hwnd())) {
            shown.push_back(int(&s - day));
        }
    }
    WritePrivateProfileStringA("ALERTS", nullptr, nullptr, file.c_str());
    EXPECT_EQ(shown, std::vector<int>({1, 7, 10})) << "at 30 %, at 80 %, and unplugged";
    EXPECT_EQ(FakeShell::balloons,
              std::vector<std::string>({
                  "130|Battery low|30 % left, about 0:45. Plug in the charger.|" METER_TITLE
                  "\n30 % - 0:45 left",
                  "128|||" METER_TITLE "\nCharging - 28 %",
                  "129|Battery charged|80 % charged. You can unplug the charger.|" METER_TITLE
                  "\nCharging - 80 %",
                  "128|||" METER_TITLE "\n81 % - 2:30 left",
              }));
}

// Another desktop has the input: the cursor cannot be read, and the point holds
// whatever it held.
POINT g_stalePoint;
BOOL WINAPI NoCursor(LPPOINT p) { return *p = g_stalePoint, FALSE; }

// The icon as a shell of the fourth version tells of it, or of the first: a click or the
// keyboard's choice shows a hidden meter; the menu opens at the icon's point, or at a pointer
// that can be read, and, cancelled, gives the keyboard back to the notification area.
TEST(Meter, TheIconAnswersTheMouseAndTheKeyboardInEitherVersion) {
    const POINT icon = {200, 300}, pointer = {250, 350}, none = {};
    const struct {
        bool version4;
        UINT event;
        bool shows;
        POINT menu;
        bool unread = false;
    } rows[] = {
        {true, NIN_SELECT, true, none},
        {true, NIN_KEYSELECT, true, none},
        {true, WM_CONTEXTMENU, false, icon},
        {true, WM_RBUTTONDOWN, false, none},  // on release
        {false, WM_LBUTTONDOWN, true, none},
        {false, WM_RBUTTONDOWN, false, pointer},
        {false, WM_RBUTTONDOWN, false, none, true},
    };
    for (const auto& r : rows) {
        FakeShell::takesVersion4 = r.version4;
        MeterUnderTest t(kOnBattery);
        FakeShell::takesVersion4 = true;
        t.FinishFade();
        if (r.shows) {
            t.Command(ID_HIDE), t.FinishFade();
        }
        SetCursorPos(pointer.x, pointer.y);
        g_stalePoint = pointer;  // where a menu would open, on a stale reading
        t.meter().SetCursorReader(r.unread ? NoCursor : GetCursorPos);
        FakeShell::calls = "", g_menuRect = {};
        const UINT_PTR end = SetTimer(nullptr, 0, 50, EndMenuNow);
        FakeShell::Click(r.event, icon);
        KillTimer(nullptr, end);
        EXPECT_EQ(std::make_tuple(t.meter().GetFade().timerRunning == 1, g_menuRect.left,
                                  g_menuRect.top, FakeShell::calls),
                  std::make_tuple(r.shows, r.menu.x, r.menu.y, std::string(r.menu.x ? "F" : "")))
            << r.event;
    }
}

// A meter the user put at 400, 300, faded in, and the cursor coming to rest on it.
struct PointerTest : MeterUnderTest {
    PointerTest() : MeterUnderTest((StorePlace("400", "300"), kOnBattery)) { FinishFade(); }
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
    ASSERT_TRUE(PumpUntilTick(t.hwnd(), TIMER_HOVER_DELAY, 2000));
    EXPECT_EQ(t.fade().timerRunning, 0) << "a left click";
    t.Arrive();  // the right button's menu runs the timers in its own loop; ended after the delay
    g_menusEnded = 0;
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
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(t.hwnd()); }, 3000));
    SetCursorPos(100, 100);
    ASSERT_TRUE(PumpUntil([&] { return t.fade().alpha == 210; }, 3000)) << "the watch sees it go";
    EXPECT_FALSE(KillTimer(t.hwnd(), TIMER_HOVER_WATCH)) << "the watch ends with the hover";
    t.Arrive();  // hidden by the hover, then by Hide from the tray
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(t.hwnd()); }, 3000));
    t.Command(ID_HIDE);
    SetCursorPos(100, 100);
    ASSERT_TRUE(PumpUntilTick(t.hwnd(), TIMER_HOVER_WATCH, 2000));
    PumpFor(100);
    EXPECT_FALSE(IsWindowVisible(t.hwnd())) << "the mouse leaving does not undo Hide";
}

TEST(Pointer, ACursorThatCannotBeReadIsNeitherOnTheMeterNorGone) {
    PointerTest t;
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, 0, At(30, 30));
    t.meter().SetCursorReader(NoCursor);
    const auto unread = [&](POINT stale, WPARAM timer) {
        g_stalePoint = stale;
        SendMessageA(t.hwnd(), WM_TIMER, timer, 0);
        return t.fade().timerRunning;
    };
    EXPECT_EQ(unread({430, 330}, TIMER_HOVER_DELAY), 0) << "not on it: no fade";
    t.meter().FadeTo(kFadeOut, kFadeStepFast);
    t.FinishFade();
    EXPECT_EQ(unread({100, 100}, TIMER_HOVER_WATCH), 0) << "nor gone from it: still hidden";
}

TEST(Pointer, ADragKeepsThePressedPointUnderTheCursorUntilTheCaptureGoes) {
    PointerTest t;
    SendMessageA(t.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 30));
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, At(-30, 10));  // left of the window
    EXPECT_EQ(Place(t.hwnd()), std::make_pair(350L, 280L));
    ReleaseCapture();  // another window takes the mouse
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, At(70, 10));
    EXPECT_EQ(Place(t.hwnd()).first, 350) << "a lost capture ends the drag";
    EXPECT_EQ(Setting("POSX") + "," + Setting("POSY"), "350,280") << "and keeps its place at once";
}

// What Wine cannot show: privilege isolation would keep the shell's restart and a second
// start from an elevated meter, and Wine ignores a timer's tolerance and the display.
TEST(Events, TheMeterLetsItsMessagesThroughAndItsPollComeLateAndSleepWithTheScreen) {
    MeterUnderTest t(kOnBattery);
    EXPECT_EQ(FakeSystem::allowed, std::vector<UINT>({RegisterWindowMessageA("TaskbarCreated"),
                                                      RegisterWindowMessageA(SHOW_METER_MESSAGE)}));
    EXPECT_EQ(FakeSystem::coalesced, std::vector<UINT_PTR>({TIMER_POLL})) << "the fade is exact";
    // In turn: nothing yet (the screen counts as on), off, a fade tick, an unplug (heard with
    // the screen off), on, off, dimmed, on (from dimmed: never dark), then off as the console's
    // setting and off with its data cut short, both ignored; the reads each makes, the poll.
    const int steps[][3] = {{-1, 0, 1}, {0, 0, 0}, {-5, 0, 0}, {-2, 1, 0}, {1, 1, 1},
                            {0, 0, 0},  {2, 1, 1}, {1, 0, 1},  {-3, 0, 1}, {-4, 0, 1}};
    for (const auto& s : steps) {
        const int reads = FakePower::reads;
        if (s[0] >= 0) {
            Display(t.hwnd(), DWORD(s[0]));
        } else if (s[0] == -2) {
            SendMessageA(t.hwnd(), WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
        } else if (s[0] == -5) {
            SendMessageA(t.hwnd(), WM_TIMER, TIMER_FADE, 0);  // a tick asks for a refused poll
        } else if (s[0] != -1) {
            Display(t.hwnd(), 0,
                    s[0] == -3 ? GUID_CONSOLE_DISPLAY_STATE : GUID_SESSION_DISPLAY_STATUS,
                    s[0] == -3 ? 4 : 3);
        }
        EXPECT_EQ(FakePower::reads - reads, s[1]) << "state " << s[0];
        EXPECT_EQ(TimerRuns(t.hwnd(), TIMER_POLL, 3000), s[2] == 1) << "state " << s[0];
    }
    EXPECT_TRUE(IsEqualGUID(FakeSystem::registered, GUID_SESSION_DISPLAY_STATUS));
}

// Monitors changed: once the burst of messages has settled, the meter goes back to the place
// the user chose where that lies on a monitor's work area (1024 x 768 here), and otherwise
// by the start's rule, per coordinate, for the time being: the place saved stays the user's.
// The check runs once. (A new resolution's own burst is the end-to-end checks'.)
TEST(Events, AfterMonitorsChangeTheMeterGoesBackToTheUsersPlaceWhereThereIsOne) {
    const struct {
        UINT message;
        WPARAM wParam;
        const char *x, *y;  // the user's place, stored
        POINT want;
    } cases[] = {
        {WM_DISPLAYCHANGE, 24, "100", "100", {100, 100}},
        {WM_SETTINGCHANGE, SPI_SETWORKAREA, "300", "-200", {300, 25}},
    };
    for (const auto& c : cases) {
        StorePlace(c.x, c.y);
        MeterUnderTest t(kOnBattery);
        MoveWindow(t.hwnd(), 500, 500, 60, 60, FALSE);  // where a change of monitors put it
        SendMessageA(t.hwnd(), c.message, c.wParam, 0);
        PumpFor(600);
        const DWORD last = GetTickCount();
        SendMessageA(t.hwnd(), c.message, c.wParam, 0);  // the burst goes on
        ASSERT_TRUE(PumpUntilTick(t.hwnd(), TIMER_PLACE_CHECK, 3000)) << c.y;
        EXPECT_GE(GetTickCount() - last, 900u) << "each message starts the wait again";
        EXPECT_EQ(Place(t.hwnd()), std::make_pair(c.want.x, c.want.y)) << c.y;
        SendMessageA(t.hwnd(), WM_QUERYENDSESSION, 0, 0);
        EXPECT_EQ(Setting("POSY"), c.y) << "the user's place is saved";
        EXPECT_FALSE(PumpUntilTick(t.hwnd(), TIMER_PLACE_CHECK, 1500)) << "the check runs once";
    }
    MeterUnderTest hidden(kOnBattery);  // at 300, 25 for the place stored last
    hidden.Command(ID_HIDE), hidden.FinishFade();
    MoveWindow(hidden.hwnd(), 1500, 300, 60, 60, FALSE);
    FakeShell::Click(WM_LBUTTONDOWN);
    EXPECT_EQ(Place(hidden.hwnd()), std::make_pair(300L, 25L)) << "shown where it belongs at once";
}

// Two monitors side by side in the real screen, as Windows 10 shows them to a program
// aware of each monitor's scale: A, the primary, at 150 % and B at 100 %. Windows sends
// WM_DPICHANGED from inside the move or layer update that takes the window's larger part
// across the seam, suggesting its rectangle scaled about its centre; so does this desktop
// (Wine's UpdateLayeredWindow moves a window without WM_WINDOWPOSCHANGED), and it counts.
struct TwoScales {
    static constexpr LONG kSeam = 512;
    static inline const HMONITOR kA = HMONITOR(0xA1), kB = HMONITOR(0xB2);
    static inline int dpi = 0, changes = 0, nested = 0, depth = 0;  // dpi 0: not watching
    static inline WNDPROC meterProc = nullptr;
    static inline decltype(&UpdateLayeredWindow) update = nullptr;

    static HMONITOR WINAPI FromPoint(POINT p, DWORD) { return p.x < kSeam ? kA : kB; }
    static HMONITOR WINAPI FromWindow(HWND w, DWORD) {
        return FromPoint({(WindowRectOf(w).left + WindowRectOf(w).right) / 2, 0}, 0);
    }
    static BOOL WINAPI Info(HMONITOR m, LPMONITORINFO i) {
        i->rcMonitor = i->rcWork = m == kA ? RECT{0, 0, kSeam, 768} : RECT{kSeam, 0, 1024, 768};
        return i->dwFlags = m == kA ? MONITORINFOF_PRIMARY : 0, TRUE;
    }
    static BOOL WINAPI Enum(HDC, LPCRECT, MONITORENUMPROC f, LPARAM data) {
        RECT a = {0, 0, kSeam, 768}, b = {kSeam, 0, 1024, 768};
        return f(kA, nullptr, &a, data) && f(kB, nullptr, &b, data);
    }
    static HRESULT WINAPI Dpi(HMONITOR m, int, UINT* x, UINT* y) {
        return *x = *y = m == kA ? 144 : 96, S_OK;
    }
    static void Moved(HWND w) {
        UINT now = 0, y;
        if (dpi == 0 || (Dpi(FromWindow(w, 0), 0, &now, &y), int(now) == dpi)) {
            return;
        }
        RECT r = WindowRectOf(w);
        const LONG x = (r.left + r.right) / 2, half = MulDiv(r.right - r.left, now, dpi) / 2;
        r = {x - half, (r.top + r.bottom) / 2 - half, x + half, (r.top + r.bottom) / 2 + half};
        ++changes, nested += depth++ > 0, dpi = int(now);
        SendMessageA(w, WM_DPICHANGED, MAKEWPARAM(now, now), LPARAM(&r));
        --depth;
    }
    static LRESULT CALLBACK Proc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
        const LRESULT result = CallWindowProcA(meterProc, w, message, wParam, lParam);
        return message == WM_WINDOWPOSCHANGED ? (Moved(w), result) : result;
    }
    static BOOL WINAPI Update(HWND w, HDC to, POINT* at, SIZE* size, HDC from, POINT* origin,
                              COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
        const BOOL done = update(w, to, at, size, from, origin, key, blend, flags);
        return Moved(w), done;
    }
    TwoScales() {
        Refusals::Replace("user32.dll", "MonitorFromPoint", FromPoint);
        Refusals::Replace("user32.dll", "MonitorFromWindow", FromWindow);
        Refusals::Replace("user32.dll", "GetMonitorInfoA", Info);
        Refusals::Replace("user32.dll", "EnumDisplayMonitors", Enum);
        update = reinterpret_cast<decltype(update)>(
            Refusals::Replace("user32.dll", "UpdateLayeredWindow", Update));
        FakeSystem::monitorDpi = Dpi;
    }
    ~TwoScales() { Refusals::Unwatch(), FakeSystem::monitorDpi = nullptr, dpi = 0; }
    // From now on the window's moves are watched.
    void Watch(HWND meter, int startDpi) {
        dpi = startDpi, changes = nested = depth = 0;
        meterProc = WNDPROC(SetWindowLongPtrA(meter, GWLP_WNDPROC, LONG_PTR(Proc)));
    }
};

// A meter whose place was stored at 700, 300, on B.
struct Desktop : testing::Test {
    TwoScales desktop;
    const bool stored = StorePlace("700", "300");
    MeterUnderTest t{kOnBattery};
};

TEST_F(Desktop, ItStartsAtTheScaleOfTheMonitorItsPlaceIsOnAndAChangeToThatScaleMovesItAlone) {
    EXPECT_EQ(Place(t.hwnd()), std::make_pair(700L, 300L));
    EXPECT_EQ(WindowRectOf(t.hwnd()).right - 700, 60);
    EXPECT_EQ(t.meter().GetFace().m_width, 240) << "drawn at B's scale";
    RECT same = {600, 300, 660, 360};
    SendMessageA(t.hwnd(), WM_DPICHANGED, MAKEWPARAM(96, 96), LPARAM(&same));
    EXPECT_EQ(Place(t.hwnd()), std::make_pair(600L, 300L));
}

// Pressed left of and above the middle, dragged onto A and back by 1 to 3 pixels a move.
TEST_F(Desktop, ADragAcrossTheSeamChangesTheScaleOnceEachWayAndKeepsThePointUnderTheCursor) {
    desktop.Watch(t.hwnd(), 96);
    t.FinishFade();
    MoveWindow(t.hwnd(), TwoScales::kSeam + 20, 300, 60, 60, FALSE);
    POINT cursor = {TwoScales::kSeam + 40, 320}, held = {20, 20};  // the point under the cursor
    SetCursorPos(cursor.x, cursor.y);
    SendMessageA(t.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(held.x, held.y));
    const std::pair<int, int> rows = TextRows(t.meter().GetFace());
    int slipped = 0, resized = 0, objects = CountGdiObjects();
    for (int step = 0; step < 160; ++step) {
        if (step == 80) {  // on A: all of it drawn at 144 DPI, the texts in their fonts
            EXPECT_TRUE(LayerIsTheReduction(t.meter(), 90));
            const std::pair<int, int> large = TextRows(t.meter().GetFace());
            EXPECT_NEAR(large.second - large.first, 1.5 * (rows.second - rows.first), 6);
        }
        cursor.x += (step < 80 ? -1 : 1) * (1 + step % 3);
        SetCursorPos(cursor.x, cursor.y);
        const RECT r = WindowRectOf(t.hwnd());
        SendMessageA(t.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, At(cursor.x - r.left, cursor.y - r.top));
        const RECT after = WindowRectOf(t.hwnd());
        const POINT point = {cursor.x - after.left, cursor.y - after.top};
        const bool scaled = after.right - after.left != r.right - r.left;  // where Windows put it
        resized += scaled;
        slipped +=
            !PtInRect(&after, cursor) || (!scaled && (point.x != held.x || point.y != held.y));
        held = point;
    }
    SendMessageA(t.hwnd(), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(std::vector<int>({TwoScales::changes, resized, TwoScales::nested, slipped}),
              std::vector<int>({2, 2, 0, 0}))
        << "one change each way, none inside another, the pressed point under the cursor";
    EXPECT_EQ(CountGdiObjects(), objects) << "nothing left of the other scale";
}

// The default place on A: the margins at A's scale, within a pixel, and the meter as large.
TEST_F(Desktop, ResetPutsItOnThePrimaryByThePrimarysScale) {
    desktop.Watch(t.hwnd(), 96);
    t.Command(ID_RESET_POSITION);
    const RECT r = WindowRectOf(t.hwnd());
    EXPECT_NEAR(r.left, TwoScales::kSeam - 85 * 1.5, 1);
    EXPECT_NEAR(r.top, 25 * 1.5, 1);
    EXPECT_EQ(r.right - r.left, 90);
}

// At 150 %: the Dpi tests run in a process of their own with LogPixels 144 (tools/test).
// The shell gets the moon drawn at the small-icon size of the taskbar's scale, its disc one
// pixel in from the edges, after a display or scale change: the system's own size at 144
// DPI, then taskbars at 100, 125, 200 and 300 %.
TEST(Dpi, TheTrayIconIsDrawnAtTheTaskbarsSmallIconSize) {
    MeterUnderTest t(kOnBattery);
    const struct {
        int taskbarDpi, size;
        UINT message;  // what tells the meter of it
    } scales[] = {{0, 24, WM_DISPLAYCHANGE},
                  {96, 16, WM_DPICHANGED},
                  {120, 20, WM_DISPLAYCHANGE},
                  {192, 32, WM_DPICHANGED},
                  {288, 48, WM_DISPLAYCHANGE}};
    RECT same = WindowRectOf(t.hwnd());  // its own scale and place: the display change ignores it
    for (const auto& scale : scales) {
        FakeSystem::taskbarDpi = scale.taskbarDpi;
        SendMessageA(t.hwnd(), scale.message, MAKEWPARAM(144, 144), LPARAM(&same));
        const int n = scale.size;
        const std::vector<uint32_t>& icon = FakeShell::icon;
        ASSERT_EQ(icon.size(), size_t(n * n)) << n;
        EXPECT_EQ(std::vector<uint32_t>({icon[0] >> 24, icon[n / 2] >> 24, icon[n + n / 2] >> 24}),
                  std::vector<uint32_t>({0, 0, 255}))
            << n << ": a clear margin of one pixel, then the disc";
    }
    FakeSystem::taskbarDpi = 0;
}

}  // namespace
