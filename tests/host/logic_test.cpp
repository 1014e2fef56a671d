// The program's logic without Windows: what a power sample shows, the moon's shapes,
// the reduction into the layer, the fades, and where the meter goes.
#include <gtest/gtest.h>

#include <limits.h>
#include <random>
#include <string.h>
#include <string>
#include <utility>
#include <vector>

#include "framework/format.h"
#include "mainwin/fade_state.h"
#include "framework/desktop_math.h"
#include "framework/lengths.h"
#include "mainwin/visibility.h"
#include "meter/layer_reduce.h"
#include "meter/moon_geometry.h"
#include "settings/position_rules.h"
#include "tests/support/lit_share.h"
#include "tests/support/reference_reduce.h"
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
        {1, 1, 80, 1, 0}, {1, 9, 80, 0, 0}, {1, 2, 20, 0, 0},    {1, 9, 95, 1, 0},
        {0, 6, 3, 0, 1},  {0, 12, 3, 0, 0}, {255, 1, 100, 0, 0},
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
}

// The Wine tests anchor the reference to the real surfaces at 100 % and 150 %.
TEST(Pixels, TheReductionIsThePlainMeanOfEachBlockAtEveryScale) {
    std::mt19937 random(20261207);
    for (int layer : {60, 75, 90, 120, 300}) {    // 100 % to 500 %
        const int n = 4 * layer, stride = 3 * n;  // faces of 4 x the layer, 3 bytes a pixel
        std::vector<uint8_t> f(n * stride), m(n * stride);
        std::vector<uint8_t*> faceRows(n), maskRows(n);
        for (int y = 0; y < n; ++y) {
            faceRows[y] = &f[y * stride], maskRows[y] = &m[y * stride];
        }
        for (size_t i = 0; i < f.size(); ++i) {
            const uint32_t r = random();
            f[i] = uint8_t(r), m[i] = uint8_t(r >> 8);
        }
        std::vector<uint8_t> fast(layer * layer * 4 + 4, 0xA5), want(layer * layer * 4);
        ReduceLayer(faceRows.data(), maskRows.data(), layer, fast.data());
        ReduceLayerReference(faceRows.data(), maskRows.data(), layer, want.data());
        ASSERT_EQ(memcmp(fast.data(), want.data(), want.size()), 0) << layer;
        EXPECT_EQ(fast.back(), 0xA5) << "nothing written past the layer";
    }
}

TEST(Fade, WhatReachesTheWindowFromEachStart) {
    struct Case {
        int alpha, fadingOut, show, step;  // fadingOut: a running fade-out turned around
        std::vector<int> applied;          // what reaches the window, hidden exactly at 0
    };
    const Case cases[] = {
        {210, 0, kFadeOut, 20, {190, 170, 150, 130, 110, 90, 70, 50, 30, 10, 0}},
        {100, 1, kFadeIn, 20, {120, 140, 160, 180, 200, 210}},
    };
    for (const Case& c : cases) {
        FadeState s;
        s.alpha = s.lastApplied = c.alpha, s.direction = s.timerRunning = c.fadingOut;
        EXPECT_EQ(RequestFade(s, c.show, c.step), !c.fadingOut) << "only an idle fade starts";
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
    struct Case {
        const char *x, *y;
        WorkArea second;  // the primary again: one monitor
        int wantX, wantY;
    };
    const Case cases[] = {
        {"-0 ", "-0", primary, 0, 25},       {"-0", "-00", primary, 1835, 0},
        {"-0", "1040", primary, 1835, 1040}, {"5000", "200", primary, 1835, 200},
        {"-900", "300", left, -900, 300},
    };
    for (const Case& c : cases) {
        const WorkArea monitors[] = {primary, c.second};
        const Position p = ResolvePosition(c.x, c.y, primary, monitors, 2, LengthsAt(96));
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

}  // namespace
