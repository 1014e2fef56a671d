// The layer reduction written the obvious way, pixel by pixel in picture
// coordinates: the fast one is checked and measured against it.
#ifndef SORVANE_REFERENCE_REDUCE_H
#define SORVANE_REFERENCE_REDUCE_H

#include <stdint.h>

inline void ReduceLayerReference(const uint8_t* const* face, const uint8_t* const* mask, int size,
                                 uint8_t* layer) {
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            unsigned sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < 16; ++j) {
                const int row = 4 * y + j / 4, at = 3 * (4 * x + j % 4);
                sum[0] += face[row][at], sum[1] += face[row][at + 1], sum[2] += face[row][at + 2];
                sum[3] += mask[row][at + 1];  // the mask's green is the alpha
            }
            for (int c = 0; c < 4; ++c) {  // the window's top row is stored last
                layer[((size - 1 - y) * size + x) * 4 + c] = uint8_t(sum[c] / 16);
            }
        }
    }
}

#endif
