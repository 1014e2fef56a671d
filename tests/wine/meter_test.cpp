#include <gtest/gtest.h>

#include <math.h>
#include <vector>

#include "meter/layer_reduce.h"
#include "meter/moon_geometry.h"
#include "tests/support/gdi_census.h"
#include "tests/support/reference_reduce.h"
#include "tests/support/wine_support.h"

namespace {

constexpr COLORREF kLight = RGB(255, 254, 153);
constexpr COLORREF kBlack = RGB(0, 0, 0);

FaceDescription Describe(int percent) {
    return DescribeSample(MakeSample(kAcOffline, 0, static_cast<uint8_t>(percent), 3600));
}

bool InsideDisc(int x, int y, double margin) {
    const double dx = x + 0.5 - 120.0;
    const double dy = y + 0.5 - 120.0;
    return sqrt(dx * dx + dy * dy) < 120.0 - margin;
}

class MoonDrawing : public ::testing::TestWithParam<int> {};

TEST_P(MoonDrawing, MaskIsTheFaceAndOnlyTwoColoursExist) {
    MeterUnderTest t(MakeSample(kAcOffline, 0, 60, 3600));
    CMainWin& m = t.meter();
    const FaceDescription d = Describe(GetParam());
    ASSERT_EQ(m.DrawMoon(d.phase, d.tilt), 1);
    CDibImage& face = m.GetFace();
    CDibImage& mask = m.GetMask();
    ASSERT_EQ(face.m_width, 240);
    ASSERT_EQ(mask.m_height, 240);
    int lit = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 240; ++x) {
            const COLORREF f = SurfacePixel(face, x, y);
            ASSERT_EQ(f, SurfacePixel(mask, x, y)) << x << "," << y;
            ASSERT_TRUE(f == kLight || f == kBlack) << std::hex << f << " at " << x << "," << y;
            if (!InsideDisc(x, y, -1.0)) {
                ASSERT_EQ(f, kBlack) << "outside the disc at " << x << "," << y;
            }
            lit += f == kLight;
        }
    }
    // The lit share follows the charge: roughly the illuminated area of the phase.
    const double expected = (1.0 + cos(d.phase)) / 2.0 * kPi * 120.0 * 120.0;
    EXPECT_NEAR(lit, expected, 0.06 * kPi * 120 * 120) << GetParam() << " %";
}

INSTANTIATE_TEST_SUITE_P(Charges, MoonDrawing, ::testing::Values(0, 7, 25, 48, 50, 52, 75, 100));

TEST(MoonDrawing, LitSideFacesLeftAndDown) {
    MeterUnderTest t(MakeSample(kAcOffline, 0, 60, 3600));
    CMainWin& m = t.meter();
    for (int percent : {25, 50, 75}) {
        const FaceDescription d = Describe(percent);
        m.DrawMoon(d.phase, d.tilt);
        EXPECT_EQ(SurfacePixel(m.GetFace(), 40, 200), kLight) << percent << " %: lower left";
        EXPECT_EQ(SurfacePixel(m.GetFace(), 200, 40), kBlack) << percent << " %: upper right";
    }
    const FaceDescription full = Describe(100);
    m.DrawMoon(full.phase, full.tilt);
    EXPECT_EQ(SurfacePixel(m.GetFace(), 200, 40), kLight);
    EXPECT_EQ(SurfacePixel(m.GetFace(), 120, 120), kLight);
    EXPECT_EQ(SurfacePixel(m.GetFace(), 0, 0), kBlack);
}

TEST(MoonDrawing, NotANumberPhaseLeavesTheFaceBlack) {
    MeterUnderTest t(MakeSample(kAcOffline, 0, 60, 3600));
    CMainWin& m = t.meter();
    m.DrawMoon(std::nan(""), -0.5);
    for (int y = 0; y < 240; y += 7) {
        for (int x = 0; x < 240; x += 7) {
            ASSERT_EQ(SurfacePixel(m.GetFace(), x, y), kBlack);
        }
    }
}

TEST(PollPower, UnchangedSampleDrawsAndUpdatesNothing) {
    const PowerSample s = MakeSample(kAcOffline, 0, 57, 10260);
    MeterUnderTest t(s);
    CMainWin& m = t.meter();
    m.PollPower();  // the start-up snapshot was cleared: this one draws
    ASSERT_EQ(memcmp(&m.GetSnapshot(), &s, sizeof(s)), 0);
    HBITMAP face = m.GetFace().GetBitmap();
    uint8_t* layer = const_cast<uint8_t*>(m.GetLayerBits());
    layer[0] = 0x5A;
    m.GetFace().GetRows()[0][0] = 0x77;
    const FadeState fade = m.GetFade();
    const int objects = CountGdiObjects();

    const int reads = FakePower::reads;
    m.PollPower();
    EXPECT_EQ(FakePower::reads, reads + 1);
    EXPECT_EQ(m.GetFace().GetBitmap(), face) << "the face was not re-created";
    EXPECT_EQ(m.GetFace().GetRows()[0][0], 0x77);
    EXPECT_EQ(layer[0], 0x5A) << "the layer was not recomposed";
    EXPECT_EQ(m.GetFade().direction, fade.direction);
    EXPECT_EQ(m.GetFade().timerRunning, fade.timerRunning);
    EXPECT_EQ(CountGdiObjects(), objects);
}

