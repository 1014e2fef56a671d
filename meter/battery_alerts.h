// The two alerts a user sets a level for: low, on battery power, and charged enough to
// unplug, while charging. Each tells once as the charge crosses its level, and is armed
// again only when the charge has come back past it by kRearmPoints, or the plug was
// pulled or put in: jitter around a level never repeats it. Free of Win32.
#ifndef SORVANE_BATTERY_ALERTS_H
#define SORVANE_BATTERY_ALERTS_H

#include "meter/power_sample.h"

constexpr int kLowestAlertLevel = 5;
constexpr int kHighestAlertLevel = 95;
constexpr int kRearmPoints = 3;

struct AlertSettings {
    int lowLevel = 20;
    bool lowOn = true;
    int unplugLevel = 80;
    bool unplugOn = false;
};

enum class AlertKind { kNone, kLow, kUnplug };

// What one sample means for the alerts: the one to tell, if any, and whether the plug
// changed since the last known line status (a balloon about the old one is then stale).
struct AlertStep {
    AlertKind alert;
    bool plugChanged;
};

// "5" to "95", digits alone; anything else is the fallback.
int ParseAlertLevel(const char* text, int fallback);
// "on" or "off"; anything else is the fallback.
bool ParseAlertSwitch(const char* text, bool fallback);

class BatteryAlerts {
public:
    explicit BatteryAlerts(const AlertSettings& settings = AlertSettings{})
        : m_settings(settings) {}

    AlertStep Observe(const PowerSample& sample);
    // A switched-off alert still follows the charge, so that switching it on again tells
    // nothing until the next crossing.
    void Toggle(AlertKind kind);
    const AlertSettings& Settings() const { return m_settings; }

private:
    AlertSettings m_settings;
    bool m_lowArmed = true;
    bool m_unplugArmed = true;
    uint8_t m_plug = 255;  // the last known line status
};

// The balloon's title and text, in ASCII, within the shell's 63 and 255 characters:
// "Battery low", "20 % left, about 0:45. Plug in the charger."
void DescribeAlert(AlertKind kind, const PowerSample& sample, char* title, int titleSize,
                   char* text, int textSize);

#endif
