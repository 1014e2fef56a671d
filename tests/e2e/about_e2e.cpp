// The About splash of the running program: place, fade, one at a time, closing.
#include <gtest/gtest.h>

#include <vector>

#include "resources/resource.h"
#include "tests/e2e/harness.h"

namespace {

constexpr int kStartAlpha = 30;
constexpr int kAlphaStep = 20;
constexpr int kTickMs = 30;
constexpr int kWidth = 537;
constexpr int kHeight = 96;

struct Sample {
    DWORD at;
    int alpha;
};

class AboutE2E : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveSettings();
        if (Battery::Available()) {
            Battery::Set(57, "discharging");
        }
        MouseMove(20, 700);
        ASSERT_TRUE(meter.Start());
    }
    void TearDown() override {
        MouseMove(20, 700);
        if (meter.Running()) {
            meter.Quit();
        }
    }
    HWND About() const { return FindProcessWindow(kAboutClass, meter.process()); }

    // Asks the program for its splash; the window once it shows, or null.
    HWND Open() {
        PostMessageA(meter.hwnd(), WM_COMMAND, ID_ABOUT, 0);
        HWND about = nullptr;
        WaitFor([&] { return (about = About()) != nullptr; }, 2000, 1);
        return about;
    }

    // The alpha every millisecond until it reaches full or the time is up.
    static std::vector<Sample> Watch(HWND about, DWORD timeoutMs) {
        std::vector<Sample> samples;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs && IsWindow(about)) {
            const int alpha = LayeredAlpha(about);
            if (samples.empty() || samples.back().alpha != alpha) {
                samples.push_back(Sample{GetTickCount(), alpha});
            }
            if (alpha == kFullAlpha) {
                break;
            }
            Sleep(1);
        }
        return samples;
    }
    MeterProcess meter;
};

TEST_F(AboutE2E, FadesInAboveTheCentreTo210InNineSteps) {
    const HWND about = Open();
    ASSERT_NE(about, nullptr);
    const std::vector<Sample> samples = Watch(about, 1000);
    ASSERT_FALSE(samples.empty());
    EXPECT_LE(samples.front().alpha, kStartAlpha + kAlphaStep) << "it starts faint";
    ASSERT_EQ(samples.back().alpha, kFullAlpha) << "full within a second";
    for (size_t i = 0; i < samples.size(); ++i) {
        const int a = samples[i].alpha;
        EXPECT_EQ((a - kStartAlpha) % kAlphaStep, 0) << a << " is not on the fade's steps";
        if (i > 0) {
            EXPECT_GT(a, samples[i - 1].alpha) << "only rises";
        }
    }
    EXPECT_GE(samples.size(), 4u) << "seen rising in steps, not jumping";
    // From what was first seen, the remaining ticks cannot come sooner than their period.
    const int ticksLeft = (kFullAlpha - samples.front().alpha) / kAlphaStep;
    EXPECT_GE(samples.back().at - samples.front().at, static_cast<DWORD>((ticksLeft - 1) * kTickMs))
        << ticksLeft << " ticks";

    const RECT r = WindowRectOf(about);
    EXPECT_EQ(r.right - r.left, kWidth);
    EXPECT_EQ(r.bottom - r.top, kHeight);
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    ASSERT_EQ(desk.right, 1024) << "the place below is that of a 1024 x 768 screen";
    ASSERT_EQ(desk.bottom, 768);
    EXPECT_EQ(r.left, 244);
    EXPECT_EQ(r.top, 286);

    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(about, &key, &alpha, &flags));
    EXPECT_EQ(key, RGB(255, 0, 255));
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA));
    // The magenta ground is keyed out on the screen: the black root shows there.
    EXPECT_EQ(ScreenPixel(r.left + 1, r.top + 1), RGB(0, 0, 0));
    EXPECT_NE(ScreenPixel(r.left + kWidth / 2, r.top + kHeight / 2), RGB(0, 0, 0));
    Sleep(150);
    EXPECT_EQ(LayeredAlpha(about), kFullAlpha) << "it stays at 210";
}

TEST_F(AboutE2E, ASecondAboutMakesNoSecondWindow) {
    const HWND about = Open();
    ASSERT_NE(about, nullptr);
    PostMessageA(meter.hwnd(), WM_COMMAND, ID_ABOUT, 0);  // during the fade-in
    ASSERT_TRUE(WaitFor([&] { return LayeredAlpha(about) == kFullAlpha; }, 1000));
    PostMessageA(meter.hwnd(), WM_COMMAND, ID_ABOUT, 0);
    PostMessageA(meter.hwnd(), WM_COMMAND, ID_ABOUT, 0);
    Sleep(100);
    EXPECT_EQ(CountWindowsOfClass(kAboutClass), 1);
    EXPECT_EQ(About(), about);
    EXPECT_EQ(LayeredAlpha(about), kFullAlpha) << "the open one does not start over";
}

TEST_F(AboutE2E, AClickFadesItOutAndDestroysItThenItOpensAgain) {
    const HWND about = Open();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(WaitFor([&] { return LayeredAlpha(about) == kFullAlpha; }, 1000));
    const RECT r = WindowRectOf(about);
    MouseMove(r.left + kWidth / 2, r.top + kHeight / 2);
    const DWORD clicked = GetTickCount();
    MouseClick(kLeftButton);
    ASSERT_TRUE(WaitFor([&] { return LayeredAlpha(about) < kFullAlpha; }, 1000))
        << "the click starts the fade-out";
    int last = LayeredAlpha(about);
    bool falling = true;
    ASSERT_TRUE(WaitFor(
        [&] {
            if (!IsWindow(about)) {
                return true;
            }
            const int a = LayeredAlpha(about);
            falling = falling && a <= last;
            last = a;
            return false;
        },
        2000, 1))
        << "destroyed at the end of the fade";
    EXPECT_TRUE(falling);
    EXPECT_GE(GetTickCount() - clicked, 200u) << "faded, not gone at once";
    EXPECT_TRUE(meter.Running()) << "closing the splash ends nothing else";
    EXPECT_TRUE(IsWindowVisible(meter.hwnd()));
    MouseMove(20, 700);

    const HWND again = Open();
    ASSERT_NE(again, nullptr) << "it opens again";
    const std::vector<Sample> samples = Watch(again, 1000);
    ASSERT_FALSE(samples.empty());
    EXPECT_LE(samples.front().alpha, kStartAlpha + kAlphaStep) << "from the start again";
    EXPECT_EQ(samples.back().alpha, kFullAlpha);
    EXPECT_EQ(CountWindowsOfClass(kAboutClass), 1);
}

TEST_F(AboutE2E, CloseDuringTheFadeInStillEndsWithTheWindowGone) {
    const HWND about = Open();
    ASSERT_NE(about, nullptr);
    int atClose = LayeredAlpha(about);
    ASSERT_LT(atClose, kFullAlpha - 2 * kAlphaStep) << "too late to close during the fade-in";
    PostMessageA(about, WM_CLOSE, 0, 0);
    int highest = atClose;
    ASSERT_TRUE(WaitFor(
        [&] {
            if (!IsWindow(about)) {
                return true;
            }
            const int a = LayeredAlpha(about);
            highest = a > highest ? a : highest;
            return false;
        },
        1500, 1))
        << "still there at alpha " << LayeredAlpha(about);
    EXPECT_LE(highest, atClose + kAlphaStep) << "at most one fade-in tick after the close";
    EXPECT_EQ(CountWindowsOfClass(kAboutClass), 0);
    EXPECT_TRUE(meter.Running());
}

}  // namespace
