#include "mainwin/mainwin.h"

// The DPI of the window's monitor; the screen's where Windows cannot say (before
// Windows 10, and a window Wine keeps at the system DPI).
int CMainWin::WindowDpi() const {
    const UINT dpi = m_api.getDpiForWindow ? m_api.getDpiForWindow(m_hwnd) : 0;
    if (dpi != 0) {
        return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int logical = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) {
        ReleaseDC(nullptr, screen);
    }
    return logical > 0 ? logical : kDesignDpi;
}

// Everything drawn at the DPI's sizes, the current face again. A layer Windows refuses
// leaves the old one, and its sizes, whole: 0, and the next change tries again.
int CMainWin::ApplyDpi(int dpi) {
    const Lengths next = LengthsAt(dpi);
    m_monitorDpi = next.dpi;
    if (next.dpi == m_lengths.dpi) {
        return 1;
    }
    LayerSurface made;
    if (!m_layer.dc || !made.Make(next.layer)) {
        return 0;
    }
    m_layer = static_cast<LayerSurface&&>(made);
    ScaleDrag(m_pointer, m_lengths.dpi, next.dpi);
    m_lengths = next;
    m_tools.bigFont.Reset();
    m_tools.smallFont.Reset();
    CreateFonts();
    CreateBackBuffer(next.layer, next.layer);
    m_faceDrawn = m_faceWanted && DrawFace(m_wanted);
    return 1;
}

void CMainWin::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    ApplyDpi(HIWORD(wParam));
    // Where Windows puts the window at the new scale; the layer sets its size.
    const RECT& r = *reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(m_hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateLayer(1);
}