TEST(PollPower, AnyChangedByteRedraws) {
    const PowerSample s = MakeSample(kAcOffline, 0, 57, 10260);
    MeterUnderTest t(s);
    CMainWin& m = t.meter();
    m.PollPower();
    for (int field = 0; field < 2; ++field) {
        uint8_t* layer = const_cast<uint8_t*>(m.GetLayerBits());
        layer[0] = 0x5A;
        PowerSample changed = m.GetSnapshot();
        if (field == 0) {
            changed.reserved ^= 1;
        } else {
            changed.batteryFullLifeTime -= 1;
        }
        FakePower::sample = changed;
        m.PollPower();
        EXPECT_EQ(memcmp(&m.GetSnapshot(), &changed, sizeof(changed)), 0);
        EXPECT_EQ(layer[0], 0) << "recomposed: the bottom-left corner is transparent";
    }
}

TEST(PollPower, FailedReadKeepsTheFace) {
    MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
    CMainWin& m = t.meter();
    m.PollPower();
    const PowerSample before = m.GetSnapshot();
    uint8_t* layer = const_cast<uint8_t*>(m.GetLayerBits());
    layer[0] = 0x5A;
    FakePower::fail = true;
    m.PollPower();
    FakePower::fail = false;
    EXPECT_EQ(memcmp(&m.GetSnapshot(), &before, sizeof(before)), 0);
    EXPECT_EQ(layer[0], 0x5A);
}

TEST(PollPower, LayerIsTheReductionOfFaceAndMask) {
    MeterUnderTest t(MakeSample(kAcOnline, 1, 100, kUnknownTime));
    CMainWin& m = t.meter();
    m.PollPower();
    std::vector<uint8_t> expected(kLayerBytes);
    ReduceLayerReference(m.GetFace().GetRows(), m.GetMask().GetRows(), expected.data());
    EXPECT_EQ(memcmp(expected.data(), m.GetLayerBits(), kLayerBytes), 0);
    // A lit spot above the text: premultiplied light colour at the mask's alpha.
    const uint8_t* p = m.GetLayerBits() + ((59 - 12) * 60 + 30) * 4;
    EXPECT_EQ(p[0], 153);
    EXPECT_EQ(p[1], 254);
    EXPECT_EQ(p[2], 255);
    EXPECT_EQ(p[3], 254);
    // The corners are off the disc: fully transparent black.
    for (int corner : {0, 59 * 4, (59 * 60) * 4, (59 * 60 + 59) * 4}) {
        EXPECT_EQ(m.GetLayerBits()[corner + 3], 0);
        EXPECT_EQ(m.GetLayerBits()[corner + 2], 0);
    }
}

struct ColourCase {
    uint8_t flag;
    COLORREF fill;
};

class FaceTexts : public ::testing::TestWithParam<ColourCase> {};

TEST_P(FaceTexts, FillColourFollowsTheBatteryFlag) {
    const ColourCase c = GetParam();
    MeterUnderTest t(MakeSample(kAcOffline, c.flag, 30, 4000));
    CMainWin& m = t.meter();
    m.PollPower();
    const COLORREF fills[] = {RGB(0, 0, 160), RGB(160, 0, 37), RGB(255, 0, 0)};
    int counts[3] = {0, 0, 0};
    int white = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 240; ++x) {
            const COLORREF f = SurfacePixel(m.GetFace(), x, y);
            const COLORREF k = SurfacePixel(m.GetMask(), x, y);
            for (int i = 0; i < 3; ++i) {
                counts[i] += f == fills[i];
            }
            white += k == RGB(255, 255, 255);
            if (k == kBlack) {
                ASSERT_EQ(f, kBlack) << "colour where the mask is transparent, " << x << "," << y;
            }
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (fills[i] == c.fill) {
            EXPECT_GT(counts[i], 200) << "flag " << int(c.flag);
        } else {
            EXPECT_EQ(counts[i], 0) << "flag " << int(c.flag) << " colour " << i;
        }
    }
    EXPECT_GT(white, 2000);
}

INSTANTIATE_TEST_SUITE_P(Flags, FaceTexts,
                         ::testing::Values(ColourCase{1, RGB(0, 0, 160)},
                                           ColourCase{2, RGB(160, 0, 37)},
                                           ColourCase{4, RGB(255, 0, 0)},
                                           ColourCase{10, RGB(0, 0, 160)},
                                           ColourCase{12, RGB(0, 0, 160)}));

TEST(FaceTexts, LinesHangFromTheirTopsAndAreCentred) {
    MeterUnderTest t(MakeSample(kAcOffline, 0, 0, kUnknownTime));  // thin crescent: text on black
    CMainWin& m = t.meter();
    m.PollPower();
    int top = 240, bottom = -1, left = 240, right = -1;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 240; ++x) {
            if (SurfacePixel(m.GetMask(), x, y) == RGB(255, 255, 255)) {
                top = y < top ? y : top;
                bottom = y > bottom ? y : bottom;
                left = x < left ? x : left;
                right = x > right ? x : right;
            }
        }
    }
    // The outline reaches 4 pixels above the percentage's cell top at 68.
    EXPECT_GE(top, 64);
    EXPECT_LE(top, 80);
    EXPECT_LT(bottom, 240);
    EXPECT_GT(bottom, 150) << "the status line lies below the percentage";
    EXPECT_NEAR((left + right) / 2.0, 120.0, 6.0);
}

TEST(PollPower, ManyRedrawsLeaveTheObjectCountFlat) {
    MeterUnderTest t(MakeSample(kAcOffline, 0, 50, 3600));
    CMainWin& m = t.meter();
    m.PollPower();
    const int objects = CountGdiObjects();
    for (int i = 0; i < 300; ++i) {
        FakePower::sample = MakeSample(kAcOffline, static_cast<uint8_t>(i % 5), i % 101,
                                       static_cast<uint32_t>(i * 60));
        m.PollPower();
    }
    EXPECT_EQ(CountGdiObjects(), objects);
}

}  // namespace
