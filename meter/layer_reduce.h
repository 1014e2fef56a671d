// The 4 x 4 box reduction of the two 240 x 240 pictures into the 60 x 60 layer.
// Free of Win32.
#ifndef SORVANE_LAYER_REDUCE_H
#define SORVANE_LAYER_REDUCE_H

#include <stdint.h>

constexpr int kLayerSize = 60;
constexpr int kReduction = 4;
constexpr int kLayerBytes = kLayerSize * kLayerSize * 4;

// faceRows and maskRows are top-down tables of 240 rows of 240 blue-green-red pixels.
// layer receives 60 x 60 blue-green-red-alpha pixels, bottom row first, each the
// truncated mean of its 4 x 4 block (alpha from the mask's green).
void ReduceLayer(const uint8_t* const* faceRows, const uint8_t* const* maskRows, uint8_t* layer);

#endif
