#include "imaging/dib_layout.h"

void FillRows24(uint8_t* const* rows, int width, int height, uint32_t value) {
    const uint8_t b = static_cast<uint8_t>(value);
    const uint8_t g = static_cast<uint8_t>(value >> 8);
    const uint8_t r = static_cast<uint8_t>(value >> 16);
    for (int y = 0; y < height; ++y) {
        uint8_t* p = rows[y];
        for (int x = 0; x < width; ++x, p += kBytesPerPixel24) {
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    }
}
