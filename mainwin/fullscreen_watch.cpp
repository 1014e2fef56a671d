#include "mainwin/fullscreen_watch.h"

#include "mainwin/cover_rule.h"
#include "resources/resource.h"

static_assert(kStyleCaption == WS_CAPTION && kExStyleToolWindow == WS_EX_TOOLWINDOW &&
                  kShellDirect3D == QUNS_RUNNING_D3D_FULL_SCREEN,
              "the rule reads Windows' own values");

namespace {

// A WinEvent carries no pointer of its own: the one watch of the process is found here.
FullScreenWatch* g_watch = nullptr;

constexpr DWORD kCloaked = 14;  // DWMWA_CLOAKED, Windows 8
constexpr int kClassNameChars = 257;

// Other processes' events, called from this thread's message loop.
HWINEVENTHOOK Hook(DWORD first, DWORD last, DWORD process, WINEVENTPROC callback) {
    return SetWinEventHook(first, last, nullptr, callback, process, 0,
                           WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
}

void Unhook(HWINEVENTHOOK& hook) {
    if (hook) {
        UnhookWinEvent(hook);
    }
    hook = nullptr;
}

}  // namespace

// Anywhere: a window coming to the front, minimized or restored, moved or sized by the
// user. Not every object's events, the caret's among them: the meter would wake at each
// keystroke in the user's editor.
void FullScreenWatch::Start(HWND meter, const NewerApi& api) {
    Stop();
    g_watch = this;
    m_meter = meter;
    m_thread = GetWindowThreadProcessId(meter, nullptr);
    m_api = api;
    m_anywhere[0] = Hook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, 0, OnEvent);
    m_anywhere[1] = Hook(EVENT_SYSTEM_MOVESIZEEND, EVENT_SYSTEM_MOVESIZEEND, 0, OnEvent);
    m_anywhere[2] = Hook(EVENT_SYSTEM_MINIMIZESTART, EVENT_SYSTEM_MINIMIZEEND, 0, OnEvent);
}

void FullScreenWatch::Stop() {
    Follow(nullptr);
    for (HWINEVENTHOOK& hook : m_anywhere) {
        Unhook(hook);
    }
    if (g_watch == this) {
        g_watch = nullptr;
    }
    m_meter = m_askedAbout = nullptr;
    m_shellState = 0;
    m_lookPending = false;
}

// While a window covers the meter, its going, hiding or moving is heard at once, and its
// process's events are the only ones heard beside the system's.
void FullScreenWatch::Follow(HWND covering) {
    if (covering == m_coveringWindow) {
        return;
    }
    for (HWINEVENTHOOK& hook : m_covering) {
        Unhook(hook);
    }
    m_coveringWindow = covering;
    DWORD process = 0;
    if (covering && GetWindowThreadProcessId(covering, &process)) {
        m_covering[0] = Hook(EVENT_OBJECT_DESTROY, EVENT_OBJECT_HIDE, process, OnEvent);
        m_covering[1] =
            Hook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE, process, OnEvent);
    }
}

void CALLBACK FullScreenWatch::OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object,
                                       LONG child, DWORD, DWORD) {
    FullScreenWatch* watch = g_watch;
    // A caret, a pointer or a control is not a window coming or going.
    if (!watch || object != OBJID_WINDOW || child != CHILDID_SELF) {
        return;
    }
    // Of the covering window's process, only that window.
    if (event >= EVENT_OBJECT_DESTROY && window != watch->m_coveringWindow) {
        return;
    }
    // One look answers a burst of events.
    if (!watch->m_lookPending) {
        watch->m_lookPending = PostMessageA(watch->m_meter, WM_FULLSCREEN, 0, 0) != FALSE;
    }
}

bool FullScreenWatch::Check() {
    m_lookPending = false;
    if (!m_meter) {
        return false;
    }
    AskTheShell();
    const HWND covering = CoveringWindow();
    Follow(covering);
    const bool frontHere =
        IsWindow(m_askedAbout) && MonitorFromWindow(m_askedAbout, MONITOR_DEFAULTTONULL) ==
                                      MonitorFromWindow(m_meter, MONITOR_DEFAULTTONEAREST);
    return covering || ShellStateCovers(m_shellState, frontHere);
}

bool FullScreenWatch::Own(HWND window) const {
    return GetWindowThreadProcessId(window, nullptr) == m_thread;
}

// Its answer is of the window in front: asked when another came there, and not when the
// meter's own menu did.
void FullScreenWatch::AskTheShell() {
    const HWND front = GetForegroundWindow();
    if (!front || front == m_askedAbout || Own(front)) {
        return;
    }
    m_askedAbout = front;
    QUERY_USER_NOTIFICATION_STATE state;
    const bool told =
        m_api.queryUserNotificationState && SUCCEEDED(m_api.queryUserNotificationState(&state));
    m_shellState = told ? state : 0;
}

// The facts of a window that is seen; of one that is not, nothing else matters.
WindowFacts FullScreenWatch::FactsOf(HWND window, char* name, int size) const {
    WindowFacts f = {};
    f.visible = IsWindowVisible(window) != FALSE;
    if (!f.visible) {
        return f;
    }
    name[0] = '\0';
    GetClassNameA(window, name, size);
    f.name = name;
    f.style = static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE));
    f.exStyle = static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE));
    RECT r = {};
    GetWindowRect(window, &r);
    f.rect = ScreenRect{r.left, r.top, r.right, r.bottom};
    f.minimized = IsIconic(window) != FALSE;
    DWORD cloaked = 0;
    f.cloaked =
        m_api.dwmGetWindowAttribute &&
        SUCCEEDED(m_api.dwmGetWindowAttribute(window, kCloaked, &cloaked, sizeof(cloaked))) &&
        cloaked != 0;
    f.own = Own(window);
    return f;
}

// The full-screen window the meter is drawn over, if it is one.
HWND FullScreenWatch::CoveringWindow() const {
    MONITORINFO monitor;
    monitor.cbSize = sizeof(monitor);
    RECT meter;
    if (!GetWindowRect(m_meter, &meter) ||
        !GetMonitorInfoA(MonitorFromWindow(m_meter, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return nullptr;
    }
    const RECT& m = monitor.rcMonitor;
    const ScreenRect area = {m.left, m.top, m.right, m.bottom};
    const int x = (meter.left + meter.right) / 2, y = (meter.top + meter.bottom) / 2;
    char name[kClassNameChars];
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        const Cover judged = JudgeWindow(FactsOf(w, name, sizeof(name)), area, x, y);
        if (judged != Cover::kLookFurther) {
            return judged == Cover::kFullScreen ? w : nullptr;
        }
    }
    return nullptr;
}
