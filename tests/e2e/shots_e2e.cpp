// The pictures of the README (docs/menu.png, docs/about.png), taken from the running
// program over a lighter desktop. The files land in SORVANE_SHOTS_DIR; without it
// the cases only check that there is something to take.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/e2e/harness.h"

namespace {

constexpr char kDesktopColour[] = "#3a4a5c";
constexpr COLORREF kDesktopPixel = RGB(0x3a, 0x4a, 0x5c);  // the same, as GDI reads it
constexpr char kBlack[] = "#000000";
constexpr int kMargin = 16;

RECT Around(RECT a, const RECT& b) {
    UnionRect(&a, &a, &b);
    InflateRect(&a, kMargin, kMargin);
    return a;
}

// Whether a window has drawn this pixel: neither the black the X root starts with
// nor the desktop colour.
bool Drawn(int x, int y) {
    const COLORREF c = ScreenPixel(x, y);
    return c != RGB(0, 0, 0) && c != kDesktopPixel;
}

// The lowest well-lit pixel of the moon (the rightmost of them): a right click
// there opens the menu below the face rather than over it.
POINT BottomLitPoint(HWND meter) {
    const RECT r = WindowRectOf(meter);
    const std::vector<uint32_t> pixels = ScreenPixels(r);
    const int w = r.right - r.left;
    POINT best = {r.left + w / 2, r.top + (r.bottom - r.top) / 2};
    for (size_t i = 0; i < pixels.size(); ++i) {
        const int red = (pixels[i] >> 16) & 0xFF;
        if (red > kFullAlpha / 2) {
            best = POINT{r.left + static_cast<LONG>(i % w), r.top + static_cast<LONG>(i / w)};
        }
    }
    return best;
}

class Shots : public ::testing::Test {
protected:
    void SetUp() override {
        if (Battery::Available()) {
            Battery::Set(57, "discharging");
        }
        WriteSettings("[WINDOW]\r\nPOSX=420\r\nPOSY=300\r\n");
        ASSERT_TRUE(StartShown(meter));
        // Only now: the alpha read from the screen needs the black root, and a colour
        // set before Wine's first window of the session was found black again.
        SetRootColour(kDesktopColour);
    }
    void TearDown() override {
        PutAway(meter);
        SetRootColour(kBlack);
    }
    MeterProcess meter;
};

TEST_F(Shots, MeterWithItsMenu) {
    const POINT p = BottomLitPoint(meter.hwnd());
    MouseMove(p.x, p.y);
    MouseClick(kRightButton);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] { return (menu = FindProcessWindow(kMenuClass, meter.process())) != nullptr; }, 2000));
    const RECT m = WindowRectOf(menu);
    // The menu window is mapped before its face is drawn: wait for the face before
    // taking the picture.
    ASSERT_TRUE(WaitFor([&] { return Drawn(m.right - 8, (m.top + m.bottom) / 2); }, 2000));
    MouseMove(m.right + 40, m.bottom + 40);  // the cursor is not in the picture anyway
    Sleep(100);
    const RECT crop = Around(WindowRectOf(meter.hwnd()), m);
    Screenshot("menu", &crop);
}

TEST_F(Shots, AboutFullyFadedIn) {
    PostMessageA(meter.hwnd(), WM_COMMAND, ID_ABOUT, 0);
    HWND about = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] { return (about = FindProcessWindow(kAboutClass, meter.process())) != nullptr; },
        2000));
    ASSERT_TRUE(WaitFor([&] { return LayeredAlpha(about) == kFullAlpha; }, 1000));
    const RECT r = WindowRectOf(about);
    ASSERT_TRUE(
        WaitFor([&] { return Drawn((r.left + r.right) / 2, (r.top + r.bottom) / 2); }, 2000));
    Sleep(100);
    const RECT crop = Around(r, r);
    Screenshot("about", &crop);
}

}  // namespace
