#include "framework/window.h"

#include <string.h>

int Cwindow::Register(HINSTANCE instance, const char* className, const char* menuName,
                      const WNDCLASSEXA* description) {
    if (m_hwnd && IsWindow(m_hwnd)) {
        Destroy();
    }
    // A truncated copy would register, and later create, a different class.
    const size_t length = className ? strnlen(className, kClassNameSize) : kClassNameSize;
    if (length >= static_cast<size_t>(kClassNameSize)) {
        return -1;
    }
    memcpy(m_className, className, length + 1);

    WNDCLASSEXA wc;
    if (description) {
        wc = *description;
        wc.lpfnWndProc = StaticWndProc;
    } else {
        wc.cbSize = sizeof(WNDCLASSEXA);
        wc.style = 0;
        wc.lpfnWndProc = StaticWndProc;
        wc.cbClsExtra = 0;
        wc.cbWndExtra = 4;
        wc.hInstance = instance;
        wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszMenuName = menuName;
        wc.lpszClassName = m_className;
        wc.hIconSm = LoadIconA(nullptr, IDI_WINLOGO);
    }
    return RegisterClassExA(&wc) ? 0 : -1;
}

int Cwindow::Create(HINSTANCE instance, HWND parent, const char* windowName, DWORD style,
                    DWORD exStyle) {
    m_hwnd = CreateWindowExA(exStyle, m_className, windowName, style, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, instance, this);
    return 0;
}

LRESULT Cwindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_PAINT:
        Paint();
        break;
    default:
        break;
    }
    return DefWindowProcA(m_hwnd, message, wParam, lParam);
}

WPARAM Cwindow::Run() {
    MSG msg = {};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return msg.wParam;
}

int Cwindow::CreateBackBuffer(int width, int height) {
    FreeBackBuffer();
    m_backWidth = width;
    m_backHeight = height;
    HDC windowDC = GetDC(m_hwnd);
    m_backDC.Reset(CreateCompatibleDC(windowDC));
    m_backBitmap.Reset(CreateCompatibleBitmap(windowDC, width, height));
    ReleaseDC(m_hwnd, windowDC);
    SelectObject(m_backDC, m_backBitmap);
    SelectObject(m_backDC, GetStockObject(WHITE_PEN));
    SelectObject(m_backDC, GetStockObject(WHITE_BRUSH));
    Rectangle(m_backDC, 0, 0, width, height);
    return 0;
}

int Cwindow::CreateBackBufferForWindow() {
    RECT r;
    GetWindowRect(m_hwnd, &r);
    return CreateBackBuffer(r.right - r.left, r.bottom - r.top);
}

void Cwindow::Paint() {
    if (!m_backDC) {
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hwnd, &ps);
    const RECT& r = ps.rcPaint;
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, m_backDC, r.left, r.top, SRCCOPY);
    EndPaint(m_hwnd, &ps);
}

void Cwindow::Destroy() {
    FreeBackBuffer();
    if (m_hwnd && IsWindow(m_hwnd)) {
        DestroyWindow(m_hwnd);
    }
    m_hwnd = nullptr;
}

void Cwindow::FreeBackBuffer() {
    // The DC goes first so that the bitmap is no longer selected when it is deleted.
    m_backDC.Reset();
    m_backBitmap.Reset();
}

LRESULT CALLBACK Cwindow::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Cwindow* self = reinterpret_cast<Cwindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self) {
        return self->WindowProc(message, wParam, lParam);
    }
    if (message == WM_CREATE) {
        const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        self = static_cast<Cwindow*>(cs->lpCreateParams);
        if (self) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->m_hwnd = hwnd;
            return self->WindowProc(WM_CREATE, wParam, lParam);
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
