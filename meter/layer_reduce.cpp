#include "meter/layer_reduce.h"

#include "framework/lengths.h"

namespace {

constexpr int kMaxRowBytes = 3 * kFaceScale * kMaxLayer;
constexpr int kBlockShift = 4;  // a block is 16 samples

// Sum of four rows, column by column. Written as one flat loop so that the compiler
// vectorises it; the horizontal sums below then touch a quarter of the bytes.
void SumFourRows(const uint8_t* const* rows, int rowBytes, uint16_t* sums) {
    const uint8_t* __restrict a = rows[0];
    const uint8_t* __restrict b = rows[1];
    const uint8_t* __restrict c = rows[2];
    const uint8_t* __restrict d = rows[3];
    for (int i = 0; i < rowBytes; ++i) {
        sums[i] = static_cast<uint16_t>(a[i] + b[i] + c[i] + d[i]);
    }
}

}  // namespace

void ReduceLayer(const uint8_t* const* faceRows, const uint8_t* const* maskRows, int layerSize,
                 uint8_t* layer) {
    const int faceSize = kFaceScale * layerSize;
    const int rowBytes = 3 * faceSize;
    if (rowBytes > kMaxRowBytes) {
        return;
    }
    uint16_t face[kMaxRowBytes];
    uint16_t mask[kMaxRowBytes];
    uint8_t* out = layer;
    for (int k = 0; k < layerSize; ++k) {
        // Layer rows run bottom-up in memory, the tables top-down.
        const int r = faceSize - kFaceScale - kFaceScale * k;
        SumFourRows(faceRows + r, rowBytes, face);
        SumFourRows(maskRows + r, rowBytes, mask);
        for (int c = 0; c < rowBytes; c += 3 * kFaceScale, out += 4) {
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
