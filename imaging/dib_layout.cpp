#include "imaging/dib_layout.h"

#include <string.h>

void FillRows24(uint8_t* const* rows, int width, int height, uint32_t value) {
    const uint8_t b = static_cast<uint8_t>(value);
    const uint8_t g = static_cast<uint8_t>(value >> 8);
    const uint8_t r = static_cast<uint8_t>(value >> 16);
    if (b == g && g == r) {
        // Black (every redraw fills with it) and white: one byte pattern per row.
        for (int y = 0; y < height; ++y) {
            memset(rows[y], b, static_cast<size_t>(width) * kBytesPerPixel24);
        }
        return;
    }
    for (int y = 0; y < height; ++y) {
        uint8_t* p = rows[y];
        for (int x = 0; x < width; ++x, p += kBytesPerPixel24) {
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    }
}
