// The popup menu driven with the real pointer and keyboard: each item does its job.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/e2e/harness.h"

namespace {

// Well inside the screen, so that the menu opens to the right of and below the
// click and none of its items lies over the meter.
constexpr int kStartX = 400;
constexpr int kStartY = 300;

class MenuE2E : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ProgramMenuLayout(); }
    void SetUp() override {
        if (Battery::Available()) {
            Battery::Set(57, "discharging");
        }
        WriteSettings("[WINDOW]\r\nPOSX=" + std::to_string(kStartX) +
                      "\r\nPOSY=" + std::to_string(kStartY) + "\r\n");
        ASSERT_TRUE(StartShown(meter));
        ASSERT_EQ(WindowRectOf(hwnd()).left, kStartX);
        ASSERT_EQ(WindowRectOf(hwnd()).top, kStartY);
    }
    void TearDown() override {
        PutAway(meter);
    }
    HWND hwnd() const { return meter.hwnd(); }
    HWND MenuWindow() const { return FindProcessWindow(kMenuClass, meter.process()); }
    bool WaitMenuGone() {
        return WaitFor([&] { return MenuWindow() == nullptr; }, 2000);
    }

    // Right-clicks the lit moon; the program's menu window, or null.
    HWND OpenMenu() {
        const POINT p = LitPoint(hwnd());
        MouseMove(p.x, p.y);
        MouseClick(kRightButton);
        HWND menu = nullptr;
        WaitFor([&] { return (menu = MenuWindow()) != nullptr; }, 2000);
        return menu;
    }

    // Opens the menu and clicks the item of a command, as a user would.
    void Choose(UINT command) {
        const HWND menu = OpenMenu();
        ASSERT_NE(menu, nullptr) << "no menu after the right click";
        const RECT r = WindowRectOf(menu);
        const MenuLayout& layout = ProgramMenuLayout();
        // The measured layout holds only for a menu of the same size.
        ASSERT_EQ(r.right - r.left, layout.window.cx);
        ASSERT_EQ(r.bottom - r.top, layout.window.cy);
        ClickMenuItem(menu, command);
        EXPECT_TRUE(WaitMenuGone()) << "choosing an item closes the menu";
    }
    MeterProcess meter;
};

TEST_F(MenuE2E, AboutOpensTheSplash) {
    Choose(ID_ABOUT);
    HWND about = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] { return (about = FindProcessWindow(kAboutClass, meter.process())) != nullptr; },
        2000));
    EXPECT_EQ(GetWindow(about, GW_OWNER), hwnd());
    EXPECT_TRUE(IsWindowVisible(hwnd())) << "the meter stays";
}

TEST_F(MenuE2E, HideFadesOutAndTheTrayIconBringsItBack) {
    Choose(ID_HIDE);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(hwnd()); }, 2000))
        << "alpha on screen " << ScreenAlpha(hwnd());
    Sleep(300);
    EXPECT_FALSE(IsWindowVisible(hwnd())) << "nothing brings it back by itself";
    EXPECT_TRUE(meter.Running());

    // The tray icon's right button still reaches the menu, at the pointer.
    MouseMove(600, 500);
    PostMessageA(hwnd(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = MenuWindow()) != nullptr; }, 2000));
    EXPECT_EQ(WindowRectOf(menu).left, 600);
    EXPECT_EQ(WindowRectOf(menu).top, 500);
    // Opened from the tray the menu does not have the keyboard (the program is not
    // in the foreground), but a click anywhere else closes it.
    MouseMove(20, 700);
    MouseClick(kLeftButton);
    ASSERT_TRUE(WaitMenuGone());

    PostMessageA(hwnd(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
    EXPECT_TRUE(WaitFor([&] { return NearFull(ScreenAlpha(hwnd())); }, 3000))
        << "alpha on screen " << ScreenAlpha(hwnd());
}

TEST_F(MenuE2E, ResetPositionReturnsToTheDefaultPlace) {
    Choose(ID_RESET_POSITION);
    const RECT work = WorkArea();
    EXPECT_TRUE(WaitFor(
        [&] {
            const RECT r = WindowRectOf(hwnd());
            return r.left == work.right - 85 && r.top == work.top + 25;
        },
        2000))
        << "at " << WindowRectOf(hwnd()).left << ", " << WindowRectOf(hwnd()).top;
    EXPECT_TRUE(NearFull(ScreenAlpha(hwnd()))) << "moved, still shown";
}

TEST_F(MenuE2E, QuitEndsTheProgramAndSavesThePlace) {
    SetWindowPos(hwnd(), nullptr, 350, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitFor([&] { return WindowRectOf(hwnd()).left == 350; }, 2000));
    Choose(ID_QUIT);
    ASSERT_TRUE(meter.WaitExit(5000));
    EXPECT_EQ(meter.ExitCode(), 0u);
    EXPECT_EQ(ReadSetting("POSX"), "350");
    EXPECT_EQ(ReadSetting("POSY"), "250");
    EXPECT_EQ(FindMeterWindow(), nullptr);
}

// The underlined letters, one after another in the same run; Escape chooses nothing.
TEST_F(MenuE2E, KeyboardChoosesTheUnderlinedLetters) {
    // A key for the open menu; then the pointer goes away so that it does not rest on
    // the meter (which would hide it).
    const auto type = [&](const char* key) {
        PressKey(key);
        EXPECT_TRUE(WaitMenuGone()) << key << " closes the menu";
        MouseMove(20, 700);
    };
    ASSERT_NE(OpenMenu(), nullptr);
    type("Escape");
    Sleep(100);
    EXPECT_EQ(WindowRectOf(hwnd()).left, kStartX) << "Escape does nothing else";
    EXPECT_EQ(FindProcessWindow(kAboutClass, meter.process()), nullptr);
    EXPECT_TRUE(NearFull(ScreenAlpha(hwnd())));

    ASSERT_NE(OpenMenu(), nullptr);
    type("r");
    const RECT work = WorkArea();
    EXPECT_TRUE(WaitFor([&] { return WindowRectOf(hwnd()).left == work.right - 85; }, 2000))
        << "R resets the position";

    ASSERT_NE(OpenMenu(), nullptr);
    type("h");
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(hwnd()); }, 2000)) << "H hides";
    PostMessageA(hwnd(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitFor([&] { return NearFull(ScreenAlpha(hwnd())); }, 3000));

    ASSERT_NE(OpenMenu(), nullptr);
    type("a");
    EXPECT_TRUE(WaitFor([&] { return FindProcessWindow(kAboutClass, meter.process()); }, 2000))
        << "A opens the splash";

    ASSERT_NE(OpenMenu(), nullptr);
    PressKey("q");
    ASSERT_TRUE(meter.WaitExit(5000)) << "Q quits";
    EXPECT_EQ(meter.ExitCode(), 0u);
    EXPECT_EQ(ReadSetting("POSX"), std::to_string(work.right - 85));
    EXPECT_EQ(ReadSetting("POSY"), std::to_string(work.top + 25));
}

}  // namespace
