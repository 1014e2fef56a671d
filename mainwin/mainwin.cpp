#include "mainwin/mainwin.h"

#include <shellapi.h>
#include <string.h>

#include "meter/layer_reduce.h"
#include "resources/resource.h"

namespace {

constexpr char kTrayTip[] = "SorvaneBatteryMeter";
constexpr char kTaskbarCreated[] = "TaskbarCreated";
// GUID_CONSOLE_DISPLAY_STATE: the display is off (0), on (1) or dimmed (2).
constexpr GUID kConsoleDisplayState = {
    0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};
constexpr LONG_PTR kMeterExStyle = WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_NOACTIVATE;

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the shell gets the first, 88-byte record");
#endif

template <typename Handle> void DeleteGdiObject(Handle& handle) {
    if (handle) {
        DeleteObject(handle);
        handle = nullptr;
    }
}

}  // namespace

CMainWin::~CMainWin() {
    m_mask.Release();
    m_face.Release();
}

LRESULT CMainWin::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The shell's restart broadcast and a second start's request have numbers known
    // only at run time.
    if (m_taskbarCreated != 0 && message == m_taskbarCreated) {
        AddTrayIcon();
        return DefWindowProcA(m_hwnd, message, wParam, lParam);
    }
    if (m_showMessage != 0 && message == m_showMessage) {
        FadeTo(kFadeIn, kFadeStepSlow);
        return DefWindowProcA(m_hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_CREATE:
        OnCreateMessage();
        break;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_QUERYENDSESSION:
        OnQueryEndSession();
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
        OnCaptureChanged();
        break;
    case WM_DPICHANGED:
        OnDpiChanged(wParam, lParam);
        break;
    case WM_POWERBROADCAST:
        OnPowerBroadcast(wParam, lParam);
        DefWindowProcA(m_hwnd, message, wParam, lParam);
        return TRUE;
    case WM_DISPLAYCHANGE:
        OnDisplayChange();
        break;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETWORKAREA) {
            OnDisplayChange();
        }
        break;
    case WM_RBUTTONUP:
        OnRButtonUp(lParam);
        break;
    case WM_TRAYNOTIFY:
        if (OnTrayNotify(lParam)) {
            return 0;
        }
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

void CMainWin::OnCreateMessage() {
    // Without its layer the window could never be seen, reached or closed by the
    // user; after the error box it closes itself and the program ends.
    if (!OnCreate()) {
        Post(WM_CLOSE, 0, 0);
    }
}

void CMainWin::OnDestroy() {
    Teardown();
    PostQuitMessage(0);
}

void CMainWin::OnQueryEndSession() {
    Teardown();
    PostQuitMessage(0);
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
        OnFadeTick();
        break;
    case TIMER_HOVER_DELAY:
        OnHoverDelay();
        break;
    case TIMER_HOVER_WATCH:
        OnHoverWatch();
        break;
    case TIMER_TRAY_RETRY:
        OnTrayRetry();
        break;
    case TIMER_PLACE_CHECK:
        OnPlaceCheck();
        break;
    default:
        break;
    }
}

