#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

namespace {

// A shown meter, fully faded in, with the pointer parked far away from it.
class Interaction : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveSettings();
        if (Battery::Available()) {
            Battery::Set(57, "discharging");
        }
        ASSERT_TRUE(StartShown(meter));
    }
    void TearDown() override {
        PutAway(meter);
    }
    HWND hwnd() const { return meter.hwnd(); }
    static HWND OpenMenu() { return FindWindowA(kMenuClass, nullptr); }
    MeterProcess meter;
};

TEST_F(Interaction, RestingMouseHidesTheMeterAndLeavingBringsItBack) {
    const POINT p = LitPoint(hwnd());
    const DWORD start = GetTickCount();
    MouseMove(p.x, p.y);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(hwnd()); }, 2000));
    const DWORD hiddenAfter = GetTickCount() - start;
    EXPECT_GE(hiddenAfter, 300u) << "the hover delay comes first";
    EXPECT_LE(hiddenAfter, 900u) << "300 ms delay + 11 fast fade ticks";
    Sleep(500);
    EXPECT_FALSE(IsWindowVisible(hwnd())) << "stays hidden while the mouse rests";
    MouseMove(p.x + 200, p.y + 200);
    EXPECT_TRUE(WaitFor([&] { return NearFull(ScreenAlpha(hwnd())); }, 2000))
        << "the watch sees the mouse gone and fades back in";
}

TEST_F(Interaction, AClickWithinTheDelayCancelsTheHover) {
    const POINT p = LitPoint(hwnd());
    MouseMove(p.x, p.y);
    MouseClick(kLeftButton);
    Sleep(900);
    EXPECT_TRUE(IsWindowVisible(hwnd()));
    EXPECT_TRUE(NearFull(ScreenAlpha(hwnd())));
}

TEST_F(Interaction, DraggingMovesTheMeterAndTheNextStartKeepsIt) {
    const RECT before = WindowRectOf(hwnd());
    const POINT p = LitPoint(hwnd());
    MouseMove(p.x, p.y);
    MouseDown(kLeftButton);
    for (int step = 1; step <= 5; ++step) {
        MouseMove(p.x - 40 * step, p.y + 30 * step);
    }
    MouseUp(kLeftButton);
    ASSERT_TRUE(WaitFor([&] { return WindowRectOf(hwnd()).left == before.left - 200; }, 2000))
        << "left " << WindowRectOf(hwnd()).left;
    const RECT after = WindowRectOf(hwnd());
    EXPECT_EQ(after.top, before.top + 150) << "the pressed point stays under the cursor";
    MouseMove(20, 700);
    ASSERT_TRUE(meter.Quit());
    EXPECT_EQ(ReadSetting("POSX"), std::to_string(after.left));

    MeterProcess again;
    ASSERT_TRUE(again.Start());
    EXPECT_EQ(WindowRectOf(again.hwnd()).left, after.left);
    EXPECT_EQ(WindowRectOf(again.hwnd()).top, after.top);
    EXPECT_TRUE(again.Quit());
}

TEST_F(Interaction, RightClickOpensTheMenuAtTheClick) {
    const POINT p = LitPoint(hwnd());
    MouseMove(p.x, p.y);
    MouseClick(kRightButton);
    HWND menu = nullptr;
    ASSERT_TRUE(
        WaitFor([&] { return (menu = OpenMenu()) != nullptr && IsWindowVisible(menu); }, 2000));
    const RECT r = WindowRectOf(menu);
    // The top-left corner is at the click, unless the screen edge pushed it back.
    RECT screen;
    GetWindowRect(GetDesktopWindow(), &screen);
    EXPECT_EQ(r.top, p.y);
    EXPECT_TRUE(r.left == p.x || r.right == screen.right) << r.left << " vs " << p.x;
    Sleep(400);  // past the hover delay
    EXPECT_TRUE(NearFull(ScreenAlpha(hwnd(), &r))) << "faded in, not hovering away, for the menu";
    PressKey("Escape");
    MouseClick(kLeftButton);
}

}  // namespace
