#include "mainwin/fullscreen_watch.h"

#include <string.h>

#include "resources/resource.h"

namespace {

// A WinEvent carries no pointer of its own: the one watch of the process is found here.
FullScreenWatch* g_watch = nullptr;

constexpr int kD3dFullScreen = 3;     // QUNS_RUNNING_D3D_FULL_SCREEN
constexpr int kPresentationMode = 4;  // QUNS_PRESENTATION_MODE

// The desktop's own windows cover the monitor without a caption, and are no film.
bool IsShellDesktop(HWND window) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof(name));
    return window == GetDesktopWindow() || window == GetShellWindow() ||
           strcmp(name, "Progman") == 0 || strcmp(name, "WorkerW") == 0;
}

}  // namespace

void FullScreenWatch::Start(HWND meter) {
    Stop();
    g_watch = this;
    m_meter = meter;
    m_notificationState = reinterpret_cast<NotificationState>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("shell32.dll"), "SHQueryUserNotificationState")));
    m_foregroundHook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                       OnEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
    Follow(GetForegroundWindow());
    m_covered = FullScreenNow();
}

void FullScreenWatch::Stop() {
    Follow(nullptr);
    if (m_foregroundHook) {
        UnhookWinEvent(m_foregroundHook);
    }
    m_foregroundHook = nullptr;
    if (g_watch == this) {
        g_watch = nullptr;
    }
    m_covered = false;
}

// Only the window in front can cover the meter: its process's window events are watched,
// not every window's in the system.
void FullScreenWatch::Follow(HWND front) {
    if (m_frontHook) {
        UnhookWinEvent(m_frontHook);
    }
    m_frontHook = nullptr;
    m_front = front;
    DWORD process = 0;
    if (front && GetWindowThreadProcessId(front, &process)) {
        m_frontHook = SetWinEventHook(EVENT_OBJECT_DESTROY, EVENT_OBJECT_LOCATIONCHANGE, nullptr,
                                      OnEvent, process, 0, WINEVENT_OUTOFCONTEXT);
    }
}

void CALLBACK FullScreenWatch::OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object,
                                       LONG child, DWORD, DWORD) {
    FullScreenWatch* watch = g_watch;
    if (!watch || object != OBJID_WINDOW || child != CHILDID_SELF) {
        return;
    }
    if (event == EVENT_SYSTEM_FOREGROUND) {
        watch->Follow(window);
    } else if (window != watch->m_front) {
        return;  // another window of the same process
    }
    watch->Check();
}

void FullScreenWatch::Check() {
    const bool covered = m_meter && FullScreenNow();
    if (covered != m_covered) {
        m_covered = covered;
        PostMessageA(m_meter, WM_FULLSCREEN, covered, 0);
    }
}

bool FullScreenWatch::FullScreenNow() const {
    int state = 0;
    if (m_notificationState && SUCCEEDED(m_notificationState(&state)) &&
        (state == kD3dFullScreen || state == kPresentationMode)) {
        return true;
    }
    const HWND front = GetForegroundWindow();
    if (!front || !IsWindowVisible(front) || IsIconic(front) || IsShellDesktop(front) ||
        (GetWindowLongA(front, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        return false;
    }
    MONITORINFO monitor;
    monitor.cbSize = sizeof(monitor);
    RECT w;
    if (!GetWindowRect(front, &w) ||
        !GetMonitorInfoA(MonitorFromWindow(m_meter, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return false;
    }
    const RECT& m = monitor.rcMonitor;
    return w.left <= m.left && w.top <= m.top && w.right >= m.right && w.bottom >= m.bottom;
}
