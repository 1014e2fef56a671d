#include "mainwin/tray_icon.h"

#include <string.h>

#include "resources/resource.h"

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the shell gets the first, 88-byte record");
#endif

namespace {

constexpr char kTaskbarCreated[] = "TaskbarCreated";

}  // namespace

void TrayIcon::Attach(HWND window, const NewerApi& api) {
    m_window = window;
    m_taskbarCreated = RegisterWindowMessageA(kTaskbarCreated);
    // User Interface Privilege Isolation would drop the broadcast to an elevated meter.
    if (api.changeWindowMessageFilterEx) {
        api.changeWindowMessageFilterEx(window, m_taskbarCreated, MSGFLT_ALLOW, nullptr);
    }
}

void TrayIcon::Add() {
    if (Notify(NIM_ADD)) {
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
    const bool there = Notify(NIM_MODIFY) || Notify(NIM_ADD);
    if (there || --m_triesLeft == 0) {
        EndRetries();
    }
}

void TrayIcon::EndRetries() {
    m_triesLeft = 0;
    KillTimer(m_window, TIMER_TRAY_RETRY);
}

void TrayIcon::Remove() {
    EndRetries();
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof(data));
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = m_window;
    data.uID = TRAY_ICON_ID;
    m_notify(NIM_DELETE, &data);
}

// True when the shell took the request.
bool TrayIcon::Notify(DWORD message) {
    // The small-icon size picks the image drawn for it instead of scaling a large one.
    HICON icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    if (!icon) {  // refused for now: the retries ask again
        return false;
    }
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof(data));
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = m_window;
    data.uID = TRAY_ICON_ID;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    data.hIcon = icon;
    lstrcpynA(data.szTip, METER_TITLE, sizeof(data.szTip));
    const bool taken = m_notify(message, &data) != FALSE;
    DestroyIcon(icon);
    return taken;
}
