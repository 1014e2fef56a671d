#include "mainwin/mainwin.h"

#include "framework/format.h"

void CMainWin::Alert(const AlertStep& step, const PowerSample& sample) {
    if (step.plugChanged) {
        m_tray.TakeDownBalloon();
    }
    if (step.alert == AlertKind::kNone) {
        return;
    }
    // Shown once, over Hide; a full-screen window keeps it aside until it goes.
    FadeAs(m_visibility.Show(false), kFadeStepSlow);
    char title[64];
    char text[256];
    DescribeAlert(step.alert, sample, title, sizeof(title), text, sizeof(text));
    m_tray.Balloon(title, text, step.alert == AlertKind::kLow ? NIIF_WARNING : NIIF_INFO);
}
