// The program's logic without Windows: what a power sample shows, the moon's shapes,
// the reduction into the layer, the fades, and where the meter goes.
#include <gtest/gtest.h>

#include <limits.h>
#include <algorithm>
#include <array>
#include <set>
#include <string.h>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/switches.h"
#include "framework/format.h"
#include "mainwin/cover_rule.h"
#include "mainwin/fade_state.h"
#include "framework/desktop_math.h"
#include "framework/lengths.h"
#include "mainwin/visibility.h"
#include "meter/battery_alerts.h"
#include "meter/icon_moon.h"
#include "meter/moon_geometry.h"
#include "settings/position_rules.h"
#include "settings/startup_rules.h"
#include "tests/support/sample_maker.h"

namespace {

// The face's texts and fill and the tip's second line (within the 43 characters the tip has
// left below the name): the time cut to the minute in both. The flag's bits combine (Wine
// reports 6 at 3 %), charging never warns, an unknown line status (255) is not mains, an
// unknown flag is not charging, a byte above 100 is 100 %. The fill is one colour but when
// low, another, or critical, red.
TEST(Sample, WhatTheFaceAndTheTipShow) {
    enum Fill { kPlain, kLow, kRed };
    const struct {
        PowerSample sample;
        const char *face, *tip;
        Fill fill;
    } cases[] = {
        {MakeSample(0, 1, 57, 7530), "57% 02:05", "57 % - 2:05 left", kPlain},
        {MakeSample(255, 2, 60, kUnknownTime), "60% --:--", "60 % - on battery", kLow},
        {MakeSample(0, 1, 200, 60), "100% 00:01", "On battery", kPlain},
        {MakeSample(1, 1, 80, kUnknownTime), "80% Online", "80 % - held on mains", kPlain},
        {MakeSample(1, 255, 80, kUnknownTime), "80% Online", "80 % - on mains", kPlain},
        {MakeSample(1, 1, 100, kUnknownTime), "100% Online", "100 % - on mains", kPlain},
        {MakeSample(1, 10, 20, kUnknownTime), "20% Online", "Charging - 20 %", kPlain},
        {MakeSample(0, 6, 3, 600), "3% 00:10", "3 % - 0:10 left", kRed},
        {MakeSample(1, 128, 255, kUnknownTime), "100% Online", "On mains", kPlain},
        {MakeSample(0, 128, 255, kUnknownTime), "100% --:--", "No battery", kPlain},
    };
    const uint32_t plain = DescribeSample(cases[0].sample).stateColour;
    for (const auto& c : cases) {
        const FaceDescription d = DescribeSample(c.sample);
        char tip[44];
        DescribeForTip(c.sample, tip, sizeof(tip));
        EXPECT_EQ(std::string(d.percentText) + " " + d.statusText, c.face);
        EXPECT_STREQ(tip, c.tip);
        const uint32_t r = d.stateColour & 0xFF, g = d.stateColour >> 8 & 0xFF,
                       b = d.stateColour >> 16;
        EXPECT_EQ(std::make_pair(d.stateColour == plain, r >= 200 && g + b <= 60),
                  std::make_pair(c.fill == kPlain, c.fill == kRed))
            << c.face;
    }
}

// On mains the meter hides at 95 % or more (the raw byte: an unknown charge counts as
// full) or when a charge limit holds the battery: present, not charging, not low. On
// battery a critical flag brings it back, unless charging; unplugging brings it back too.
TEST(Sample, TheRulesThatHideAndShowTheMeter) {
    const int cases[][5] = {
        // AC, flag, percent; full; critical
        {1, 1, 80, 1, 0}, {1, 9, 80, 0, 0},    {1, 2, 20, 0, 0}, {1, 9, 95, 1, 0},  {0, 6, 3, 0, 1},
        {0, 12, 3, 0, 0}, {255, 1, 100, 0, 0}, {1, 6, 3, 0, 0},  {255, 6, 3, 0, 0},
    };
    for (const auto& c : cases) {
        const PowerSample s = MakeSample(uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2]), 0);
        EXPECT_EQ(std::make_pair(FullChargeRule(s), CriticalOnBattery(s)),
                  std::make_pair(c[3] == 1, c[4] == 1))
            << "AC " << c[0] << " flag " << c[1] << " at " << c[2];
    }
    EXPECT_TRUE(UnplugRule(MakeSample(1, 1, 50, 0), MakeSample(0, 1, 50, 0)));
    EXPECT_FALSE(UnplugRule(MakeSample(255, 1, 50, 0), MakeSample(0, 1, 50, 0))) << "unknown";
}

