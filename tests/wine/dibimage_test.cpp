#include <gtest/gtest.h>

#include <vector>

#include "imaging/dibimage.h"
#include "resources/resource.h"
#include "tests/support/gdi_census.h"
#include "tests/support/wine_support.h"

namespace {

TEST(DibImage, StrideAndRowTableOfRealSections) {
    struct Case {
        int width, height, stride;
    };
    for (const Case& c : {Case{240, 240, 720}, Case{537, 96, 1612}, Case{1, 5, 4}}) {
        CDibImage image;
        ASSERT_EQ(image.CreateDib(c.width, c.height, 24), 1);
        EXPECT_EQ(image.GetStatus(), CDibImage::kOk);
        EXPECT_FALSE(image.HasRowTable()) << "the table is built on first use";
        uint8_t** rows = image.GetRows();
        ASSERT_NE(rows, nullptr);
        EXPECT_EQ(rows[c.height - 1], image.GetBits()) << "last entry is the first row in memory";
        EXPECT_EQ(rows[0], image.GetBits() + (c.height - 1) * c.stride);
        if (c.height > 1) {
            EXPECT_EQ(rows[0] - rows[1], c.stride);
        }
        const BITMAPINFOHEADER* h = image.GetHeader();
        EXPECT_EQ(h->biSize, 40u);
        EXPECT_EQ(h->biHeight, c.height) << "positive: bottom-up";
        EXPECT_EQ(h->biBitCount, 24);
        EXPECT_EQ(h->biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(h->biSizeImage, 0u);
        DIBSECTION section;
        ASSERT_EQ(GetObjectA(image.GetBitmap(), sizeof(section), &section),
                  static_cast<int>(sizeof(section)));
        EXPECT_EQ(section.dsBm.bmWidthBytes, c.stride);
        EXPECT_EQ(GetCurrentObject(image.GetMemDC(), OBJ_BITMAP), image.GetBitmap());
    }
}

TEST(DibImage, FillsTouchPixelsOnlyAndMatchWhatGdiDraws) {
    CDibImage image;
    ASSERT_TRUE(image.CreateDib(537, 2, 24));
    memset(image.GetBits(), 0xAB, 1612 * 2);
    ASSERT_EQ(image.FillColor(RGB(255, 0, 0)), 1);
    for (int y = 0; y < 2; ++y) {
        const uint8_t* row = image.GetRows()[y];
        EXPECT_EQ(row[0], 0);
        EXPECT_EQ(row[1], 0);
        EXPECT_EQ(row[2], 255);
        EXPECT_EQ(row[3 * 536 + 2], 255);
        EXPECT_EQ(row[1611], 0xAB) << "the padding byte after the last pixel";
    }
    // What the rows hold is what the memory DC sees.
    GdiFlush();
    EXPECT_EQ(GetPixel(image.GetMemDC(), 300, 1), RGB(255, 0, 0));
    image.FillPixel(0xFF000000 | 0x00102030);
    EXPECT_EQ(GetPixel(image.GetMemDC(), 5, 0), RGB(0x10, 0x20, 0x30)) << "bits 24-31 ignored";
    image.FillColor(0);
    EXPECT_EQ(GetPixel(image.GetMemDC(), 536, 1), RGB(0, 0, 0));
}

TEST(DibImage, DrawReportsItsStatus) {
    CDibImage empty;
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(empty.Draw(screen, 0, 0), 0);
    EXPECT_EQ(empty.GetStatus(), CDibImage::kNoImage);

    CDibImage source, target;
    ASSERT_TRUE(source.CreateDib(4, 4, 24));
    ASSERT_TRUE(target.CreateDib(8, 8, 24));
    source.FillColor(RGB(1, 2, 3));
    target.FillColor(RGB(200, 200, 200));
    EXPECT_EQ(source.Draw(target.GetMemDC(), 2, 3), 1);
    EXPECT_EQ(source.GetStatus(), CDibImage::kOk);
    EXPECT_EQ(SurfacePixel(target, 2, 3), RGB(1, 2, 3));
    EXPECT_EQ(SurfacePixel(target, 5, 6), RGB(1, 2, 3));
    EXPECT_EQ(SurfacePixel(target, 1, 3), RGB(200, 200, 200));
    EXPECT_EQ(SurfacePixel(target, 6, 3), RGB(200, 200, 200));

    // A DC that is not one makes the transfer fail.
    EXPECT_EQ(source.Draw(reinterpret_cast<HDC>(0x1234), 0, 0), 0);
    EXPECT_EQ(source.GetStatus(), CDibImage::kTransferFailed);
    ReleaseDC(nullptr, screen);
}

TEST(DibImage, MissingResourceLeavesTheSurfaceAsItWas) {
    CDibImage image;
    ASSERT_TRUE(image.CreateDib(3, 3, 24));
    image.FillColor(RGB(9, 8, 7));
    HBITMAP before = image.GetBitmap();
    ASSERT_TRUE(image.Draw(image.GetMemDC(), 0, 0));  // status 0
    EXPECT_EQ(image.LoadBitmapResource(GetModuleHandleA(nullptr), 4711), 0);
    EXPECT_EQ(image.GetStatus(), CDibImage::kOk);
    EXPECT_EQ(image.GetBitmap(), before);
    EXPECT_EQ(image.m_width, 3);
    EXPECT_EQ(SurfacePixel(image, 2, 2), RGB(9, 8, 7));
}

TEST(DibImage, AboutPictureLoadsAs24BitsWithItsMagentaKey) {
    CDibImage image;
    ASSERT_EQ(image.LoadBitmapResource(GetModuleHandleA(nullptr), IDB_ABOUT), 1);
    EXPECT_EQ(image.m_width, 537);
    EXPECT_EQ(image.m_height, 96);
    EXPECT_TRUE(image.Is24Bit());
    // The 16-bit magenta must come out as exactly the colour key.
    EXPECT_EQ(SurfacePixel(image, 0, 0), RGB(255, 0, 255));
    EXPECT_EQ(SurfacePixel(image, 536, 95), RGB(255, 0, 255));
    int keyed = 0;
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 537; ++x) {
            keyed += SurfacePixel(image, x, y) == RGB(255, 0, 255);
        }
    }
    EXPECT_GT(keyed, 0);
    EXPECT_LT(keyed, 537 * 96 / 2) << "the picture is mostly content";
}

