// A power sample with the four fields the meter reads. Free of windows.h: the
// native tests use it too.
#ifndef SORVANE_SAMPLE_MAKER_H
#define SORVANE_SAMPLE_MAKER_H

#include "meter/power_sample.h"

inline PowerSample MakeSample(uint8_t ac, uint8_t flag, uint8_t percent, uint32_t seconds) {
    return PowerSample{ac, flag, percent, 0, seconds, kUnknownTime};
}

#endif
