// The 4 x 4 box reduction of the face and the mask into the window's layer. Free of
// Win32.
#ifndef SORVANE_LAYER_REDUCE_H
#define SORVANE_LAYER_REDUCE_H

#include <stdint.h>

// faceRows and maskRows are top-down tables of 4 x layerSize rows of as many
// blue-green-red pixels. layer receives layerSize x layerSize blue-green-red-alpha
// pixels, bottom row first, each the truncated mean of its 4 x 4 block (alpha from
// the mask's green).
void ReduceLayer(const uint8_t* const* faceRows, const uint8_t* const* maskRows, int layerSize,
                 uint8_t* layer);

#endif