int CMainWin::OnCreate() {
    m_fade.alpha = 0;
    m_fade.timerRunning = 0;
    m_pointer.hoverPending = 0;
    m_fade.step = kFadeStepSlow;
    m_tornDown = false;
    m_lengths = LengthsAt(WindowDpi());
    m_wantedDpi = m_lengths.dpi;

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
    RestorePosition();
    m_taskbarCreated = RegisterWindowMessageA(kTaskbarCreated);
    m_showMessage = RegisterWindowMessageA(SHOW_METER_MESSAGE);
    // An elevated meter hears the shell's restart and a plain second start all the
    // same: User Interface Privilege Isolation would drop both.
    if (m_api.changeWindowMessageFilterEx) {
        m_api.changeWindowMessageFilterEx(m_hwnd, m_taskbarCreated, MSGFLT_ALLOW, nullptr);
        m_api.changeWindowMessageFilterEx(m_hwnd, m_showMessage, MSGFLT_ALLOW, nullptr);
    }
    AddTrayIcon();
    FadeTo(kFadeIn, kFadeStepSlow);
    m_screenOn = true;
    StartPollTimer();
    // Windows answers at once with the display's state, which finds it on.
    if (m_api.registerPowerSettingNotification) {
        m_displayNotify = m_api.registerPowerSettingNotification(m_hwnd, &kConsoleDisplayState,
                                                                 DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    return 1;
}

// The poll is the fallback for what Windows does not announce; it may come a little
// late, so that the processor wakes for it together with other timers.
void CMainWin::StartPollTimer() {
    m_pollTimerOn =
        (m_api.setCoalescableTimer ? m_api.setCoalescableTimer(m_hwnd, TIMER_POLL, kPollPeriodMs,
                                                               nullptr, kPollToleranceMs)
                                   : StartTimer(TIMER_POLL, kPollPeriodMs)) != 0;
}

// Whatever Windows refused before is asked for again at the next tick: a layer at the
// monitor's scale at the poll, the poll's own timer at a fade tick, and the reverse.
void CMainWin::OnPollTick() {
    if (m_wantedDpi != m_lengths.dpi) {
        ApplyDpi(m_wantedDpi);
    }
    if (!m_fade.timerRunning && FadeUnfinished(m_fade)) {
        FadeTo(m_fade.direction == 0, m_fade.step);
    }
    PollPower();
}

void CMainWin::OnFadeTick() {
    if (!m_pollTimerOn && m_screenOn) {
        StartPollTimer();
    }
    FadeTick();
}

void CMainWin::OnPowerBroadcast(WPARAM event, LPARAM lParam) {
    if (m_tornDown) {
        return;
    }
    switch (event) {
    case PBT_APMPOWERSTATUSCHANGE:  // plugged, unplugged: whatever the screen shows
    case PBT_APMRESUMEAUTOMATIC:    // awake: the face is never stale after sleep
    case PBT_APMRESUMESUSPEND:
        PollPower();
        break;
    case PBT_POWERSETTINGCHANGE: {
        const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
        if (setting && setting->PowerSetting == kConsoleDisplayState &&
            setting->DataLength >= sizeof(DWORD)) {
            DWORD state;
            memcpy(&state, setting->Data, sizeof(state));
            OnDisplayState(state);
        }
        break;
    }
    default:
        break;
    }
}

// A dark screen costs nothing: no poll wakes the processor until it is on again. A
// dimmed screen is still seen.
void CMainWin::OnDisplayState(DWORD state) {
    const bool on = state != 0;
    if (on == m_screenOn) {
        return;
    }
    m_screenOn = on;
    if (!on) {
        StopTimer(TIMER_POLL);
        m_pollTimerOn = false;
        return;
    }
    PollPower();
    StartPollTimer();
}

void CMainWin::OnDisplayChange() {
    // Each message of the burst starts the wait again.
    StartTimer(TIMER_PLACE_CHECK, kPlaceSettleMs);
}

void CMainWin::OnPlaceCheck() {
    StopTimer(TIMER_PLACE_CHECK);
    KeepOnWorkArea();
}

int CMainWin::Teardown() {
    // Log-off tears down first and the window's destruction may follow: the handles
    // are freed once.
    if (m_tornDown) {
        return 1;
    }
    m_tornDown = true;
    RemoveTrayIcon();
    if (m_displayNotify && m_api.unregisterPowerSettingNotification) {
        m_api.unregisterPowerSettingNotification(m_displayNotify);
    }
    m_displayNotify = nullptr;
    // A window that never took its stored place must not overwrite it.
    if (m_positionKnown) {
        SavePosition();
    }
    FreeDrawingTools();
    StopTimer(TIMER_POLL);
    m_pollTimerOn = false;
    // After a log-off teardown the window lives on briefly; nothing may tick into
    // the freed layer.
    StopTimer(TIMER_FADE);
    StopTimer(TIMER_HOVER_DELAY);
    StopTimer(TIMER_HOVER_WATCH);
    StopTimer(TIMER_PLACE_CHECK);
    EndTrayRetries();
    m_fade.timerRunning = 0;
    ReleaseLayerSurface();
    return 1;
}

// The fonts are still selected in the face and mask DCs; stock ones go back in so
// that each really goes now.
void CMainWin::FreeFonts() {
    const HDC dcs[] = {m_face.GetMemDC(), m_mask.GetMemDC()};
    for (HDC dc : dcs) {
        if (dc) {
            SelectObject(dc, GetStockObject(SYSTEM_FONT));
        }
    }
    DeleteGdiObject(m_bigFont);
    DeleteGdiObject(m_smallFont);
}

void CMainWin::FreeDrawingTools() {
    FreeFonts();
    const HDC dcs[] = {m_face.GetMemDC(), m_mask.GetMemDC()};
    for (HDC dc : dcs) {
        if (dc) {
            SelectObject(dc, GetStockObject(BLACK_PEN));
            SelectObject(dc, GetStockObject(BLACK_BRUSH));
        }
    }
    DeleteGdiObject(m_lightPen);
    DeleteGdiObject(m_lightBrush);
    DeleteGdiObject(m_blackPen);
    DeleteGdiObject(m_blackBrush);
}

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
    m_wantedDpi = next.dpi;
    if (next.dpi == m_lengths.dpi) {
        return 1;
    }
    LayerParts made;
    if (!m_layer.dc || !MakeLayer(next.layer, made)) {
        return 0;
    }
    ReleaseLayerSurface();
    m_layer = made;
    ScaleDrag(m_pointer, m_lengths.dpi, next.dpi);
    m_lengths = next;
    FreeFonts();
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

// A shell still busy starting at log-on may refuse the icon, and the TaskbarCreated
// that would bring it later never comes: the icon is tried again on a timer.
void CMainWin::AddTrayIcon() {
    if (NotifyTray(NIM_ADD)) {
        EndTrayRetries();  // the shell may restart while they run
    } else {
        m_trayTriesLeft = kTrayTries;
        StartTimer(TIMER_TRAY_RETRY, kTrayRetryMs);
    }
}

void CMainWin::OnTrayRetry() {
    // A tick already queued when the retries ended finds nothing left to try.
    if (m_trayTriesLeft <= 0) {
        return;
    }
    // An add the shell timed out on may have landed: then only a modify succeeds.
    const bool there = NotifyTray(NIM_MODIFY) || NotifyTray(NIM_ADD);
    if (there || --m_trayTriesLeft == 0) {
        EndTrayRetries();
    }
}

void CMainWin::EndTrayRetries() {
    m_trayTriesLeft = 0;
    StopTimer(TIMER_TRAY_RETRY);
}

// True when the shell took the request.
bool CMainWin::NotifyTray(DWORD message) {
    // The small-icon size picks the 16-pixel image instead of scaling a large one.
    HICON icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    if (!icon) {  // refused for now: the retries ask again
        return false;
    }
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof(data));
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = m_hwnd;
    data.uID = TRAY_ICON_ID;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    data.hIcon = icon;
    lstrcpynA(data.szTip, kTrayTip, sizeof(data.szTip));
    const bool taken = m_notifyTray(message, &data) != FALSE;
    DestroyIcon(icon);
    return taken;
}

void CMainWin::RemoveTrayIcon() {
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof(data));
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = m_hwnd;
    data.uID = TRAY_ICON_ID;
    m_notifyTray(NIM_DELETE, &data);
}
