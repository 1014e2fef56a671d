#include "meter/outline_spread.h"

namespace {

constexpr int kPixelBytes = 3;
constexpr int kGreen = 1;
constexpr int kFull = 255;

int Least(int a, int b) { return a < b ? a : b; }
int Most(int a, int b) { return a > b ? a : b; }

// Each of count greens takes the larger of its own and the one beside it in other.
void TakeLarger(uint8_t* green, const uint8_t* other, int count) {
    for (int i = 0; i < kPixelBytes * count; i += kPixelBytes) {
        green[i] = green[i] < other[i] ? other[i] : green[i];
    }
}

}  // namespace

CoverageBox SpreadCoverage(uint8_t* const* rows, int width, int height, int reach) {
    CoverageBox box = {width, height, 0, 0};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (rows[y][kPixelBytes * x + kGreen]) {
                box = {Least(box.left, x), Least(box.top, y), Most(box.right, x + 1), y + 1};
            }
        }
    }
    // Coverage only moves left and up, as far as the block reaches.
    box.left = Most(box.left - reach + 1, 0), box.top = Most(box.top - reach + 1, 0);
    const int count = box.right - box.left;
    // Blocks that double, then the rest: log2(reach) passes, each taking at every pixel
    // the largest green of a shift right and down, which this pass has not yet changed.
    for (int covered = 1; covered < reach && count > 0;) {
        const int shift = Least(covered, reach - covered);
        for (int y = box.top; y < box.bottom; ++y) {
            uint8_t* green = rows[y] + kPixelBytes * box.left + kGreen;
            TakeLarger(green, green + kPixelBytes * shift, count - shift);
        }
        for (int y = box.top; y + shift < box.bottom; ++y) {
            TakeLarger(rows[y] + kPixelBytes * box.left + kGreen,
                       rows[y + shift] + kPixelBytes * box.left + kGreen, count);
        }
        covered += shift;
    }
    return box;
}

void MixByCoverage(uint8_t* pixels, const uint8_t* coverage, int width, uint32_t colour) {
    const int ink[kPixelBytes] = {static_cast<int>(colour >> 16 & 0xFF),
                                  static_cast<int>(colour >> 8 & 0xFF),
                                  static_cast<int>(colour & 0xFF)};
    for (int x = 0; x < width; ++x, pixels += kPixelBytes, coverage += kPixelBytes) {
        const int share = coverage[kGreen];
        for (int c = 0; share && c < kPixelBytes; ++c) {
            pixels[c] = static_cast<uint8_t>(
                (pixels[c] * (kFull - share) + ink[c] * share + kFull / 2) / kFull);
        }
    }
}
