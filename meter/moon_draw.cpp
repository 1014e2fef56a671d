#include "mainwin/mainwin.h"

#include "meter/face_layout.h"
#include "meter/moon_geometry.h"
#include "meter/power_sample.h"

namespace {

constexpr COLORREF kBlack = 0;

template <typename Handle, typename Make> void MakeIfMissing(Handle& handle, Make make) {
    if (!handle) {
        handle = make();
    }
}

}  // namespace

// Makes the tools that are missing: one Windows refused is asked for again at the next
// drawing.
void CMainWin::CreateDrawingTools() {
    MakeIfMissing(m_lightPen, [] { return CreatePen(PS_SOLID, 1, kLightColour); });
    MakeIfMissing(m_lightBrush, [] { return CreateSolidBrush(kLightColour); });
    MakeIfMissing(m_blackPen, [] { return CreatePen(PS_SOLID, 1, kBlack); });
    MakeIfMissing(m_blackBrush, [] { return CreateSolidBrush(kBlack); });
}

// 1 when the moon could be drawn whole on both surfaces.
int CMainWin::DrawMoon(double phase, double tilt) {
    const int size = m_lengths.face;
    CDibImage scratch;
    // All three, whatever happens to one: no surface keeps a picture of before.
    const int made = m_face.CreateDib(size, size, kFaceBits) &
                     m_mask.CreateDib(size, size, kFaceBits) &
                     scratch.CreateDib(size, size, kFaceBits);
    HDC face = m_face.GetMemDC();
    HDC temp = scratch.GetMemDC();

    const MoonPlan plan = PlanMoon(phase, tilt, size);
    m_face.FillColor(kBlack);
    scratch.FillColor(kBlack);

    if (plan.way != MoonWay::kUnlit) {
        SelectObject(face, m_lightPen);
        SelectObject(face, m_lightBrush);
        Ellipse(face, 0, 0, size, size);
    }
    switch (plan.way) {
    case MoonWay::kStraight: {
        POINT points[5];
        for (int i = 0; i < 5; ++i) {
            points[i] = POINT{plan.polygon[i].x, plan.polygon[i].y};
        }
        SelectObject(face, m_blackPen);
        SelectObject(face, m_blackBrush);
        Polygon(face, points, 5);
        break;
    }
    case MoonWay::kGibbous:
        // Lit where both the disc and the terminator disc are.
        SelectObject(temp, m_lightPen);
        SelectObject(temp, m_lightBrush);
        Ellipse(temp, plan.left, plan.top, plan.right, plan.bottom);
        BitBlt(face, 0, 0, size, size, temp, 0, 0, SRCAND);
        break;
    case MoonWay::kCrescent:
        SelectObject(face, m_blackPen);
        SelectObject(face, m_blackBrush);
        Ellipse(face, plan.left, plan.top, plan.right, plan.bottom);
        break;
    case MoonWay::kUnlit:
        break;
    }
    m_face.Draw(m_mask.GetMemDC(), 0, 0);
    // The tools must not stay selected in the scratch DC when it goes.
    SelectObject(temp, GetStockObject(BLACK_PEN));
    SelectObject(temp, GetStockObject(BLACK_BRUSH));
    scratch.Release();
    return made && m_lightPen && m_lightBrush && m_blackPen && m_blackBrush;
}