// Samples one after another (line status, flag, percent), at 20 % and 80 % with both on
// unless a row says: what each told, in order: p the plug changed, L low, U unplug, and C
// a critical battery the meter shows itself for.
TEST(Alerts, EachTellsOnceACrossingAndIsArmedByThreePointsBackOrAPlugChange) {
    const AlertSettings both = {20, true, 80, true}, none = {20, false, 80, false};
    const struct {
        std::vector<std::array<int, 3>> samples;
        const char* told;
        AlertSettings settings;
    } rows[] = {
        {{{0, 2, 22}, {0, 2, 20}, {0, 2, 19}, {0, 2, 21}, {0, 2, 20}, {0, 2, 18}}, "L", both},
        {{{0, 2, 21}, {0, 2, 20}, {0, 2, 22}, {0, 2, 20}, {0, 2, 23}, {0, 2, 20}}, "LL", both},
        {{{0, 2, 20}, {1, 10, 30}, {0, 2, 30}, {0, 2, 20}}, "LppL", both},
        {{{0, 2, 20}, {1, 10, 19}, {0, 2, 19}}, "LppL", both},  // unplugged below it
        {{{1, 8, 79}, {1, 8, 80}, {1, 8, 78}, {1, 8, 81}, {1, 8, 77}, {1, 8, 80}}, "UU", both},
        {{{1, 8, 80}, {0, 1, 80}, {1, 8, 80}}, "UppU", both},
        {{{1, 1, 80}, {1, 1, 85}, {1, 0, 90}}, "", both},  // held on mains by a limit
        {{{0, 255, 10}, {0, 128, 10}, {0, 1, 255}, {255, 2, 10}}, "", both},
        {{{0, 2, 6}, {0, 6, 4}}, "LC", both},
        {{{1, 6, 3}, {255, 6, 3}, {255, 2, 10}, {1, 6, 3}}, "", both},  // mains, or unknown
        {{{0, 2, 20}, {1, 8, 85}, {1, 8, 85}}, "p", none},
        {{{0, 2, 21}, {0, 2, 20}, {1, 8, 85}}, "Lp", AlertSettings{}},  // unplug off by default
    };
    for (const auto& r : rows) {
        BatteryAlerts alerts(r.settings);
        std::string told;
        for (const auto& s : r.samples) {
            const PowerSample sample = MakeSample(uint8_t(s[0]), uint8_t(s[1]), uint8_t(s[2]), 0);
            const AlertStep step = alerts.Observe(sample);
            told += step.plugChanged ? "p" : "";
            told += step.alert == AlertKind::kLow      ? "L"
                    : step.alert == AlertKind::kUnplug ? "U"
                                                       : "";
            told += CriticalOnBattery(sample) ? "C" : "";
        }
        EXPECT_EQ(told, r.told) << "row " << &r - rows;
    }
}

TEST(Alerts, ALevelIsFiveToNinetyFiveInDigitsAndASwitchOnOrOff) {
    for (const char* other : {"4", "96", "", "2O", "-5", "100"}) {
        EXPECT_EQ(ParseAlertLevel(other, 33), 33) << other;
    }
    EXPECT_EQ(std::make_tuple(ParseAlertLevel("5", 0), ParseAlertLevel("95", 0),
                              ParseAlertSwitch("on", false), ParseAlertSwitch("off", true),
                              ParseAlertSwitch("1", false), ParseAlertSwitch("yes", true)),
              std::make_tuple(5, 95, true, false, false, true));
}

TEST(Format, ATextIsCutToItsBufferAndAlwaysEnds) {
    char whole[64];
    const char* format = "%d|%02d|%03d|%d%%|%s|%x";  // %x is not one of ours
    ASSERT_EQ(FormatText(whole, 64, format, INT_MIN, 7, -5, 100, "ab"), 29);
    EXPECT_STREQ(whole, "-2147483648|07|-05|100%|ab|%x");
    for (int size = 1; size <= 30; ++size) {  // exactly this big: ASan sees a byte beyond
        std::vector<char> cut(size);
        EXPECT_EQ(FormatText(cut.data(), size, format, INT_MIN, 7, -5, 100, "ab"), 29);
        EXPECT_EQ(std::string(cut.data()), std::string(whole, size - 1)) << size;
    }
    EXPECT_EQ(FormatText(nullptr, 0, "%d", 12345), 5) << "no room: only the length";
}

