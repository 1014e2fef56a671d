// What one power sample means for the face: texts, colour, moon angles and the two
// fade rules. Free of Win32; the sample has the byte layout of SYSTEM_POWER_STATUS.
#ifndef SORVANE_POWER_SAMPLE_H
#define SORVANE_POWER_SAMPLE_H

#include <stdint.h>

struct PowerSample {
    uint8_t acLineStatus;        // 0 off mains, 1 on mains, kUnknown
    uint8_t batteryFlag;         // 1 high, 2 low, 4 critical, 8 charging, 128 none, kUnknown
    uint8_t batteryLifePercent;  // 0..100, kUnknown
    uint8_t reserved;
    uint32_t batteryLifeTime;      // seconds, kUnknownTime when unknown
    uint32_t batteryFullLifeTime;  // seconds, kUnknownTime when unknown
};
static_assert(sizeof(PowerSample) == 12, "a power sample is compared as 12 bytes");

constexpr uint8_t kUnknown = 255;  // what a byte field holds when the system cannot tell
constexpr uint8_t kAcOffline = 0;
constexpr uint8_t kAcOnline = 1;
constexpr uint8_t kBatteryFlagLow = 2;
constexpr uint8_t kBatteryFlagCritical = 4;
constexpr uint8_t kBatteryFlagCharging = 8;
constexpr uint8_t kBatteryFlagNone = 128;  // no system battery
constexpr uint32_t kUnknownTime = 0xFFFFFFFFu;
constexpr int kFullChargePercent = 95;
constexpr int kMinPhasePercent = 7;  // below this the crescent stops thinning

// Colours are COLORREF values, 0x00BBGGRR.
constexpr uint32_t kLightColour = 0x0099FEFF;  // RGB(255, 254, 153)
constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr uint32_t kNormalColour = 0x00A00000;    // RGB(0, 0, 160)
constexpr uint32_t kLowColour = 0x002500A0;       // RGB(160, 0, 37)
constexpr uint32_t kCriticalColour = 0x000000FF;  // RGB(255, 0, 0)

constexpr int kTextBufferSize = 100;
constexpr int kPollPeriodMs = 3000;

struct FaceDescription {
    double phase;  // radians, 0 full .. 0.93 pi
    double tilt;   // radians, -0.22 at 100 % .. -1.02 at 0 %
    char percentText[kTextBufferSize];
    char statusText[kTextBufferSize];
    uint32_t stateColour;
};

FaceDescription DescribeSample(const PowerSample& sample);

// The two draw the same face, pixel for pixel: the same texts in the same colour over
// the same moon. Many samples differ from the last only in the seconds of the time.
bool SameFace(const FaceDescription& a, const FaceDescription& b);

// Any differing byte, the reserved one and the full life time included, is a change.
bool SampleChanged(const PowerSample& previous, const PowerSample& sample);

// Just taken off mains power: the meter shows itself.
bool UnplugRule(const PowerSample& previous, const PowerSample& sample);

// On mains with a battery as full as it will get: nearly full (or an unknown charge),
// or held below full by a charge limit (present, not charging, neither low nor
// critical). The meter hides itself.
bool FullChargeRule(const PowerSample& sample);

// The flag's bits combine: a charging battery never warns; critical outranks low.
uint32_t StateColour(uint8_t batteryFlag);

// Running down on the battery, and critically low: the meter is then shown over anything.
bool CriticalOnBattery(const PowerSample& sample);

// What the tray icon's tip says of the battery, in ASCII: "57 % - 2:51 left",
// "Charging - 80 %", "80 % - held on mains", "On mains" without a battery. At most 39
// characters.
void DescribeForTip(const PowerSample& sample, char* text, int size);

#endif
