// The program's logic without Windows: what a power sample shows, the moon's shapes,
// the reduction into the layer, the fades and hover, and where the meter goes.
#include <gtest/gtest.h>

#include <limits.h>
#include <math.h>
#include <random>
#include <string.h>
#include <string>
#include <utility>
#include <vector>

#include "framework/format.h"
#include "imaging/dib_layout.h"
#include "mainwin/fade_state.h"
#include "framework/desktop_math.h"
#include "framework/lengths.h"
#include "mainwin/pointer_state.h"
#include "mainwin/visibility.h"
#include "meter/layer_reduce.h"
#include "meter/moon_geometry.h"
#include "settings/position_rules.h"
#include "tests/support/lit_share.h"
#include "tests/support/reference_reduce.h"
#include "tests/support/sample_maker.h"

namespace {

TEST(Sample, TheTextsOfTheFace) {
    const std::pair<PowerSample, std::string> cases[] = {
        {MakeSample(0, 1, 57, 10260), "57% 02:51"},
        {MakeSample(0, 2, 30, 0), "30% 00:00"},
        {MakeSample(0, 10, 60, 3599), "60% 00:59"},
        {MakeSample(0, 0, 0, 360000), "0% 100:00"},
        {MakeSample(0, 0, 100, kUnknownTime), "100% --:--"},
        {MakeSample(1, 8, 50, 7200), "50% Online"},
        {MakeSample(255, 0, 60, 7200), "60% 02:00"},
        {MakeSample(1, 128, 255, kUnknownTime), "100% Online"},
        {MakeSample(0, 255, 101, 60), "100% 00:01"},
        {MakeSample(0, 1, 200, 60), "100% 00:01"},
    };
    for (const auto& c : cases) {
        const FaceDescription d = DescribeSample(c.first);
        EXPECT_EQ(std::string(d.percentText) + " " + d.statusText, c.second);
    }
}

// The flag's bits combine (Wine reports 6 at 3 %); charging never warns.
TEST(Sample, TheStateColourOfEachFlag) {
    const uint32_t normal = 0x00A00000, low = 0x002500A0, critical = 0x000000FF;
    const std::pair<int, uint32_t> cases[] = {
        {0, normal}, {1, normal},  {2, low},     {4, critical}, {6, critical}, {8, normal},
        {9, normal}, {10, normal}, {12, normal}, {128, normal}, {255, normal},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescribeSample(MakeSample(0, uint8_t(c.first), 50, 60)).stateColour, c.second)
            << "flag " << c.first;
    }
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

// The tip's second line for each kind of sample: within the 43 characters the tip has
// left below the name.
TEST(Sample, TheTipSaysWhatTheBatteryDoes) {
    const std::pair<PowerSample, const char*> cases[] = {
        {MakeSample(0, 1, 57, 7500), "57 % - 2:05 left"},
        {MakeSample(0, 4, 0, 0xFFFFFFFE), "0 % - 1193046:28 left"},
        {MakeSample(0, 1, 57, kUnknownTime), "57 % - on battery"},
        {MakeSample(1, 8, 80, kUnknownTime), "Charging - 80 %"},
        {MakeSample(1, 1, 80, kUnknownTime), "80 % - held on mains"},
        {MakeSample(1, 1, 100, kUnknownTime), "100 % - on mains"},
        {MakeSample(1, 128, 255, kUnknownTime), "On mains"},
        {MakeSample(0, 128, 255, kUnknownTime), "No battery"},
    };
    for (const auto& c : cases) {
        char text[44];
        DescribeForTip(c.first, text, sizeof(text));
        EXPECT_STREQ(text, c.second);
    }
}

TEST(Sample, TheTwoFadeRules) {
    // Unplugged: mains before, battery now.
    const int unplug[][3] = {{1, 0, 1}, {255, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 255, 0}};
    for (const auto& u : unplug) {
        EXPECT_EQ(
            UnplugRule(MakeSample(uint8_t(u[0]), 0, 50, 0), MakeSample(uint8_t(u[1]), 0, 50, 0)),
            u[2] == 1)
            << u[0] << " -> " << u[1];
    }
    // Full: on mains at 95 % or more (the raw byte: an unknown charge counts as full),
    // or with a battery that a charge limit holds: present, not charging, not low.
    const int full[][4] = {
        {1, 1, 80, 1},    {1, 9, 80, 0},   {1, 0, 50, 1},   {1, 2, 20, 0}, {1, 1, 100, 1},
        {1, 9, 97, 1},    {1, 9, 95, 1},   {1, 9, 94, 0},   {1, 4, 3, 0},  {1, 128, 255, 1},
        {1, 255, 255, 1}, {1, 255, 80, 0}, {1, 128, 80, 0}, {0, 1, 80, 0}, {0, 1, 100, 0},
        {255, 1, 100, 0}, {255, 1, 80, 0},
    };
    for (const auto& f : full) {
        EXPECT_EQ(FullChargeRule(MakeSample(uint8_t(f[0]), uint8_t(f[1]), uint8_t(f[2]), 0)),
                  f[3] == 1)
            << "AC " << f[0] << " flag " << f[1] << " at " << f[2];
    }
    // Critical on battery: Wine reports 6 at 3 %; charging, mains or no battery is not.
    const int critical[][3] = {{0, 4, 1}, {0, 6, 1}, {1, 4, 0}, {0, 12, 0}, {0, 255, 0}, {0, 2, 0}};
    for (const auto& c : critical) {
        EXPECT_EQ(CriticalOnBattery(MakeSample(uint8_t(c[0]), uint8_t(c[1]), 3, 0)), c[2] == 1)
            << "AC " << c[0] << " flag " << c[1];
    }
}

// One day of the meter's reasons to be seen, in order: the fade each asks for.
TEST(Visibility, FullScreenStepsAsideForAWhileAndACriticalBatteryComesBackOnce) {
    enum Event { kCover, kUncover, kRuleShow, kUserShow, kHide, kCritical, kNotCritical };
    const std::pair<Event, FadeWay> day[] = {
        {kCover, FadeWay::kOut},        {kRuleShow, FadeWay::kNone},  // unplugged: waits
        {kUncover, FadeWay::kIn},       {kHide, FadeWay::kOut},
        {kCover, FadeWay::kNone},       {kUncover, FadeWay::kNone},  // hidden by Hide all along
        {kUserShow, FadeWay::kIn},      {kCover, FadeWay::kOut},
        {kUserShow, FadeWay::kIn},      {kCover, FadeWay::kNone},  // asked for over it
        {kUncover, FadeWay::kNone},     {kCover, FadeWay::kOut},   // another full-screen window
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

LitShare LightAt(int percent, int face) {
    const FaceDescription d = DescribeSample(MakeSample(0, 0, uint8_t(percent), 0));
    const MoonPlan plan = PlanMoon(d.phase, d.tilt, face);
    return MeasureLight(face, face, [&](int x, int y) { return PlanLights(plan, x, y); });
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
    // Nothing that is not a number reaches an integer; an upright half moon's three
    // points are in a line, and its circle has no centre.
    const double nan = std::nan("");
    EXPECT_EQ(PlanMoon(nan, -0.5, 240).way, MoonWay::kUnlit);
    EXPECT_EQ(PlanMoon(1.0, nan, 240).way, MoonWay::kUnlit);
    EXPECT_EQ(PlanMoon(1.0, INFINITY, 240).way, MoonWay::kUnlit);
    EXPECT_EQ(PlanMoon(kHalfPi, 0.0, 240).polygon[0].x, 120);
}

// A bottom-up square picture with its top-down row table, as the DIB sections are.
struct Picture {
    std::vector<uint8_t> bytes;
    std::vector<uint8_t*> rows;
    explicit Picture(int n) : bytes(DibStride24(n) * n), rows(n) {
        for (int y = 0; y < n; ++y) {
            rows[y] = DibRowAddress(bytes.data(), n, DibStride24(n), y);
        }
    }
};

// The Wine tests anchor the reference to the real surfaces at 100 % and 150 %.
TEST(Pixels, TheReductionIsThePlainMeanOfEachBlockAtEveryScale) {
    std::mt19937 random(20261207);
    for (int layer : {60, 75, 90, 120, 300}) {  // 100 % to 500 %
        Picture f(4 * layer), m(4 * layer);
        std::vector<uint8_t> fast(layer * layer * 4 + 4, 0xA5), want(layer * layer * 4);
        for (size_t i = 0; i < f.bytes.size(); ++i) {
            const uint32_t r = random();
            f.bytes[i] = uint8_t(r), m.bytes[i] = uint8_t(r >> 8);
        }
        ReduceLayer(f.rows.data(), m.rows.data(), layer, fast.data());
        ReduceLayerReference(f.rows.data(), m.rows.data(), layer, want.data());
        ASSERT_EQ(memcmp(fast.data(), want.data(), want.size()), 0) << layer;
        EXPECT_EQ(fast.back(), 0xA5) << "nothing written past the layer";
    }
}

std::vector<int> Steps(int from, int to, int step) {
    std::vector<int> v;
    for (int a = from; step > 0 ? a < to : a > to; a += step) {
        v.push_back(a);
    }
    v.push_back(to);
    return v;
}

TEST(Fade, WhatReachesTheWindowFromEachStart) {
    struct Case {
        int alpha, lastApplied, show, step;
        std::vector<int> applied;  // what reaches the window, hidden exactly at 0
    };
    const Case cases[] = {
        {0, 0, kFadeIn, 10, Steps(10, 210, 10)},
        {0, 0, kFadeIn, 20, Steps(20, 210, 20)},
        {210, 210, kFadeOut, 10, Steps(200, 0, -10)},
        {210, 210, kFadeOut, 20, Steps(190, 0, -20)},
        {210, 210, kFadeIn, 10, {}},  // already there: the window is left alone
        {0, 0, kFadeOut, 10, {}},
        {0, -1, kFadeOut, 10, {0}},  // the first tick of all reaches the window
    };
    for (const Case& c : cases) {
        FadeState s;
        s.alpha = c.alpha, s.lastApplied = c.lastApplied;
        ASSERT_TRUE(RequestFade(s, c.show, c.step)) << "an idle fade starts its timer";
        std::vector<int> applied;
        for (int ticks = 0; s.timerRunning && ticks < 100; ++ticks) {
            const FadeOutcome tick = AdvanceFade(s);
            EXPECT_EQ(tick.stopTimer, s.timerRunning == 0);
            if (tick.apply) {
                EXPECT_EQ(tick.visible, s.alpha > 0) << "shown above 0, hidden at 0";
                applied.push_back(s.alpha);
            }
        }
        EXPECT_EQ(applied, c.applied) << c.alpha << " step " << c.step;
        EXPECT_EQ(s.timerRunning, 0) << c.alpha << " step " << c.step << ": it ends";
    }
    FadeState s;  // a request turns a running fade around where it is
    s.alpha = s.lastApplied = 100, s.direction = 1, s.timerRunning = 1;
    EXPECT_FALSE(RequestFade(s, kFadeIn, 20)) << "the running timer is not started again";
    AdvanceFade(s);
    EXPECT_EQ(s.alpha, 120);
}

TEST(Pointer, TheHoverDelayRunsOnceAndTheBoxHasOddEdges) {
    PointerState s;
    EXPECT_TRUE(HoverMouseMove(s));
    EXPECT_FALSE(HoverMouseMove(s)) << "moves during the delay do not restart it";
    EXPECT_EQ(HoverDelayElapsed(s, false), HoverDelayOutcome::kNothing) << "the mouse went";
    // One column right of the window counts, its top row does not, at every scale.
    const int box[][4] = {{60, 59, 60, 1}, {0, 0, 60, 0}, {90, 89, 90, 1}, {45, 0, 90, 0}};
    for (const auto& b : box) {
        EXPECT_EQ(InHoverBox(b[0], b[1], b[2]), b[3] == 1) << b[0] << "," << b[1] << " of " << b[2];
    }
}

// What the Win32 and end-to-end checks, at 100 % and 150 %, do not reach: the outline at
// 200 %, 16 pixels wide on a 480-pixel face, and the bounds of 100 % and 500 %.
TEST(Lengths, TheOutlineAt200AndTheBounds) {
    EXPECT_EQ(std::make_pair(LengthsAt(192).outlineFrom, LengthsAt(192).outlineTo),
              std::make_pair(-8, 7));
    EXPECT_EQ(LengthsAt(72).layer, 60) << "below 100 %: 100 %";
    EXPECT_EQ(LengthsAt(960).layer, 300) << "bounded at 500 %";
}

TEST(Position, EachCoordinateStaysInTheWorkAreaOfOneMonitor) {
    const WorkArea screen = {0, 0, 1024, 768}, left = {60, 0, 1024, 768}, top = {0, 40, 1024, 768};
    const WorkArea huge = {INT_MIN + 1, INT_MIN + 1, INT_MAX - 1, INT_MAX - 1};
    struct Case {
        const char *x, *y;
        WorkArea area;
        int wantX, wantY;
    };
    // "-0" is not set but "0" is, the edges are inside, the work area is not the
    // screen, numbers are read as atoi reads them but do not overflow.
    const Case cases[] = {
        {"-0", "-0", screen, 939, 25},      {"0", "0", screen, 0, 0},
        {"5000", "200", screen, 939, 200},  {"100", "-3", screen, 100, 25},
        {"1024", "768", screen, 1024, 768}, {"1025", "769", screen, 939, 25},
        {"0", "100", left, 939, 100},       {"60", "10", top, 60, 65},
        {"-0 ", "-0", screen, 0, 25},       {"abc", "12abc", screen, 0, 12},
        {"1024", "5000", screen, 1024, 25}, {"-0", "-00", screen, 939, 0},  // per coordinate
        {"-0", "768", screen, 939, 768},
    };
    for (const Case& c : cases) {
        const Position p = ResolvePosition(c.x, c.y, c.area, &c.area, 1, LengthsAt(96));
        EXPECT_EQ(std::make_pair(p.x, p.y), std::make_pair(c.wantX, c.wantY)) << c.x << "," << c.y;
    }
    const Position far =
        ResolvePosition("99999999999", "-99999999999", huge, &huge, 1, LengthsAt(96));
    EXPECT_EQ(std::make_pair(far.x, far.y), std::make_pair(INT_MAX - 86, INT_MIN + 26));
    EXPECT_EQ(ParseStoredInt("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(ParseStoredInt("2147483648"), INT_MAX);
}

TEST(Position, APlaceOnAnyMonitorIsKeptWhole) {
    const WorkArea primary = {0, 0, 1920, 1040}, right = {1920, 0, 3200, 1024};
    const WorkArea shortRight = {1920, 0, 3200, 720}, left = {-1280, 0, 0, 984};
    const WorkArea above = {0, -1080, 1920, -40};
    struct Case {
        WorkArea second;
        int monitors;  // 1: the docked screen is gone
        const char *x, *y;
        int wantX, wantY;
    };
    const Case cases[] = {
        {right, 2, "2500", "500", 2500, 500},      {left, 2, "-900", "300", -900, 300},
        {above, 2, "300", "-700", 300, -700},      {right, 2, "3200", "1024", 3200, 1024},
        {shortRight, 2, "2500", "900", 1835, 900},  // below the short screen: on none
        {right, 1, "2500", "500", 1835, 500},      {right, 2, "-0", "500", 1835, 500},
    };
    for (const Case& c : cases) {
        const WorkArea monitors[] = {primary, c.second};
        const Position p = ResolvePosition(c.x, c.y, primary, monitors, c.monitors, LengthsAt(96));
        EXPECT_EQ(std::make_pair(p.x, p.y), std::make_pair(c.wantX, c.wantY)) << c.x << "," << c.y;
    }
    const Position d = DefaultPosition(WorkArea{-1280, 40, 0, 1024}, LengthsAt(96));
    EXPECT_EQ(std::make_pair(d.x, d.y), std::make_pair(-85, 65));
}

// About is centred on the meter's monitor, wherever that lies.
TEST(Position, AWindowIsCentredOnItsMonitor) {
    const int cases[][8] = {
        // monitor left, top, right, bottom; window width, height; origin x, y
        {0, 0, 1024, 768, 537, 96, 244, 336},
        {1024, 0, 2048, 768, 537, 96, 1268, 336},
        {0, -768, 1024, 0, 537, 96, 244, -432},
        {-1280, 0, 0, 1024, 806, 144, -1043, 440},
    };
    for (const auto& c : cases) {
        const CenteredOrigin o = CenterOrigin(c[0], c[1], c[2], c[3], c[4], c[5]);
        EXPECT_EQ(std::make_pair(o.x, o.y), std::make_pair(c[6], c[7])) << c[0] << "," << c[1];
    }
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
        {"meter.exe", NoLead, ""},
        {"C:\\\x95\x5C.exe", ShiftJisLead, "C:\\"},  // "\x95\x5C" is one character
        {"C:\\\x95\x5C.exe", NoLead, "C:\\\x95\\"},
        {"C:\\a\x95", ShiftJisLead, "C:\\"},  // a last lead byte keeps the terminator
        // UTF-8 (code page 65001 has no lead bytes): no byte of a character is 0x5C.
        {"C:\\users\\\xD0\x9F\xD1\x80\xD0\xBE\\meter.exe", NoLead,
         "C:\\users\\\xD0\x9F\xD1\x80\xD0\xBE\\"},
    };
    for (const auto& c : cases) {
        char buffer[64];
        strcpy(buffer, c.in);
        TruncateAfterLastChar(buffer, '\\', c.lead);
        EXPECT_STREQ(buffer, c.out) << c.in;
    }
}

}  // namespace