TEST(DibImage, RecreatingFreesThePreviousObjects) {
    CDibImage image;
    const int baseline = CountGdiObjects();
    ASSERT_TRUE(image.CreateDib(240, 240, 24));
    image.GetRows();
    const int once = CountGdiObjects();
    HBITMAP firstDib = image.GetBitmap();
    HDC firstDC = image.GetMemDC();
    ASSERT_TRUE(image.CreateDib(240, 240, 24));
    image.GetRows();
    EXPECT_EQ(CountGdiObjects(), once) << "one DIB section and one DC, not two of each";
    EXPECT_EQ(once - baseline, 2);
    EXPECT_EQ(GetObjectType(firstDib), 0u);
    EXPECT_EQ(GetObjectType(firstDC), 0u);
    image.Release();
    EXPECT_EQ(CountGdiObjects(), baseline);
    EXPECT_EQ(image.Release(), 1) << "a second release is harmless";
    EXPECT_EQ(image.GetMemDC(), nullptr);
    EXPECT_EQ(image.GetRows(), nullptr);
}

TEST(DibImage, EmptyOrRefusedSurfacesNeverWriteThroughARowTable) {
    CDibImage empty;
    EXPECT_EQ(empty.GetRows(), nullptr);
    EXPECT_EQ(empty.FillColor(RGB(1, 1, 1)), 0);
    EXPECT_EQ(empty.GetStatus(), CDibImage::kNoMemory);

    CDibImage odd;
    EXPECT_EQ(odd.CreateDib(10, 10, 32), 0) << "only 24-bit surfaces are addressed correctly";
    EXPECT_EQ(odd.FillPixel(0), 0);
    EXPECT_EQ(odd.GetMemDC(), nullptr);
    EXPECT_EQ(odd.m_width, 0);
}

}  // namespace
