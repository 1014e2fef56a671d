#include "mainwin/mainwin.h"

#include <string.h>

#include "meter/layer_reduce.h"
#include "meter/moon_geometry.h"

namespace {

constexpr int kLayerBits = 32;
constexpr char kLayerErrorText[] = "Error on CreateDIBSection()";
constexpr char kLayerErrorCaption[] = "Error";

}  // namespace

int CMainWin::CreateLayerSurface() {
    BITMAPINFO info;
    memset(&info, 0, sizeof(info));
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kLayerSize;
    info.bmiHeader.biHeight = kLayerSize;  // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = kLayerBits;
    info.bmiHeader.biCompression = BI_RGB;

    void* bits = nullptr;
    m_layerBitmap = m_makeDibSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m_layerBitmap) {
        m_layerBits = nullptr;
        MessageBoxA(m_hwnd, kLayerErrorText, kLayerErrorCaption, MB_OK);
        return 0;
    }
    m_layerBits = static_cast<uint8_t*>(bits);
    m_screenDC = GetDC(nullptr);
    m_layerDC = CreateCompatibleDC(m_screenDC);
    m_previousBitmap = SelectObject(m_layerDC, m_layerBitmap);
    return 1;
}

int CMainWin::UpdateLayer(int alphaOnly) {
    if (!m_layerDC) {
        return 1;
    }
    RECT r;
    GetWindowRect(m_hwnd, &r);
    SIZE size = {r.right - r.left, r.bottom - r.top};
    BLENDFUNCTION blend;
    blend.BlendOp = AC_SRC_OVER;
    blend.BlendFlags = 0;
    blend.SourceConstantAlpha = static_cast<BYTE>(m_fade.alpha & 0xFF);
    blend.AlphaFormat = AC_SRC_ALPHA;
    if (!alphaOnly) {
        uint8_t** face = m_face.GetRows();
        uint8_t** mask = m_mask.GetRows();
        // Without both row tables the previous picture is shown again.
        if (face && mask && m_face.m_width == kFaceSize && m_face.m_height == kFaceSize &&
            m_mask.m_width == kFaceSize && m_mask.m_height == kFaceSize) {
            ReduceLayer(face, mask, m_layerBits);
        }
    }
    POINT source = {0, 0};
    UpdateLayeredWindow(m_hwnd, nullptr, nullptr, &size, m_layerDC, &source, 0, &blend, ULW_ALPHA);
    return 1;
}

void CMainWin::ReleaseLayerSurface() {
    if (m_screenDC) {
        ReleaseDC(nullptr, m_screenDC);
    }
    if (m_layerDC) {
        SelectObject(m_layerDC, m_previousBitmap);
        DeleteDC(m_layerDC);
    }
    if (m_layerBitmap) {
        DeleteObject(m_layerBitmap);
    }
    m_screenDC = nullptr;
    m_layerDC = nullptr;
    m_layerBitmap = nullptr;
    m_layerBits = nullptr;
    m_previousBitmap = nullptr;
}
