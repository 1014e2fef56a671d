#include "meter/layer_reduce.h"

#include "meter/moon_geometry.h"

namespace {

constexpr int kRowBytes = kFaceSize * 3;
constexpr int kBlockShift = 4;  // a block is 16 samples

// Sum of four rows, column by column. Written as one flat loop so that the compiler
// vectorises it; the horizontal sums below then touch 720 words instead of 2880 bytes.
void SumFourRows(const uint8_t* const* rows, uint16_t* sums) {
    const uint8_t* __restrict a = rows[0];
    const uint8_t* __restrict b = rows[1];
    const uint8_t* __restrict c = rows[2];
    const uint8_t* __restrict d = rows[3];
    for (int i = 0; i < kRowBytes; ++i) {
        sums[i] = static_cast<uint16_t>(a[i] + b[i] + c[i] + d[i]);
    }
}

}  // namespace

void ReduceLayer(const uint8_t* const* faceRows, const uint8_t* const* maskRows, uint8_t* layer) {
    uint16_t face[kRowBytes];
    uint16_t mask[kRowBytes];
    uint8_t* out = layer;
    for (int k = 0; k < kLayerSize; ++k) {
        // Layer rows run bottom-up in memory, the tables top-down.
        const int r = kFaceSize - kReduction - kReduction * k;
        SumFourRows(faceRows + r, face);
        SumFourRows(maskRows + r, mask);
        for (int c = 0; c < kRowBytes; c += 3 * kReduction, out += 4) {
            out[0] = static_cast<uint8_t>((face[c] + face[c + 3] + face[c + 6] + face[c + 9]) >>
                                          kBlockShift);
            out[1] = static_cast<uint8_t>(
                (face[c + 1] + face[c + 4] + face[c + 7] + face[c + 10]) >> kBlockShift);
            out[2] = static_cast<uint8_t>(
                (face[c + 2] + face[c + 5] + face[c + 8] + face[c + 11]) >> kBlockShift);
            out[3] = static_cast<uint8_t>(
                (mask[c + 1] + mask[c + 4] + mask[c + 7] + mask[c + 10]) >> kBlockShift);
        }
    }
}
