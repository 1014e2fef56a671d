// The texts' outline above 100 %: one drawing of a text, spread over every offset of the
// outline at once, then mixed into the face. Free of Win32.
#ifndef SORVANE_OUTLINE_SPREAD_H
#define SORVANE_OUTLINE_SPREAD_H

#include <stdint.h>

struct CoverageBox {
    int left, top, right, bottom;  // right and bottom excluded; empty when left >= right
};

// rows: height top-down rows of width blue-green-red pixels holding the text drawn light
// on black; its green is the text's coverage. Each green becomes the largest in the reach
// x reach block that starts at its pixel and runs right and down: what the text drawn at
// every offset of that block covers. Returns the box beyond which none is covered.
CoverageBox SpreadCoverage(uint8_t* const* rows, int width, int height, int reach);

// Mixes colour (a COLORREF, 0x00BBGGRR) into width blue-green-red pixels as far as the
// green of the coverage beside each says: not at all at 0, wholly at 255.
void MixByCoverage(uint8_t* pixels, const uint8_t* coverage, int width, uint32_t colour);

#endif
