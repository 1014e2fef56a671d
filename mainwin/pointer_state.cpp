#include "mainwin/pointer_state.h"

#include "framework/lengths.h"

bool HoverMouseMove(PointerState& state) {
    if (state.hoverPending) {
        return false;
    }
    state.hoverPending = 1;
    state.hoverSuppressed = 0;
    return true;
}

HoverDelayOutcome HoverDelayElapsed(PointerState& state, bool cursorInBox) {
    state.hoverPending = 0;
    if (state.hoverSuppressed || !cursorInBox) {
        return HoverDelayOutcome::kNothing;
    }
    return HoverDelayOutcome::kHide;
}

bool BeginDrag(PointerState& state, int clientX, int clientY) {
    if (state.dragging) {
        return false;
    }
    state.dragOffsetX = clientX;
    state.dragOffsetY = clientY;
    state.dragging = 1;
    state.hoverSuppressed = 1;
    return true;
}

bool EndDrag(PointerState& state) {
    if (!state.dragging) {
        return false;
    }
    state.dragging = 0;
    return true;
}

void ScaleDrag(PointerState& state, int fromDpi, int toDpi) {
    if (!state.dragging || fromDpi <= 0) {
        return;
    }
    state.dragOffsetX = MulDivRound(state.dragOffsetX, toDpi, fromDpi);
    state.dragOffsetY = MulDivRound(state.dragOffsetY, toDpi, fromDpi);
}
