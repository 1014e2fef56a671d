#include "meter/layer_reduce.h"

#include <string.h>

#include "framework/lengths.h"

namespace {

constexpr int kMaxRowBytes = 3 * kFaceScale * kMaxLayer;
constexpr int kBlockShift = 4;  // a block is 16 samples

// Sum of four rows, column by column, in flat loops that the compiler vectorises. The
// first stops at a whole number of 16-byte vectors: a count that plainly needs no
// remainder is vectorised at -O2 too, and costs no epilogue at -O3. A row of any
// other layer size leaves its last 4, 8 or 12 bytes to the second.
void SumFourRows(const uint8_t* const* rows, int rowBytes, uint16_t* __restrict sums) {
    const uint8_t* __restrict a = rows[0];
    const uint8_t* __restrict b = rows[1];
    const uint8_t* __restrict c = rows[2];
    const uint8_t* __restrict d = rows[3];
    const int whole = rowBytes & ~15;
    for (int i = 0; i < whole; ++i) {
        sums[i] = static_cast<uint16_t>(a[i] + b[i] + c[i] + d[i]);
    }
    for (int i = whole; i < rowBytes; ++i) {
        sums[i] = static_cast<uint16_t>(a[i] + b[i] + c[i] + d[i]);
    }
}

// The four columns of one block, summed three channels at a time in the 16-bit lanes
// of one word (4 x 1020 carries into no other lane) and divided by 16: the low byte of
// lanes 0 to 2 is the block's mean of sums[0], [1] and [2]. The shift lets a lane's
// neighbour into its top four bits, which that byte does not see; lane 3 is not used.
uint64_t SumBlock(const uint16_t* sums) {
    const auto column = [](const uint16_t* at) {
        uint64_t lanes;
        memcpy(&lanes, at, sizeof(lanes));
        return lanes;
    };
    return (column(sums) + column(sums + 3) + column(sums + 6) + column(sums + 9)) >> kBlockShift;
}

}  // namespace

void ReduceLayer(const uint8_t* const* faceRows, const uint8_t* const* maskRows, int layerSize,
                 uint8_t* layer) {
    const int faceSize = kFaceScale * layerSize;
    const int rowBytes = 3 * faceSize;
    if (rowBytes > kMaxRowBytes) {
        return;
    }
    // The last block reads a column or two past the row, into lanes it does not use.
    uint16_t face[kMaxRowBytes + 2];
    uint16_t mask[kMaxRowBytes + 2];
    face[rowBytes] = mask[rowBytes] = mask[rowBytes + 1] = 0;
    uint8_t* out = layer;
    for (int k = 0; k < layerSize; ++k) {
        // Layer rows run bottom-up in memory, the tables top-down.
        const int r = faceSize - kFaceScale - kFaceScale * k;
        SumFourRows(faceRows + r, rowBytes, face);
        SumFourRows(maskRows + r, rowBytes, mask);
        for (int c = 0; c < rowBytes; c += 3 * kFaceScale, out += 4) {
            // Lanes in memory order, whatever the machine's byte order.
            uint16_t colour[4], alpha[4];
            const uint64_t colourLanes = SumBlock(face + c), alphaLanes = SumBlock(mask + c + 1);
            memcpy(colour, &colourLanes, sizeof(colour));
            memcpy(alpha, &alphaLanes, sizeof(alpha));
            out[0] = static_cast<uint8_t>(colour[0]);
            out[1] = static_cast<uint8_t>(colour[1]);
            out[2] = static_cast<uint8_t>(colour[2]);
            out[3] = static_cast<uint8_t>(alpha[0]);  // the mask's green
        }
    }
}