// One day of the meter's reasons to be seen, in order: the fade each asks for.
TEST(Visibility, FullScreenStepsAsideForAWhileAndACriticalBatteryComesBackOnce) {
    enum Event { kCover, kUncover, kRuleShow, kUserShow, kHide, kCritical, kNotCritical };
    const std::pair<Event, FadeWay> day[] = {
        {kCover, FadeWay::kOut},        {kRuleShow, FadeWay::kNone},  // unplugged: waits
        {kUncover, FadeWay::kIn},       {kHide, FadeWay::kOut},
        {kCover, FadeWay::kNone},       {kUncover, FadeWay::kNone},  // hidden by Hide all along
        {kUserShow, FadeWay::kIn},      {kCover, FadeWay::kOut},
        {kUserShow, FadeWay::kIn},      {kCover, FadeWay::kNone},     // asked for over it
        {kHide, FadeWay::kOut},         {kRuleShow, FadeWay::kNone},  // unplugged: it waits again
        {kUncover, FadeWay::kIn},       {kCover, FadeWay::kOut},      // another full-screen window
        {kCritical, FadeWay::kIn},      {kCritical, FadeWay::kNone},
        {kHide, FadeWay::kOut},         {kCritical, FadeWay::kNone},  // once per entry
        {kNotCritical, FadeWay::kNone}, {kCritical, FadeWay::kIn},
        {kNotCritical, FadeWay::kOut},  // plugged in: full screen rules again
    };
    Visibility v;
    for (const auto& e : day) {
        const FadeWay way = e.first == kCover      ? v.Cover(true)
                            : e.first == kUncover  ? v.Cover(false)
                            : e.first == kRuleShow ? v.Show(false)
                            : e.first == kUserShow ? v.Show(true)
                            : e.first == kHide     ? v.Hide()
                            : e.first == kCritical ? v.Battery(true)
                                                   : v.Battery(false);
        EXPECT_EQ(way, e.second) << "step " << &e - day;
    }
}

// Down the z-order, each window over a meter centred at 1860, 55 on a monitor of 1920 x 1080:
// the first that is seen and holds that point decides, unless it is a gadget, the meter's
// own or the shell's; it covers the meter when it has no caption and covers the monitor.
TEST(FullScreen, TheWindowTheMeterIsDrawnOverDecides) {
    const ScreenRect monitor = {0, 0, 1920, 1080}, other = {1920, 0, 3840, 1080};
    const unsigned long popup = 0x80000000, captioned = 0x00CF0000;  // WS_OVERLAPPEDWINDOW
    enum { kMinimized = 1, kCloaked = 2, kOwn = 4, kHidden = 8 };
    const struct {
        const char* name;
        unsigned long style, exStyle;
        ScreenRect rect;
        int state;
        Cover want;
    } rows[] = {
        {"Film", popup, 0, monitor, 0, Cover::kFullScreen},
        {"Game", popup | 0x00800000, 0, monitor, 0, Cover::kFullScreen},  // WS_BORDER: no title
        {"Editor", captioned, 0, {-8, -8, 1928, 1088}, 0, Cover::kNone},  // maximized
        {"Editor", captioned, 0, {1500, 0, 1920, 400}, 0, Cover::kNone},
        {"Editor", popup, 0, {0, 500, 800, 1000}, 0, Cover::kLookFurther},  // away from it
        {"Film", popup, 0, other, 0, Cover::kLookFurther},
        {"Film", popup, 0, monitor, kMinimized, Cover::kLookFurther},
        {"Film", popup, 0, monitor, kCloaked, Cover::kLookFurther},  // another desktop's
        {"Film", popup, 0, monitor, kHidden, Cover::kLookFurther},
        {"Film", popup, 0, monitor, kOwn, Cover::kLookFurther},  // the meter's menu, About
        {"Gadget", popup, kExStyleToolWindow, monitor, 0, Cover::kLookFurther},
        {"WorkerWindow", popup, 0, monitor, 0, Cover::kFullScreen},  // names are read whole
    };
    for (const auto& r : rows) {
        WindowFacts w = {true, r.name, r.style, r.exStyle, r.rect, false, false, false};
        w.visible = !(r.state & kHidden), w.minimized = r.state & kMinimized;
        w.cloaked = r.state & kCloaked, w.own = r.state & kOwn;
        EXPECT_EQ(int(JudgeWindow(w, monitor, 1860, 55)), int(r.want))
            << r.name << " " << &r - rows;
    }
    // The desktop, the taskbars, the switchers, Task View and Snap layouts, the input panels.
    for (const char* shell : {"Progman", "WorkerW", "Shell_TrayWnd", "Shell_SecondaryTrayWnd",
                              "XamlExplorerHostIslandWindow", "MultitaskingViewFrame",
                              "ForegroundStaging", "Windows.UI.Core.CoreWindow"}) {
        const WindowFacts w = {true, shell, popup, 0, monitor, false, false, false};
        EXPECT_EQ(int(JudgeWindow(w, monitor, 1860, 55)), int(Cover::kLookFurther)) << shell;
    }
    // The shell's state, of the window in front: an exclusive Direct3D game on the meter's
    // monitor or on another, presentation settings, a full-screen window of its own.
    const int states[][3] = {{kShellDirect3D, 1, 1}, {kShellDirect3D, 0, 0}, {4, 1, 0}, {2, 1, 0}};
    for (const auto& s : states) {
        EXPECT_EQ(ShellStateCovers(s[0], s[1]), s[2] == 1) << s[0] << " " << s[1];
    }
}

