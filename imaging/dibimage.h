// An off-screen 24-bit DIB section with its own memory DC and a lazily built,
// top-down table of row pointers.
#ifndef SORVANE_DIBIMAGE_H
#define SORVANE_DIBIMAGE_H

#include <windows.h>
#include <stdint.h>

class CDibImage {
public:
    enum Status {
        kOk = 0,
        kNoMemory = 4,
        kNoImage = 6,
        kTransferFailed = 31,
    };

    CDibImage() = default;
    ~CDibImage() { Release(); }
    CDibImage(const CDibImage&) = delete;
    CDibImage& operator=(const CDibImage&) = delete;

    int CreateDib(int width, int height, int bitsPerPixel);
    int LoadBitmapResource(HINSTANCE instance, int resourceId);
    int Draw(HDC dc, int x, int y);
    // The picture at width x height, each pixel a copy of one of the picture's: never
    // a blend, so a colour key stays whole.
    int DrawScaled(HDC dc, int x, int y, int width, int height);
    HDC GetMemDC() const { return m_memDC; }
    uint8_t** GetRows();
    int BuildRows();
    int FillPixel(uint32_t value);
    int FillColor(COLORREF colour);
    int Release();

    int GetStatus() const { return m_status; }
    const BITMAPINFOHEADER* GetHeader() const { return m_header; }

    int m_width = 0;
    int m_height = 0;

private:
    int m_status = kOk;
    BITMAPINFOHEADER* m_header = nullptr;
    uint8_t* m_bits = nullptr;
    uint8_t** m_rows = nullptr;
    HGLOBAL m_headerBlock = nullptr;
    HGLOBAL m_rowBlock = nullptr;
    HBITMAP m_dib = nullptr;
    HDC m_memDC = nullptr;
};

#endif
