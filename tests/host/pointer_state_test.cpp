#include <gtest/gtest.h>

#include "framework/desktop_math.h"
#include "mainwin/pointer_state.h"

namespace {

TEST(HoverBox, EdgesOfTheBox) {
    struct Case {
        int x, y;
        bool inside;
    };
    const Case cases[] = {
        {0, 1, true},    {60, 59, true},  {30, 30, true},  {0, 0, false}, {30, 0, false},
        {61, 30, false}, {-1, 30, false}, {30, 60, false}, {60, 1, true}, {59, 60, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InHoverBox(c.x, c.y), c.inside) << c.x << "," << c.y;
    }
}

TEST(Hover, RestingMouseHidesTheMeterOnce) {
    PointerState s;
    EXPECT_TRUE(HoverMouseMove(s));
    EXPECT_FALSE(HoverMouseMove(s)) << "moves during the delay do not restart it";
    EXPECT_EQ(HoverDelayElapsed(s, true), HoverDelayOutcome::kHide);
    EXPECT_TRUE(HoverMouseMove(s)) << "after the delay a move starts a new one";
}

TEST(Hover, MouseGoneBeforeTheDelayEndsDoesNothing) {
    PointerState s;
    HoverMouseMove(s);
    EXPECT_EQ(HoverDelayElapsed(s, false), HoverDelayOutcome::kNothing);
    EXPECT_EQ(s.hoverPending, 0);
}

TEST(Hover, AClickWithinTheDelayCancelsIt) {
    {
        PointerState s;
        HoverMouseMove(s);
        ASSERT_TRUE(BeginDrag(s, 10, 20));
        EndDrag(s);
        EXPECT_EQ(HoverDelayElapsed(s, true), HoverDelayOutcome::kNothing);
    }
    {
        PointerState s;
        HoverMouseMove(s);
        SuppressHover(s);
        EXPECT_EQ(HoverDelayElapsed(s, true), HoverDelayOutcome::kNothing);
        // The next movement over the meter starts a fresh, unsuppressed delay.
        EXPECT_TRUE(HoverMouseMove(s));
        EXPECT_EQ(HoverDelayElapsed(s, true), HoverDelayOutcome::kHide);
    }
}

TEST(Drag, PressedPointStaysUnderTheCursor) {
    PointerState s;
    ASSERT_TRUE(BeginDrag(s, 12, 34));
    EXPECT_FALSE(BeginDrag(s, 50, 50)) << "a second press does not move the anchor";
    const DragTarget t = DragOrigin(s, 500, 300);
    EXPECT_EQ(t.x, 488);
    EXPECT_EQ(t.y, 266);
    EXPECT_TRUE(EndDrag(s));
    EXPECT_FALSE(EndDrag(s)) << "a lost capture after the release ends nothing";
}

TEST(MouseCoordinates, HalvesAreSignExtended) {
    EXPECT_EQ(SignedLow16(0x0005FFFBul), -5);
    EXPECT_EQ(SignedHigh16(0x0005FFFBul), 5);
    EXPECT_EQ(SignedHigh16(0xFFFE0001ul), -2);
    EXPECT_EQ(SignedLow16(0x7FFFul), 32767);
}

TEST(CenterOnDesktop, TruncatesAndIgnoresTheDesktopTopForX) {
    const CenteredOrigin o = CenterOrigin(0, 0, 1024, 768, 537, 96);
    EXPECT_EQ(o.x, 244);
    EXPECT_EQ(o.y, 336);  // the About splash then moves 50 up, to 286
    const CenteredOrigin odd = CenterOrigin(0, 0, 1023, 767, 61, 61);
    EXPECT_EQ(odd.x, 511 - 30);
    EXPECT_EQ(odd.y, 383 - 30);
}

}  // namespace
