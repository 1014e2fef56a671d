// The meter's one fade: the window alpha moves a step per tick towards 0 or 210.
// Free of Win32: the tick says what the window has to do, the caller does it.
#ifndef SORVANE_FADE_STATE_H
#define SORVANE_FADE_STATE_H

constexpr int kMaxAlpha = 210;  // the meter is never fully opaque
constexpr int kFadePeriodMs = 20;
constexpr int kFadeStepSlow = 10;
constexpr int kFadeStepFast = 20;  // out of the way: the hover, a full-screen window
constexpr int kFadeOut = 0;        // FadeTo(show = 0): hide
constexpr int kFadeIn = 1;

struct FadeState {
    int alpha = 0;         // current window alpha, 0..210
    int direction = 0;     // 1 fading out, 0 fading in
    int timerRunning = 0;  // the fade timer is started
    int step = kFadeStepSlow;
    int lastApplied = -1;  // what the window last got; -1 makes the first tick apply
};

// Starts a fade or turns a running one around. True when the caller must start
// the fade timer.
bool RequestFade(FadeState& state, int show, int step);

struct FadeOutcome {
    bool stopTimer;  // the fade has reached its end
    bool apply;      // hand the alpha to the window
    bool visible;    // show (alpha above 0) or hide the window
};

FadeOutcome AdvanceFade(FadeState& state);

// Not yet at the end its direction leads to.
inline bool FadeUnfinished(const FadeState& state) {
    return state.direction == 1 ? state.alpha > 0 : state.alpha < kMaxAlpha;
}

#endif
