#include "mainwin/mainwin.h"

#include <string.h>

#include "meter/layer_reduce.h"

namespace {

constexpr int kLayerBits = 32;
constexpr char kLayerErrorText[] = "Error on CreateDIBSection()";
constexpr char kLayerErrorCaption[] = "Error";

}  // namespace

bool CMainWin::MakeLayer(int size, LayerParts& layer) const {
    BITMAPINFO info;
    memset(&info, 0, sizeof(info));
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = size;  // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = kLayerBits;
    info.bmiHeader.biCompression = BI_RGB;

    layer = LayerParts{};
    void* bits = nullptr;
    layer.bitmap = m_makeDibSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!layer.bitmap) {
        return false;
    }
    layer.bits = static_cast<uint8_t*>(bits);
    layer.size = size;
    layer.screenDC = GetDC(nullptr);
    layer.dc = CreateCompatibleDC(layer.screenDC);
    if (!layer.dc) {
        FreeLayer(layer);
        return false;
    }
    layer.previous = SelectObject(layer.dc, layer.bitmap);
    return true;
}

void CMainWin::FreeLayer(LayerParts& layer) {
    if (layer.screenDC) {
        ReleaseDC(nullptr, layer.screenDC);
    }
    if (layer.dc) {
        SelectObject(layer.dc, layer.previous);
        DeleteDC(layer.dc);
    }
    if (layer.bitmap) {
        DeleteObject(layer.bitmap);
    }
    layer = LayerParts{};
}

int CMainWin::CreateLayerSurface() {
    LayerParts made;
    if (!MakeLayer(m_lengths.layer, made)) {
        MessageBoxA(m_hwnd, kLayerErrorText, kLayerErrorCaption, MB_OK);
        return 0;
    }
    ReleaseLayerSurface();
    m_layer = made;
    return 1;
}

void CMainWin::ReleaseLayerSurface() { FreeLayer(m_layer); }

// 1 when the window got the picture asked for: with alphaOnly 0, a reduction of a face
// and a mask of the layer's own scale.
int CMainWin::UpdateLayer(int alphaOnly) {
    if (!m_layer.dc) {
        return 0;
    }
    const int size = m_layer.size;
    bool reduced = false;
    if (!alphaOnly) {
        uint8_t** face = m_face.GetRows();
        uint8_t** mask = m_mask.GetRows();
        // Without both row tables the previous picture is shown again.
        const int faceSize = kFaceScale * size;
        if (face && mask && m_face.m_width == faceSize && m_face.m_height == faceSize &&
            m_mask.m_width == faceSize && m_mask.m_height == faceSize) {
            ReduceLayer(face, mask, size, m_layer.bits);
            reduced = true;
        }
    }
    SIZE extent = {size, size};
    BLENDFUNCTION blend;
    blend.BlendOp = AC_SRC_OVER;
    blend.BlendFlags = 0;
    blend.SourceConstantAlpha = static_cast<BYTE>(m_fade.alpha & 0xFF);
    blend.AlphaFormat = AC_SRC_ALPHA;
    POINT source = {0, 0};
    UpdateLayeredWindow(m_hwnd, nullptr, nullptr, &extent, m_layer.dc, &source, 0, &blend,
                        ULW_ALPHA);
    return alphaOnly || reduced;
}
