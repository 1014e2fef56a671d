#include "imaging/dibimage.h"

#include "framework/owned_handles.h"
#include "imaging/dib_layout.h"

namespace {

constexpr int kSupportedDepth = 24;

}  // namespace

int CDibImage::CreateDib(int width, int height, int bitsPerPixel) {
    Release();
    // The row table, the fills and the reduction address three bytes per pixel, so
    // other depths and degenerate sizes are refused rather than misread later.
    if (bitsPerPixel != kSupportedDepth || width <= 0 || height <= 0) {
        m_status = kNoMemory;
        return 0;
    }
    m_headerBlock = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER));
    if (!m_headerBlock) {
        m_status = kNoMemory;
        return 0;
    }
    m_header = static_cast<BITMAPINFOHEADER*>(GlobalLock(m_headerBlock));
    if (!m_header) {
        Release();
        m_status = kNoMemory;
        return 0;
    }
    *m_header = BITMAPINFOHEADER{};
    m_header->biSize = sizeof(BITMAPINFOHEADER);
    m_header->biWidth = width;
    m_header->biHeight = height;
    m_header->biPlanes = 1;
    m_header->biBitCount = static_cast<WORD>(bitsPerPixel);
    m_header->biCompression = BI_RGB;

    void* bits = nullptr;
    m_dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(m_header), DIB_RGB_COLORS,
                             &bits, nullptr, 0);
    if (!m_dib) {
        // The header alone describes no picture: it goes too.
        Release();
        m_status = kNoMemory;
        return 0;
    }
    m_memDC = CreateCompatibleDC(nullptr);
    if (!m_memDC) {
        // Without a DC nothing could be drawn into the picture.
        Release();
        m_status = kNoMemory;
        return 0;
    }
    m_bits = static_cast<uint8_t*>(bits);
    SelectObject(m_memDC, m_dib);
    m_width = m_header->biWidth;
    m_height = m_header->biHeight;
    m_status = kOk;
    return 1;
}

int CDibImage::LoadBitmapResource(HINSTANCE instance, int resourceId) {
    const GdiObject<HBITMAP> loaded(LoadBitmapA(instance, MAKEINTRESOURCEA(resourceId & 0xFFFF)));
    if (!loaded) {
        return 0;
    }
    BITMAP info;
    if (!GetObjectA(loaded, sizeof(info), &info) ||
        !CreateDib(info.bmWidth, info.bmHeight, kSupportedDepth)) {
        m_status = kNoMemory;
        return 0;
    }
    const MemoryDC source(CreateCompatibleDC(m_memDC));
    const Selection picture(source, loaded);
    BitBlt(m_memDC, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    return 1;
}

int CDibImage::Draw(HDC dc, int x, int y) {
    if (!m_header) {
        m_status = kNoImage;
        return 0;
    }
    const int lines = SetDIBitsToDevice(dc, x, y, m_header->biWidth, m_header->biHeight, 0, 0, 0,
                                        m_header->biHeight, m_bits,
                                        reinterpret_cast<BITMAPINFO*>(m_header), DIB_RGB_COLORS);
    if (lines == 0) {
        m_status = kTransferFailed;
        return 0;
    }
    m_status = kOk;
    return 1;
}

int CDibImage::DrawScaled(HDC dc, int x, int y, int width, int height) {
    if (!m_header) {
        m_status = kNoImage;
        return 0;
    }
    const int previous = SetStretchBltMode(dc, COLORONCOLOR);
    const int lines =
        StretchDIBits(dc, x, y, width, height, 0, 0, m_header->biWidth, m_header->biHeight, m_bits,
                      reinterpret_cast<BITMAPINFO*>(m_header), DIB_RGB_COLORS, SRCCOPY);
    SetStretchBltMode(dc, previous);
    m_status = lines == 0 ? kTransferFailed : kOk;
    return lines != 0;
}

uint8_t** CDibImage::GetRows() {
    // The rows reach the pixels past GDI: drawing it still holds in its per-thread
    // batch must land first, or it would be read stale, or land over direct writes.
    GdiFlush();
    if (m_rowBlock) {
        return m_rows;
    }
    return BuildRows() ? m_rows : nullptr;
}

int CDibImage::BuildRows() {
    if (m_rowBlock) {  // a table built before: it is locked as long as it is held
        GlobalUnlock(m_rowBlock);
        GlobalFree(m_rowBlock);
        m_rowBlock = nullptr;
        m_rows = nullptr;
    }
    // No pixels means nothing to point at; an empty table would be read past its end.
    if (!m_bits || m_height <= 0) {
        m_status = kNoMemory;
        return 0;
    }
    m_rowBlock = GlobalAlloc(GMEM_MOVEABLE, sizeof(uint8_t*) * static_cast<SIZE_T>(m_height));
    if (m_rowBlock) {
        m_rows = static_cast<uint8_t**>(GlobalLock(m_rowBlock));
    }
    if (!m_rows) {
        if (m_rowBlock) {
            GlobalFree(m_rowBlock);
            m_rowBlock = nullptr;
        }
        m_status = kNoMemory;
        return 0;
    }
    const int stride = DibStride24(m_width);
    for (int i = 0; i < m_height; ++i) {
        m_rows[i] = DibRowAddress(m_bits, m_height, stride, i);
    }
    m_status = kOk;
    return 1;
}

// Every fill is a grey, black above all: one byte serves blue, green and red. Another
// colour is refused, as nothing fills with one.
int CDibImage::FillPixel(uint32_t value) {
    const uint8_t grey = static_cast<uint8_t>(value);
    if ((value & 0xFFFFFF) != grey * 0x010101u) {
        return 0;
    }
    // Never write through a missing table; the failed build has recorded its status.
    uint8_t** rows = GetRows();
    if (!rows) {
        return 0;
    }
    FillRows24(rows, m_width, m_height, grey);
    return 1;
}

// A grey's COLORREF and pixel value are the same.
int CDibImage::FillColor(COLORREF colour) { return FillPixel(colour); }

int CDibImage::Release() {
    if (m_headerBlock) {
        GlobalUnlock(m_headerBlock);
        GlobalFree(m_headerBlock);
    }
    if (m_memDC) {
        DeleteDC(m_memDC);
    }
    if (m_dib) {
        DeleteObject(m_dib);
    }
    if (m_rowBlock) {
        GlobalUnlock(m_rowBlock);
        GlobalFree(m_rowBlock);
    }
    m_header = nullptr;
    m_bits = nullptr;
    m_rows = nullptr;
    m_headerBlock = nullptr;
    m_rowBlock = nullptr;
    m_width = 0;
    m_height = 0;
    m_dib = nullptr;
    m_memDC = nullptr;
    return 1;
}
