#include <gtest/gtest.h>

#include <windows.h>
#include <process.h>
#include <shellapi.h>

#include "resources/resource.h"
#include "tests/support/gdi_census.h"
#include "tests/support/wine_support.h"

namespace {

TEST(MeterWindow, StartsHiddenSizedLayeredAndFadingIn) {
    RemoveSettingsFile();
    MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
    CMainWin& m = t.meter();
    ASSERT_NE(t.hwnd(), nullptr);
    EXPECT_FALSE(IsWindowVisible(t.hwnd()));
    EXPECT_EQ(m.GetFade().alpha, 0);
    EXPECT_EQ(m.GetFade().timerRunning, 1);
    EXPECT_EQ(m.GetFade().direction, 0);
    const RECT r = WindowRectOf(t.hwnd());
    EXPECT_EQ(r.right - r.left, 60);
    EXPECT_EQ(r.bottom - r.top, 60);
    const RECT work = WorkArea();
    EXPECT_EQ(r.left, work.right - 85);
    EXPECT_EQ(r.top, work.top + 25);
    const LONG_PTR ex = GetWindowLongPtrA(t.hwnd(), GWL_EXSTYLE);
    EXPECT_EQ(ex & 0x08080008, 0x08080008);
    // The first sample was drawn, then forgotten so the first poll sees a change.
    const PowerSample zero = {};
    EXPECT_EQ(memcmp(&m.GetSnapshot(), &zero, sizeof(zero)), 0);
    EXPECT_EQ(m.GetFace().m_width, 240);
    EXPECT_NE(m.GetLayerBits(), nullptr);
    EXPECT_NE(m.GetLayerBits()[(30 * 60 + 10) * 4 + 3], 0) << "the layer already holds a face";

    m.FadeTick();
    EXPECT_TRUE(IsWindowVisible(t.hwnd())) << "shown by the first fade tick";
    EXPECT_EQ(m.GetFade().alpha, 10);
    EXPECT_EQ(t.FinishFade(), 20);
    EXPECT_EQ(m.GetFade().alpha, 210);
}

TEST(MeterWindow, FullBatteryOnMainsFadesOutAtTheFirstPoll) {
    MeterUnderTest t(MakeSample(kAcOnline, 9, 98, kUnknownTime));
    CMainWin& m = t.meter();
    EXPECT_EQ(m.GetFade().direction, 0) << "the start always fades in";
    t.FinishFade();
    ASSERT_EQ(m.GetFade().alpha, 210);
    m.PollPower();
    EXPECT_EQ(m.GetFade().direction, 1);
    t.FinishFade();
    EXPECT_EQ(m.GetFade().alpha, 0);
    EXPECT_FALSE(IsWindowVisible(t.hwnd()));
}

TEST(MeterWindow, OnBatteryItStaysAndUnplugBringsItBack) {
    MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
    CMainWin& m = t.meter();
    t.FinishFade();
    m.PollPower();
    EXPECT_EQ(m.GetFade().timerRunning, 0) << "nothing to fade on battery";
    EXPECT_EQ(m.GetFade().alpha, 210);

    FakePower::sample = MakeSample(kAcOnline, 8, 60, kUnknownTime);
    m.PollPower();  // plugged in below 95 %: stays
    EXPECT_EQ(m.GetFade().timerRunning, 0);
    SendMessageA(t.hwnd(), WM_COMMAND, ID_HIDE, 0);
    EXPECT_EQ(t.FinishFade(), 22);
    EXPECT_FALSE(IsWindowVisible(t.hwnd()));

    FakePower::sample = MakeSample(kAcOffline, 0, 60, 7200);
    m.PollPower();
    EXPECT_EQ(m.GetFade().direction, 0) << "unplugged: fade in";
    EXPECT_EQ(m.GetFade().step, 10);
    t.FinishFade();
    EXPECT_TRUE(IsWindowVisible(t.hwnd()));
}

TEST(MeterWindow, TimersReachTheirHandlers) {
    MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
    CMainWin& m = t.meter();
    // The real 20 ms timer runs the fade to its end.
    ASSERT_TRUE(PumpUntil([&] { return m.GetFade().alpha == 210; }, 3000));
    EXPECT_EQ(m.GetFade().timerRunning, 0);
    const int reads = FakePower::reads;
    SendMessageA(t.hwnd(), WM_TIMER, TIMER_POLL, 0);
    EXPECT_EQ(FakePower::reads, reads + 1);
    SendMessageA(t.hwnd(), WM_TIMER, 9999, 0);  // unknown timers do nothing
    EXPECT_EQ(FakePower::reads, reads + 1);
}

TEST(MeterWindow, TeardownFreesEverythingOnceAndSavesThePosition) {
    RemoveSettingsFile();
    const int before = CountGdiObjects();
    {
        MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
        CMainWin& m = t.meter();
        MoveWindow(t.hwnd(), 123, 45, 60, 60, FALSE);
        // Log-off: teardown and quit, but the window lives on...
        SendMessageA(t.hwnd(), WM_QUERYENDSESSION, 0, 0);
        MSG msg;
        EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_TRUE(IsWindow(t.hwnd()));
        EXPECT_EQ(m.GetLayerBits(), nullptr);
        // ...and a late tick must not touch what is gone.
        SendMessageA(t.hwnd(), WM_TIMER, TIMER_FADE, 0);
        SendMessageA(t.hwnd(), WM_TIMER, TIMER_POLL, 0);
        char x[16] = "", y[16] = "";
        GetPrivateProfileStringA("WINDOW", "POSX", "", x, sizeof(x), SettingsFilePath().c_str());
        GetPrivateProfileStringA("WINDOW", "POSY", "", y, sizeof(y), SettingsFilePath().c_str());
        EXPECT_STREQ(x, "123");
        EXPECT_STREQ(y, "45");
        MoveWindow(t.hwnd(), 300, 300, 60, 60, FALSE);
        // The destruction that follows runs no second teardown.
    }
    char x[16] = "";
    GetPrivateProfileStringA("WINDOW", "POSX", "", x, sizeof(x), SettingsFilePath().c_str());
    EXPECT_STREQ(x, "123") << "the second teardown did not save again";
    // Only the two surfaces remain, until the object itself goes.
    EXPECT_EQ(CountGdiObjects(), before);
}

unsigned __stdcall AnswerErrorBox(void* found) {
    for (int i = 0; i < 500; ++i) {
        HWND box = FindWindowA("#32770", "Error");
        if (box) {
            char text[64] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
            *static_cast<std::string*>(found) = text;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(10);
    }
    return 1;
}

HBITMAP WINAPI RefuseDibSection(HDC, const BITMAPINFO*, UINT, void** bits, HANDLE, DWORD) {
    *bits = nullptr;
    return nullptr;
}

TEST(MeterWindow, FailedLayerShowsTheBoxAndEndsWithoutSaving) {
    RemoveSettingsFile();
    WritePrivateProfileStringA("WINDOW", "POSX", "77", SettingsFilePath().c_str());
    std::string boxText;
    HANDLE answerer =
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, AnswerErrorBox, &boxText, 0, nullptr));
    CMainWin meter;
    meter.SetPowerReader(FakePower::Read);
    meter.SetDibSectionMaker(RefuseDibSection);
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    meter.Register(instance, kTestMeterClass, nullptr, nullptr);
    const int reads = FakePower::reads;
    meter.Create(instance, GetDesktopWindow(), "SorvaneTestMeter", WS_POPUP | WS_SYSMENU, 0);
    WaitForSingleObject(answerer, 5000);
    CloseHandle(answerer);
    EXPECT_EQ(boxText, "Error on CreateDIBSection()");
    EXPECT_EQ(FakePower::reads, reads) << "no sample after the failure";
    HWND hwnd = meter.GetHwnd();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    // The window closes itself and the loop gets its quit message.
    bool quit = false;
    const DWORD start = GetTickCount();
    while (!quit && GetTickCount() - start < 3000) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                break;
            }
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
    EXPECT_TRUE(quit);
    EXPECT_FALSE(IsWindow(hwnd));
    char x[16] = "";
    GetPrivateProfileStringA("WINDOW", "POSX", "", x, sizeof(x), SettingsFilePath().c_str());
    EXPECT_STREQ(x, "77") << "the stored position survives";
    RemoveSettingsFile();
}

