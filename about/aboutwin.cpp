#include "about/aboutwin.h"

#include "about/about_fade.h"
#include "imaging/dibimage.h"
#include "resources/resource.h"

namespace {

constexpr DWORD kAboutStyle = WS_POPUP | WS_SYSMENU;
constexpr LONG_PTR kAboutExStyle = WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_NOACTIVATE;
constexpr int kPlaceholderWidth = 640;  // the size kept when the picture cannot load
constexpr int kPlaceholderHeight = 480;

}  // namespace

int CAboutWin::s_alpha = 0;

LRESULT CAboutWin::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        break;
    case WM_PAINT:
        Paint();
        break;
    case WM_CLOSE:
        // The default would destroy the window at once; it fades out instead.
        OnClose();
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        break;
    case WM_LBUTTONDOWN:
        Post(WM_CLOSE, 0, 0);
        break;
    case WM_MOUSEACTIVATE:
        // Not activated by a click, nor by the mouse where Windows activates windows
        // under it.
        return MA_NOACTIVATE;
    default:
        break;
    }
    return DefWindowProcA(m_hwnd, message, wParam, lParam);
}

void CAboutWin::OnCreate() {
    CDibImage picture;
    SetWindowLongPtrA(m_hwnd, GWL_EXSTYLE, GetWindowLongPtrA(m_hwnd, GWL_EXSTYLE) | kAboutExStyle);
    s_alpha = kAboutStartAlpha;
    ApplyAlpha();
    SetSize(kPlaceholderWidth, kPlaceholderHeight);
    if (picture.LoadBitmapResource(GetInstance(), IDB_ABOUT)) {
        const int width = m_lengths.aboutWidth, height = m_lengths.aboutHeight;
        SetSize(width, height);
        CenterOn(m_area);
        MoveBy(0, -m_lengths.aboutLift);
        CreateBackBufferForWindow();
        picture.DrawScaled(GetBackDC(), 0, 0, width, height);
        StartTimer(TIMER_ABOUT_FADE_IN, kAboutFadePeriodMs);
    }
    picture.Release();
}

void CAboutWin::OnClose() {
    // A close during the fade-in would otherwise fight it step for step and the
    // splash would never go.
    StopTimer(TIMER_ABOUT_FADE_IN);
    // Without its timer the splash would stay; it goes at once instead.
    if (!StartTimer(TIMER_ABOUT_FADE_OUT, kAboutFadePeriodMs)) {
        Destroy();
    }
}

void CAboutWin::OnTimer(WPARAM id) {
    switch (id) {
    case TIMER_ABOUT_FADE_IN:
        OnFadeInTick();
        break;
    case TIMER_ABOUT_FADE_OUT:
        OnFadeOutTick();
        break;
    default:
        break;
    }
}

void CAboutWin::OnFadeInTick() {
    const AboutStep step = AboutFadeInStep(s_alpha);
    s_alpha = step.alpha;
    if (step.done) {
        StopTimer(TIMER_ABOUT_FADE_IN);
    }
    ApplyAlpha();
}

void CAboutWin::OnFadeOutTick() {
    const AboutStep step = AboutFadeOutStep(s_alpha);
    s_alpha = step.alpha;
    ApplyAlpha();
    if (step.done) {
        StopTimer(TIMER_ABOUT_FADE_OUT);
        Destroy();
    }
}

void CAboutWin::ApplyAlpha() {
    SetLayeredWindowAttributes(m_hwnd, kAboutColourKey, static_cast<BYTE>(s_alpha),
                               LWA_COLORKEY | LWA_ALPHA);
}

void OpenAboutWindow(HWND meter, const Lengths& lengths) {
    CAboutWin& about = TheAboutWindow();
    if (about.GetHwnd() && IsWindow(about.GetHwnd())) {
        return;
    }
    // Where the meter is: a docked user gets About on the big screen, not on a laptop
    // whose lid may be closed.
    MONITORINFO monitor;
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoA(MonitorFromWindow(meter, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        GetWindowRect(GetDesktopWindow(), &monitor.rcMonitor);
    }
    about.Prepare(monitor.rcMonitor, lengths);
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(meter, GWLP_HINSTANCE));
    // From the second opening on the class exists already; that failure is harmless.
    about.Register(instance, ABOUT_CLASS_NAME, nullptr, nullptr);
    about.Create(instance, meter, ABOUT_TITLE, kAboutStyle, 0);
    // SW_SHOW would activate it, its style notwithstanding, and take the keyboard.
    about.Show(SW_SHOWNA);
}
