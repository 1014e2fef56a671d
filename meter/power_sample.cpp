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

// An unknown line status (255) is not taken as mains power: the face then shows the
// remaining time if the system has one, and the meter never hides itself on a guess.
bool OnMains(const PowerSample& sample) { return sample.acLineStatus == kAcOnline; }

}  // namespace

uint32_t StateColour(uint8_t batteryFlag) {
    // 255 (unknown) has every bit set and so counts as charging.
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
    d.percent = sample.batteryLifePercent > kFullPercent ? kFullPercent : sample.batteryLifePercent;
    d.onMains = OnMains(sample);

    const int q = d.percent < kMinPhasePercent ? kMinPhasePercent : d.percent;
    d.phase = kPi - (q / 100.0) * kPi;
    d.tilt = ((kFullPercent - d.percent) / 100.0) * kTiltRange + kFullTilt;

    FormatText(d.percentText, sizeof(d.percentText), "%d%%", d.percent);
    if (d.onMains) {
        FormatText(d.statusText, sizeof(d.statusText), "Online");
    } else if (sample.batteryLifeTime == kUnknownTime) {
        FormatText(d.statusText, sizeof(d.statusText), "--:--");
    } else {
        // At most 71,582,788 minutes: the hours fit an int.
        const unsigned minutes = sample.batteryLifeTime / kSecondsPerMinute;
        FormatText(d.statusText, sizeof(d.statusText), "%02d:%02d",
                   static_cast<int>(minutes / kMinutesPerHour),
                   static_cast<int>(minutes % kMinutesPerHour));
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
    // The raw byte, before the limit to 100: an unknown charge (255) counts as full.
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
    constexpr uint8_t kNotWarned = kBatteryFlagCharging | kBatteryFlagNone;  // 255 too
    return sample.acLineStatus == kAcOffline && (sample.batteryFlag & kBatteryFlagCritical) &&
           !(sample.batteryFlag & kNotWarned);
}

void DescribeForTip(const PowerSample& sample, char* text, int size) {
    const int percent = sample.batteryLifePercent;
    const bool noBattery =
        sample.batteryFlag != 255 && (sample.batteryFlag & kBatteryFlagNone) != 0;
    if (noBattery || percent > kFullPercent) {
        FormatText(text, size,
                   OnMains(sample) ? "On mains"
                   : noBattery     ? "No battery"
                                   : "On battery");
    } else if (OnMains(sample)) {
        if (sample.batteryFlag != 255 && (sample.batteryFlag & kBatteryFlagCharging)) {
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
        const unsigned minutes = sample.batteryLifeTime / kSecondsPerMinute;
        FormatText(text, size, "%d %% - %d:%02d left", percent,
                   static_cast<int>(minutes / kMinutesPerHour),
                   static_cast<int>(minutes % kMinutesPerHour));
    }
}