LPARAM Point(int x, int y) {
    return static_cast<LPARAM>((static_cast<unsigned>(y & 0xFFFF) << 16) | (x & 0xFFFF));
}

TEST(MeterInteraction, DragKeepsThePressedPointUnderTheCursor) {
    MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
    CMainWin& m = t.meter();
    MoveWindow(t.hwnd(), 400, 300, 60, 60, FALSE);
    SendMessageA(t.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(20, 30));
    EXPECT_EQ(m.GetPointer().dragging, 1);
    EXPECT_EQ(GetCapture(), t.hwnd());
    // Move by (+50, -20) in client coordinates of the window before it moves.
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, Point(70, 10));
    RECT r = WindowRectOf(t.hwnd());
    EXPECT_EQ(r.left, 450);
    EXPECT_EQ(r.top, 280);
    // A negative client coordinate (left of the window) is sign-extended.
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, Point(-30, 30));
    r = WindowRectOf(t.hwnd());
    EXPECT_EQ(r.left, 400);
    SendMessageA(t.hwnd(), WM_LBUTTONUP, 0, Point(-30, 30));
    EXPECT_EQ(m.GetPointer().dragging, 0);
    EXPECT_NE(GetCapture(), t.hwnd());
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, 0, Point(10, 10));
    EXPECT_EQ(WindowRectOf(t.hwnd()).left, 400) << "after the release moves do not drag";
    EXPECT_EQ(m.GetPointer().hoverPending, 1) << "but start a hover delay";
}

