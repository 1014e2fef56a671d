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

// Fills every pixel of every row with the bytes b, g, r taken from bits 0-23 of
// value; bytes after the last pixel of a row and bits 24-31 are left alone.
void FillRows24(uint8_t* const* rows, int width, int height, uint32_t value);

// COLORREF 0x00BBGGRR -> pixel value 0x00RRGGBB, stored as the bytes b, g, r.
constexpr uint32_t SwapRedBlue(uint32_t colour) {
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

#endif
