#include "mainwin/mainwin.h"

#include "mainwin/fade_state.h"
#include "meter/face_layout.h"
#include "meter/moon_geometry.h"

namespace {

static_assert(sizeof(SYSTEM_POWER_STATUS) == sizeof(PowerSample),
              "a power sample is a SYSTEM_POWER_STATUS");

}  // namespace

int CMainWin::CreateFonts() {
    const LOGFONTA big = FaceFont(kBigFontHeight, FW_BOLD);
    const LOGFONTA small = FaceFont(kSmallFontHeight, FW_NORMAL);
    m_bigFont = CreateFontIndirectA(&big);
    m_smallFont = CreateFontIndirectA(&small);
    return 1;
}

int CMainWin::DrawOutlinedText(HDC dc, const RECT& rect, const char* text, COLORREF outline,
                               COLORREF fill) {
    SetTextColor(dc, outline);
    for (int dy = kOutlineFrom; dy <= kOutlineTo; ++dy) {
        for (int dx = kOutlineFrom; dx <= kOutlineTo; ++dx) {
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
    const RECT percentRect = {0, kPercentTop, kFaceSize, kFaceSize};
    const RECT statusRect = {0, kStatusTop, kFaceSize, kFaceSize};
    SelectObject(dc, m_bigFont);
    SetBkMode(dc, TRANSPARENT);
    DrawOutlinedText(dc, percentRect, d.percentText, outline, fill);
    SelectObject(dc, m_smallFont);
    DrawOutlinedText(dc, statusRect, d.statusText, outline, fill);
}

int CMainWin::PollPower() {
    SYSTEM_POWER_STATUS status;
    // A failed read says nothing about the battery: keep showing the last face.
    if (!m_readPower || !m_readPower(&status)) {
        return 1;
    }
    PowerSample sample;
    memcpy(&sample, &status, sizeof(sample));
    if (!SampleChanged(m_snapshot, sample)) {
        return 1;
    }
    if (UnplugRule(m_snapshot, sample)) {
        FadeTo(kFadeIn, kFadeStepSlow);
    }
    if (FullChargeRule(sample)) {
        FadeTo(kFadeOut, kFadeStepSlow);
    }
    const FaceDescription d = DescribeSample(sample);
    DrawMoon(d.phase, d.tilt);
    // The mask carries the coverage: the texts are white on it.
    DrawFaceTexts(m_mask.GetMemDC(), d, kWhite, kWhite);
    m_snapshot = sample;
    DrawFaceTexts(m_face.GetMemDC(), d, kLightColour, d.stateColour);
    UpdateLayer(0);
    return 1;
}
