// A power sample with the four fields the meter reads; shared by the native and
// the Win32 tests, so it stays free of windows.h.
#ifndef SORVANE_SAMPLE_MAKER_H
#define SORVANE_SAMPLE_MAKER_H

#include "meter/power_sample.h"

inline PowerSample MakeSample(uint8_t ac, uint8_t flag, uint8_t percent, uint32_t seconds) {
    PowerSample s{};
    s.acLineStatus = ac;
    s.batteryFlag = flag;
    s.batteryLifePercent = percent;
    s.batteryLifeTime = seconds;
    s.batteryFullLifeTime = kUnknownTime;
    return s;
}

#endif
