#include "meter/power_watch.h"

#include <string.h>

#include "meter/power_sample.h"
#include "resources/resource.h"

void PowerWatch::Start(HWND window, const NewerApi& api) {
    Stop();  // a registration of before would be lost, and never given back
    m_window = window;
    m_api = api;
    m_screenOn = true;
    StartPollTimer();
    // This session's display, off (0), on (1) or dimmed (2), not the console's: in a
    // remote session a console screen going dark must not stop the poll. Windows answers
    // at once with its state, which finds it on.
    if (m_api.registerPowerSettingNotification) {
        m_displayNotify = m_api.registerPowerSettingNotification(
            window, &GUID_SESSION_DISPLAY_STATUS, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
}

void PowerWatch::Stop() {
    if (m_displayNotify && m_api.unregisterPowerSettingNotification) {
        m_api.unregisterPowerSettingNotification(m_displayNotify);
    }
    m_displayNotify = nullptr;
    if (m_window) {
        KillTimer(m_window, TIMER_POLL);
    }
    m_pollTimerOn = false;
}

// The poll is the fallback for what Windows does not announce.
void PowerWatch::StartPollTimer() {
    m_pollTimerOn =
        (m_api.setCoalescableTimer ? m_api.setCoalescableTimer(m_window, TIMER_POLL, kPollPeriodMs,
                                                               nullptr, kPollToleranceMs)
                                   : SetTimer(m_window, TIMER_POLL, kPollPeriodMs, nullptr)) != 0;
}

void PowerWatch::RetryRefusedTimer() {
    if (!m_pollTimerOn && m_screenOn) {
        StartPollTimer();
    }
}

bool PowerWatch::OnBroadcast(WPARAM event, LPARAM data) {
    switch (event) {
    case PBT_APMPOWERSTATUSCHANGE:  // plugged, unplugged: whatever the screen shows
    case PBT_APMRESUMEAUTOMATIC:    // awake: the face is never stale after sleep
    case PBT_APMRESUMESUSPEND:
        return true;
    case PBT_POWERSETTINGCHANGE: {
        const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(data);
        if (setting && setting->PowerSetting == GUID_SESSION_DISPLAY_STATUS &&
            setting->DataLength >= sizeof(DWORD)) {
            DWORD state;
            memcpy(&state, setting->Data, sizeof(state));
            const bool wasOn = m_screenOn;
            OnDisplayState(state);
            return m_screenOn && !wasOn;
        }
        return false;
    }
    default:
        return false;
    }
}

// A dark screen costs nothing: no poll wakes the processor until it is on again. A
// dimmed screen is still seen.
void PowerWatch::OnDisplayState(DWORD state) {
    const bool on = state != 0;
    if (on == m_screenOn) {
        return;
    }
    m_screenOn = on;
    if (!on) {
        KillTimer(m_window, TIMER_POLL);
        m_pollTimerOn = false;
        return;
    }
    StartPollTimer();
}
