#include "mainwin/mainwin.h"

#include "meter/face_layout.h"
#include "meter/moon_geometry.h"
#include "meter/power_sample.h"

namespace {

constexpr COLORREF kBlack = 0;

template <typename Handle, typename Make> void MakeIfMissing(GdiObject<Handle>& tool, Make make) {
    if (!tool) {
        tool.Reset(make());
    }
}

// A pen and a brush selected together, both put back at the end of the scope.
struct Tools {
    Tools(HDC dc, HPEN p, HBRUSH b) : pen(dc, p), brush(dc, b) {}
    Selection pen, brush;
};

}  // namespace

// Makes the tools that are missing: one Windows refused is asked for again at the next
// drawing.
void CMainWin::CreateDrawingTools() {
    MakeIfMissing(m_tools.lightPen, [] { return CreatePen(PS_SOLID, 1, kLightColour); });
    MakeIfMissing(m_tools.lightBrush, [] { return CreateSolidBrush(kLightColour); });
    MakeIfMissing(m_tools.blackPen, [] { return CreatePen(PS_SOLID, 1, kBlack); });
    MakeIfMissing(m_tools.blackBrush, [] { return CreateSolidBrush(kBlack); });
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
        const Tools light(face, m_tools.lightPen, m_tools.lightBrush);
        Ellipse(face, 0, 0, size, size);
    }
    switch (plan.way) {
    case MoonWay::kStraight: {
        POINT points[5];
        for (int i = 0; i < 5; ++i) {
            points[i] = POINT{plan.polygon[i].x, plan.polygon[i].y};
        }
        const Tools dark(face, m_tools.blackPen, m_tools.blackBrush);
        Polygon(face, points, 5);
        break;
    }
    case MoonWay::kGibbous: {
        // Lit where both the disc and the terminator disc are.
        const Tools light(temp, m_tools.lightPen, m_tools.lightBrush);
        Ellipse(temp, plan.left, plan.top, plan.right, plan.bottom);
        BitBlt(face, 0, 0, size, size, temp, 0, 0, SRCAND);
        break;
    }
    case MoonWay::kCrescent: {
        const Tools dark(face, m_tools.blackPen, m_tools.blackBrush);
        Ellipse(face, plan.left, plan.top, plan.right, plan.bottom);
        break;
    }
    case MoonWay::kUnlit:
        break;
    }
    m_face.Draw(m_mask.GetMemDC(), 0, 0);
    scratch.Release();
    return made && m_tools.lightPen && m_tools.lightBrush && m_tools.blackPen && m_tools.blackBrush;
}
