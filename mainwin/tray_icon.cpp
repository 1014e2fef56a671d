#include "mainwin/tray_icon.h"

#include <string.h>

#include "framework/format.h"

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the shell gets the first, 88-byte record");
#endif

namespace {

constexpr char kTaskbarCreated[] = "TaskbarCreated";

}  // namespace

void TrayIcon::Attach(HWND window, const NewerApi& api) {
    m_window = window;
    m_api = api;
    m_taskbarCreated = RegisterWindowMessageA(kTaskbarCreated);
    // User Interface Privilege Isolation would drop the broadcast to an elevated meter.
    if (api.changeWindowMessageFilterEx) {
        api.changeWindowMessageFilterEx(window, m_taskbarCreated, MSGFLT_ALLOW, nullptr);
    }
}

void TrayIcon::Add() {
    m_there = Notify(NIM_ADD);
    if (m_there) {
        EndRetries();  // the shell may restart while they run
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
    m_there = Notify(NIM_MODIFY) || Notify(NIM_ADD);
    if (m_there || --m_triesLeft == 0) {
        EndRetries();
    }
}

void TrayIcon::EndRetries() {
    m_triesLeft = 0;
    KillTimer(m_window, TIMER_TRAY_RETRY);
}

void TrayIcon::Remove() {
    EndRetries();
    m_there = false;
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof(data));
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = m_window;
    data.uID = TRAY_ICON_ID;
    m_notify(NIM_DELETE, &data);
}

void TrayIcon::SetStatus(const char* status) {
    char tip[sizeof(m_tip)];
    FormatText(tip, sizeof(tip), "%s\n%s", METER_TITLE, status);
    if (strcmp(tip, m_tip) == 0) {
        return;
    }
    memcpy(m_tip, tip, sizeof(tip));
    // An icon not there yet gets the tip when it is added.
    if (m_there) {
        Notify(NIM_MODIFY, NIF_TIP);
    }
}

void TrayIcon::Refresh() {
    if (m_there) {
        Notify(NIM_MODIFY, NIF_ICON);
    }
}

// The small-icon size at the taskbar's scale, which a new primary monitor or its new
// scale changes; the size fixed at sign-in where Windows cannot say.
int TrayIcon::IconSize() const {
    const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    const UINT dpi = taskbar && m_api.getDpiForWindow ? m_api.getDpiForWindow(taskbar) : 0;
    return dpi && m_api.getSystemMetricsForDpi ? m_api.getSystemMetricsForDpi(SM_CXSMICON, dpi)
                                               : GetSystemMetrics(SM_CXSMICON);
}

// True when the shell took the request.
bool TrayIcon::Notify(DWORD message, UINT what) {
    // The small-icon size picks the image drawn for it instead of scaling a large one. A
    // new tip alone needs no icon.
    const int size = what & NIF_ICON ? IconSize() : 0;
    HICON icon =
        size ? static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY),
                                             IMAGE_ICON, size, size, LR_DEFAULTCOLOR))
             : nullptr;
    if (size && !icon) {  // refused for now: the retries ask again
        return false;
    }
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof(data));
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = m_window;
    data.uID = TRAY_ICON_ID;
    data.uFlags = what;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    data.hIcon = icon;
    lstrcpynA(data.szTip, m_tip, sizeof(data.szTip));
    const bool taken = m_notify(message, &data) != FALSE;
    if (icon) {
        DestroyIcon(icon);
    }
    return taken;
}
