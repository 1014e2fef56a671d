// Memory layout of a bottom-up 24-bit DIB, free of Win32 so it is tested natively.
#ifndef SORVANE_DIB_LAYOUT_H
#define SORVANE_DIB_LAYOUT_H

#include <stddef.h>
#include <stdint.h>

constexpr int kBytesPerPixel24 = 3;

// Each row is rounded up to a multiple of 4 bytes.
constexpr int DibStride24(int width) { return (width * kBytesPerPixel24 + 3) / 4 * 4; }

// Entry i of the top-down row table: picture row i of a bottom-up image.
inline uint8_t* DibRowAddress(uint8_t* bits, int height, int stride, int row) {
    return bits + static_cast<ptrdiff_t>(height - 1 - row) * stride;
}

// Fills every pixel of every row with one grey, the same byte for blue, green and red;
// the bytes after the last pixel of a row are left alone.
void FillRows24(uint8_t* const* rows, int width, int height, uint8_t grey);

#endif
