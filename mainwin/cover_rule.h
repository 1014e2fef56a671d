// Whether a full-screen window covers the meter, judged from one window's facts at a
// time, free of Win32. The full-screen watch goes down the z-order from the top and asks
// about each window until one is the window the meter is drawn over.
#ifndef SORVANE_COVER_RULE_H
#define SORVANE_COVER_RULE_H

// The style bits the rule reads; the Win32 side pins them to windows.h.
constexpr unsigned long kStyleCaption = 0x00C00000;   // WS_CAPTION: a title bar
constexpr unsigned long kExStyleToolWindow = 0x0080;  // WS_EX_TOOLWINDOW

struct ScreenRect {
    int left, top, right, bottom;  // right and bottom just outside
};

struct WindowFacts {
    bool visible;      // false: nothing else is read, or matters
    const char* name;  // the class name, whole
    unsigned long style, exStyle;
    ScreenRect rect;
    bool minimized;
    bool cloaked;  // on another virtual desktop, or not yet drawn
    bool own;      // the meter's, its About or its menu
};

enum class Cover {
    kLookFurther,  // not a window the meter is drawn over
    kFullScreen,   // the meter is drawn over it, and it covers the monitor
    kNone,         // the meter is drawn over it, and it leaves the meter to be seen
};

// The shell's state that an exclusive Direct3D program runs, QUNS_RUNNING_D3D_FULL_SCREEN.
constexpr int kShellDirect3D = 3;

// What the window says of a meter centred at (x, y) on monitor. Passed over: a window not
// seen, a gadget, tooltip or menu (a tool window), the meter's own, one away from the
// meter's centre, and the shell's own surfaces (the desktop, the taskbars, the switchers
// and Task View, the input panels), which take the foreground and cover the monitor
// without being a film or a game.
Cover JudgeWindow(const WindowFacts& window, const ScreenRect& monitor, int x, int y);

// Whether the shell's state, asked while a window was in front, covers the meter: an
// exclusive Direct3D program's does on the meter's monitor only; presentation settings,
// often left on for hours, cover nothing.
inline bool ShellStateCovers(int state, bool frontOnMetersMonitor) {
    return state == kShellDirect3D && frontOnMetersMonitor;
}

#endif
