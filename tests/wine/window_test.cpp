// The DIB surface, the window library and the About splash on real GDI and USER.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>
#include <string>

#include "about/aboutwin.h"
#include "framework/window.h"
#include "imaging/dibimage.h"
#include "tests/support/refusals.h"
#include "tests/support/wine_support.h"

namespace {

// Lines end in a plain LF, as ctest reads the list of cases (text mode would add a CR).
[[maybe_unused]] const int kPlainLines = _setmode(_fileno(stdout), _O_BINARY);

// What every leak check counts on.
TEST(Gdi, TheCountOfLiveObjectsSeesABrushMadeAndFreed) {
    const int before = CountGdiObjects();
    const HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(CountGdiObjects(), before + 1);
    DeleteObject(brush);
    EXPECT_EQ(CountGdiObjects(), before);
}

// That a surface frees its objects, made again or released, the refusal sweep counts.
TEST(Surface, ARefusedSurfaceKeepsNothing) {
    CDibImage image;
    ASSERT_TRUE(image.CreateDib(4, 4, 24));
    Watch<0, decltype(&CreateDIBSection)>::Install("gdi32.dll", "CreateDIBSection", 0);
    Refusals::calls = 0, Refusals::refuse = 1;
    EXPECT_EQ(image.CreateDib(4, 4, 24), 0);
    Refusals::Unwatch();
    EXPECT_EQ(image.GetHeader(), nullptr) << "refused its section, it keeps no header either";
    EXPECT_EQ(image.FillColor(0), 0) << "no rows, no writes";
}

// Static storage: in a 64-bit process the object lives above 4 GB, so a pointer
// squeezed into 32 bits on the way to its handler would lose it.
Cwindow g_window;

TEST(Window, AClassNameFitsOrIsRefusedAndAPartialPaintCopiesItsOwnRectangle) {
    Cwindow& w = g_window;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    EXPECT_EQ(w.Register(instance, std::string(256, 'b').c_str(), nullptr, nullptr), -1);
    EXPECT_STREQ(w.GetClassName(), "") << "a name that does not fit is not copied";
    ASSERT_EQ(w.Register(instance, std::string(255, 'a').c_str(), nullptr, nullptr), 0);
    w.Create(instance, nullptr, "paint", WS_POPUP, 0);
    w.SetSize(40, 30);
    w.CreateBackBufferForWindow();
    w.Show(SW_SHOWNOACTIVATE);
    PumpFor(50);
    const auto pattern = [](int x, int y) { return RGB(6 * x, 8 * y, 100); };
    for (int i = 0; i < 40 * 30; ++i) {
        SetPixelV(w.GetBackDC(), i % 40, i / 40, pattern(i % 40, i / 40));
    }
    RECT part = {10, 5, 20, 15};
    InvalidateRect(w.GetHwnd(), &part, FALSE);
    UpdateWindow(w.GetHwnd());
    HDC dc = GetDC(w.GetHwnd());
    for (POINT p : {POINT{10, 5}, {19, 14}, {15, 9}}) {
        EXPECT_EQ(GetPixel(dc, p.x, p.y), pattern(p.x, p.y)) << p.x << "," << p.y;
    }
    ReleaseDC(w.GetHwnd(), dc);
    w.Destroy();
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // left by its end, for no later test
}

HWND About() { return TheAboutWindow().GetHwnd(); }

int Alpha() {
    BYTE value = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    GetLayeredWindowAttributes(About(), &key, &value, &flags);
    EXPECT_EQ(std::make_pair(key, flags),
              std::make_pair(RGB(255, 0, 255), DWORD(LWA_COLORKEY | LWA_ALPHA)));
    return value;
}

struct AboutTest : testing::Test {
    const HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    ~AboutTest() {
        DestroyWindow(owner);
        MSG msg;
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            << "About never quits";
    }
};

// Seen at once though faint, without taking the keyboard; it reaches 210 and stays the one
// About, and a click fades it out until it is gone.
TEST_F(AboutTest, OpensOnceFadesInAndAClickFadesItOut) {
    OpenAboutWindow(owner, LengthsAt(96));
    const HWND first = About();
    ASSERT_TRUE(first && IsWindowVisible(first));
    EXPECT_EQ(GetWindow(first, GW_OWNER), owner);
    EXPECT_EQ(SendMessageA(first, WM_MOUSEACTIVATE, 0, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    EXPECT_EQ(GetPixel(TheAboutWindow().GetBackDC(), 0, 0), RGB(255, 0, 255)) << "the picture";
    const int faint = Alpha();
    EXPECT_TRUE(faint > 0 && faint < 210) << faint << ": seen, but faint";
    EXPECT_TRUE(PumpUntil([] { return Alpha() == 210; }, 3000));
    OpenAboutWindow(owner, LengthsAt(96));
    EXPECT_EQ(About(), first) << "a second About does nothing";
    PostMessageA(About(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_TRUE(PumpUntil([] { return Alpha() < 210; }, 3000) && IsWindow(first)) << "it fades";
    EXPECT_TRUE(PumpUntil([] { return About() == nullptr; }, 3000)) << "until it is gone";
}

// At 150 % (where the end-to-end checks see its place and size) its key stays whole;
// closed while it still fades in, it goes all the same.
TEST_F(AboutTest, At150ItKeepsItsKeyAndAnEarlyCloseEndsIt) {
    OpenAboutWindow(owner, LengthsAt(144));
    ASSERT_TRUE(IsWindow(About()));
    const int w = WindowRectOf(About()).right - WindowRectOf(About()).left;
    int key = 0;
    for (int i = 0; i < w * 144; ++i) {
        const COLORREF c = GetPixel(TheAboutWindow().GetBackDC(), i % w, i / w);
        key += c == RGB(255, 0, 255);
        // A blend of the key into the picture would be a magenta fringe on the desktop.
        ASSERT_TRUE(c == RGB(255, 0, 255) ||
                    std::min(GetRValue(c), GetBValue(c)) - GetGValue(c) <= 24)
            << i % w << "," << i / w;
    }
    EXPECT_GT(key, w * 144 / 2);
    EXPECT_LT(key, w * 144 - 3000) << "and the picture";
    SendMessageA(About(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(About())) << "a close only starts the fade-out";
    EXPECT_TRUE(PumpUntil([] { return About() == nullptr; }, 3000))
        << "a fade-in left running would undo every step";
}

}  // namespace
