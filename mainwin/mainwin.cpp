#include "mainwin/mainwin.h"

#include "resources/resource.h"

namespace {

constexpr LONG_PTR kMeterExStyle = WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_NOACTIVATE;

}  // namespace

CMainWin::~CMainWin() {
    m_mask.Release();
    m_face.Release();
}

LRESULT CMainWin::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The shell's restart broadcast and a second start's request have numbers known
    // only at run time.
    if (m_tray.IsShellRestart(message)) {
        m_tray.Add();
        return DefWindowProcA(m_hwnd, message, wParam, lParam);
    }
    if (m_showMessage != 0 && message == m_showMessage) {
        // A switch does what its menu item does; anything else shows the meter.
        if (wParam == ID_HIDE || wParam == ID_RESET_POSITION || wParam == ID_QUIT) {
            OnCommand(wParam);
        } else {
            ShowForUser();
        }
        return DefWindowProcA(m_hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_CREATE:
        // Without its layer the window could never be seen, reached or closed by the
        // user; after the error box it closes itself and the program ends.
        if (!OnCreate()) {
            Post(WM_CLOSE, 0, 0);
        }
        break;
    case WM_QUERYENDSESSION:
        // Answered at once; the teardown waits for the end to be certain, since the user
        // or another program may still cancel it.
        if (m_place.Known() && !m_tornDown) {
            SavePosition();
        }
        break;  // the default answers TRUE
    case WM_ENDSESSION:
        if (!wParam) {
            break;
        }
        [[fallthrough]];
    case WM_DESTROY:
        Teardown();
        PostQuitMessage(0);
        break;
    case WM_PAINT:
        Paint();
        break;
    case WM_TIMER:
        OnTimer(wParam);
        break;
    case WM_COMMAND:
        OnCommand(wParam);
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDown(lParam);
        break;
    case WM_LBUTTONUP:
        OnLButtonUp();
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse mid-drag: without this the next move would drag
        // a window whose button is no longer held, and hovering would stay blocked.
        if (EndDrag(m_pointer)) {
            KeepPlace();
        }
        break;
    case WM_RBUTTONUP:
        OnRButtonUp(lParam);
        break;
    case WM_TRAYNOTIFY:
        if (OnTrayNotify(wParam, lParam)) {
            return 0;
        }
        break;
    case WM_DPICHANGED:
        OnDpiChanged(wParam, lParam);
        break;
    case WM_FULLSCREEN:
        LookForCover();
        break;
    case WM_POWERBROADCAST:
        // A broadcast queued before a log-off's teardown finds nothing to draw with.
        if (!m_tornDown && m_power.OnBroadcast(wParam, lParam)) {
            PollPower();
        }
        DefWindowProcA(m_hwnd, message, wParam, lParam);
        return TRUE;
    case WM_SYSCOLORCHANGE:
        m_tray.Refresh();  // High Contrast's colours
        break;
    case WM_SETTINGCHANGE:
        if (TrayMoon::IsThemeChange(wParam, lParam)) {
            m_tray.Refresh();
            break;
        }
        if (wParam != SPI_SETWORKAREA) {
            break;
        }
        [[fallthrough]];
    case WM_DISPLAYCHANGE:
        m_place.OnChange();
        m_tray.Refresh();  // the primary monitor, and the taskbar's scale, may be new
        break;
    case WM_MOUSEACTIVATE:
        // The default answers "activate" when Windows activates windows under the
        // hovering mouse, whatever the window's own style says.
        return MA_NOACTIVATE;
    default:
        break;
    }
    return DefWindowProcA(m_hwnd, message, wParam, lParam);
}

