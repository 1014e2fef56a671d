#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include "meter/moon_geometry.h"
#include "meter/power_sample.h"
#include "tests/support/sample_maker.h"

namespace {

TEST(PowerSample, StatusTextFromRemainingTime) {
    struct Case {
        uint32_t seconds;
        const char* text;
    };
    const Case cases[] = {
        {0, "00:00"},
        {59, "00:00"},
        {60, "00:01"},
        {3599, "00:59"},
        {3600, "01:00"},
        {10260, "02:51"},
        {100 * 3600, "100:00"},
        {0xFFFFFFFEu, "1193046:28"},
        {kUnknownTime, "--:--"},
    };
    for (const Case& c : cases) {
        const FaceDescription d = DescribeSample(MakeSample(kAcOffline, 0, 57, c.seconds));
        EXPECT_STREQ(d.statusText, c.text) << c.seconds;
    }
}

TEST(PowerSample, OnMainsSaysOnlineWhateverTheTime) {
    for (uint32_t seconds : {0u, 3600u, kUnknownTime}) {
        EXPECT_STREQ(DescribeSample(MakeSample(kAcOnline, 8, 80, seconds)).statusText, "Online");
    }
}

TEST(PowerSample, UnknownLineStatusIsNotMainsPower) {
    const FaceDescription d = DescribeSample(MakeSample(255, 1, 97, 7200));
    EXPECT_FALSE(d.onMains);
    EXPECT_STREQ(d.statusText, "02:00");
    EXPECT_FALSE(FullChargeRule(MakeSample(255, 1, 97, 7200)));
}

TEST(PowerSample, PercentIsClampedButTheRuleSeesTheRawByte) {
    const PowerSample noBattery = MakeSample(kAcOnline, 128, 255, kUnknownTime);
    const FaceDescription d = DescribeSample(noBattery);
    EXPECT_EQ(d.percent, 100);
    EXPECT_STREQ(d.percentText, "100%");
    EXPECT_DOUBLE_EQ(d.phase, 0.0);
    EXPECT_DOUBLE_EQ(d.tilt, -0.22);
    EXPECT_STREQ(d.statusText, "Online");
    EXPECT_EQ(d.stateColour, kNormalColour);
    EXPECT_TRUE(FullChargeRule(noBattery));
}

TEST(PowerSample, PhaseStopsThinningAtSevenButTiltGoesOn) {
    struct Case {
        int percent;
        double phase;
        double tilt;
    };
    const Case cases[] = {
        {0, 0.93 * kPi, -1.02},  {3, 0.93 * kPi, -0.996}, {7, 0.93 * kPi, -0.964},
        {8, 0.92 * kPi, -0.956}, {50, kHalfPi, -0.62},    {100, 0.0, -0.22},
    };
    for (const Case& c : cases) {
        const FaceDescription d = DescribeSample(MakeSample(kAcOffline, 0, c.percent, 0));
        EXPECT_NEAR(d.phase, c.phase, 1e-12) << c.percent;
        EXPECT_NEAR(d.tilt, c.tilt, 1e-12) << c.percent;
        char text[8];
        snprintf(text, sizeof(text), "%d%%", c.percent);
        EXPECT_STREQ(d.percentText, text);
    }
    // Exactly half: the straight terminator depends on this being pi/2 to the bit.
    EXPECT_EQ(DescribeSample(MakeSample(kAcOffline, 0, 50, 0)).phase, kHalfPi);
}

TEST(PowerSample, StateColourByTheWholeFlag) {
    struct Case {
        uint8_t flag;
        uint32_t colour;
    };
    const Case cases[] = {
        {0, kNormalColour},  {1, kNormalColour},   {2, kLowColour},      {4, kCriticalColour},
        {6, kNormalColour},  {8, kNormalColour},   {9, kNormalColour},   {10, kNormalColour},
        {12, kNormalColour}, {128, kNormalColour}, {255, kNormalColour},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StateColour(c.flag), c.colour) << int(c.flag);
        EXPECT_EQ(DescribeSample(MakeSample(kAcOffline, c.flag, 50, 0)).stateColour, c.colour);
    }
    EXPECT_EQ(kLowColour, 0x002500A0u);
    EXPECT_EQ(kCriticalColour, 0x000000FFu);
    EXPECT_EQ(kNormalColour, 0x00A00000u);
    EXPECT_EQ(kLightColour, 10092287u);
}

TEST(PowerSample, EveryByteTakesPartInTheChangeTest) {
    const PowerSample base = MakeSample(kAcOffline, 0, 57, 10260);
    EXPECT_FALSE(SampleChanged(base, base));
    for (size_t i = 0; i < sizeof(PowerSample); ++i) {
        PowerSample other = base;
        reinterpret_cast<uint8_t*>(&other)[i] ^= 0x01;
        EXPECT_TRUE(SampleChanged(base, other)) << "byte " << i;
    }
}

TEST(PowerSample, UnplugRuleFiresOnlyFromMainsToBattery) {
    struct Case {
        uint8_t before, after;
        bool fires;
    };
    const Case cases[] = {
        {1, 0, true}, {255, 0, false}, {0, 1, false}, {0, 0, false}, {1, 255, false}, {1, 1, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UnplugRule(MakeSample(c.before, 0, 50, 0), MakeSample(c.after, 0, 50, 0)),
                  c.fires)
            << int(c.before) << " -> " << int(c.after);
    }
}

TEST(PowerSample, FullChargeRuleNeedsMainsAndNinetyFive) {
    struct Case {
        uint8_t ac, percent;
        bool fires;
    };
    const Case cases[] = {
        {1, 94, false}, {1, 95, true},   {1, 100, true},
        {1, 255, true}, {0, 100, false}, {255, 100, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FullChargeRule(MakeSample(c.ac, 8, c.percent, kUnknownTime)), c.fires)
            << int(c.ac) << " " << int(c.percent);
    }
}

}  // namespace
