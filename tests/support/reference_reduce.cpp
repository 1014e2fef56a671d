#include "tests/support/reference_reduce.h"

#include "meter/layer_reduce.h"

void ReduceLayerReference(const uint8_t* const* faceRows, const uint8_t* const* maskRows,
                          uint8_t* layer) {
    for (int y = 0; y < kLayerSize; ++y) {
        uint8_t* out = layer + (kLayerSize - 1 - y) * kLayerSize * 4;
        for (int x = 0; x < kLayerSize; ++x, out += 4) {
            unsigned sum[4] = {0, 0, 0, 0};
            for (int dy = 0; dy < kReduction; ++dy) {
                for (int dx = 0; dx < kReduction; ++dx) {
                    const int row = kReduction * y + dy;
                    const int offset = 3 * (kReduction * x + dx);
                    for (int channel = 0; channel < 3; ++channel) {
                        sum[channel] += faceRows[row][offset + channel];
                    }
                    sum[3] += maskRows[row][offset + 1];
                }
            }
            for (int channel = 0; channel < 4; ++channel) {
                out[channel] = static_cast<uint8_t>(sum[channel] / 16);
            }
        }
    }
}
