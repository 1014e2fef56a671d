#include "mainwin/mainwin.h"

#include "meter/face_layout.h"
#include "meter/moon_geometry.h"
#include "meter/power_sample.h"

namespace {

constexpr COLORREF kBlack = 0;

}  // namespace

void CMainWin::CreateDrawingTools() {
    m_lightPen = CreatePen(PS_SOLID, 1, kLightColour);
    m_lightBrush = CreateSolidBrush(kLightColour);
    m_blackPen = CreatePen(PS_SOLID, 1, kBlack);
    m_blackBrush = CreateSolidBrush(kBlack);
}

int CMainWin::DrawMoon(double phase, double tilt) {
    CDibImage scratch;
    m_face.CreateDib(kFaceSize, kFaceSize, kFaceBits);
    m_mask.CreateDib(kFaceSize, kFaceSize, kFaceBits);
    scratch.CreateDib(kFaceSize, kFaceSize, kFaceBits);
    HDC face = m_face.GetMemDC();
    HDC temp = scratch.GetMemDC();

    const MoonPlan plan = PlanMoon(phase, tilt);
    m_face.FillColor(kBlack);
    scratch.FillColor(kBlack);

    if (plan.way != MoonWay::kUnlit) {
        SelectObject(face, m_lightPen);
        SelectObject(face, m_lightBrush);
        Ellipse(face, 0, 0, kFaceSize, kFaceSize);
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
        BitBlt(face, 0, 0, kFaceSize, kFaceSize, temp, 0, 0, SRCAND);
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
    return 1;
}
