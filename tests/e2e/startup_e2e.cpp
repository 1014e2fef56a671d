#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

namespace {

TEST(Startup, SecondStartExitsAtOnceAndLeavesTheFirstAlone) {
    MeterProcess first;
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(first.hwnd()); }, 5000));
    const RECT before = WindowRectOf(first.hwnd());

    MeterProcess second;
    ASSERT_TRUE(second.Start(false));
    ASSERT_TRUE(second.WaitExit(5000)) << "the second copy must end by itself";
    EXPECT_EQ(second.ExitCode(), 0u);

    EXPECT_TRUE(first.Running());
    EXPECT_EQ(FindMeterWindow(), first.hwnd());
    EXPECT_EQ(CountMeterWindows(), 1);
    const RECT after = WindowRectOf(first.hwnd());
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_TRUE(IsWindowVisible(first.hwnd()));
    EXPECT_TRUE(first.Quit());
    EXPECT_EQ(first.ExitCode(), 0u);
}

TEST(Startup, SameClassWithAnotherTitleDoesNotBlock) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kMeterClass;
    RegisterClassA(&wc);
    HWND impostor = CreateWindowExA(0, kMeterClass, "Some other meter", WS_POPUP, 0, 0, 10, 10,
                                    nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(impostor, nullptr);

    MeterProcess meter;
    ASSERT_TRUE(meter.Start()) << "the program must start beside a same-class window";
    EXPECT_NE(meter.hwnd(), impostor);
    EXPECT_TRUE(meter.Running());
    EXPECT_TRUE(meter.Quit());
    DestroyWindow(impostor);
}

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST(Startup, StartingDoesNotTakeTheActiveWindow) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SorvaneE2EEditor";
    RegisterClassA(&wc);
    HWND editor = CreateWindowExA(0, "SorvaneE2EEditor", "The user's work", WS_OVERLAPPEDWINDOW,
                                  100, 100, 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(editor, SW_SHOW);
    SetForegroundWindow(editor);
    SetActiveWindow(editor);
    MSG msg;
    WaitFor(
        [&] {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageA(&msg);
            }
            return GetForegroundWindow() == editor;
        },
        3000);
    ASSERT_EQ(GetForegroundWindow(), editor);

    MeterProcess meter;
    ASSERT_TRUE(meter.Start());
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(meter.hwnd()); }, 5000));
    Sleep(300);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(GetForegroundWindow(), editor) << "meter is " << meter.hwnd();
    EXPECT_EQ(GetActiveWindow(), editor);
    EXPECT_TRUE(meter.Quit());
    DestroyWindow(editor);
}

}  // namespace
