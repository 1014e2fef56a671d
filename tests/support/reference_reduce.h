// The layer reduction written the obvious way, pixel by pixel in picture
// coordinates: the fast one is checked and measured against it.
#ifndef SORVANE_REFERENCE_REDUCE_H
#define SORVANE_REFERENCE_REDUCE_H

#include <stdint.h>

void ReduceLayerReference(const uint8_t* const* faceRows, const uint8_t* const* maskRows,
                          uint8_t* layer);

#endif
