// The meter window: a 60 x 60 layered window that shows the battery as a moon.
#ifndef SORVANE_MAINWIN_H
#define SORVANE_MAINWIN_H

#include <windows.h>

#include "framework/lengths.h"
#include "framework/newer_api.h"
#include "framework/owned_handles.h"
#include "framework/window.h"
#include "imaging/dibimage.h"
#include "mainwin/fade_state.h"
#include "mainwin/fullscreen_watch.h"
#include "mainwin/pointer_state.h"
#include "mainwin/tray_icon.h"
#include "mainwin/visibility.h"
#include "meter/layer_surface.h"
#include "meter/power_sample.h"
#include "meter/power_watch.h"
#include "settings/place_watch.h"
#include "settings/startup_entry.h"

class CMainWin : public Cwindow {
public:
    // A tool window from its first moment: the shell never lists it in Alt+Tab, Task View
    // or the taskbar, and shows it on every virtual desktop.
    static constexpr DWORD kExStyleAtCreation = WS_EX_TOOLWINDOW;

    // Where power samples come from; GetSystemPowerStatus unless a test feeds its own.
    using PowerReader = BOOL(WINAPI*)(LPSYSTEM_POWER_STATUS);
    // Where the mouse is; GetCursorPos unless a test plays a desktop without the input.
    using CursorReader = BOOL(WINAPI*)(LPPOINT);

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
    bool DrawFaceTexts(HDC dc, const FaceDescription& d, COLORREF outline, COLORREF fill);
    void CreateDrawingTools();
    int DrawMoon(double phase, double tilt);

    // Layer
    int CreateLayerSurface();
    int UpdateLayer(int alphaOnly);
    void ReleaseLayerSurface();

    // Scale: the lengths of the window's DPI, all re-created when it changes.
    int ApplyDpi(int dpi, const POINT* at = nullptr);

    // Fade
    int FadeTo(int show, int step);
    void FadeTick();
    // Starts the fade a Visibility answer asks for; kNone starts none.
    void FadeAs(FadeWay way, int step);
    // The user asked for the meter (the tray icon, a second start, Reset, a click): shown,
    // over a full-screen window too.
    void ShowForUser();

    // Position
    int SavePosition();
    int RestorePosition();

    void SetPowerReader(PowerReader reader) { m_readPower = reader; }
    void SetTrayNotifier(TrayIcon::Notifier notifier) { m_tray.SetNotifier(notifier); }
    void SetCursorReader(CursorReader reader) { m_readCursor = reader; }
    // The functions looked up at run time, which an older Windows may lack; looked up at
    // construction unless a test plays a system of its own.
    void SetNewerApi(const NewerApi& api) { m_api = api; }
    const FadeState& GetFade() const { return m_fade; }
    const PowerSample& GetSnapshot() const { return m_snapshot; }
    CDibImage& GetFace() { return m_face; }
    CDibImage& GetMask() { return m_mask; }
    const uint8_t* GetLayerBits() const { return m_layer.bits; }
    const Lengths& GetLengths() const { return m_lengths; }

private:
    // Message handlers
    void OnTimer(WPARAM id);
    void OnCommand(WPARAM wParam);
    void OnMouseMove(LPARAM lParam);
    void OnLButtonDown(LPARAM lParam);
    void OnLButtonUp();
    void OnRButtonUp(LPARAM lParam);
    bool OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnDpiChanged(WPARAM wParam, LPARAM lParam);
    void OnHoverDelay();
    void OnHoverWatch();
    void OnPollTick();

    void ResetPosition();
    void GoTo(Position p);
    // The window's place becomes the user's, and is saved.
    void KeepPlace();
    // Whether a full-screen window covers the meter now, and the fade that asks for.
    void LookForCover();
    void ShowPopupMenu(int x, int y, bool fromTray);
    bool ReadCursor(POINT& client) const;
    int WindowDpi() const;
    int MonitorDpi(HMONITOR monitor) const;
    Lengths PrimaryLengths() const;
    // Moves the window's top-left there, again if a change of scale on the way moved it.
    void PlaceAt(Position p);
    bool DrawFace(const FaceDescription& d);
    bool SpreadOutline(HDC dc, const RECT& rect, const char* text, COLORREF colour);

    // What the face is drawn with: the fonts CreateFonts makes, then the pens and brushes
    // CreateDrawingTools makes, freed in this order.
    struct FaceFonts {
        GdiObject<HFONT> bigFont, smallFont;
    };
    struct DrawingTools {
        GdiObject<HPEN> lightPen;
        GdiObject<HBRUSH> lightBrush;
        GdiObject<HPEN> blackPen;
        GdiObject<HBRUSH> blackBrush;
    };

    CDibImage m_face;
    CDibImage m_mask;
    CDibImage m_spread;  // where the texts' outline is spread above 100 %
    PowerSample m_snapshot = {};
    FaceFonts m_fonts;
    DrawingTools m_tools;
    FadeState m_fade;
    PointerState m_pointer;
    LayerSurface m_layer;
    Lengths m_lengths = LengthsAt(kDesignDpi);
    // The monitor's DPI; m_lengths keep the last scale whose layer Windows accepted.
    int m_monitorDpi = kDesignDpi;
    const POINT* m_layerAt = nullptr;  // where the next layer goes, changing its size
    bool m_applyingDpi = false;        // inside a change of scale, which never nests another
    FaceDescription m_wanted = {};     // what the face should show
    bool m_faceWanted = false;         // m_wanted holds a sample's face
    bool m_faceDrawn = false;          // the layer shows m_wanted

    Visibility m_visibility;
    TrayIcon m_tray;
    PowerWatch m_power;
    PlaceWatch m_place;
    FullScreenWatch m_fullScreen;
    StartupEntry m_startup;
    PowerReader m_readPower = GetSystemPowerStatus;
    CursorReader m_readCursor = GetCursorPos;
    NewerApi m_api = LookUpNewerApi();
    UINT m_showMessage = 0;  // a second start asking for the meter
    bool m_tornDown = false;
};

#endif
