// The window's picture: a 32-bit, bottom-up DIB section of size x size pixels, selected
// into a memory DC compatible with the screen, whose DC it holds while it lives.
#ifndef SORVANE_LAYER_SURFACE_H
#define SORVANE_LAYER_SURFACE_H

#include <stdint.h>

#include "framework/owned_handles.h"

struct LayerSurface {
    LayerSurface() = default;
    LayerSurface& operator=(LayerSurface&& other);

    // Whole or not at all.
    bool Make(int size);
    // The bitmap out of the DC first, then the DCs, then the bitmap: the order of the
    // members, which their destruction follows too.
    void Release();

    GdiObject<HBITMAP> bitmap;
    ScreenDC screen;
    MemoryDC dc;
    Selection selected;  // the bitmap in dc
    uint8_t* bits = nullptr;
    int size = 0;
};

#endif
