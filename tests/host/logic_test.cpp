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
#include "tests/support/reference_reduce.h"
#include "tests/support/sample_maker.h"

namespace {

TEST(Sample, TextsAndAnglesOfTheFace) {
    struct Case {
        PowerSample sample;
        const char* percent;
        const char* status;
        double phase, tilt;  // phase in units of pi: 0 full, 0.5 half, 0.93 the thinnest
    };
    const Case cases[] = {
        {MakeSample(0, 1, 57, 10260), "57%", "02:51", 0.43, -0.564},
        {MakeSample(0, 2, 30, 0), "30%", "00:00", 0.70, -0.78},
        {MakeSample(0, 4, 5, 59), "5%", "00:00", 0.93, -0.98},
        {MakeSample(0, 10, 60, 3599), "60%", "00:59", 0.40, -0.54},
        {MakeSample(0, 0, 0, 360000), "0%", "100:00", 0.93, -1.02},
        {MakeSample(0, 0, 100, kUnknownTime), "100%", "--:--", 0, -0.22},
        {MakeSample(1, 8, 50, 7200), "50%", "Online", 0.5, -0.62},
        {MakeSample(255, 0, 60, 7200), "60%", "02:00", 0.40, -0.54},
        {MakeSample(1, 128, 255, kUnknownTime), "100%", "Online", 0, -0.22},
        {MakeSample(0, 255, 101, 60), "100%", "00:01", 0, -0.22},
        {MakeSample(0, 1, 200, 60), "100%", "00:01", 0, -0.22},
    };
    for (const Case& c : cases) {
        const FaceDescription d = DescribeSample(c.sample);
        const int p = c.sample.batteryLifePercent;
        EXPECT_STREQ(d.percentText, c.percent) << p;
        EXPECT_STREQ(d.statusText, c.status) << p;
        EXPECT_NEAR(d.phase / kPi, c.phase, 1e-12) << p;
        EXPECT_NEAR(d.tilt, c.tilt, 1e-12) << p;
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

MoonPlan PlanAt(int percent, int face) {
    const FaceDescription d = DescribeSample(MakeSample(0, 0, uint8_t(percent), 0));
    return PlanMoon(d.phase, d.tilt, face);
}

// The integer shapes handed to GDI where the way of drawing changes: the crescent
// adds 0.5 before it truncates, the polygon truncates the poles before centring. A
// larger face takes each way at the same charges.
TEST(Moon, WaysAndShapesAroundTheEdges) {
    const struct {
        int percent, face;
        MoonWay way;
        std::vector<int> shape;  // the ellipse's box, or the polygon's points
    } cases[] = {
        {0, 240, MoonWay::kCrescent, {1, -2, 242, 238}},
        {7, 240, MoonWay::kCrescent, {2, -1, 242, 238}},
        {48, 240, MoonWay::kCrescent, {-73, -1404, 1845, 514}},
        {49, 240, MoonWay::kStraight, {50, 23, 190, 217, 240, 217, 240, 0, 50, 0}},
        {50, 240, MoonWay::kStraight, {51, 23, 189, 217, 240, 217, 240, 0, 51, 0}},
        {51, 240, MoonWay::kStraight, {52, 22, 188, 218, 240, 218, 240, 0, 52, 0}},
        {52, 240, MoonWay::kGibbous, {-1622, -298, 295, 1619}},
        {100, 240, MoonWay::kGibbous, {0, 0, 240, 240}},
        {48, 360, MoonWay::kCrescent, {-109, -2106, 2768, 771}},
        {52, 360, MoonWay::kGibbous, {-2434, -448, 443, 2429}},
    };
    for (const auto& c : cases) {
        const MoonPlan p = PlanAt(c.percent, c.face);
        const MoonPoint* v = p.polygon;
        const std::vector<int> shape =
            p.way == MoonWay::kStraight ? std::vector<int>{v[0].x, v[0].y, v[1].x, v[1].y, v[2].x,
                                                           v[2].y, v[3].x, v[3].y, v[4].x, v[4].y}
                                        : std::vector<int>{p.left, p.top, p.right, p.bottom};
        EXPECT_EQ(p.way, c.way) << c.percent << " % on " << c.face;
        EXPECT_EQ(shape, c.shape) << c.percent << " % on " << c.face;
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

TEST(Fade, TicksAndAlphasFromEachStart) {
    struct Case {
        int alpha, lastApplied, show, step, ticks;
        std::vector<int> applied;  // what reaches the window, hidden exactly at 0
    };
    const Case cases[] = {
        {0, 0, kFadeIn, 10, 21, Steps(10, 210, 10)},
        {0, 0, kFadeIn, 20, 11, Steps(20, 210, 20)},
        {210, 210, kFadeOut, 10, 22, Steps(200, 0, -10)},  // exactly 0 takes a tick more
        {210, 210, kFadeOut, 20, 11, Steps(190, 0, -20)},
        {210, 210, kFadeIn, 10, 1, {}},  // already there: the window is left alone
        {0, 0, kFadeOut, 10, 1, {}},
        {0, -1, kFadeOut, 10, 1, {0}},  // the first tick of all reaches the window
    };
    for (const Case& c : cases) {
        FadeState s;
        s.alpha = c.alpha, s.lastApplied = c.lastApplied;
        ASSERT_TRUE(RequestFade(s, c.show, c.step)) << "an idle fade starts its timer";
        std::vector<int> applied;
        int ticks = 0;
        for (; s.timerRunning && ticks < 100; ++ticks) {
            const FadeOutcome tick = AdvanceFade(s);
            EXPECT_EQ(tick.stopTimer, s.timerRunning == 0);
            if (tick.apply) {
                EXPECT_EQ(tick.visible, s.alpha > 0) << "shown above 0, hidden at 0";
                applied.push_back(s.alpha);
            }
        }
        EXPECT_EQ(applied, c.applied) << c.alpha << " step " << c.step;
        EXPECT_EQ(ticks, c.ticks) << c.alpha << " step " << c.step;
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
    const int box[][4] = {{0, 1, 60, 1},   {60, 59, 60, 1}, {0, 0, 60, 0},   {61, 30, 60, 0},
                          {-1, 30, 60, 0}, {30, 60, 60, 0}, {90, 89, 90, 1}, {91, 45, 90, 0},
                          {45, 90, 90, 0}, {45, 0, 90, 0}};
    for (const auto& b : box) {
        EXPECT_EQ(InHoverBox(b[0], b[1], b[2]), b[3] == 1) << b[0] << "," << b[1] << " of " << b[2];
    }
}

// Every length of the design at the common scales; at 96 DPI the design itself.
TEST(Lengths, EveryLengthAtFourScales) {
    const int table[][14] = {
        // dpi layer face big small %top status from to right top aboutW aboutH lift
        {96, 60, 240, 61, 53, 68, 132, -4, 3, 85, 25, 537, 96, 50},
        {120, 75, 300, 76, 66, 85, 165, -5, 4, 106, 31, 671, 120, 63},
        {144, 90, 360, 92, 80, 102, 198, -6, 5, 128, 38, 806, 144, 75},
        {192, 120, 480, 122, 106, 136, 264, -8, 7, 170, 50, 1074, 192, 100},
        {72, 60, 240, 61, 53, 68, 132, -4, 3, 85, 25, 537, 96, 50},  // below 100 %: 100 %
    };
    for (const auto& t : table) {
        const Lengths l = LengthsAt(t[0]);
        const std::vector<int> got = {l.layer,      l.face,      l.bigFont,     l.smallFont,
                                      l.percentTop, l.statusTop, l.outlineFrom, l.outlineTo,
                                      l.rightInset, l.topInset,  l.aboutWidth,  l.aboutHeight,
                                      l.aboutLift};
        EXPECT_EQ(got, std::vector<int>(t + 1, t + 14)) << t[0] << " dpi";
    }
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
        {0, 0, 1024, 768, 537, 96, 244, 336},   {1024, 0, 2048, 768, 537, 96, 1268, 336},
        {0, -768, 1024, 0, 537, 96, 244, -432}, {-1280, 0, 0, 1024, 806, 144, -1043, 440},
        {0, 0, 1023, 767, 537, 95, 243, 336},  // each half truncated on its own
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