// Only a program on a fixed drive, outside the user's temporary folder (where Explorer
// opens a zip), is started at sign-in.
bool SameAscii(const wchar_t* a, const wchar_t* b, int n) { return !wcsncasecmp(a, b, size_t(n)); }

TEST(StartWithWindows, OnlyAFixedDriveOutsideTheTemporaryFolderWorks) {
    const wchar_t* temp = L"C:\\Users\\Ana\\AppData\\Local\\Temp\\";
    const struct {
        const wchar_t* program;
        DriveKind drive;
        bool works;
    } rows[] = {
        {L"C:\\Tools\\SorvaneMeter.exe", DriveKind::kFixed, true},
        {L"\\\\?\\C:\\Tools\\SorvaneMeter.exe", DriveKind::kFixed, true},
        {L"E:\\SorvaneMeter.exe", DriveKind::kRemovable, false},
        {L"Z:\\SorvaneMeter.exe", DriveKind::kRemote, false},
        {L"D:\\SorvaneMeter.exe", DriveKind::kOther, false},
        {L"\\\\server\\tools\\SorvaneMeter.exe", DriveKind::kFixed, false},
        {L"c:\\users\\ana\\appdata\\local\\temp\\Temp1_m.zip\\SorvaneMeter.exe", DriveKind::kFixed,
         false},
        {L"C:\\Users\\Ana\\AppData\\Local\\Temporary\\SorvaneMeter.exe", DriveKind::kFixed, true},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(StartupCanWork(r.program, r.drive, temp, SameAscii), r.works) << &r - rows;
    }
}

// A plan's light comes from its shapes' geometry at each pixel's centre.
bool PlanLights(const MoonPlan& p, int x, int y) {
    const double px = x + 0.5, py = y + 0.5;
    bool inPolygon = false;  // crossings of a ray to the right
    for (int i = 0, j = 4; i < 5; j = i++) {
        const MoonPoint &a = p.polygon[i], &b = p.polygon[j];
        inPolygon ^= (a.y > py) != (b.y > py) &&
                     px < a.x + (py - a.y) * double(b.x - a.x) / double(b.y - a.y);
    }
    const double rx = (p.right - p.left) / 2.0, ry = (p.bottom - p.top) / 2.0;
    const double dx = (px - p.left - rx) / rx, dy = (py - p.top - ry) / ry;
    const bool inShape = dx * dx + dy * dy <= 1;  // in the box's ellipse
    return p.way == MoonWay::kStraight  ? !inPolygon
           : p.way == MoonWay::kGibbous ? inShape
                                        : p.way == MoonWay::kCrescent && !inShape;
}

// What the moon of a charge lights on a face: the share of the disc's pixels that are lit,
// and where their centre of mass lies from the disc's centre (right and down positive).
struct LitShare {
    double share, x, y;
};

