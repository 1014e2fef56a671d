#include <gtest/gtest.h>

#include <limits.h>
#include <string.h>
#include <utility>

#include "settings/position_rules.h"

namespace {

const WorkArea kScreen = {0, 0, 1024, 768};
const WorkArea kTaskbarLeft = {60, 0, 1024, 768};
const WorkArea kTaskbarTop = {0, 40, 1024, 768};

TEST(Position, DefaultsFollowTheWorkArea) {
    struct Case {
        WorkArea area;
        int x, y;
    };
    const Case cases[] = {{kScreen, 939, 25},
                          {kTaskbarLeft, 939, 25},
                          {kTaskbarTop, 939, 65},
                          {{-1280, 0, 0, 1024}, -85, 25}};
    for (const Case& c : cases) {
        const Position p = DefaultPosition(c.area);
        EXPECT_EQ(p.x, c.x);
        EXPECT_EQ(p.y, c.y);
    }
}

TEST(Position, EachCoordinateFallsBackOnItsOwn) {
    struct Case {
        const char* x;
        const char* y;
        WorkArea area;
        int expectX, expectY;
    };
    const Case cases[] = {
        {"-0", "-0", kScreen, 939, 25},  // not set
        {"0", "0", kScreen, 0, 0},       // a real position
        {"100", "200", kScreen, 100, 200},
        {"5000", "200", kScreen, 939, 200},  // x beyond the area, y kept
        {"100", "-3", kScreen, 100, 25},
        {"1024", "768", kScreen, 1024, 768},  // the far edges still count as inside
        {"1025", "769", kScreen, 939, 25},
        {"0", "100", kTaskbarLeft, 939, 100},  // left of a left taskbar's work area
        {"60", "10", kTaskbarTop, 60, 65},
        {"-0 ", "-00", kScreen, 0, 0},     // only the exact "-0" means not set
        {"abc", "12abc", kScreen, 0, 12},  // atoi reading: no digits is 0
        {"  +42", "\t7", kScreen, 42, 7},
    };
    for (const Case& c : cases) {
        const Position p = ResolvePosition(c.x, c.y, c.area, &c.area, 1);
        EXPECT_EQ(p.x, c.expectX) << '"' << c.x << '"';
        EXPECT_EQ(p.y, c.expectY) << '"' << c.y << '"';
    }
}

TEST(Position, NumbersBeyondIntSaturateAndFallBack) {
    EXPECT_EQ(ParseStoredInt("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseStoredInt("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(ParseStoredInt("2147483647"), INT_MAX);
    EXPECT_EQ(ParseStoredInt("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseStoredInt("2147483648"), INT_MAX);
    const WorkArea huge = {INT_MIN + 1, INT_MIN + 1, INT_MAX - 1, INT_MAX - 1};
    const Position p = ResolvePosition("99999999999", "-99999999999", huge, &huge, 1);
    EXPECT_EQ(p.x, INT_MAX - 1 - 85);
    EXPECT_EQ(p.y, INT_MIN + 1 + 25);
}

TEST(Position, APlaceOnAnyMonitorIsKeptWhole) {
    const WorkArea primary = {0, 0, 1920, 1040}, right = {1920, 0, 3200, 1024};
    const WorkArea shortRight = {1920, 0, 3200, 720}, left = {-1280, 0, 0, 984};
    const WorkArea above = {0, -1080, 1920, -40};
    struct Case {
        WorkArea second;
        int monitors;  // 1: the docked screen is gone
        const char *x, *y;
        int wantX, wantY;
    };
    const Case cases[] = {
        {right, 2, "2500", "500", 2500, 500},      {left, 2, "-900", "300", -900, 300},
        {above, 2, "300", "-700", 300, -700},      {right, 2, "3200", "1024", 3200, 1024},
        {shortRight, 2, "2500", "900", 1835, 900},  // below the short screen: on none
        {right, 1, "2500", "500", 1835, 500},      {right, 2, "-0", "500", 1835, 500},
    };
    for (const Case& c : cases) {
        const WorkArea monitors[] = {primary, c.second};
        const Position p = ResolvePosition(c.x, c.y, primary, monitors, c.monitors);
        EXPECT_EQ(std::make_pair(p.x, p.y), std::make_pair(c.wantX, c.wantY)) << c.x << "," << c.y;
    }
    const Position d = DefaultPosition(WorkArea{-1280, 40, 0, 1024});
    EXPECT_EQ(std::make_pair(d.x, d.y), std::make_pair(-85, 65));
}

// Shift-JIS: 0x81..0x9F and 0xE0..0xFC lead a two-byte character whose trail
// byte may be a backslash (0x5C).
bool ShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool NoLead(unsigned char) { return false; }

TEST(TruncateAfterLast, KeepsTheSeparatorAndSkipsTrailBytes) {
    struct Case {
        const char* in;
        LeadBytePredicate lead;
        const char* out;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Sorvane\\meter.exe", NoLead, "C:\\Program Files\\Sorvane\\"},
        {"meter.exe", NoLead, ""},
        {"C:\\", NoLead, "C:\\"},
        {"", NoLead, ""},
        // "\x95\x5C" is one character; the folder separator is the earlier one.
        {"C:\\\x95\x5C.exe", ShiftJisLead, "C:\\"},
        {"C:\\\x95\x5C.exe", NoLead, "C:\\\x95\\"},
        // A lead byte right before the end does not swallow the terminator.
        {"C:\\a\x95", ShiftJisLead, "C:\\"},
    };
    for (const Case& c : cases) {
        char buffer[64];
        strcpy(buffer, c.in);
        TruncateAfterLastChar(buffer, '\\', c.lead);
        EXPECT_STREQ(buffer, c.out) << c.in;
    }
}

}  // namespace
