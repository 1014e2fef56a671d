// What Windows tells the meter besides its poll: power, sleep, the screen, monitors
// coming and going. Wine sends none of these itself, so the tests do.
#include <gtest/gtest.h>

#include <utility>

#include "resources/resource.h"
#include "tests/support/wine_support.h"

namespace {

const PowerSample kOnBattery = MakeSample(kAcOffline, 0, 57, 10260);
// GUID_CONSOLE_DISPLAY_STATE
constexpr GUID kDisplayState = {
    0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};

LRESULT Display(HWND meter, DWORD state) {
    struct {
        POWERBROADCAST_SETTING head;
        DWORD rest;  // Data holds one byte in the header
    } setting = {{kDisplayState, sizeof(DWORD), {}}, 0};
    memcpy(setting.head.Data, &state, sizeof(state));
    return SendMessageA(meter, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, LPARAM(&setting));
}

bool PollTimerRuns(HWND meter) {
    const bool runs = KillTimer(meter, TIMER_POLL) != 0;
    if (runs) {
        SetTimer(meter, TIMER_POLL, 3000, nullptr);
    }
    return runs;
}

TEST(Events, PowerAndWakingRedrawAChangedFaceAtOnce) {
    for (WPARAM event : {PBT_APMPOWERSTATUSCHANGE, PBT_APMRESUMEAUTOMATIC, PBT_APMRESUMESUSPEND}) {
        MeterUnderTest t(kOnBattery);
        uint8_t* layer = const_cast<uint8_t*>(t.meter().GetLayerBits());
        layer[0] = 0x5A;
        FakePower::sample = MakeSample(kAcOffline, 0, 41, 7000);
        EXPECT_EQ(SendMessageA(t.hwnd(), WM_POWERBROADCAST, event, 0), TRUE) << event;
        EXPECT_EQ(layer[0], 0) << "event " << event << " redrew the face";
    }
}

TEST(Events, ADarkScreenStopsThePollAndTheScreenOnPollsAndStartsIt) {
    MeterUnderTest t(kOnBattery);
    EXPECT_EQ(FakeSystem::registered, kDisplayState);
    EXPECT_TRUE(PollTimerRuns(t.hwnd())) << "no notification yet: the screen counts as on";
    EXPECT_EQ(Display(t.hwnd(), 0), TRUE);
    EXPECT_FALSE(PollTimerRuns(t.hwnd())) << "off";
    int reads = FakePower::reads;
    SendMessageA(t.hwnd(), WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
    EXPECT_EQ(FakePower::reads, reads + 1) << "an unplug is heard with the screen off";
    EXPECT_FALSE(PollTimerRuns(t.hwnd()));
    for (DWORD on : {1, 2}) {  // on, or dimmed
        Display(t.hwnd(), 0);
        reads = FakePower::reads;
        Display(t.hwnd(), on);
        EXPECT_EQ(FakePower::reads, reads + 1) << "state " << on << " polls at once";
        EXPECT_TRUE(PollTimerRuns(t.hwnd())) << "state " << on;
    }
    reads = FakePower::reads;
    Display(t.hwnd(), 1);  // dimmed to on: it was never dark
    EXPECT_EQ(FakePower::reads, reads);
    SendMessageA(t.hwnd(), WM_QUERYENDSESSION, 0, 0);
    EXPECT_EQ(FakeSystem::unregistered, reinterpret_cast<HPOWERNOTIFY>(&FakeSystem::registered))
        << "the teardown gives the registration back";
}

// The meter's top-left on no monitor's work area (1024 x 768 here) once monitors
// changed: it comes back by the start's rule, per coordinate, after the burst.
TEST(Events, AfterMonitorsChangeAMeterOnNoneComesBackAndOneOnAMonitorStays) {
    const struct {
        UINT message;
        WPARAM wParam;
        POINT place, want;
    } cases[] = {
        {WM_DISPLAYCHANGE, 24, {1500, 300}, {939, 300}},
        {WM_DISPLAYCHANGE, 24, {100, 100}, {100, 100}},
        {WM_SETTINGCHANGE, SPI_SETWORKAREA, {300, -200}, {300, 25}},
        {WM_SETTINGCHANGE, SPI_SETWORKAREA, {1024, 768}, {1024, 768}},  // edges are on it
    };
    for (const auto& c : cases) {
        MeterUnderTest t(kOnBattery);
        MoveWindow(t.hwnd(), c.place.x, c.place.y, 60, 60, FALSE);
        const DWORD start = GetTickCount();
        SendMessageA(t.hwnd(), c.message, c.wParam, 0);
        PumpFor(300);
        SendMessageA(t.hwnd(), c.message, c.wParam, 0);  // the burst goes on
        const auto placed = [&] {
            const RECT r = WindowRectOf(t.hwnd());
            return r.left == c.want.x && r.top == c.want.y;
        };
        const bool moves = c.want.x != c.place.x || c.want.y != c.place.y;
        EXPECT_EQ(PumpUntil(placed, 2500) && (!moves || GetTickCount() - start >= 1200), true)
            << c.place.x << "," << c.place.y << ": moved only after the burst settled";
    }
    MeterUnderTest hidden(kOnBattery);
    hidden.Command(ID_HIDE), hidden.FinishFade();
    MoveWindow(hidden.hwnd(), 1500, 300, 60, 60, FALSE);
    SendMessageA(hidden.hwnd(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
    EXPECT_EQ(WindowRectOf(hidden.hwnd()).left, 939) << "shown onto a work area at once";
}

// What Wine cannot show: privilege isolation would keep the shell's restart and a
// second start from an elevated meter, and Wine ignores a timer's tolerance.
TEST(Events, TheMeterAsksWindowsToLetItsMessagesThroughAndItsPollComeLate) {
    MeterUnderTest t(kOnBattery);
    EXPECT_EQ(FakeSystem::allowed, std::vector<UINT>({RegisterWindowMessageA("TaskbarCreated"),
                                                      RegisterWindowMessageA(SHOW_METER_MESSAGE)}));
    t.FinishFade();
    t.Command(ID_HIDE);
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(FakeSystem::coalesced, std::vector<UINT_PTR>({TIMER_POLL}))
        << "the poll alone; the fade and hover stay exact";
}

}  // namespace
