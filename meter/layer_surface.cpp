#include "meter/layer_surface.h"

#include <string.h>

#include "mainwin/mainwin.h"
#include "meter/layer_reduce.h"

namespace {

constexpr int kLayerBits = 32;
constexpr char kLayerErrorText[] = "Error on CreateDIBSection()";
constexpr char kLayerErrorCaption[] = "Error";

}  // namespace

LayerSurface& LayerSurface::operator=(LayerSurface&& other) {
    Release();  // every member empty: the moves below free nothing, in any order
    bitmap = static_cast<GdiObject<HBITMAP>&&>(other.bitmap);
    screen = static_cast<ScreenDC&&>(other.screen);
    dc = static_cast<MemoryDC&&>(other.dc);
    selected = static_cast<Selection&&>(other.selected);
    bits = other.bits, size = other.size;
    other.bits = nullptr, other.size = 0;
    return *this;
}

bool LayerSurface::Make(int layerSize) {
    BITMAPINFO info;
    memset(&info, 0, sizeof(info));
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = layerSize;
    info.bmiHeader.biHeight = layerSize;  // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = kLayerBits;
    info.bmiHeader.biCompression = BI_RGB;

    Release();
    void* pixels = nullptr;
    bitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    screen.Reset(bitmap ? GetDC(nullptr) : nullptr);
    dc.Reset(bitmap ? CreateCompatibleDC(screen) : nullptr);
    if (!dc) {
        Release();
        return false;
    }
    selected = Selection(dc, bitmap);
    bits = static_cast<uint8_t*>(pixels);
    size = layerSize;
    return true;
}

void LayerSurface::Release() {
    selected.Reset();
    dc.Reset();
    screen.Reset();
    bitmap.Reset();
    bits = nullptr, size = 0;
}

int CMainWin::CreateLayerSurface() {
    LayerSurface made;
    if (!made.Make(m_lengths.layer)) {
        MessageBoxA(m_hwnd, kLayerErrorText, kLayerErrorCaption, MB_OK);
        return 0;
    }
    m_layer = static_cast<LayerSurface&&>(made);
    return 1;
}

void CMainWin::ReleaseLayerSurface() { m_layer.Release(); }

// 1 when the window got what was asked: the alpha alone, or with alphaOnly 0 a picture
// reduced anew. 0 when there is no layer, or the face and the mask are not drawn at the
// layer's scale (or have no rows): the window then shows its previous picture.
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
    POINT at = m_layerAt ? *m_layerAt : POINT{};
    UpdateLayeredWindow(m_hwnd, nullptr, m_layerAt ? &at : nullptr, &extent, m_layer.dc, &source, 0,
                        &blend, ULW_ALPHA);
    return alphaOnly || reduced;
}
