// Hover and drag rules of the meter window. Free of Win32: each event returns what
// the window has to do.
#ifndef SORVANE_POINTER_STATE_H
#define SORVANE_POINTER_STATE_H

constexpr int kHoverDelayMs = 300;  // the mouse must rest this long before the meter hides
constexpr int kHoverWatchMs = 100;  // how often a hidden meter checks whether the mouse left

// The box over a window of layer x layer pixels is one column wider than the window
// and skips its top row.
inline bool InHoverBox(int x, int y, int layer) {
    return x >= 0 && x <= layer && y >= 1 && y <= layer - 1;
}

struct PointerState {
    int hoverPending = 0;     // the hover delay runs
    int hoverSuppressed = 0;  // a button was used since the delay started
    int dragging = 0;
    int dragOffsetX = 0;  // client point that was pressed
    int dragOffsetY = 0;
};

// WM_MOUSEMOVE while not dragging. True: start the hover delay.
bool HoverMouseMove(PointerState& state);

enum class HoverDelayOutcome {
    kNothing,
    kHide,  // start the watch and fade out fast
};

// The single tick of the hover delay (the caller stops its timer).
HoverDelayOutcome HoverDelayElapsed(PointerState& state, bool cursorInBox);

// WM_LBUTTONDOWN. True: capture the mouse and fade in.
bool BeginDrag(PointerState& state, int clientX, int clientY);

// WM_LBUTTONUP, or the capture taken away. True: the drag ended (release capture).
bool EndDrag(PointerState& state);

struct DragTarget {
    int x, y;
};

// Window origin that keeps the pressed point under the cursor.
inline DragTarget DragOrigin(const PointerState& state, int screenX, int screenY) {
    return DragTarget{screenX - state.dragOffsetX, screenY - state.dragOffsetY};
}

// The meter changed its DPI mid-drag: the pressed point scales with it, so the meter
// stays under the cursor.
void ScaleDrag(PointerState& state, int fromDpi, int toDpi);

// WM_RBUTTONUP on the meter: its menu takes the place of any hover that was coming.
inline void SuppressHover(PointerState& state) { state.hoverSuppressed = 1; }

#endif