void CMainWin::OnTimer(WPARAM id) {
    // A tick already queued when a log-off tore everything down finds nothing to use.
    if (m_tornDown) {
        return;
    }
    switch (id) {
    case TIMER_POLL:
        OnPollTick();
        break;
    case TIMER_FADE:
        m_power.RetryRefusedTimer();
        FadeTick();
        break;
    case TIMER_HOVER_DELAY:
        OnHoverDelay();
        break;
    case TIMER_HOVER_WATCH:
        OnHoverWatch();
        break;
    case TIMER_TRAY_RETRY:
        m_tray.OnRetryTimer();
        break;
    case TIMER_PLACE_CHECK:
        GoTo(m_place.OnSettled(PrimaryLengths()));
        LookForCover();  // perhaps on another monitor now
        break;
    default:
        break;
    }
}

int CMainWin::OnCreate() {
    m_fade.alpha = 0;
    m_fade.direction = 1;  // at rest, hidden: a poll must not resume a fade never asked for
    m_fade.timerRunning = 0;
    m_pointer.hoverPending = 0;
    m_fade.step = kFadeStepSlow;
    m_tornDown = false;
    m_lengths = LengthsAt(WindowDpi());
    m_monitorDpi = m_lengths.dpi;

    CreateDrawingTools();
    CreateFonts();
    SetSize(m_lengths.layer, m_lengths.layer);
    SetTopmost(true);
    CreateBackBufferForWindow();
    SetWindowLongPtrA(m_hwnd, GWL_EXSTYLE, GetWindowLongPtrA(m_hwnd, GWL_EXSTYLE) | kMeterExStyle);

    if (!CreateLayerSurface()) {
        return 0;
    }
    PollPower();
    // Forget the first sample, so that the first poll after the fade-in applies the
    // fade rules to it.
    m_snapshot = PowerSample{};
    m_place.Attach(m_hwnd);
    RestorePosition();
    // The first poll after the fade-in sees the first sample again, with the icon there.
    RestoreAlerts();
    // The first frame at the scale of the monitor it was put on.
    ApplyDpi(WindowDpi());
    m_tray.Attach(m_hwnd, m_api);
    m_showMessage = RegisterWindowMessageA(SHOW_METER_MESSAGE);
    LetThrough(m_api, m_hwnd, m_showMessage);  // a plain second start, to an elevated meter
    m_tray.Add();
    m_fullScreen.Start(m_hwnd, m_api);
    m_visibility.Cover(m_fullScreen.Check());
    FadeAs(m_visibility.Show(false), kFadeStepSlow);
    m_power.Start(m_hwnd, m_api);
    return 1;
}

// Whatever Windows refused before is asked for again at the next tick: a layer at the
// monitor's scale at the poll, the poll's own timer at a fade tick, and the reverse.
void CMainWin::OnPollTick() {
    if (m_monitorDpi != m_lengths.dpi) {
        ApplyDpi(m_monitorDpi);
    }
    if (!m_fade.timerRunning && FadeUnfinished(m_fade)) {
        FadeTo(m_fade.direction == 0, m_fade.step);
    }
    // Where no window events come (a system that refused the hooks), within a poll.
    LookForCover();
    PollPower();
}

void CMainWin::LookForCover() { FadeAs(m_visibility.Cover(m_fullScreen.Check()), kFadeStepFast); }

int CMainWin::Teardown() {
    // Log-off tears down first and the window's destruction may follow: the handles
    // are freed once.
    if (m_tornDown) {
        return 1;
    }
    m_tornDown = true;
    m_tray.Remove();
    m_power.Stop();
    m_fullScreen.Stop();
    // A window that never took its stored place must not overwrite it.
    if (m_place.Known()) {
        SavePosition();
    }
    m_fonts = FaceFonts{}, m_tools = DrawingTools{};
    // After a log-off teardown the window lives on briefly; nothing may tick into
    // the freed layer.
    StopTimer(TIMER_FADE);
    StopTimer(TIMER_HOVER_DELAY);
    StopTimer(TIMER_HOVER_WATCH);
    m_place.Stop();
    m_fade.timerRunning = 0;
    ReleaseLayerSurface();
    return 1;
}
