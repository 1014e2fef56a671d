#include "imaging/dib_layout.h"

#include <string.h>

void FillRows24(uint8_t* const* rows, int width, int height, uint8_t grey) {
    for (int y = 0; y < height; ++y) {
        memset(rows[y], grey, static_cast<size_t>(width) * kBytesPerPixel24);
    }
}
