#include <gtest/gtest.h>

#include <random>
#include <string.h>
#include <vector>

#include "meter/layer_reduce.h"
#include "meter/moon_geometry.h"
#include "tests/support/reference_reduce.h"

namespace {

constexpr int kRow = kFaceSize * 3;

// A 240 x 240 picture with a top-down row table, laid out bottom-up in memory as
// the DIB sections are.
struct Picture {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(kRow * kFaceSize, 0);
    std::vector<uint8_t*> rows = std::vector<uint8_t*>(kFaceSize);
    Picture() {
        for (int y = 0; y < kFaceSize; ++y) {
            rows[y] = bytes.data() + (kFaceSize - 1 - y) * kRow;
        }
    }
    uint8_t* Pixel(int x, int y) { return rows[y] + 3 * x; }
};

struct Layer {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(kLayerBytes, 0xCD);
    // Picture coordinates: y = 0 is the window's top row, stored last.
    const uint8_t* Pixel(int x, int y) const {
        return bytes.data() + ((kLayerSize - 1 - y) * kLayerSize + x) * 4;
    }
};

void Reduce(Picture& face, Picture& mask, Layer& out) {
    ReduceLayer(face.rows.data(), mask.rows.data(), out.bytes.data());
}

TEST(LayerReduce, BlackPicturesGiveATransparentLayer) {
    Picture face, mask;
    Layer out;
    Reduce(face, mask, out);
    for (uint8_t b : out.bytes) {
        ASSERT_EQ(b, 0);
    }
}

TEST(LayerReduce, AlphaIsTheTruncatedMeanOfTheMaskGreen) {
    struct Case {
        int pixels;     // how many of the 16 mask pixels of block (0, 0) are set
        uint8_t green;  // their green
        uint8_t alpha;
    };
    const Case cases[] = {{16, 255, 255}, {16, 254, 254}, {1, 255, 15},
                          {15, 255, 239}, {8, 1, 0},      {16, 1, 1}};
    for (const Case& c : cases) {
        Picture face, mask;
        for (int i = 0; i < c.pixels; ++i) {
            mask.Pixel(i % 4, i / 4)[1] = c.green;
        }
        Layer out;
        Reduce(face, mask, out);
        EXPECT_EQ(out.Pixel(0, 0)[3], c.alpha) << c.pixels << " x " << int(c.green);
    }
}

TEST(LayerReduce, OnlyTheMaskGreenBecomesAlpha) {
    Picture face, mask;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            mask.Pixel(x, y)[0] = 255;
            mask.Pixel(x, y)[2] = 255;
        }
    }
    Layer out;
    Reduce(face, mask, out);
    EXPECT_EQ(out.Pixel(0, 0)[3], 0);
}

TEST(LayerReduce, ChannelsKeepTheirOrderAndPlace) {
    // One distinct colour per corner block; the layer is bottom-up in memory.
    Picture face, mask;
    struct Block {
        int x, y;  // layer pixel
        uint8_t b, g, r, a;
    };
    const Block blocks[] = {{0, 0, 10, 20, 30, 40},
                            {59, 0, 50, 60, 70, 80},
                            {0, 59, 90, 100, 110, 120},
                            {59, 59, 130, 140, 150, 160}};
    for (const Block& k : blocks) {
        for (int dy = 0; dy < 4; ++dy) {
            for (int dx = 0; dx < 4; ++dx) {
                uint8_t* f = face.Pixel(4 * k.x + dx, 4 * k.y + dy);
                f[0] = k.b;
                f[1] = k.g;
                f[2] = k.r;
                mask.Pixel(4 * k.x + dx, 4 * k.y + dy)[1] = k.a;
            }
        }
    }
    Layer out;
    Reduce(face, mask, out);
    for (const Block& k : blocks) {
        const uint8_t* p = out.Pixel(k.x, k.y);
        EXPECT_EQ(p[0], k.b);
        EXPECT_EQ(p[1], k.g);
        EXPECT_EQ(p[2], k.r);
        EXPECT_EQ(p[3], k.a);
    }
    // The first bytes in memory are the bottom-left block (rows 236..239).
    EXPECT_EQ(out.bytes[0], 90);
    EXPECT_EQ(out.bytes[3], 120);
    // The last four bytes are the top-right block (rows 0..3, columns 236..239).
    EXPECT_EQ(out.bytes[kLayerBytes - 4], 50);
    EXPECT_EQ(out.bytes[kLayerBytes - 1], 80);
}

TEST(LayerReduce, EverySourcePixelCountsOnceInItsOwnBlock) {
    // A single bright pixel anywhere lands in exactly one layer pixel, as 15.
    const int probes[][2] = {{0, 0}, {3, 3}, {4, 0}, {239, 239}, {120, 57}, {237, 2}};
    for (const auto& probe : probes) {
        Picture face, mask;
        face.Pixel(probe[0], probe[1])[2] = 255;
        mask.Pixel(probe[0], probe[1])[1] = 255;
        Layer out;
        Reduce(face, mask, out);
        int lit = 0;
        for (int y = 0; y < kLayerSize; ++y) {
            for (int x = 0; x < kLayerSize; ++x) {
                const uint8_t* p = out.Pixel(x, y);
                if (p[2] || p[3]) {
                    ++lit;
                    EXPECT_EQ(x, probe[0] / 4);
                    EXPECT_EQ(y, probe[1] / 4);
                    EXPECT_EQ(p[2], 15);
                    EXPECT_EQ(p[3], 15);
                }
            }
        }
        EXPECT_EQ(lit, 1) << probe[0] << "," << probe[1];
    }
}

TEST(LayerReduce, MatchesThePixelByPixelReferenceOnNoise) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 4; ++round) {
        Picture face, mask;
        for (uint8_t& b : face.bytes) {
            b = static_cast<uint8_t>(random());
        }
        for (uint8_t& b : mask.bytes) {
            b = static_cast<uint8_t>(random());
        }
        Layer fast, reference;
        Reduce(face, mask, fast);
        ReduceLayerReference(face.rows.data(), mask.rows.data(), reference.bytes.data());
        ASSERT_EQ(memcmp(fast.bytes.data(), reference.bytes.data(), kLayerBytes), 0);
    }
}

}  // namespace
