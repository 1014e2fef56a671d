#include "mainwin/mainwin.h"

#include "meter/face_layout.h"
#include "meter/moon_geometry.h"
#include "meter/power_sample.h"

namespace {

constexpr COLORREF kBlack = 0;

// A pen and a brush, selected together and both put back at the end of the scope.
struct Ink {
    HPEN pen;
    HBRUSH brush;
};
struct SelectedInk {
    SelectedInk(HDC dc, Ink ink) : pen(dc, ink.pen), brush(dc, ink.brush) {}
    Selection pen, brush;
};

// The lit part of the moon in the light ink, on a black surface; the gibbous moon is
// drawn on the scratch surface first.
void DrawLit(HDC dc, const MoonPlan& plan, int size, Ink light, Ink dark, CDibImage& scratch) {
    if (plan.way == MoonWay::kUnlit) {
        return;
    }
    {
        const SelectedInk lit(dc, light);
        Ellipse(dc, 0, 0, size, size);
    }
    HDC temp = scratch.GetMemDC();
    switch (plan.way) {
    case MoonWay::kStraight: {
        POINT points[5];
        for (int i = 0; i < 5; ++i) {
            points[i] = POINT{plan.polygon[i].x, plan.polygon[i].y};
        }
        const SelectedInk unlit(dc, dark);
        Polygon(dc, points, 5);
        break;
    }
    case MoonWay::kGibbous: {
        // Lit where both the disc and the terminator disc are.
        scratch.FillColor(kBlack);
        const SelectedInk lit(temp, light);
        Ellipse(temp, plan.left, plan.top, plan.right, plan.bottom);
        BitBlt(dc, 0, 0, size, size, temp, 0, 0, SRCAND);
        break;
    }
    case MoonWay::kCrescent: {
        const SelectedInk unlit(dc, dark);
        Ellipse(dc, plan.left, plan.top, plan.right, plan.bottom);
        break;
    }
    case MoonWay::kUnlit:
        break;
    }
}

}  // namespace

// Makes the pens and brushes that are missing.
void CMainWin::CreateDrawingTools() {
    m_tools.lightPen.MakeIfMissing([] { return CreatePen(PS_SOLID, 1, kLightColour); });
    m_tools.lightBrush.MakeIfMissing([] { return CreateSolidBrush(kLightColour); });
    m_tools.blackPen.MakeIfMissing([] { return CreatePen(PS_SOLID, 1, kBlack); });
    m_tools.blackBrush.MakeIfMissing([] { return CreateSolidBrush(kBlack); });
}

// 1 when the moon could be drawn whole on both surfaces.
int CMainWin::DrawMoon(double phase, double tilt) {
    const int size = m_lengths.face;
    CDibImage scratch;
    // All three, whatever happens to one: no surface keeps a picture of before.
    const int made = m_face.CreateDib(size, size, kFaceBits) &
                     m_mask.CreateDib(size, size, kFaceBits) &
                     scratch.CreateDib(size, size, kFaceBits);
    const MoonPlan plan = PlanMoon(phase, tilt, size);
    m_face.FillColor(kBlack);
    m_mask.FillColor(kBlack);
    const Ink dark = {m_tools.blackPen, m_tools.blackBrush};
    DrawLit(m_face.GetMemDC(), plan, size, Ink{m_tools.lightPen, m_tools.lightBrush}, dark,
            scratch);
    // The mask is the moon's coverage, white where it is lit: no colour of the face may
    // exceed the alpha it is shown with.
    const Ink white = {static_cast<HPEN>(GetStockObject(WHITE_PEN)),
                       static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))};
    DrawLit(m_mask.GetMemDC(), plan, size, white, dark, scratch);
    scratch.Release();
    return made && m_tools.lightPen && m_tools.lightBrush && m_tools.blackPen && m_tools.blackBrush;
}
