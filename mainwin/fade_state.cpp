#include "mainwin/fade_state.h"

bool RequestFade(FadeState& state, int show, int step) {
    state.direction = show == 0 ? 1 : 0;
    state.step = step;
    if (state.timerRunning) {
        // A running fade just continues from where it is, in the new direction.
        return false;
    }
    state.timerRunning = 1;
    return true;
}

FadeOutcome AdvanceFade(FadeState& state) {
    FadeOutcome tick{false, false, false};
    if (state.direction == 1) {
        state.alpha -= state.step;
        // Exactly 0 keeps the timer for one more tick, which then stops it.
        if (state.alpha < 0) {
            state.alpha = 0;
            tick.stopTimer = true;
        }
    } else {
        state.alpha += state.step;
        if (state.alpha >= kMaxAlpha) {
            state.alpha = kMaxAlpha;
            tick.stopTimer = true;
        }
    }
    if (tick.stopTimer) {
        state.timerRunning = 0;
    }
    if (state.alpha != state.lastApplied) {
        tick.apply = true;
        tick.visible = state.alpha > 0;
        state.lastApplied = state.alpha;
    }
    return tick;
}