LitShare LightAt(int percent, int face) {
    const FaceDescription d = DescribeSample(MakeSample(0, 0, uint8_t(percent), 0));
    const MoonPlan plan = PlanMoon(d.phase, d.tilt, face);
    double disc = 0, count = 0, sx = 0, sy = 0, r = face / 2.0;
    for (int y = 0; y < face; ++y) {
        for (int x = 0; x < face; ++x) {
            const double dx = x + 0.5 - r, dy = y + 0.5 - r;
            if (dx * dx + dy * dy <= r * r) {
                ++disc;
                if (PlanLights(plan, x, y)) {
                    ++count, sx += dx, sy += dy;
                }
            }
        }
    }
    return LitShare{count / disc, count ? sx / count / r : 0, count ? sy / count / r : 0};
}

// The lit share of the disc grows with the charge, from a thin crescent that stays below
// 7 % to the full moon, with no step where the way of drawing changes (48 to 49 %, 51 to
// 52 %); the light faces left and down, at every scale.
TEST(Moon, TheLightGrowsWithTheChargeSmoothlyAndFacesLeftAndDown) {
    for (int face : {240, 360}) {
        double last = 0;
        for (int percent = 0; percent <= 100; ++percent) {
            const LitShare l = LightAt(percent, face);
            const std::string at = std::to_string(percent) + " % on " + std::to_string(face);
            if (percent <= 7) {
                EXPECT_NEAR(l.share, 0.015, 0.006) << at << ": the thin crescent stays";
            } else {
                EXPECT_GE(l.share, last - 0.001) << at;  // the straight half moon: pixels
                EXPECT_LE(l.share - last, 0.03) << at << ": no step";
            }
            if (percent < 90) {  // beyond, the dark sliver is a pixel or two
                EXPECT_TRUE(l.x < 0 && l.y > 0) << at << ": left and down";
            }
            last = l.share;
        }
        EXPECT_NEAR(LightAt(50, face).share, 0.5, 0.005) << face;
        EXPECT_EQ(LightAt(100, face).share, 1.0) << face;
    }
}

// An icon's pixel of that COLORREF, opaque.
uint32_t Opaque(uint32_t c) { return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | c >> 16; }

// WCAG's contrast at its known points; on a light and on a dark taskbar, in each state's
// colour, the lit part stands out 3:1 or more from the unlit part and from the taskbar,
// and so does the rim from the taskbar; a low or critical battery is seen at 16 pixels.
TEST(IconMoon, EachPartStandsOutOfWhatSurroundsIt) {
    EXPECT_NEAR(ContrastRatio(0xFFFFFF, 0), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(0x767676, 0xFFFFFF), 4.54, 0.005);  // WCAG's grey at 4.5:1
    EXPECT_NEAR(ContrastRatio(0x123456, 0x123456), 1.0, 1e-12);
    for (TaskbarTheme theme : {TaskbarTheme::kDark, TaskbarTheme::kLight}) {
        std::set<uint32_t> lits;  // each state its own colour, as on the face
        for (uint32_t state : {kNormalColour, kLowColour, kCriticalColour}) {
            const IconColours c = IconColoursFor(theme, state, 0, 0);
            lits.insert(c.lit);
            const uint32_t bar = TaskbarColour(theme);
            const double ratios[] = {ContrastRatio(c.lit, c.unlit), ContrastRatio(c.lit, bar),
                                     ContrastRatio(c.rim, bar)};
            printf("icon contrast, %s taskbar, state %06X: lit/unlit %.2f, lit/taskbar %.2f, "
                   "rim/taskbar %.2f\n",
                   theme == TaskbarTheme::kDark ? "dark" : "light", state, ratios[0], ratios[1],
                   ratios[2]);
            for (double r : ratios) {
                EXPECT_GE(r, 3.0) << state;
            }
            // An almost empty battery's crescent is all but gone at 16 pixels: a warning
            // still shows its colour.
            std::vector<uint32_t> px(16 * 16);
            DrawIconMoon(0.93 * kPi, -1.0, c, 16, px.data());
            const auto warns = [&](uint32_t p) { return p && (p | 0xFF000000u) == Opaque(c.lit); };
            EXPECT_EQ(std::count_if(px.begin(), px.end(), warns) > 20, state != kNormalColour);
        }
        EXPECT_EQ(lits.size(), 3u);
    }
}

