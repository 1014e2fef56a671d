#include "mainwin/mainwin.h"

#include "resources/resource.h"

int CMainWin::FadeTo(int show, int step) {
    // A hidden meter comes back where it belongs, whatever the monitors did meanwhile.
    if (show && !IsWindowVisible(m_hwnd)) {
        GoTo(m_place.Where(PrimaryLengths()));
    }
    // A refused timer leaves the fade waiting for the next poll to start it.
    if (RequestFade(m_fade, show, step) && !StartTimer(TIMER_FADE, kFadePeriodMs)) {
        m_fade.timerRunning = 0;
    }
    return 1;
}

void CMainWin::FadeTick() {
    const FadeOutcome tick = AdvanceFade(m_fade);
    if (tick.stopTimer) {
        StopTimer(TIMER_FADE);
    }
    if (!tick.apply) {
        return;
    }
    UpdateLayer(1);
    // SW_SHOWNA: fading in must never take the keyboard from the user's window.
    Show(tick.visible ? SW_SHOWNA : SW_HIDE);
}

void CMainWin::FadeAs(FadeWay way, int step) {
    if (way != FadeWay::kNone) {
        FadeTo(static_cast<int>(way), step);
    }
}

void CMainWin::ShowForUser() { FadeAs(m_visibility.Show(true), kFadeStepSlow); }
