// The meter window: a 60 x 60 layered window that shows the battery as a moon.
#ifndef SORVANE_MAINWIN_H
#define SORVANE_MAINWIN_H

#include <windows.h>
#include <shellapi.h>

#include "framework/lengths.h"
#include "framework/newer_api.h"
#include "framework/window.h"
#include "imaging/dibimage.h"
#include "mainwin/fade_state.h"
#include "mainwin/pointer_state.h"
#include "meter/power_sample.h"

class CMainWin : public Cwindow {
public:
    // Where power samples come from; GetSystemPowerStatus unless a test feeds its own.
    using PowerReader = BOOL(WINAPI*)(LPSYSTEM_POWER_STATUS);
    // How the layer's DIB section is made; CreateDIBSection unless a test refuses it.
    using DibSectionMaker = HBITMAP(WINAPI*)(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD);
    // How the notification area is told; Shell_NotifyIconA unless a test plays a busy shell.
    using TrayNotifier = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);
    // Where the mouse is; GetCursorPos unless a test plays a desktop without the input.
    using CursorReader = BOOL(WINAPI*)(LPPOINT);

    // A shell still starting at log-on may refuse the icon: it is tried again this
    // often, for about a minute.
    static constexpr UINT kTrayRetryMs = 5000;
    static constexpr int kTrayTries = 12;
    // Docking, a new resolution or taskbar come as a burst of messages: the place is
    // checked once they have settled.
    static constexpr UINT kPlaceSettleMs = 1000;
    // How late the poll may come so that Windows can wake the processor for several
    // timers at once. Plugging and unplugging arrive as messages at once, so the poll
    // is only the fallback; a tolerance beyond about 1.6 s is not kept by Windows 8's
    // timer encoding anyway.
    static constexpr ULONG kPollToleranceMs = 1000;

    CMainWin() = default;
    ~CMainWin();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    int OnCreate();
    int Teardown();

    // Meter face
    int PollPower();
    int CreateFonts();
    int DrawOutlinedText(HDC dc, const RECT& rect, const char* text, COLORREF outline,
                         COLORREF fill);
    void DrawFaceTexts(HDC dc, const FaceDescription& d, COLORREF outline, COLORREF fill);
    void CreateDrawingTools();
    int DrawMoon(double phase, double tilt);

    // Layer
    int CreateLayerSurface();
    int UpdateLayer(int alphaOnly);
    void ReleaseLayerSurface();

    // Scale: the lengths of the window's DPI, all re-created when it changes.
    int ApplyDpi(int dpi);

    // Fade
    int FadeTo(int show, int step);
    void FadeTick();

    // Position
    int SavePosition();
    int RestorePosition();

    void SetPowerReader(PowerReader reader) { m_readPower = reader; }
    void SetDibSectionMaker(DibSectionMaker maker) { m_makeDibSection = maker; }
    void SetTrayNotifier(TrayNotifier notifier) { m_notifyTray = notifier; }
    void SetCursorReader(CursorReader reader) { m_readCursor = reader; }
    // The functions newer than Windows 7; looked up at construction unless a test
    // plays a system of its own.
    void SetNewerApi(const NewerApi& api) { m_api = api; }
    const FadeState& GetFade() const { return m_fade; }
    const PointerState& GetPointer() const { return m_pointer; }
    const PowerSample& GetSnapshot() const { return m_snapshot; }
    CDibImage& GetFace() { return m_face; }
    CDibImage& GetMask() { return m_mask; }
    const uint8_t* GetLayerBits() const { return m_layer.bits; }
    const Lengths& GetLengths() const { return m_lengths; }

private:
    // Message handlers
    void OnCreateMessage();
    void OnDestroy();
    void OnQueryEndSession();
    void OnTimer(WPARAM id);
    void OnCommand(WPARAM wParam);
    void OnMouseMove(LPARAM lParam);
    void OnLButtonDown(LPARAM lParam);
    void OnLButtonUp();
    void OnCaptureChanged();
    void OnDpiChanged(WPARAM wParam, LPARAM lParam);
    void OnPowerBroadcast(WPARAM event, LPARAM lParam);
    void OnDisplayChange();
    void OnRButtonUp(LPARAM lParam);
    bool OnTrayNotify(LPARAM lParam);

    // Timer ticks
    void OnHoverDelay();
    void OnHoverWatch();
    void OnTrayRetry();
    void OnPlaceCheck();
    void OnPollTick();
    void OnFadeTick();

    // Commands
    void ResetPosition();

    void OnDisplayState(DWORD state);
    void StartPollTimer();
    void KeepOnWorkArea();

    void AddTrayIcon();
    bool NotifyTray(DWORD message);
    void EndTrayRetries();
    void RemoveTrayIcon();
    void ShowPopupMenu(int x, int y);
    bool ReadCursor(POINT& client) const;
    int WindowDpi() const;
    bool DrawFace(const FaceDescription& d);
    void FreeFonts();
    void FreeDrawingTools();

    // The layer's DIB section and DCs, made whole or not at all.
    struct LayerParts {
        uint8_t* bits = nullptr;
        HBITMAP bitmap = nullptr;
        HDC screenDC = nullptr;
        HDC dc = nullptr;
        HGDIOBJ previous = nullptr;
        int size = 0;
    };
    bool MakeLayer(int size, LayerParts& layer) const;
    static void FreeLayer(LayerParts& layer);

    CDibImage m_face;
    CDibImage m_mask;
    PowerSample m_snapshot = {};
    HFONT m_bigFont = nullptr;
    HFONT m_smallFont = nullptr;
    HPEN m_lightPen = nullptr;
    HBRUSH m_lightBrush = nullptr;
    HPEN m_blackPen = nullptr;
    HBRUSH m_blackBrush = nullptr;
    FadeState m_fade;
    PointerState m_pointer;
    LayerParts m_layer;
    Lengths m_lengths = LengthsAt(kDesignDpi);
    FaceDescription m_wanted = {};  // what the face should show
    bool m_faceWanted = false;      // m_wanted holds a sample's face
    bool m_faceDrawn = false;       // the layer shows m_wanted

    PowerReader m_readPower = GetSystemPowerStatus;
    DibSectionMaker m_makeDibSection = CreateDIBSection;
    TrayNotifier m_notifyTray = Shell_NotifyIconA;
    CursorReader m_readCursor = GetCursorPos;
    NewerApi m_api = LookUpNewerApi();
    int m_trayTriesLeft = 0;    // the retry timer runs while this is above 0
    UINT m_taskbarCreated = 0;  // the shell's restart broadcast
    UINT m_showMessage = 0;     // a second start asking for the meter
    HPOWERNOTIFY m_displayNotify = nullptr;
    bool m_screenOn = true;  // where Windows never says, it counts as on
    bool m_pollTimerOn = false;
    int m_wantedDpi = kDesignDpi;  // the monitor's; the lengths lag while Windows refuses
    bool m_positionKnown = false;  // saving is only sound once the stored place was read
    bool m_tornDown = false;
};

#endif