// A fade-out shows the window while any alpha is left and hides it exactly at 0.
TEST(Fade, TheWindowIsHiddenExactlyAtZero) {
    FadeState s;
    s.alpha = s.lastApplied = 210;
    ASSERT_TRUE(RequestFade(s, kFadeOut, 20));
    std::vector<int> hiddenAt;
    for (int ticks = 0; s.timerRunning && ticks < 100; ++ticks) {
        const FadeOutcome tick = AdvanceFade(s);
        if (tick.apply && !tick.visible) {
            hiddenAt.push_back(s.alpha);
        }
    }
    EXPECT_EQ(hiddenAt, std::vector<int>({0}));
}

// What the Win32 and end-to-end checks, at 100 % and 150 %, do not reach: the meter's size
// below 100 % and beyond 500 %.
TEST(Lengths, TheMeterIsNeverSmallerThanAt100NorLargerThanAt500) {
    EXPECT_EQ(LengthsAt(72).layer, 60) << "below 100 %: 100 %";
    EXPECT_EQ(LengthsAt(960).layer, 300) << "bounded at 500 %";
}

// "-0" is not set but "-0 " and "-00" are, the edges are inside, a place on any monitor is
// kept; a place on none falls back to the default's coordinate, 85 from the right, 25 down.
TEST(Position, AStoredPlaceIsKeptOnAnyMonitorElseEachCoordinateFallsBack) {
    const WorkArea primary = {0, 0, 1920, 1040}, left = {-1280, 0, 0, 984};
    const struct {
        const char *x, *y;
        WorkArea second;  // the primary again: one monitor
        int wantX, wantY;
    } cases[] = {
        {"-0 ", "-0", primary, 0, 25},       {"-0", "-00", primary, 1835, 0},
        {"-0", "1040", primary, 1835, 1040}, {"5000", "200", primary, 1835, 200},
        {"-900", "300", left, -900, 300},
    };
    for (const auto& c : cases) {
        const WorkArea monitors[] = {primary, c.second};
        const Position p = KeepOnMonitors(StoredPlace(c.x, c.y, primary, LengthsAt(96)), primary,
                                          monitors, 2, LengthsAt(96));
        EXPECT_EQ(std::make_pair(p.x, p.y), std::make_pair(c.wantX, c.wantY)) << c.x << "," << c.y;
    }
    EXPECT_EQ(ParseStoredInt("-99999999999999999999"), INT_MIN) << "read without overflow";
}

// About is centred on the meter's monitor, within a pixel, wherever that lies: here above
// the primary.
TEST(Position, AWindowIsCentredOnItsMonitor) {
    const CenteredOrigin o = CenterOrigin(0, -768, 1024, 0, 537, 96);
    EXPECT_NEAR(o.x, (1024 - 537) / 2.0, 1);
    EXPECT_EQ(o.y, -432);
}

// Shift-JIS: 0x81..0x9F and 0xE0..0xFC lead a two-byte character whose second byte
// may be a backslash (0x5C).
bool ShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool NoLead(unsigned char) { return false; }

TEST(Position, ThePathCutSkipsTrailBytesAndKeepsTheSeparator) {
    const struct {
        const char* in;
        LeadBytePredicate lead;
        const char* out;
    } cases[] = {
        {"C:\\Program Files\\Sorvane\\meter.exe", NoLead, "C:\\Program Files\\Sorvane\\"},
        {"C:\\\x95\x5C.exe", ShiftJisLead, "C:\\"},  // "\x95\x5C" is one character
    };
    for (const auto& c : cases) {
        char buffer[64];
        strcpy(buffer, c.in);
        TruncateAfterLastChar(buffer, '\\', c.lead);
        EXPECT_STREQ(buffer, c.out) << c.in;
    }
}

// One switch, /name or --name in any case, perhaps quoted, blanks around it; /? asks for the
// usage. A second word or a longer name is not understood.
TEST(Switches, OneInAnyCaseOrFormAndAnythingElseIsNotUnderstood) {
    const std::pair<const char*, Request> cases[] = {
        {" /Show\t", Request::kShow},       {"--hide", Request::kHide},
        {"\"--Quit\"", Request::kQuit},     {"/?", Request::kHelp},
        {"/quit /show", Request::kUnknown}, {"/showing", Request::kUnknown}};
    for (const auto& c : cases) {
        EXPECT_EQ(ParseCommandLine(c.first), c.second) << c.first;
    }
}

}  // namespace
