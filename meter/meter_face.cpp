#include "mainwin/mainwin.h"

#include "mainwin/fade_state.h"
#include "meter/face_layout.h"
#include "meter/outline_spread.h"

namespace {

static_assert(sizeof(SYSTEM_POWER_STATUS) == sizeof(PowerSample),
              "a power sample is a SYSTEM_POWER_STATUS");

// Up to the design's 8 x 8 offsets the outline is drawn once per offset, which gives the
// 100 % face its pixels; at larger scales that would cost the square of the scale again.
constexpr int kWidestDrawnOutline = 8;

}  // namespace

// The outline drawn once, white, into a surface of its own, spread over every offset and
// mixed into the pixels of the DIB section selected into dc. False, with nothing drawn,
// when dc holds no 24-bit DIB section or Windows refuses the surface.
bool CMainWin::SpreadOutline(HDC dc, const RECT& rect, const char* text, COLORREF colour) {
    const int from = m_lengths.outlineFrom, to = m_lengths.outlineTo, reach = to - from + 1;
    DIBSECTION target;
    TEXTMETRICA font;
    if (GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof(target), &target) != sizeof(target) ||
        target.dsBm.bmBitsPixel != kFaceBits || !GetTextMetricsA(dc, &font)) {
        return false;
    }
    // Drawn to pixels further right and reach - 1 lower than on dc, the text once spread
    // leaves at (x, y) the outline's coverage at (x, rect.top + from + y) on dc. The surface
    // is kept: one made anew for each line would cost more than all the rest.
    const int width = rect.right + to, height = font.tmHeight + reach - 1;
    if ((m_spread.m_width < width || m_spread.m_height < height) &&
        !m_spread.CreateDib(width, height, kFaceBits)) {
        return false;
    }
    m_spread.FillColor(0);
    {
        HDC scratch = m_spread.GetMemDC();
        const Selection same(scratch, GetCurrentObject(dc, OBJ_FONT));
        SetBkMode(scratch, TRANSPARENT);
        SetTextColor(scratch, kWhite);
        RECT at = {rect.left + to, reach - 1, rect.right + to, reach - 1 + rect.bottom - rect.top};
        DrawTextA(scratch, text, -1, &at, kTextFormat);
    }
    uint8_t** spread = m_spread.GetRows();  // after every drawing batched so far, on dc too
    if (!spread) {
        return false;
    }
    const CoverageBox box = SpreadCoverage(spread, width, height, reach);
    const int right = box.right < target.dsBm.bmWidth ? box.right : target.dsBm.bmWidth;
    const int rows = target.dsBm.bmHeight, bytes = kFaceBits / 8;
    uint8_t* bits = static_cast<uint8_t*>(target.dsBm.bmBits);
    for (int y = box.top; y < box.bottom && box.left < right; ++y) {
        const int at = rect.top + from + y;
        if (at >= 0 && at < rows) {
            const int stored = target.dsBmih.biHeight > 0 ? rows - 1 - at : at;  // bottom-up
            MixByCoverage(bits + static_cast<ptrdiff_t>(stored) * target.dsBm.bmWidthBytes +
                              bytes * box.left,
                          spread[y] + bytes * box.left, right - box.left, colour);
        }
    }
    return true;
}

// Makes the fonts that are missing.
int CMainWin::CreateFonts() {
    const LOGFONTA big = FaceFont(m_lengths.bigFont, FW_BOLD);
    const LOGFONTA small = FaceFont(m_lengths.smallFont, FW_NORMAL);
    m_fonts.bigFont.MakeIfMissing([&] { return CreateFontIndirectA(&big); });
    m_fonts.smallFont.MakeIfMissing([&] { return CreateFontIndirectA(&small); });
    return 1;
}

// 0 when the outline could not be spread: the line then goes without it.
int CMainWin::DrawOutlinedText(HDC dc, const RECT& rect, const char* text, COLORREF outline,
                               COLORREF fill) {
    SetTextColor(dc, outline);
    const int from = m_lengths.outlineFrom, to = m_lengths.outlineTo;
    int outlined = 1;
    if (to - from + 1 > kWidestDrawnOutline) {
        outlined = SpreadOutline(dc, rect, text, outline);
    } else {
        for (int dy = from; dy <= to; ++dy) {
            for (int dx = from; dx <= to; ++dx) {
                RECT r = {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
                DrawTextA(dc, text, -1, &r, kTextFormat);
            }
        }
    }
    SetTextColor(dc, fill);
    RECT r = rect;
    DrawTextA(dc, text, -1, &r, kTextFormat);
    return outlined;
}

bool CMainWin::DrawFaceTexts(HDC dc, const FaceDescription& d, COLORREF outline, COLORREF fill) {
    const int face = m_lengths.face;
    const RECT percentRect = {0, m_lengths.percentTop, face, face};
    const RECT statusRect = {0, m_lengths.statusTop, face, face};
    SetBkMode(dc, TRANSPARENT);
    // A missing font leaves the DC's default one selected. Neither stays selected, so
    // that either can be freed at any time.
    int outlined = 0;
    {
        const Selection big(dc, m_fonts.bigFont);
        outlined = DrawOutlinedText(dc, percentRect, d.percentText, outline, fill);
    }
    const Selection small(dc, m_fonts.smallFont);
    return DrawOutlinedText(dc, statusRect, d.statusText, outline, fill) && outlined;
}

// The whole face, the moon first: true when everything it needs was there, so that
// the layer shows exactly this face.
bool CMainWin::DrawFace(const FaceDescription& d) {
    CreateDrawingTools();
    CreateFonts();
    const bool moon = DrawMoon(d.phase, d.tilt) != 0;
    // The mask carries the coverage: the texts are white on it.
    const bool mask = DrawFaceTexts(m_mask.GetMemDC(), d, kWhite, kWhite);
    const bool face = DrawFaceTexts(m_face.GetMemDC(), d, kLightColour, d.stateColour);
    const bool layer = UpdateLayer(0) != 0;
    return moon && mask && face && layer && m_fonts.bigFont && m_fonts.smallFont;
}

int CMainWin::PollPower() {
    SYSTEM_POWER_STATUS status;
    // A failed read says nothing about the battery: keep showing the last face.
    if (!m_readPower || !m_readPower(&status)) {
        return 1;
    }
    PowerSample sample;
    memcpy(&sample, &status, sizeof(sample));
    m_tray.ShowBattery(sample);
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
