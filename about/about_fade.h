// The About splash's own fade. Free of Win32.
#ifndef SORVANE_ABOUT_FADE_H
#define SORVANE_ABOUT_FADE_H

constexpr int kAboutStartAlpha = 30;  // shown at once, faintly
constexpr int kAboutMaxAlpha = 210;
constexpr int kAboutFadeStep = 20;
constexpr int kAboutFadePeriodMs = 30;
constexpr unsigned kAboutColourKey = 0x00FF00FF;  // magenta, see-through

struct AboutStep {
    int alpha;
    bool done;  // stop the timer (and, fading out, destroy the window)
};

inline AboutStep AboutFadeInStep(int alpha) {
    alpha += kAboutFadeStep;
    if (alpha >= kAboutMaxAlpha) {
        return AboutStep{kAboutMaxAlpha, true};
    }
    return AboutStep{alpha, false};
}

inline AboutStep AboutFadeOutStep(int alpha) {
    alpha -= kAboutFadeStep;
    if (alpha <= 0) {
        return AboutStep{0, true};
    }
    return AboutStep{alpha, false};
}

#endif
