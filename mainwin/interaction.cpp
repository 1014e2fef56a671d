#include "mainwin/mainwin.h"

#include "about/aboutwin.h"
#include "framework/desktop_math.h"
#include "resources/resource.h"
#include "settings/position_rules.h"

namespace {

POINT PointFromLParam(LPARAM lParam) {
    const unsigned long bits = static_cast<unsigned long>(lParam);
    return POINT{SignedLow16(bits), SignedHigh16(bits)};
}

}  // namespace

void CMainWin::OnCommand(WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case ID_QUIT:
        Post(WM_CLOSE, 0, 0);
        break;
    case ID_ABOUT:
        OpenAboutWindow(m_hwnd, m_lengths);
        break;
    case ID_RESET_POSITION:
        // A reset picked from the tray while the meter is hidden would otherwise show
        // nothing.
        ResetPosition();
        LookForCover();
        ShowForUser();
        break;
    case ID_HIDE:
        FadeAs(m_visibility.Hide(), kFadeStepSlow);
        break;
    case ID_START_WITH_WINDOWS:
        m_startup.Toggle();
        break;
    default:
        break;
    }
}

void CMainWin::ResetPosition() {
    PlaceAt(DefaultPosition(ListMonitors().primary, PrimaryLengths()));
    KeepPlace();
}

// Fails while another desktop has the input (the lock screen, a UAC prompt): the
// point is then unknown, not wherever the last reading left it.
bool CMainWin::ReadCursor(POINT& client) const {
    return m_readCursor(&client) && ScreenToClient(m_hwnd, &client);
}

void CMainWin::OnMouseMove(LPARAM lParam) {
    if (m_pointer.dragging) {
        POINT p = PointFromLParam(lParam);
        ClientToScreen(m_hwnd, &p);
        const DragTarget t = DragOrigin(m_pointer, p.x, p.y);
        MoveTo(t.x, t.y);
        return;
    }
    if (HoverMouseMove(m_pointer)) {
        StartTimer(TIMER_HOVER_DELAY, kHoverDelayMs);
    }
}

void CMainWin::OnHoverDelay() {
    StopTimer(TIMER_HOVER_DELAY);
    POINT p;
    const bool onMeter = ReadCursor(p) && InHoverBox(p.x, p.y, m_lengths.layer);
    if (HoverDelayElapsed(m_pointer, onMeter) == HoverDelayOutcome::kHide) {
        StartTimer(TIMER_HOVER_WATCH, kHoverWatchMs);
        FadeTo(kFadeOut, kFadeStepFast);
    }
}

void CMainWin::OnHoverWatch() {
    POINT p;
    if (!ReadCursor(p) || InHoverBox(p.x, p.y, m_lengths.layer)) {  // unknown: it keeps watching
        return;
    }
    StopTimer(TIMER_HOVER_WATCH);
    // Unless something else hid it meanwhile.
    if (m_visibility.Seen()) {
        FadeTo(kFadeIn, kFadeStepFast);
    }
}

void CMainWin::OnLButtonDown(LPARAM lParam) {
    const POINT p = PointFromLParam(lParam);
    if (BeginDrag(m_pointer, p.x, p.y)) {
        SetCapture(m_hwnd);
        ShowForUser();
    }
}

void CMainWin::OnLButtonUp() {
    if (EndDrag(m_pointer)) {
        ReleaseCapture();
        KeepPlace();
        LookForCover();  // perhaps on another monitor now
    }
}

void CMainWin::OnRButtonUp(LPARAM lParam) {
    SuppressHover(m_pointer);
    ShowForUser();
    POINT p = PointFromLParam(lParam);
    ClientToScreen(m_hwnd, &p);
    ShowPopupMenu(p.x, p.y, false);
}

// The icon's fourth version tells the event in lParam's low word and, of the mouse and the
// keyboard, the point at the icon in wParam; the first tells the event alone.
bool CMainWin::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    POINT p;
    switch (LOWORD(lParam)) {
    case WM_LBUTTONDOWN:
    case NIN_SELECT:  // a click's release, or Enter on the icon chosen with the mouse
    case NIN_KEYSELECT:
        ShowForUser();
        return true;
    case WM_RBUTTONDOWN:                               // the first version's request for the menu
        if (!m_tray.Version4() && m_readCursor(&p)) {  // no menu at an unknown place
            ShowPopupMenu(p.x, p.y, true);
        }
        return true;
    case WM_CONTEXTMENU:  // the fourth's: the right button's release, Shift+F10, the menu key
        ShowPopupMenu(SignedLow16(wParam), SignedHigh16(wParam), true);
        return true;
    default:
        return false;
    }
}

void CMainWin::ShowPopupMenu(int x, int y, bool fromTray) {
    HMENU menu = LoadMenuA(GetInstance(), MAKEINTRESOURCEA(IDR_POPUP));
    if (!menu) {
        return;
    }
    // A menu closes on a click elsewhere and takes keys only while its owner is the
    // foreground window; the meter holds it for the menu's time and no longer.
    const HWND user = GetForegroundWindow();
    SetForegroundWindow(m_hwnd);
    const HMENU popup = GetSubMenu(menu, 0);
    CheckMenuItem(popup, ID_START_WITH_WINDOWS,
                  MF_BYCOMMAND | (m_startup.IsOn() ? MF_CHECKED : MF_UNCHECKED));
    EnableMenuItem(popup, ID_START_WITH_WINDOWS,
                   MF_BYCOMMAND | (m_startup.CanWork() ? MF_ENABLED : MF_GRAYED));
    // The command comes back here, so that a cancelled menu is told apart; it is posted
    // as the menu itself would post it.
    const UINT chosen =
        TrackPopupMenu(popup, TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, m_hwnd, nullptr);
    if (chosen) {
        PostMessageA(m_hwnd, WM_COMMAND, chosen, 0);
    }
    // The task switch this forces keeps the next menu from vanishing at once.
    PostMessageA(m_hwnd, WM_NULL, 0, 0);
    // Esc on a menu of the icon's gives the keyboard back to the notification area; where
    // the shell does not take it, the user's window has it again.
    if (GetForegroundWindow() == m_hwnd && fromTray && !chosen) {
        m_tray.ReturnFocus();
    }
    if (GetForegroundWindow() == m_hwnd && user != m_hwnd && IsWindow(user)) {
        SetForegroundWindow(user);
    }
    DestroyMenu(menu);
}
