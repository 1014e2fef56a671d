// The meter's icon in the notification area, and the record the shell knows it by; its
// picture is the battery's moon (mainwin/tray_moon.h). A
// shell still starting at log-on may refuse the icon, and the TaskbarCreated that would
// bring it later never comes: a refused icon is tried again on a timer of its own. Each
// icon the shell takes is asked to speak the fourth version, which tells the keyboard's
// use of it and where the icon is.
#ifndef SORVANE_TRAY_ICON_H
#define SORVANE_TRAY_ICON_H

#include <windows.h>
#include <shellapi.h>

#include "framework/newer_api.h"
#include "mainwin/tray_moon.h"
#include "resources/resource.h"

class TrayIcon {
public:
    // How the notification area is told; Shell_NotifyIconA unless a test plays the shell.
    using Notifier = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);
    static constexpr int kTries = 12;  // a minute of tries, kRetryMs apart
    static constexpr UINT kRetryMs = 5000;

    void SetNotifier(Notifier notify) { m_notify = notify; }
    // Learns the shell's restart broadcast and lets it through to an elevated meter.
    void Attach(HWND window, const NewerApi& api);
    bool IsShellRestart(UINT message) const {
        return m_taskbarCreated != 0 && message == m_taskbarCreated;
    }
    // At the start, and after the shell restarted, which forgets every icon.
    void Add();
    void OnRetryTimer();
    void Remove();
    // The tip's second line, below the name that finds the icon; the shell hears of it
    // only when the text changed.
    void SetStatus(const char* status);
    // The battery the icon's moon shows; the shell hears of it when the picture changed.
    void ShowBattery(const PowerSample& sample);
    // The icon again, at the size the taskbar's scale now wants, in its theme's colours.
    void Refresh();
    // The shell speaks the fourth version to the icon; otherwise the first.
    bool Version4() const { return m_version4; }
    // The keyboard back to the notification area, after a menu cancelled there.
    void ReturnFocus();
    // A balloon from the icon, with NIIF_WARNING or NIIF_INFO; Focus Assist and the first
    // hour after sign-in keep it quiet. True when the shell took it.
    bool Balloon(const char* title, const char* text, DWORD icon);
    // The balloon shown, if any, taken down: its news is stale.
    void TakeDownBalloon();

private:
    // Every request's record, of the size that has room for the version.
    NOTIFYICONDATAA Record(UINT what) const;
    bool Notify(DWORD message, UINT what = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP);
    void Taken();
    int IconSize() const;
    void Update();
    void EndRetries();

    HWND m_window = nullptr;
    Notifier m_notify = Shell_NotifyIconA;
    NewerApi m_api = {};
    UINT m_taskbarCreated = 0;
    int m_triesLeft = 0;  // the retry timer runs while this is above 0
    bool m_shellHasIcon = false;
    bool m_version4 = false;
    bool m_balloonUp = false;
    char m_tip[64] = METER_TITLE;
    TrayMoon m_moon;
};

#endif
