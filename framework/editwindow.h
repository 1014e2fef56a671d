// One-line operations on a window handle.
#ifndef SORVANE_EDITWINDOW_H
#define SORVANE_EDITWINDOW_H

#include <windows.h>

class Ceditwindow {
public:
    HWND GetHwnd() const { return m_hwnd; }
    HINSTANCE GetInstance() const;
    BOOL Show(int command);
    BOOL SetSize(int width, int height);
    BOOL MoveTo(int x, int y);
    BOOL MoveBy(int dx, int dy);
    BOOL CenterOn(const RECT& area);
    BOOL SetTopmost(bool topmost);
    BOOL Post(UINT message, WPARAM wParam, LPARAM lParam);
    UINT_PTR StartTimer(UINT_PTR id, UINT milliseconds);
    BOOL StopTimer(UINT_PTR id);

protected:
    HWND m_hwnd = nullptr;
};

#endif
