#include "mainwin/mainwin.h"

namespace {

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int logical = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) {
        ReleaseDC(nullptr, screen);
    }
    return logical > 0 ? logical : kDesignDpi;
}

}  // namespace

// A monitor's own DPI, which Windows 8.1 and later tell; before them every monitor has
// the screen's.
int CMainWin::MonitorDpi(HMONITOR monitor) const {
    UINT x = 0, y = 0;
    if (m_api.getDpiForMonitor && monitor &&
        SUCCEEDED(m_api.getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && x != 0) {
        return static_cast<int>(x);
    }
    return ScreenDpi();
}

// The default place and the fall-back are on the primary monitor, at its scale.
Lengths CMainWin::PrimaryLengths() const {
    return LengthsAt(MonitorDpi(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)));
}

int CMainWin::WindowDpi() const {
    const UINT dpi = m_api.getDpiForWindow ? m_api.getDpiForWindow(m_hwnd) : 0;
    return dpi != 0 ? static_cast<int>(dpi)
                    : MonitorDpi(MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST));
}

// Everything drawn at the DPI's sizes, the current face again, and shown at its new size
// in one call: at the given point, or where the window is. A layer Windows refuses leaves
// the old one, and its sizes, whole: 0, and the next poll tries again.
int CMainWin::ApplyDpi(int dpi, const POINT* at) {
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
    // Windows' own change takes the pressed point again from the cursor (OnDpiChanged);
    // one the poll catches up with mid-drag scales it.
    if (!at) {
        ScaleDrag(m_pointer, m_lengths.dpi, next.dpi);
    }
    m_lengths = next;
    m_fonts = FaceFonts{};
    CreateFonts();
    m_layerAt = at;
    if (m_faceWanted) {
        m_faceDrawn = DrawFace(m_wanted);
    } else {
        UpdateLayer(1);
    }
    m_layerAt = nullptr;
    return 1;
}

// Windows sends this from inside the move that took the window's larger part onto a
// monitor of another scale, with the rectangle it suggests there. Sized anywhere else
// first, the window could lie mostly on the old monitor again and start another change.
void CMainWin::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    const RECT r = *reinterpret_cast<const RECT*>(lParam);
    // Not applied inside another: the poll brings the lengths to the monitor's DPI.
    if (m_applyingDpi) {
        m_monitorDpi = HIWORD(wParam);
        return;
    }
    m_applyingDpi = true;
    const POINT at = {r.left, r.top};
    ApplyDpi(HIWORD(wParam), &at);
    RECT now;
    if (GetWindowRect(m_hwnd, &now) && (now.left != r.left || now.top != r.top)) {
        MoveTo(r.left, r.top);  // the same scale, or a layer refused: the place at least
    }
    // Later moves slide the window from where Windows put it.
    POINT cursor;
    if (m_pointer.dragging && m_readCursor(&cursor)) {
        m_pointer.dragOffsetX = cursor.x - r.left;
        m_pointer.dragOffsetY = cursor.y - r.top;
    }
    m_tray.Refresh();
    m_applyingDpi = false;
}
