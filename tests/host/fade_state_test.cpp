#include <gtest/gtest.h>

#include <vector>

#include "about/about_fade.h"
#include "mainwin/fade_state.h"

namespace {

struct FadeRun {
    int ticks = 0;              // ticks until the timer stops
    std::vector<int> applied;   // alphas handed to the window
    std::vector<bool> visible;  // show or hide at each application
};

FadeRun FadeUntilIdle(FadeState& state) {
    FadeRun run;
    while (state.timerRunning) {
        const FadeOutcome tick = AdvanceFade(state);
        ++run.ticks;
        if (tick.apply) {
            run.applied.push_back(state.alpha);
            run.visible.push_back(tick.visible);
        }
        EXPECT_EQ(tick.stopTimer, state.timerRunning == 0);
        if (run.ticks > 1000) {
            ADD_FAILURE() << "fade never ends";
            break;
        }
    }
    return run;
}

FadeState Idle(int alpha) {
    FadeState s;
    s.alpha = alpha;
    s.lastApplied = alpha;
    return s;
}

TEST(FadeState, TickCountsBetweenTheEnds) {
    struct Case {
        int from, show, step, ticks, applications, last;
    };
    const Case cases[] = {
        {0, kFadeIn, 10, 21, 21, 210},
        {0, kFadeIn, 20, 11, 11, 210},
        {210, kFadeOut, 10, 22, 21, 0},
        {210, kFadeOut, 20, 11, 11, 0},
    };
    for (const Case& c : cases) {
        FadeState s = Idle(c.from);
        ASSERT_TRUE(RequestFade(s, c.show, c.step));
        const FadeRun run = FadeUntilIdle(s);
        EXPECT_EQ(run.ticks, c.ticks) << c.from << " step " << c.step;
        ASSERT_EQ(static_cast<int>(run.applied.size()), c.applications);
        EXPECT_EQ(run.applied.back(), c.last);
        EXPECT_EQ(s.alpha, c.last);
    }
}

TEST(FadeState, AppliedAlphasOfTheHoverFadeOut) {
    FadeState s = Idle(210);
    RequestFade(s, kFadeOut, kFadeStepFast);
    const FadeRun run = FadeUntilIdle(s);
    const std::vector<int> expected = {190, 170, 150, 130, 110, 90, 70, 50, 30, 10, 0};
    EXPECT_EQ(run.applied, expected);
    // Visible all the way down, hidden exactly when 0 is applied.
    for (size_t i = 0; i + 1 < run.visible.size(); ++i) {
        EXPECT_TRUE(run.visible[i]);
    }
    EXPECT_FALSE(run.visible.back());
}

TEST(FadeState, FirstTickFromStartShowsTheWindow) {
    FadeState s;  // fresh: alpha 0, nothing applied yet
    ASSERT_TRUE(RequestFade(s, kFadeIn, kFadeStepSlow));
    const FadeOutcome tick = AdvanceFade(s);
    EXPECT_TRUE(tick.apply);
    EXPECT_TRUE(tick.visible);
    EXPECT_EQ(s.alpha, 10);
}

TEST(FadeState, RequestsAtTheirOwnEndApplyNothing) {
    for (int show : {kFadeIn, kFadeOut}) {
        FadeState s = Idle(show == kFadeIn ? kMaxAlpha : 0);
        ASSERT_TRUE(RequestFade(s, show, kFadeStepSlow));
        const FadeRun run = FadeUntilIdle(s);
        EXPECT_EQ(run.ticks, 1);
        EXPECT_TRUE(run.applied.empty());
    }
}

TEST(FadeState, TurningAroundContinuesFromTheCurrentAlpha) {
    FadeState s = Idle(kMaxAlpha);
    ASSERT_TRUE(RequestFade(s, kFadeOut, 10));
    while (s.alpha != 100) {
        AdvanceFade(s);
    }
    EXPECT_FALSE(RequestFade(s, kFadeIn, 20)) << "a running timer is not started again";
    AdvanceFade(s);
    EXPECT_EQ(s.alpha, 120);
    EXPECT_EQ(s.direction, 0);
    EXPECT_EQ(s.step, 20);
}

TEST(FadeState, FadeOutFromZeroAtStartStaysHiddenButApplies) {
    // The very first tick always reaches the window, even at 0: it hides it.
    FadeState s;
    RequestFade(s, kFadeOut, 10);
    const FadeOutcome tick = AdvanceFade(s);
    EXPECT_TRUE(tick.apply);
    EXPECT_FALSE(tick.visible);
    EXPECT_TRUE(tick.stopTimer);
}

TEST(AboutFade, NineTicksUpElevenDown) {
    int alpha = kAboutStartAlpha;
    std::vector<int> up;
    for (AboutStep s{alpha, false}; !s.done;) {
        s = AboutFadeInStep(s.alpha);
        up.push_back(s.alpha);
    }
    EXPECT_EQ(up, (std::vector<int>{50, 70, 90, 110, 130, 150, 170, 190, 210}));
    int ticks = 0;
    for (AboutStep s{kAboutMaxAlpha, false}; !s.done; ++ticks) {
        s = AboutFadeOutStep(s.alpha);
        alpha = s.alpha;
    }
    EXPECT_EQ(ticks, 11);
    EXPECT_EQ(alpha, 0);
    // A splash that never faded in closes from 30 in two steps.
    EXPECT_FALSE(AboutFadeOutStep(30).done);
    EXPECT_TRUE(AboutFadeOutStep(10).done);
}

}  // namespace
