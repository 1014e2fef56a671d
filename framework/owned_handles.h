// Handles that free themselves: any handle with the function that frees it (a registry
// key, say), a GDI object, a memory DC or the screen's DC with one owner, and a
// selection into a DC that puts back what it replaced. Moved, never copied: a handle
// freed twice, or by two owners, is the fault these rule out.
#ifndef SORVANE_OWNED_HANDLES_H
#define SORVANE_OWNED_HANDLES_H

#include <windows.h>

template <typename Handle, BOOL (*Free)(Handle)> class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle) : m_handle(handle) {}
    ~Owned() { Reset(); }
    Owned(Owned&& other) : m_handle(other.Release()) {}
    Owned& operator=(Owned&& other) { return Reset(other.Release()), *this; }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    operator Handle() const { return m_handle; }
    Handle Release() {
        const Handle handle = m_handle;
        return m_handle = nullptr, handle;
    }
    void Reset(Handle handle = nullptr) {
        if (m_handle) {
            Free(m_handle);
        }
        m_handle = handle;
    }
    // Asks make() for a handle only while there is none: one Windows refused is asked for
    // again the next time.
    template <typename Make> void MakeIfMissing(Make make) {
        if (!m_handle) {
            m_handle = make();
        }
    }

private:
    Handle m_handle = nullptr;
};

template <typename Handle> BOOL DeleteGdiObject(Handle object) { return DeleteObject(object); }
inline BOOL FreeScreenDC(HDC dc) { return ReleaseDC(nullptr, dc); }
inline BOOL FreeMemoryDC(HDC dc) { return DeleteDC(dc); }
template <typename Handle> using GdiObject = Owned<Handle, DeleteGdiObject<Handle>>;
using MemoryDC = Owned<HDC, FreeMemoryDC>;
using ScreenDC = Owned<HDC, FreeScreenDC>;

// An object selected into a DC for the selection's life.
class Selection {
public:
    Selection() = default;
    Selection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~Selection() { Reset(); }
    Selection(Selection&& other) { *this = static_cast<Selection&&>(other); }
    Selection& operator=(Selection&& other) {
        Reset();
        m_dc = other.m_dc, m_previous = other.m_previous, other.m_previous = nullptr;
        return *this;
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    void Reset() {
        if (m_previous) {
            SelectObject(m_dc, m_previous);
        }
        m_previous = nullptr;
    }

private:
    HDC m_dc = nullptr;
    HGDIOBJ m_previous = nullptr;  // null: nothing to put back (a failed selection too)
};

#endif