TEST(MeterInteraction, LostCaptureEndsTheDrag) {
    MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
    CMainWin& m = t.meter();
    MoveWindow(t.hwnd(), 400, 300, 60, 60, FALSE);
    SendMessageA(t.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(20, 30));
    ASSERT_EQ(m.GetPointer().dragging, 1);
    ReleaseCapture();  // someone else takes the mouse
    EXPECT_EQ(m.GetPointer().dragging, 0);
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, 0, Point(70, 10));
    EXPECT_EQ(WindowRectOf(t.hwnd()).left, 400);
    EXPECT_EQ(m.GetPointer().hoverPending, 1);
}

TEST(MeterInteraction, PressFadesInEvenDuringAHoverFadeOut) {
    MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
    CMainWin& m = t.meter();
    t.FinishFade();
    m.FadeTo(kFadeOut, kFadeStepFast);
    m.FadeTick();
    m.FadeTick();
    SendMessageA(t.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(20, 30));
    EXPECT_EQ(m.GetFade().direction, 0);
    EXPECT_EQ(m.GetFade().step, 10);
    EXPECT_EQ(m.GetPointer().hoverSuppressed, 1);
    SendMessageA(t.hwnd(), WM_LBUTTONUP, 0, Point(20, 30));
}

TEST(MeterInteraction, TrayAnswersOnlyButtonPresses) {
    MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
    CMainWin& m = t.meter();
    t.FinishFade();
    SendMessageA(t.hwnd(), WM_COMMAND, ID_HIDE, 0);
    t.FinishFade();
    ASSERT_EQ(m.GetFade().alpha, 0);
    for (LPARAM other : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE, WM_RBUTTONUP}) {
        SendMessageA(t.hwnd(), WM_TRAYNOTIFY, TRAY_ICON_ID, other);
        EXPECT_EQ(m.GetFade().timerRunning, 0) << other;
    }
    EXPECT_EQ(SendMessageA(t.hwnd(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN), 0);
    EXPECT_EQ(m.GetFade().direction, 0);
    EXPECT_EQ(t.FinishFade(), 21);
    EXPECT_TRUE(IsWindowVisible(t.hwnd()));
}

TEST(MeterInteraction, CommandsResetHideAndIgnoreOthers) {
    MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
    CMainWin& m = t.meter();
    t.FinishFade();
    MoveWindow(t.hwnd(), 10, 10, 60, 60, FALSE);
    SendMessageA(t.hwnd(), WM_COMMAND, MAKEWPARAM(ID_RESET_POSITION, 1), 0);
    const RECT work = WorkArea();
    EXPECT_EQ(WindowRectOf(t.hwnd()).left, work.right - 85);
    EXPECT_EQ(WindowRectOf(t.hwnd()).top, work.top + 25);
    for (WPARAM other : {WPARAM(40001), WPARAM(40006), WPARAM(0)}) {
        SendMessageA(t.hwnd(), WM_COMMAND, other, 0);
    }
    EXPECT_EQ(m.GetFade().timerRunning, 0);
    EXPECT_TRUE(IsWindow(t.hwnd()));
    SendMessageA(t.hwnd(), WM_COMMAND, ID_QUIT, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(t.hwnd()); }, 2000)) << "Quit closes the window";
}

TEST(MeterInteraction, TrayIconComesAndGoesAndReturnsAfterAShellRestart) {
    FakeTray::adds = FakeTray::deletes = 0;
    {
        MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
        EXPECT_EQ(FakeTray::adds, 1);
        SendMessageA(t.hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        EXPECT_EQ(FakeTray::adds, 2) << "added again after the shell restarted";
        EXPECT_EQ(FakeTray::deletes, 0);
    }
    EXPECT_EQ(FakeTray::deletes, 1) << "removed at teardown";
}

}  // namespace
