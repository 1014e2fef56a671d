#include "meter/power_sample.h"

#include "framework/format.h"
#include "meter/moon_geometry.h"

#include <string.h>

namespace {

constexpr int kFullPercent = 100;
constexpr double kFullTilt = -0.22;  // tilt at full charge
constexpr double kTiltRange = -0.8;  // added tilt from full to empty
constexpr unsigned kSecondsPerMinute = 60;
constexpr unsigned kMinutesPerHour = 60;

// An unknown line status is not taken as mains power: the face then shows the remaining
// time if the system has one, and the meter never hides itself on a guess.
bool OnMains(const PowerSample& sample) { return sample.acLineStatus == kAcOnline; }

struct HoursMinutes {
    int hours, minutes;
};

// At most 71,582,788 minutes: the hours fit an int.
HoursMinutes TimeLeft(uint32_t seconds) {
    const unsigned minutes = seconds / kSecondsPerMinute;
    return {static_cast<int>(minutes / kMinutesPerHour),
            static_cast<int>(minutes % kMinutesPerHour)};
}

}  // namespace

uint32_t StateColour(uint8_t batteryFlag) {
    // kUnknown has every bit set and so counts as charging.
    if (batteryFlag & (kBatteryFlagCharging | kBatteryFlagNone)) {
        return kNormalColour;
    }
    if (batteryFlag & kBatteryFlagCritical) {
        return kCriticalColour;
    }
    return batteryFlag & kBatteryFlagLow ? kLowColour : kNormalColour;
}

FaceDescription DescribeSample(const PowerSample& sample) {
    FaceDescription d;
    const int percent =
        sample.batteryLifePercent > kFullPercent ? kFullPercent : sample.batteryLifePercent;
    const int q = percent < kMinPhasePercent ? kMinPhasePercent : percent;
    d.phase = kPi - (q / 100.0) * kPi;
    d.tilt = ((kFullPercent - percent) / 100.0) * kTiltRange + kFullTilt;

    FormatText(d.percentText, sizeof(d.percentText), "%d%%", percent);
    if (OnMains(sample)) {
        FormatText(d.statusText, sizeof(d.statusText), "Online");
    } else if (sample.batteryLifeTime == kUnknownTime) {
        FormatText(d.statusText, sizeof(d.statusText), "--:--");
    } else {
        const HoursMinutes left = TimeLeft(sample.batteryLifeTime);
        FormatText(d.statusText, sizeof(d.statusText), "%02d:%02d", left.hours, left.minutes);
    }
    d.stateColour = StateColour(sample.batteryFlag);
    return d;
}

bool SameFace(const FaceDescription& a, const FaceDescription& b) {
    return strcmp(a.percentText, b.percentText) == 0 && strcmp(a.statusText, b.statusText) == 0 &&
           a.stateColour == b.stateColour && a.phase == b.phase && a.tilt == b.tilt;
}

bool SampleChanged(const PowerSample& previous, const PowerSample& sample) {
    return memcmp(&previous, &sample, sizeof(PowerSample)) != 0;
}

bool UnplugRule(const PowerSample& previous, const PowerSample& sample) {
    return previous.acLineStatus == kAcOnline && sample.acLineStatus == kAcOffline;
}

bool FullChargeRule(const PowerSample& sample) {
    if (!OnMains(sample)) {
        return false;
    }
    // The raw byte, before the limit to 100: an unknown charge counts as full.
    if (sample.batteryLifePercent >= kFullChargePercent) {
        return true;
    }
    // A charge limit stops the battery short of full; a weak charger that leaves it
    // low is not such a stop, and the meter stays.
    constexpr uint8_t kNotHeld =
        kBatteryFlagCharging | kBatteryFlagLow | kBatteryFlagCritical | kBatteryFlagNone;
    return (sample.batteryFlag & kNotHeld) == 0;
}

bool CriticalOnBattery(const PowerSample& sample) {
    constexpr uint8_t kNotWarned = kBatteryFlagCharging | kBatteryFlagNone;  // kUnknown too
    return sample.acLineStatus == kAcOffline && (sample.batteryFlag & kBatteryFlagCritical) &&
           !(sample.batteryFlag & kNotWarned);
}

void DescribeForTip(const PowerSample& sample, char* text, int size) {
    const int percent = sample.batteryLifePercent;
    const bool noBattery =
        sample.batteryFlag != kUnknown && (sample.batteryFlag & kBatteryFlagNone) != 0;
    if (noBattery || percent > kFullPercent) {
        FormatText(text, size,
                   OnMains(sample) ? "On mains"
                   : noBattery     ? "No battery"
                                   : "On battery");
    } else if (OnMains(sample)) {
        if (sample.batteryFlag != kUnknown && (sample.batteryFlag & kBatteryFlagCharging)) {
            FormatText(text, size, "Charging - %d %%", percent);
        } else {
            FormatText(text, size,
                       FullChargeRule(sample) && percent < kFullChargePercent
                           ? "%d %% - held on mains"
                           : "%d %% - on mains",
                       percent);
        }
    } else if (sample.batteryLifeTime == kUnknownTime) {
        FormatText(text, size, "%d %% - on battery", percent);
    } else {
        const HoursMinutes left = TimeLeft(sample.batteryLifeTime);
        FormatText(text, size, "%d %% - %d:%02d left", percent, left.hours, left.minutes);
    }
}
