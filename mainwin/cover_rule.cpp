#include "mainwin/cover_rule.h"

#include <string.h>

namespace {

const char* const kShellSurfaces[] = {
    "Progman",  // the desktop
    "WorkerW",
    "Shell_TrayWnd",  // the taskbars
    "Shell_SecondaryTrayWnd",
    "XamlExplorerHostIslandWindow",  // the switchers, Task View, Snap layouts
    "MultitaskingViewFrame",
    "ForegroundStaging",
    "Windows.UI.Core.CoreWindow",  // the emoji panel, clipboard history, input candidates
};

bool ShellSurface(const char* name) {
    for (const char* shell : kShellSurfaces) {
        if (strcmp(name, shell) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

Cover JudgeWindow(const WindowFacts& w, const ScreenRect& monitor, int x, int y) {
    const ScreenRect& r = w.rect;
    if (!w.visible || w.minimized || w.cloaked || w.own || (w.exStyle & kExStyleToolWindow) ||
        x < r.left || x >= r.right || y < r.top || y >= r.bottom || ShellSurface(w.name)) {
        return Cover::kLookFurther;
    }
    // A maximized window keeps its caption, and the taskbar stays in view.
    const bool fullScreen = (w.style & kStyleCaption) != kStyleCaption && r.left <= monitor.left &&
                            r.top <= monitor.top && r.right >= monitor.right &&
                            r.bottom >= monitor.bottom;
    return fullScreen ? Cover::kFullScreen : Cover::kNone;
}
