#include "framework/editwindow.h"

#include "framework/desktop_math.h"

namespace {

// Both windows are never to be activated: moving, sizing or raising one must not
// take the keyboard from the user's application.
constexpr UINT kNoActivate = SWP_NOACTIVATE;

}  // namespace

HINSTANCE Ceditwindow::GetInstance() const {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(m_hwnd, GWLP_HINSTANCE));
}

BOOL Ceditwindow::Show(int command) {
    ShowWindow(m_hwnd, command);
    return UpdateWindow(m_hwnd);
}

BOOL Ceditwindow::SetSize(int width, int height) {
    return SetWindowPos(m_hwnd, nullptr, 0, 0, width, height,
                        SWP_NOZORDER | SWP_NOMOVE | kNoActivate);
}

BOOL Ceditwindow::MoveTo(int x, int y) {
    return SetWindowPos(m_hwnd, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE | kNoActivate);
}

BOOL Ceditwindow::MoveBy(int dx, int dy) {
    RECT r;
    GetWindowRect(m_hwnd, &r);
    return MoveTo(r.left + dx, r.top + dy);
}

BOOL Ceditwindow::CenterOn(const RECT& d) {
    RECT w;
    GetWindowRect(m_hwnd, &w);
    const CenteredOrigin o =
        CenterOrigin(d.left, d.top, d.right, d.bottom, w.right - w.left, w.bottom - w.top);
    return SetWindowPos(m_hwnd, nullptr, o.x, o.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE | kNoActivate);
}

BOOL Ceditwindow::SetTopmost(bool topmost) {
    return SetWindowPos(m_hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                        SWP_NOMOVE | SWP_NOSIZE | kNoActivate);
}

BOOL Ceditwindow::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    return PostMessageA(m_hwnd, message, wParam, lParam);
}

UINT_PTR Ceditwindow::StartTimer(UINT_PTR id, UINT milliseconds) {
    return SetTimer(m_hwnd, id, milliseconds, nullptr);
}

BOOL Ceditwindow::StopTimer(UINT_PTR id) { return KillTimer(m_hwnd, id); }
