#include "meter/battery_alerts.h"

#include <string.h>

#include "framework/format.h"

int ParseAlertLevel(const char* text, int fallback) {
    int level = 0;
    const size_t length = strlen(text);
    if (length == 0 || length > 2) {
        return fallback;
    }
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') {
            return fallback;
        }
        level = level * 10 + (*c - '0');
    }
    return level >= kLowestAlertLevel && level <= kHighestAlertLevel ? level : fallback;
}

bool ParseAlertSwitch(const char* text, bool fallback) {
    return strcmp(text, "on") == 0 ? true : strcmp(text, "off") == 0 ? false : fallback;
}

AlertStep BatteryAlerts::Observe(const PowerSample& sample) {
    AlertStep step = {AlertKind::kNone, false};
    const uint8_t ac = sample.acLineStatus;
    if (ac == kAcOffline || ac == kAcOnline) {
        step.plugChanged = m_plug != 255 && ac != m_plug;
        m_lowArmed |= step.plugChanged;
        m_unplugArmed |= step.plugChanged;
        m_plug = ac;
    }
    const uint8_t flag = sample.batteryFlag;
    const int percent = sample.batteryLifePercent;
    if (flag == 255 || (flag & kBatteryFlagNone) || percent > 100) {
        return step;  // nothing known of the charge: nothing crossed
    }
    m_lowArmed |= percent >= m_settings.lowLevel + kRearmPoints;
    m_unplugArmed |= percent <= m_settings.unplugLevel - kRearmPoints;
    if (ac == kAcOffline && percent <= m_settings.lowLevel && m_lowArmed) {
        m_lowArmed = false;
        step.alert = m_settings.lowOn ? AlertKind::kLow : AlertKind::kNone;
    } else if (ac == kAcOnline && (flag & kBatteryFlagCharging) &&
               percent >= m_settings.unplugLevel && m_unplugArmed) {
        // Held on mains by a charge limit, the battery is not charging: never told.
        m_unplugArmed = false;
        step.alert = m_settings.unplugOn ? AlertKind::kUnplug : AlertKind::kNone;
    }
    return step;
}

void BatteryAlerts::Toggle(AlertKind kind) {
    if (kind == AlertKind::kLow) {
        m_settings.lowOn = !m_settings.lowOn;
    } else if (kind == AlertKind::kUnplug) {
        m_settings.unplugOn = !m_settings.unplugOn;
    }
}

void DescribeAlert(AlertKind kind, const PowerSample& sample, char* title, int titleSize,
                   char* text, int textSize) {
    const int percent = sample.batteryLifePercent;
    if (kind == AlertKind::kUnplug) {
        FormatText(title, titleSize, "Battery charged");
        FormatText(text, textSize, "%d %% charged. You can unplug the charger.", percent);
        return;
    }
    FormatText(title, titleSize, "Battery low");
    const unsigned minutes = sample.batteryLifeTime / 60;
    if (sample.batteryLifeTime == kUnknownTime) {
        FormatText(text, textSize, "%d %% left. Plug in the charger.", percent);
    } else {
        FormatText(text, textSize, "%d %% left, about %d:%02d. Plug in the charger.", percent,
                   int(minutes / 60), int(minutes % 60));
    }
}
