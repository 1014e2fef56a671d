#include "mainwin/tray_moon.h"

#include <string.h>

#include "framework/owned_handles.h"
#include "resources/resource.h"

namespace {

constexpr char kPersonalize[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr char kLightTheme[] = "SystemUsesLightTheme";

// Windows 7 and 8 have no such value: their taskbars are dark.
bool LightTaskbar() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPersonalize, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0, light = 0, size = sizeof(light);
    const bool read = RegQueryValueExA(key, kLightTheme, nullptr, &type,
                                       reinterpret_cast<BYTE*>(&light), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return read && type == REG_DWORD && light != 0;
}

// A 32-bit icon from straight-alpha pixels; its mask is set where a pixel is clear, for
// whatever draws it without the alpha.
HICON IconFrom(const uint32_t* pixels, int size) {
    BITMAPINFO info;
    memset(&info, 0, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject<HBITMAP> colour(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || !bits) {
        return nullptr;
    }
    memcpy(bits, pixels, size_t(size) * size * 4);
    constexpr int kMaskStride = (kMaxIconSize + 15) / 16 * 2;  // rows of whole WORDs
    uint8_t mask[kMaskStride * kMaxIconSize] = {};
    const int stride = (size + 15) / 16 * 2;
    for (int i = 0; i < size * size; ++i) {
        const int x = i % size, y = i / size;
        mask[y * stride + x / 8] |= (pixels[i] >> 24) == 0 ? 0x80 >> (x % 8) : 0;
    }
    GdiObject<HBITMAP> monochrome(CreateBitmap(size, size, 1, 1, mask));
    if (!monochrome) {
        return nullptr;
    }
    ICONINFO icon = {TRUE, 0, 0, monochrome, colour};
    return CreateIconIndirect(&icon);  // it copies both bitmaps
}

// FNV-1a over the pixels: two pictures of one hash are taken for the same one. Kept instead
// of the pixels themselves, which would make the meter's object, and the program, larger.
uint64_t PictureHash(const uint32_t* pixels, int size) {
    uint64_t hash = 14695981039346656037ull;
    for (int i = 0; i < size * size; ++i) {
        hash = (hash ^ pixels[i]) * 1099511628211ull;
    }
    return hash;
}

}  // namespace

bool TrayMoon::IsThemeChange(WPARAM wParam, LPARAM lParam) {
    const char* area = reinterpret_cast<const char*>(lParam);
    return wParam == SPI_SETHIGHCONTRAST || (area && lstrcmpiA(area, "ImmersiveColorSet") == 0);
}

void TrayMoon::ReadTheme() {
    HIGHCONTRASTA contrast;
    memset(&contrast, 0, sizeof(contrast));
    contrast.cbSize = sizeof(contrast);
    const bool high = SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
                      (contrast.dwFlags & HCF_HIGHCONTRASTON);
    m_theme = high             ? TaskbarTheme::kHighContrast
              : LightTaskbar() ? TaskbarTheme::kLight
                               : TaskbarTheme::kDark;
    m_window = GetSysColor(COLOR_WINDOW);
    m_text = GetSysColor(COLOR_WINDOWTEXT);
}

// Called at every poll: the face is described only when what the moon shows changed.
bool TrayMoon::SetBattery(const PowerSample& sample) {
    if (m_known && sample.batteryLifePercent == m_percent &&
        StateColour(sample.batteryFlag) == m_stateColour) {
        return false;
    }
    const FaceDescription d = DescribeSample(sample);
    m_known = true;
    m_percent = sample.batteryLifePercent;
    m_stateColour = d.stateColour;
    m_phase = d.phase;
    m_tilt = d.tilt;
    return true;
}

// Into m_drawn; false when there is nothing to draw at that size.
bool TrayMoon::Draw(int size, uint32_t* pixels) const {
    if (!m_known || size < 2 || size > kMaxIconSize) {
        return false;
    }
    DrawIconMoon(m_phase, m_tilt, IconColoursFor(m_theme, m_stateColour, m_window, m_text), size,
                 pixels);
    return true;
}

bool TrayMoon::Differs(int size) {
    if (!m_shown || size != m_shownSize) {
        return true;
    }
    uint32_t pixels[kMaxIconSize * kMaxIconSize];
    if (!Draw(size, pixels)) {
        return m_shownDrawn;  // the fixed icon is all there is to show
    }
    return !m_shownDrawn || PictureHash(pixels, size) != m_shownHash;
}

HICON TrayMoon::Make(int size) {
    uint32_t pixels[kMaxIconSize * kMaxIconSize];
    const bool drawn = Draw(size, pixels);
    m_pendingSize = size;
    m_pendingHash = drawn ? PictureHash(pixels, size) : 0;
    m_pending.Reset(drawn ? IconFrom(pixels, size) : nullptr);
    m_pendingDrawn = m_pending != nullptr;
    if (!m_pendingDrawn) {
        m_pending.Reset(
            static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY),
                                          IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    }
    return m_pending;
}

void TrayMoon::Answer(bool taken) {
    if (!taken) {
        m_pending.Reset();
        return;
    }
    m_shown = static_cast<Icon&&>(m_pending);
    m_shownSize = m_pendingSize, m_shownDrawn = m_pendingDrawn, m_shownHash = m_pendingHash;
}

void TrayMoon::Forget() {
    m_shown.Reset();
    m_pending.Reset();
    m_shownSize = 0;
    m_shownDrawn = false;
}
