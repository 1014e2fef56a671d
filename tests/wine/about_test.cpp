#include <gtest/gtest.h>

#include "about/aboutwin.h"
#include "resources/resource.h"
#include "tests/support/wine_support.h"

namespace {

// The About splash needs only an owner window from this module.
class AboutTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override {
        DestroyWindow(owner);  // takes an open splash with it
        TheAboutWindow().Destroy();
        DropQuit();
    }
    HWND about() const { return TheAboutWindow().GetHwnd(); }
    int alpha() const {
        BYTE value = 0;
        DWORD flags = 0;
        COLORREF key = 0;
        GetLayeredWindowAttributes(about(), &key, &value, &flags);
        EXPECT_EQ(key, RGB(255, 0, 255));
        EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA));
        return value;
    }
    void Tick(WPARAM id) { SendMessageA(about(), WM_TIMER, id, 0); }
    bool PumpUntilClosed() {
        return PumpUntil([this] { return about() == nullptr; }, 3000);
    }
    HWND owner = nullptr;
};

TEST_F(AboutTest, OpensCentredAboveTheMiddleAtAlphaThirty) {
    OpenAboutWindow(owner);
    ASSERT_NE(about(), nullptr);
    EXPECT_TRUE(IsWindowVisible(about()));
    EXPECT_EQ(GetWindow(about(), GW_OWNER), owner);
    RECT r;
    GetWindowRect(about(), &r);
    EXPECT_EQ(r.right - r.left, 537);
    EXPECT_EQ(r.bottom - r.top, 96);
    RECT d;
    GetWindowRect(GetDesktopWindow(), &d);
    EXPECT_EQ(r.left, (d.left + d.right) / 2 - 268);
    EXPECT_EQ(r.top, (d.bottom - d.top) / 2 - 48 - 50);
    if (d.right == 1024 && d.bottom == 768) {
        EXPECT_EQ(r.left, 244);
        EXPECT_EQ(r.top, 286);
    }
    // (WS_EX_TOPMOST cannot be set through the style word; only layering and
    // no-activation show there.)
    EXPECT_EQ(GetWindowLongPtrA(about(), GWL_EXSTYLE) & 0x08080000, 0x08080000);
    EXPECT_EQ(alpha(), 30);
    // What it paints is the picture, with its magenta ground.
    EXPECT_EQ(GetPixel(TheAboutWindow().GetBackDC(), 0, 0), RGB(255, 0, 255));
    EXPECT_NE(GetPixel(TheAboutWindow().GetBackDC(), 268, 48), RGB(255, 0, 255));
}

TEST_F(AboutTest, FadesInInNineTicksAndOpensOnlyOnce) {
    OpenAboutWindow(owner);
    const HWND first = about();
    int ticks = 0;
    while (alpha() < 210 && ticks < 20) {
        Tick(TIMER_ABOUT_FADE_IN);
        ++ticks;
        OpenAboutWindow(owner);
        EXPECT_EQ(about(), first) << "a second About does nothing";
    }
    EXPECT_EQ(ticks, 9);
    Tick(TIMER_ABOUT_FADE_IN);
    EXPECT_EQ(alpha(), 210) << "never above 210";
}

TEST_F(AboutTest, ClickFadesOutDestroysAndItOpensAgain) {
    OpenAboutWindow(owner);
    ASSERT_TRUE(PumpUntil([this] { return alpha() == 210; }, 3000));
    const HWND first = about();
    SendMessageA(first, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ASSERT_TRUE(PumpUntil([&] { return about() == nullptr; }, 3000));
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindow(owner)) << "closing the splash does not end anything else";
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));

    OpenAboutWindow(owner);
    ASSERT_NE(about(), nullptr) << "the repeated class registration fails harmlessly";
    EXPECT_EQ(alpha(), 30);
}

TEST_F(AboutTest, FadeOutTakesElevenTicksAndEndsAtZero) {
    OpenAboutWindow(owner);
    for (int i = 0; i < 9; ++i) {
        Tick(TIMER_ABOUT_FADE_IN);
    }
    ASSERT_EQ(SendMessageA(about(), WM_CLOSE, 0, 0), 0) << "close only starts the fade";
    ASSERT_NE(about(), nullptr);
    int ticks = 0;
    int last = -1;
    while (about() && ticks < 20) {
        last = alpha();
        Tick(TIMER_ABOUT_FADE_OUT);
        ++ticks;
    }
    EXPECT_EQ(ticks, 11);
    EXPECT_EQ(last, 10) << "the tick that applies 0 destroys the window";
}

TEST_F(AboutTest, CloseDuringTheFadeInStillEndsWithTheWindowGone) {
    OpenAboutWindow(owner);
    Tick(TIMER_ABOUT_FADE_IN);
    Tick(TIMER_ABOUT_FADE_IN);
    ASSERT_EQ(alpha(), 70);
    PostMessageA(about(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntilClosed());
}

TEST_F(AboutTest, RepeatedCloseDuringTheFadeOutJustKeepsFading) {
    OpenAboutWindow(owner);
    ASSERT_TRUE(PumpUntil([this] { return alpha() == 210; }, 3000));
    PostMessageA(about(), WM_CLOSE, 0, 0);
    PumpUntil([this] { return alpha() <= 130; }, 3000);
    PostMessageA(about(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntilClosed());
}

}  // namespace
