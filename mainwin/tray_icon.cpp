#include "mainwin/tray_icon.h"

#include <string.h>

#include "framework/format.h"

#ifndef _WIN64
static_assert(sizeof(NOTIFYICONDATAA) == 508, "the shell gets Vista's record, with uVersion");
#endif

namespace {

constexpr char kTaskbarCreated[] = "TaskbarCreated";
// The fourth version shows the standard tip only when asked to.
constexpr UINT kTip = NIF_TIP | NIF_SHOWTIP;

}  // namespace

void TrayIcon::Attach(HWND window, const NewerApi& api) {
    m_window = window;
    m_api = api;
    m_taskbarCreated = RegisterWindowMessageA(kTaskbarCreated);
    LetThrough(api, window, m_taskbarCreated);
    m_moon.ReadTheme();
}

void TrayIcon::Add() {
    m_shellHasIcon = m_version4 = false;
    if (Notify(NIM_ADD)) {
        Taken();  // the shell may restart while the retries run
    } else {
        m_triesLeft = kTries;
        SetTimer(m_window, TIMER_TRAY_RETRY, kRetryMs, nullptr);
    }
}

void TrayIcon::OnRetryTimer() {
    // A tick already queued when the retries ended finds nothing left to try.
    if (m_triesLeft <= 0) {
        return;
    }
    // An add the shell timed out on may have landed: then only a modify succeeds.
    if (Notify(NIM_MODIFY) || Notify(NIM_ADD)) {
        Taken();
    } else if (--m_triesLeft == 0) {
        EndRetries();
    }
}

// Each new icon is asked for the version again: the shell keeps it only for that icon.
void TrayIcon::Taken() {
    m_shellHasIcon = true;
    EndRetries();
    NOTIFYICONDATAA data = Record(0);
    data.uVersion = NOTIFYICON_VERSION_4;
    m_version4 = m_notify(NIM_SETVERSION, &data) != FALSE;
}

void TrayIcon::EndRetries() {
    m_triesLeft = 0;
    KillTimer(m_window, TIMER_TRAY_RETRY);
}

void TrayIcon::Remove() {
    EndRetries();
    m_shellHasIcon = m_version4 = false;
    NOTIFYICONDATAA data = Record(0);
    m_notify(NIM_DELETE, &data);
    m_moon.Forget();
}

void TrayIcon::ReturnFocus() {
    NOTIFYICONDATAA data = Record(0);
    m_notify(NIM_SETFOCUS, &data);
}

// The tip goes with every balloon, so that the shell keeps it.
bool TrayIcon::Balloon(const char* title, const char* text, DWORD icon) {
    if (!m_shellHasIcon) {
        return false;
    }
    NOTIFYICONDATAA data = Record(NIF_INFO | kTip);
    lstrcpynA(data.szInfoTitle, title, sizeof(data.szInfoTitle));
    lstrcpynA(data.szInfo, text, sizeof(data.szInfo));
    data.dwInfoFlags = icon | NIIF_RESPECT_QUIET_TIME;
    const bool taken = m_notify(NIM_MODIFY, &data) != FALSE;
    m_balloonUp |= taken && text[0];
    return taken;
}

// An empty text takes a balloon down.
void TrayIcon::TakeDownBalloon() {
    if (m_balloonUp && Balloon("", "", NIIF_NONE)) {
        m_balloonUp = false;
    }
}

void TrayIcon::SetStatus(const char* status) {
    char tip[sizeof(m_tip)];
    FormatText(tip, sizeof(tip), "%s\n%s", METER_TITLE, status);
    if (strcmp(tip, m_tip) == 0) {
        return;
    }
    memcpy(m_tip, tip, sizeof(tip));
    // An icon not there yet gets the tip when it is added.
    if (m_shellHasIcon) {
        Notify(NIM_MODIFY, kTip);
    }
}

// A moon that Windows refused to draw is tried again at each poll.
void TrayIcon::ShowBattery(const PowerSample& sample) {
    if (m_moon.SetBattery(sample) || m_moon.StandingIn()) {
        Update();
    }
}

void TrayIcon::Refresh() {
    m_moon.ReadTheme();
    Update();
}

// The shell hears of the icon only when its pixels would change.
void TrayIcon::Update() {
    if (m_shellHasIcon && m_moon.Differs(IconSize())) {
        Notify(NIM_MODIFY, NIF_ICON);
    }
}

// The small-icon size of the taskbar's scale: a new primary monitor, or a new scale of
// it, changes it. Before Windows 10 1607, the size of the scale at sign-in.
int TrayIcon::IconSize() const {
    const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    const UINT dpi = taskbar && m_api.getDpiForWindow ? m_api.getDpiForWindow(taskbar) : 0;
    return dpi && m_api.getSystemMetricsForDpi ? m_api.getSystemMetricsForDpi(SM_CXSMICON, dpi)
                                               : GetSystemMetrics(SM_CXSMICON);
}

NOTIFYICONDATAA TrayIcon::Record(UINT what) const {
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof(data));
    data.cbSize = sizeof(data);
    data.hWnd = m_window;
    data.uID = TRAY_ICON_ID;
    data.uFlags = what;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    lstrcpynA(data.szTip, m_tip, sizeof(data.szTip));
    return data;
}

// True when the shell took the request.
bool TrayIcon::Notify(DWORD message, UINT what) {
    // Drawn at the small-icon size, never a larger one scaled. A new tip alone needs no icon.
    HICON icon = what & NIF_ICON ? m_moon.Make(IconSize()) : nullptr;
    if ((what & NIF_ICON) && !icon) {  // refused for now: the retries ask again
        return false;
    }
    NOTIFYICONDATAA data = Record(what);
    data.hIcon = icon;
    const bool taken = m_notify(message, &data) != FALSE;
    if (icon) {
        m_moon.Answer(taken);
    }
    return taken;
}
