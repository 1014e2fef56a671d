#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/window.h"
#include "tests/support/gdi_census.h"
#include "tests/support/wine_support.h"

namespace {

// Records what reaches the object's handler.
class RecordingWindow : public Cwindow {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(message);
        if (message == WM_CREATE) {
            handleAtCreate = GetHwnd();
        }
        return Cwindow::WindowProc(message, wParam, lParam);
    }
    std::vector<UINT> seen;
    HWND handleAtCreate = nullptr;
};

// A handler that does not call the base: its WM_DESTROY must not end the loop.
class SilentWindow : public Cwindow {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        return DefWindowProcA(GetHwnd(), message, wParam, lParam);
    }
};

// Static storage: in a 64-bit process the object lives above 4 GB, so a pointer
// squeezed into 32 bits anywhere on the way would lose it.
RecordingWindow g_recorder;

bool QuitPosted() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

TEST(Window, MessagesBeforeCreateNeverReachTheObject) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_EQ(g_recorder.Register(instance, "SorvaneTestRecorder", nullptr, nullptr), 0);
    EXPECT_EQ(g_recorder.Register(instance, "SorvaneTestRecorder", nullptr, nullptr), -1)
        << "a class registers once";
    g_recorder.Create(instance, nullptr, "rec", WS_POPUP, 0);
    ASSERT_NE(g_recorder.GetHwnd(), nullptr);
    ASSERT_FALSE(g_recorder.seen.empty());
    EXPECT_EQ(g_recorder.seen.front(), static_cast<UINT>(WM_CREATE))
        << "WM_NCCREATE and friends go to the default handler";
    EXPECT_EQ(g_recorder.handleAtCreate, g_recorder.GetHwnd());
    EXPECT_EQ(GetWindowLongPtrA(g_recorder.GetHwnd(), GWLP_USERDATA),
              reinterpret_cast<LONG_PTR>(&g_recorder));
    EXPECT_EQ(g_recorder.GetInstance(), instance);

    DestroyWindow(g_recorder.GetHwnd());
    EXPECT_TRUE(QuitPosted()) << "the base handler ends the loop on WM_DESTROY";
}

TEST(Window, DerivedHandlerWithoutTheBaseDoesNotQuit) {
    SilentWindow w;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    w.Register(instance, "SorvaneTestSilent", nullptr, nullptr);
    w.Create(instance, nullptr, "silent", WS_POPUP, 0);
    ASSERT_NE(w.GetHwnd(), nullptr);
    DestroyWindow(w.GetHwnd());
    EXPECT_FALSE(QuitPosted());
}

TEST(Window, ClassNamesThatDoNotFitAreRefused) {
    Cwindow w;
    const std::string longest(255, 'a');
    const std::string tooLong(256, 'b');
    EXPECT_EQ(w.Register(GetModuleHandleA(nullptr), tooLong.c_str(), nullptr, nullptr), -1);
    EXPECT_STREQ(w.GetClassName(), "");
    w.Register(GetModuleHandleA(nullptr), longest.c_str(), nullptr, nullptr);
    EXPECT_EQ(std::string(w.GetClassName()), longest);
}

TEST(Window, PartialInvalidationRepaintsOnlyThatRectangle) {
    Cwindow w;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    w.Register(instance, "SorvaneTestPaint", nullptr, nullptr);
    w.Create(instance, nullptr, "paint", WS_POPUP, 0);
    ASSERT_NE(w.GetHwnd(), nullptr);
    w.SetSize(40, 30);
    w.MoveTo(200, 200);
    ASSERT_EQ(w.CreateBackBufferForWindow(), 0);
    EXPECT_EQ(w.GetBackWidth(), 40);
    EXPECT_EQ(w.GetBackHeight(), 30);
    w.Show(SW_SHOWNOACTIVATE);
    PumpFor(50);

    HDC back = w.GetBackDC();
    EXPECT_EQ(GetPixel(back, 39, 29), RGB(255, 255, 255)) << "a new back buffer is white";
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT all = {0, 0, 40, 30};
    FillRect(back, &all, red);
    DeleteObject(red);

    RECT part = {10, 5, 20, 15};
    InvalidateRect(w.GetHwnd(), &part, FALSE);
    UpdateWindow(w.GetHwnd());
    HDC dc = GetDC(w.GetHwnd());
    EXPECT_EQ(GetPixel(dc, 10, 5), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 19, 14), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 20, 14), RGB(255, 255, 255)) << "right edge excluded";
    EXPECT_EQ(GetPixel(dc, 9, 5), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 30, 25), RGB(255, 255, 255));
    ReleaseDC(w.GetHwnd(), dc);
    w.Destroy();
    DropQuit();
}

TEST(Window, DestroyOfADeadWindowOnlyFreesAndClears) {
    Cwindow w;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    w.Register(instance, "SorvaneTestDead", nullptr, nullptr);
    const int before = CountGdiObjects();
    w.Create(instance, nullptr, "dead", WS_POPUP, 0);
    w.SetSize(10, 10);
    w.CreateBackBufferForWindow();
    EXPECT_EQ(CountGdiObjects(), before + 2) << "memory DC and bitmap";
    w.CreateBackBufferForWindow();
    EXPECT_EQ(CountGdiObjects(), before + 2) << "a second back buffer replaces the first";
    HWND gone = w.GetHwnd();
    DestroyWindow(gone);
    DropQuit();
    w.Destroy();
    EXPECT_EQ(w.GetHwnd(), nullptr);
    EXPECT_EQ(w.GetBackDC(), nullptr);
    EXPECT_EQ(CountGdiObjects(), before);
    w.Destroy();
    w.Paint();  // no back buffer, no window: nothing to do
}

TEST(Window, DestroyedObjectCanCreateAgain) {
    Cwindow w;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    w.Register(instance, "SorvaneTestAgain", nullptr, nullptr);
    w.Create(instance, nullptr, "again", WS_POPUP, 0);
    HWND first = w.GetHwnd();
    w.Destroy();
    DropQuit();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(w.Register(instance, "SorvaneTestAgain", nullptr, nullptr), -1);
    w.Create(instance, nullptr, "again", WS_POPUP, 0);
    EXPECT_TRUE(IsWindow(w.GetHwnd()));
    w.Destroy();
    DropQuit();
}

TEST(EditWindow, PlacementOperations) {
    Cwindow w;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    w.Register(instance, "SorvaneTestPlace", nullptr, nullptr);
    w.Create(instance, nullptr, "place", WS_POPUP, 0);
    w.SetSize(537, 96);
    w.CenterOnDesktop();
    RECT r;
    GetWindowRect(w.GetHwnd(), &r);
    RECT d;
    GetWindowRect(GetDesktopWindow(), &d);
    EXPECT_EQ(r.left, (d.left + d.right) / 2 - 268);
    EXPECT_EQ(r.top, (d.bottom - d.top) / 2 - 48);
    w.MoveBy(0, -50);
    GetWindowRect(w.GetHwnd(), &r);
    EXPECT_EQ(r.top, (d.bottom - d.top) / 2 - 98);
    EXPECT_EQ(r.right - r.left, 537) << "moving keeps the size";
    w.SetTopmost(true);
    EXPECT_TRUE(GetWindowLongPtrA(w.GetHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    w.SetTopmost(false);
    EXPECT_FALSE(GetWindowLongPtrA(w.GetHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    w.Destroy();
    DropQuit();
}

}  // namespace
