#include <gtest/gtest.h>

#include <vector>

#include "imaging/dib_layout.h"

namespace {

TEST(DibLayout, StrideRoundsRowsUpToFourBytes) {
    const int cases[][2] = {{240, 720}, {537, 1612}, {1, 4}, {2, 8}, {3, 12}, {4, 12}, {60, 180}};
    for (const auto& c : cases) {
        EXPECT_EQ(DibStride24(c[0]), c[1]) << c[0];
    }
}

TEST(DibLayout, RowTableIsTopDownOverBottomUpMemory) {
    std::vector<uint8_t> memory(240 * 720);
    uint8_t* bits = memory.data();
    EXPECT_EQ(DibRowAddress(bits, 240, 720, 239), bits);
    EXPECT_EQ(DibRowAddress(bits, 240, 720, 0), bits + 239 * 720);
    EXPECT_EQ(DibRowAddress(bits, 96, 1612, 0), bits + 95 * 1612);
}

TEST(DibLayout, FillWritesPixelsAndLeavesPaddingAndTheHighByte) {
    // Mixed bytes, and equal bytes (black and white take a faster way).
    for (const uint32_t value : {0x7F123456u, 0xFF000000u, 0x01FFFFFFu}) {
        const int width = 537, height = 3, stride = DibStride24(width);
        std::vector<uint8_t> bits(stride * height, 0xAA);
        std::vector<uint8_t*> rows(height);
        for (int i = 0; i < height; ++i) {
            rows[i] = DibRowAddress(bits.data(), height, stride, i);
        }
        FillRows24(rows.data(), width, height, value);
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = bits.data() + y * stride;
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(row[3 * x], value & 0xFF) << std::hex << value;
                ASSERT_EQ(row[3 * x + 1], (value >> 8) & 0xFF) << std::hex << value;
                ASSERT_EQ(row[3 * x + 2], (value >> 16) & 0xFF) << std::hex << value;
            }
            EXPECT_EQ(row[stride - 1], 0xAA) << "padding byte of row " << y;
        }
    }
}

TEST(DibLayout, ColourRefBecomesBlueGreenRedBytes) {
    EXPECT_EQ(SwapRedBlue(0x000000FF), 0x00FF0000u);  // RGB(255,0,0) -> bytes 0,0,255
    EXPECT_EQ(SwapRedBlue(0x0099FEFF), 0x00FFFE99u);
    EXPECT_EQ(SwapRedBlue(0), 0u);
}

}  // namespace
