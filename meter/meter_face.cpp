#include "mainwin/mainwin.h"

#include "mainwin/fade_state.h"
#include "meter/face_layout.h"

namespace {

static_assert(sizeof(SYSTEM_POWER_STATUS) == sizeof(PowerSample),
              "a power sample is a SYSTEM_POWER_STATUS");

}  // namespace

// Makes the fonts that are missing: a font Windows refused is asked for again at the
// next drawing.
int CMainWin::CreateFonts() {
    if (!m_tools.bigFont) {
        const LOGFONTA big = FaceFont(m_lengths.bigFont, FW_BOLD);
        m_tools.bigFont.Reset(CreateFontIndirectA(&big));
    }
    if (!m_tools.smallFont) {
        const LOGFONTA small = FaceFont(m_lengths.smallFont, FW_NORMAL);
        m_tools.smallFont.Reset(CreateFontIndirectA(&small));
    }
    return 1;
}

int CMainWin::DrawOutlinedText(HDC dc, const RECT& rect, const char* text, COLORREF outline,
                               COLORREF fill) {
    SetTextColor(dc, outline);
    const int from = m_lengths.outlineFrom, to = m_lengths.outlineTo;
    for (int dy = from; dy <= to; ++dy) {
        for (int dx = from; dx <= to; ++dx) {
            RECT r = {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
            DrawTextA(dc, text, -1, &r, kTextFormat);
        }
    }
    SetTextColor(dc, fill);
    RECT r = rect;
    DrawTextA(dc, text, -1, &r, kTextFormat);
    return 1;
}

void CMainWin::DrawFaceTexts(HDC dc, const FaceDescription& d, COLORREF outline, COLORREF fill) {
    const int face = m_lengths.face;
    const RECT percentRect = {0, m_lengths.percentTop, face, face};
    const RECT statusRect = {0, m_lengths.statusTop, face, face};
    SetBkMode(dc, TRANSPARENT);
    // A missing font leaves the DC's default one selected. Neither stays selected, so
    // that either can be freed at any time.
    {
        const Selection big(dc, m_tools.bigFont);
        DrawOutlinedText(dc, percentRect, d.percentText, outline, fill);
    }
    const Selection small(dc, m_tools.smallFont);
    DrawOutlinedText(dc, statusRect, d.statusText, outline, fill);
}

// The whole face, the moon first: true when everything it needs was there, so that
// the layer shows exactly this face.
bool CMainWin::DrawFace(const FaceDescription& d) {
    CreateDrawingTools();
    CreateFonts();
    const bool moon = DrawMoon(d.phase, d.tilt) != 0;
    // The mask carries the coverage: the texts are white on it.
    DrawFaceTexts(m_mask.GetMemDC(), d, kWhite, kWhite);
    DrawFaceTexts(m_face.GetMemDC(), d, kLightColour, d.stateColour);
    const bool layer = UpdateLayer(0) != 0;
    return moon && layer && m_tools.bigFont && m_tools.smallFont;
}

int CMainWin::PollPower() {
    SYSTEM_POWER_STATUS status;
    // A failed read says nothing about the battery: keep showing the last face.
    if (!m_readPower || !m_readPower(&status)) {
        return 1;
    }
    PowerSample sample;
    memcpy(&sample, &status, sizeof(sample));
    if (SampleChanged(m_snapshot, sample)) {
        if (UnplugRule(m_snapshot, sample)) {
            FadeAs(m_visibility.Show(false), kFadeStepSlow);
        }
        if (FullChargeRule(sample)) {
            FadeAs(m_visibility.Hide(), kFadeStepSlow);
        }
        FadeAs(m_visibility.Battery(CriticalOnBattery(sample)), kFadeStepSlow);
        char status[kTextBufferSize];
        DescribeForTip(sample, status, sizeof(status));
        m_tray.SetStatus(status);
        Alert(m_alerts.Observe(sample), sample);
        m_snapshot = sample;
        const FaceDescription d = DescribeSample(sample);
        if (m_faceWanted && m_faceDrawn && SameFace(m_wanted, d)) {
            return 1;
        }
        m_wanted = d;
        m_faceWanted = true;
    } else if (m_faceDrawn || !m_faceWanted) {
        return 1;
    }
    // Also when an earlier drawing lacked what Windows refused: it is tried again.
    m_faceDrawn = DrawFace(m_wanted);
    return 1;
}
