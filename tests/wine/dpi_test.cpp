// The meter at 150 %: this process runs with LogPixels 144 (tools/test), a screen
// of 1024 x 768, and sends WM_DPICHANGED itself, which Wine never does.
#include <gtest/gtest.h>

#include <vector>

#include "about/aboutwin.h"
#include "resources/resource.h"
#include "tests/support/reference_reduce.h"
#include "tests/support/wine_support.h"

namespace {

const PowerSample kOnBattery = MakeSample(kAcOffline, 0, 57, 10260);

// The layer is the plain reduction of a face and a mask 4 x its size, and the white
// texts on the mask span what they span at 100 %, scaled: from below 68 (the
// percentage's glyphs start lower) to near 177 (the status line's bottom).
void ExpectDrawnAt(CMainWin& m, int layer) {
    const int face = 4 * layer;
    ASSERT_EQ(std::make_pair(m.GetFace().m_width, m.GetMask().m_height),
              std::make_pair(face, face));
    std::vector<uint8_t> want(layer * layer * 4);
    ReduceLayerReference(m.GetFace().GetRows(), m.GetMask().GetRows(), layer, want.data());
    EXPECT_EQ(memcmp(want.data(), m.GetLayerBits(), want.size()), 0) << layer;
    int top = face, bottom = 0;
    for (int i = 0; i < face * face; ++i) {
        if (SurfacePixel(m.GetMask(), i % face, i / face) == RGB(255, 255, 255)) {
            top = std::min(top, i / face), bottom = i / face;
        }
    }
    EXPECT_NEAR(top, face * 75 / 240, face / 48) << "the texts hang from their scaled tops";
    EXPECT_NEAR(bottom, face * 177 / 240, face / 48) << "in their scaled fonts";
}

TEST(Dpi, TheMeterStartsAtItsMonitorsScale) {
    DeleteFileA(SettingsFilePath().c_str());
    MeterUnderTest t(kOnBattery);
    const RECT r = WindowRectOf(t.hwnd());
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right - r.left, r.bottom - r.top}),
              std::vector<LONG>({896, 38, 90, 90}));
    ExpectDrawnAt(t.meter(), 90);
}

TEST(Dpi, AChangeRedrawsAllAtTheNewScaleWhereWindowsSaysAndLeaksNothing) {
    MeterUnderTest t(kOnBattery);
    t.FinishFade();
    const auto change = [&](int dpi, RECT suggested) {
        SendMessageA(t.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&suggested));
    };
    const struct {
        int dpi;
        RECT suggested;
        int layer;
    } steps[] = {{96, {100, 200, 160, 260}, 60}, {144, {300, 100, 390, 190}, 90}};
    for (const auto& s : steps) {
        change(s.dpi, s.suggested);
        const RECT r = WindowRectOf(t.hwnd());
        EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}),
                  std::vector<LONG>(
                      {s.suggested.left, s.suggested.top, s.suggested.right, s.suggested.bottom}));
        ExpectDrawnAt(t.meter(), s.layer);
    }
    const int objects = CountGdiObjects();
    for (int i = 0; i < 20; ++i) {
        change(96 + 48 * (i % 2), RECT{300, 100, 360 + 30 * (i % 2), 160 + 30 * (i % 2)});
    }
    EXPECT_EQ(CountGdiObjects(), objects) << "back at 144 after 20 changes";

    // Pressed at 45, 45 of the 90-pixel meter: the same spot is 30, 30 at 96 DPI.
    SendMessageA(t.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(45, 45));
    change(96, RECT{100, 200, 160, 260});
    SendMessageA(t.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 50));
    EXPECT_EQ(WindowRectOf(t.hwnd()).left, 100 + 50 - 30) << "the meter stays under the cursor";
    SendMessageA(t.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
}

// The system hands out 24-pixel small icons at 144 DPI: the image drawn for them, not
// a neighbour stretched.
TEST(Dpi, TheTrayIconIsTheImageOfTheSystemsSmallIconSize) {
    FakeShell::recordIcon = true;
    MeterUnderTest t(kOnBattery);
    FakeShell::recordIcon = false;
    const HMODULE self = GetModuleHandleA(nullptr);
    const BYTE* group = static_cast<const BYTE*>(LockResource(
        LoadResource(self, FindResourceA(self, MAKEINTRESOURCEA(IDI_TRAY), RT_GROUP_ICON))));
    ASSERT_NE(group, nullptr);
    int id = 0;
    for (int i = 0; i < *reinterpret_cast<const WORD*>(group + 4); ++i) {
        const BYTE* entry = group + 6 + 14 * i;  // GRPICONDIRENTRY, packed
        id = entry[0] == 24 ? *reinterpret_cast<const WORD*>(entry + 12) : id;
    }
    ASSERT_NE(id, 0) << "the icon has a 24-pixel image";
    const HRSRC image = FindResourceA(self, MAKEINTRESOURCEA(id), RT_ICON);
    const HICON exact = CreateIconFromResourceEx(
        static_cast<BYTE*>(LockResource(LoadResource(self, image))), SizeofResource(self, image),
        TRUE, 0x00030000, 24, 24, LR_DEFAULTCOLOR);
    const std::vector<uint32_t> want = IconPixels(exact);
    DestroyIcon(exact);
    ASSERT_EQ(want.size(), 1u + 24 * 24);
    EXPECT_EQ(FakeShell::icon, want);
}

TEST(Dpi, AboutKeepsItsApparentSizeAndItsKeyStaysWhole) {
    MeterUnderTest t(kOnBattery);
    t.Command(ID_ABOUT);
    const HWND about = TheAboutWindow().GetHwnd();
    ASSERT_TRUE(IsWindow(about));
    const RECT r = WindowRectOf(about);
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right - r.left, r.bottom - r.top}),
              std::vector<LONG>({512 - 403, 384 - 72 - 75, 806, 144}));
    int key = 0, content = 0;
    for (int i = 0; i < 806 * 144; ++i) {
        const COLORREF c = GetPixel(TheAboutWindow().GetBackDC(), i % 806, i / 806);
        const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
        key += c == RGB(255, 0, 255);
        content += c != RGB(255, 0, 255);
        // A blend of the key into the picture would be a magenta fringe on the desktop.
        ASSERT_TRUE(c == RGB(255, 0, 255) || std::min(r, b) - g <= 24) << i % 806 << "," << i / 806;
    }
    EXPECT_GT(key, 806 * 144 / 2);
    EXPECT_GT(content, 3000);
    DestroyWindow(about);
}

}  // namespace
