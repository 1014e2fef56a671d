// A registered window class whose messages reach a virtual handler of the owning
// object, with an off-screen back buffer and the message loop.
#ifndef SORVANE_WINDOW_H
#define SORVANE_WINDOW_H

#include "framework/editwindow.h"
#include "framework/owned_handles.h"

class Cwindow : public Ceditwindow {
public:
    static constexpr int kClassNameSize = 256;

    Cwindow() = default;
    Cwindow(const Cwindow&) = delete;
    Cwindow& operator=(const Cwindow&) = delete;

    // 0 on success, -1 when the class cannot be registered (already registered,
    // or a name that does not fit the class-name buffer).
    virtual int Register(HINSTANCE instance, const char* className, const char* menuName,
                         const WNDCLASSEXA* description);
    virtual int Create(HINSTANCE instance, HWND parent, const char* windowName, DWORD style,
                       DWORD exStyle);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual WPARAM Run();

    int CreateBackBuffer(int width, int height);
    int CreateBackBufferForWindow();
    HDC GetBackDC() const { return m_backDC; }
    void Paint();
    void Destroy();

    const char* GetClassName() const { return m_className; }

    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void FreeBackBuffer();

    char m_className[kClassNameSize] = {};
    // The bitmap before the DC it is selected into, so that the DC goes first.
    GdiObject<HBITMAP> m_backBitmap;
    MemoryDC m_backDC;
    int m_backWidth = 0;
    int m_backHeight = 0;
};

#endif
