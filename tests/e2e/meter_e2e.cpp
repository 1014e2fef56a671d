#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

namespace {

class MeterE2E : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveSettings();
        if (Battery::Available()) {
            Battery::Set(57, "discharging");
        }
    }
};

TEST_F(MeterE2E, StartsHiddenBecomesVisibleAndFadesInTo210) {
    MeterProcess meter;
    ASSERT_TRUE(meter.Start(false));
    HWND w = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (w = FindMeterWindow()) != nullptr; }, 15000, 0));
    const bool visibleAtFirstSight = IsWindowVisible(w) != 0;
    EXPECT_FALSE(visibleAtFirstSight) << "the window exists before its first fade tick";
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(w) != 0; }, 5000, 1));
    const DWORD shown = GetTickCount();
    ASSERT_TRUE(WaitFor([&] { return NearFull(ScreenAlpha(w)); }, 3000, 5))
        << "alpha on screen: " << ScreenAlpha(w);
    const DWORD fadeMs = GetTickCount() - shown;
    EXPECT_GE(fadeMs, 300u) << "21 ticks of 20 ms";
    Sleep(200);
    EXPECT_TRUE(NearFull(ScreenAlpha(w))) << "it stays at 210, not 255: " << ScreenAlpha(w);
    const RECT r = WindowRectOf(w);
    EXPECT_EQ(r.right - r.left, 60);
    EXPECT_EQ(r.bottom - r.top, 60);
    const LONG_PTR ex = GetWindowLongPtrA(w, GWL_EXSTYLE);
    EXPECT_EQ(ex & 0x08080008, 0x08080008) << "topmost, layered, never activated";
    EXPECT_TRUE(meter.Quit());
}

TEST_F(MeterE2E, FirstStartSitsAtTheDefaultPlace) {
    MeterProcess meter;
    ASSERT_TRUE(meter.Start());
    const RECT work = WorkArea();
    const RECT r = WindowRectOf(meter.hwnd());
    EXPECT_EQ(r.left, work.right - 85);
    EXPECT_EQ(r.top, work.top + 25);
    EXPECT_TRUE(meter.Quit());
}

TEST_F(MeterE2E, OnMainsNearlyFullItFadesInThenOutAtTheFirstPoll) {
    REQUIRE_BATTERY();
    Battery::Set(98, "charging");
    MeterProcess meter;
    ASSERT_TRUE(meter.Start());
    ASSERT_TRUE(WaitFor([&] { return NearFull(ScreenAlpha(meter.hwnd())); }, 3000));
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(meter.hwnd()); }, 6000))
        << "the first poll, 3 s after the start, hides a full battery on mains";
    EXPECT_TRUE(meter.Running());
    EXPECT_TRUE(meter.Quit());
}

TEST_F(MeterE2E, OnBatteryItStays) {
    REQUIRE_BATTERY();
    MeterProcess meter;
    ASSERT_TRUE(meter.Start());
    ASSERT_TRUE(WaitFor([&] { return NearFull(ScreenAlpha(meter.hwnd())); }, 3000));
    Sleep(4000);  // past the first poll
    EXPECT_TRUE(IsWindowVisible(meter.hwnd()));
    EXPECT_TRUE(NearFull(ScreenAlpha(meter.hwnd())));
    EXPECT_TRUE(meter.Quit());
}

TEST_F(MeterE2E, UnpluggingBringsItBack) {
    REQUIRE_BATTERY();
    Battery::Set(98, "charging");
    MeterProcess meter;
    ASSERT_TRUE(meter.Start());
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(meter.hwnd()); }, 8000));
    Battery::Set(98, "discharging");  // the cable comes out
    ASSERT_TRUE(WaitFor([&] { return NearFull(ScreenAlpha(meter.hwnd())); }, 5000))
        << "the next poll sees AC 1 -> 0 and fades in";
    EXPECT_TRUE(meter.Quit());
}

TEST_F(MeterE2E, QuitSavesThePlaceAndTheNextStartRestoresIt) {
    {
        MeterProcess meter;
        ASSERT_TRUE(meter.Start());
        SetWindowPos(meter.hwnd(), nullptr, 300, 200, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(WaitFor([&] { return WindowRectOf(meter.hwnd()).left == 300; }, 2000));
        ASSERT_TRUE(meter.Quit());
        EXPECT_EQ(meter.ExitCode(), 0u);
    }
    EXPECT_EQ(ReadSetting("POSX"), "300");
    EXPECT_EQ(ReadSetting("POSY"), "200");
    MeterProcess again;
    ASSERT_TRUE(again.Start());
    const RECT r = WindowRectOf(again.hwnd());
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 200);
    EXPECT_TRUE(again.Quit());
}

TEST_F(MeterE2E, DamagedOrStaleFilesGiveTheDefaults) {
    const RECT work = WorkArea();
    struct Case {
        const char* contents;
        int x, y;
    };
    const Case cases[] = {
        {"\x01\x02garbage\xff\xfe no section at all\r\n", work.right - 85, work.top + 25},
        {"[WINDOW]\r\nPOSX=99999\r\nPOSY=99999\r\n", work.right - 85, work.top + 25},
        {"[WINDOW]\r\nPOSX=99999999999999999999\r\nPOSY=-99999999999\r\n", work.right - 85,
         work.top + 25},
        {"[WINDOW]\r\nPOSX=100\r\nPOSY=-50\r\n", 100, work.top + 25},
        {"[WINDOW]\r\nPOSX=-0\r\nPOSY=0\r\n", work.right - 85, 0},
    };
    for (const Case& c : cases) {
        WriteSettings(c.contents);
        MeterProcess meter;
        ASSERT_TRUE(meter.Start());
        const RECT r = WindowRectOf(meter.hwnd());
        EXPECT_EQ(r.left, c.x) << c.contents;
        EXPECT_EQ(r.top, c.y) << c.contents;
        EXPECT_TRUE(meter.Quit());
    }
}

TEST_F(MeterE2E, EndOfSessionSavesThePlaceAndQuits) {
    MeterProcess meter;
    ASSERT_TRUE(meter.Start());
    SetWindowPos(meter.hwnd(), nullptr, 250, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitFor([&] { return WindowRectOf(meter.hwnd()).left == 250; }, 2000));
    DWORD_PTR answer = 0;
    ASSERT_TRUE(
        SendMessageTimeoutA(meter.hwnd(), WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE)) << "the log-off may go on";
    EXPECT_TRUE(meter.WaitExit(5000)) << "the program quits";
    EXPECT_EQ(meter.ExitCode(), 0u);
    EXPECT_EQ(ReadSetting("POSX"), "250");
    EXPECT_EQ(ReadSetting("POSY"), "150");
}

}  // namespace
