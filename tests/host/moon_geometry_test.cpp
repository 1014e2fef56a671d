#include <gtest/gtest.h>

#include <limits.h>
#include <math.h>

#include "meter/moon_geometry.h"
#include "meter/power_sample.h"

namespace {

FaceDescription AtPercent(int percent) {
    PowerSample s{};
    s.acLineStatus = kAcOffline;
    s.batteryLifePercent = static_cast<uint8_t>(percent);
    s.batteryLifeTime = kUnknownTime;
    return DescribeSample(s);
}

MoonPlan PlanAt(int percent) {
    const FaceDescription d = AtPercent(percent);
    return PlanMoon(d.phase, d.tilt);
}

TEST(MoonGeometry, HalfChargeDrawsTheStraightPolygon) {
    const MoonPlan p = PlanAt(50);
    ASSERT_EQ(p.way, MoonWay::kStraight);
    const MoonPoint expected[5] = {{51, 23}, {189, 217}, {240, 217}, {240, 0}, {51, 0}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(p.polygon[i].x, expected[i].x) << "vertex " << i;
        EXPECT_EQ(p.polygon[i].y, expected[i].y) << "vertex " << i;
    }
}

TEST(MoonGeometry, ExactHalfPhaseHasAHugeOrInfiniteRadius) {
    const Terminator t = ComputeTerminator(kHalfPi, -0.62);
    EXPECT_TRUE(t.R > 1000.0) << t.R;
}

struct EllipseCase {
    int percent;
    MoonWay way;
    int left, top, right, bottom;
};

class MoonEllipse : public ::testing::TestWithParam<EllipseCase> {};

TEST_P(MoonEllipse, TruncatesItsBoxTheWayItsWayDoes) {
    const EllipseCase c = GetParam();
    const MoonPlan p = PlanAt(c.percent);
    ASSERT_EQ(p.way, c.way);
    EXPECT_EQ(p.left, c.left);
    EXPECT_EQ(p.top, c.top);
    EXPECT_EQ(p.right, c.right);
    EXPECT_EQ(p.bottom, c.bottom);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, MoonEllipse,
    ::testing::Values(
        // Far outside the surface, passed on unchanged.
        EllipseCase{52, MoonWay::kGibbous, -1622, -298, 295, 1619},
        // The crescent adds 0.5 before truncating: 1, not 0, and -2 from -2.03.
        EllipseCase{0, MoonWay::kCrescent, 1, -2, 242, 238}));

TEST(MoonGeometry, FullMoonTerminatorIsTheRim) {
    const FaceDescription d = AtPercent(100);
    EXPECT_DOUBLE_EQ(d.phase, 0.0);
    const Terminator t = ComputeTerminator(d.phase, d.tilt);
    EXPECT_NEAR(t.X, 0.0, 1e-9);
    EXPECT_NEAR(t.Y, 0.0, 1e-9);
    EXPECT_NEAR(t.R, 120.0, 1e-9);
    const MoonPlan p = PlanMoon(d.phase, d.tilt);
    ASSERT_EQ(p.way, MoonWay::kGibbous);
    // Rounding may leave a hair below 240, which truncates to 239.
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.top, 0);
    EXPECT_GE(p.right, 239);
    EXPECT_LE(p.right, 240);
    EXPECT_GE(p.bottom, 239);
    EXPECT_LE(p.bottom, 240);
}

TEST(MoonGeometry, WaysAroundHalfCharge) {
    struct Case {
        int percent;
        MoonWay way;
        double radius;  // approximate
    };
    const Case cases[] = {
        {47, MoonWay::kCrescent, 0},    {48, MoonWay::kCrescent, 959},
        {49, MoonWay::kStraight, 1912}, {51, MoonWay::kStraight, 1912},
        {52, MoonWay::kGibbous, 959},   {53, MoonWay::kGibbous, 0},
    };
    for (const Case& c : cases) {
        const FaceDescription d = AtPercent(c.percent);
        EXPECT_EQ(PlanMoon(d.phase, d.tilt).way, c.way) << c.percent << " %";
        if (c.radius > 0) {
            EXPECT_NEAR(ComputeTerminator(d.phase, d.tilt).R, c.radius, 2.0) << c.percent << " %";
        }
    }
}

TEST(MoonGeometry, EveryPercentageGivesADrawableMoon) {
    for (int percent = 0; percent <= 100; ++percent) {
        const MoonPlan p = PlanAt(percent);
        ASSERT_NE(p.way, MoonWay::kUnlit) << percent;
        if (p.way != MoonWay::kStraight) {
            // The terminator disc must be a real box around the rim's neighbourhood.
            EXPECT_LT(p.left, p.right) << percent;
            EXPECT_LT(p.top, p.bottom) << percent;
            EXPECT_GT(p.right, 0) << percent;
            EXPECT_LT(p.left, 240) << percent;
        }
    }
}

TEST(MoonGeometry, LitSideGrowsWithCharge) {
    // Below half the moon is a crescent, above it gibbous: never the other way.
    for (int percent = 0; percent <= 100; ++percent) {
        const MoonWay way = PlanAt(percent).way;
        if (percent < 49) {
            EXPECT_EQ(way, MoonWay::kCrescent) << percent;
        } else if (percent > 51) {
            EXPECT_EQ(way, MoonWay::kGibbous) << percent;
        }
    }
}

TEST(MoonGeometry, NotANumberNeverReachesAnIntegerConversion) {
    const double nan = std::nan("");
    EXPECT_EQ(PlanMoon(nan, -0.5).way, MoonWay::kUnlit);
    EXPECT_EQ(PlanMoon(1.0, nan).way, MoonWay::kUnlit);
    EXPECT_EQ(PlanMoon(1.0, INFINITY).way, MoonWay::kUnlit);
}

TEST(MoonGeometry, UprightHalfMoonIsDrawnStraight) {
    // Collinear poles and equator point: the circle has no finite centre.
    const Terminator t = ComputeTerminator(kHalfPi, 0.0);
    const MoonPlan p = PlanMoon(kHalfPi, 0.0);
    if (!(t.R > 1000.0)) {
        EXPECT_TRUE(std::isnan(t.R));
    }
    EXPECT_EQ(p.way, MoonWay::kStraight);
    EXPECT_EQ(p.polygon[0].x, 120);
    EXPECT_EQ(p.polygon[0].y, 0);
}

TEST(MoonGeometry, TruncationIsTowardZeroAndSaturates) {
    EXPECT_EQ(TruncToInt(-2.03), -2);
    EXPECT_EQ(TruncToInt(2.99), 2);
    EXPECT_EQ(TruncToInt(-0.5), 0);
    EXPECT_EQ(TruncToInt(1e300), INT_MAX);
    EXPECT_EQ(TruncToInt(-1e300), INT_MIN);
}

}  // namespace
