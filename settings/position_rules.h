// Reading and checking the stored window position. Free of Win32.
#ifndef SORVANE_POSITION_RULES_H
#define SORVANE_POSITION_RULES_H

constexpr int kDefaultRightInset = 85;  // 25 pixels between the meter and the right edge
constexpr int kDefaultTopInset = 25;
constexpr int kPathSize = 520;
constexpr int kValueSize = 100;
constexpr char kNotSet[] = "-0";  // what a missing key reads as; "0" is a real position

struct WorkArea {
    int left, top, right, bottom;
};

struct Position {
    int x, y;
};

Position DefaultPosition(const WorkArea& area);

// Like atoi (leading blanks, a sign, digits up to the first non-digit, no digits
// giving 0), but a value outside the int range saturates instead of being undefined.
int ParseStoredInt(const char* text);

// The stored text of one coordinate, or the fallback when it is "-0" or lies
// outside [low, high].
int ResolveCoordinate(const char* text, int low, int high, int fallback);

// A stored place whose top-left point lies in the work area of any monitor (edges
// included) is kept whole: a meter dragged onto a second screen stays there. One on
// no monitor falls back per coordinate on the primary work area.
Position ResolvePosition(const char* xText, const char* yText, const WorkArea& primary,
                         const WorkArea* monitors, int monitorCount);

// Cuts text after the last occurrence of separator, walking multi-byte characters
// as whole units so that a trail byte equal to the separator is not mistaken for it.
// No occurrence leaves an empty string.
using LeadBytePredicate = bool (*)(unsigned char);
void TruncateAfterLastChar(char* text, char separator, LeadBytePredicate isLeadByte);

#endif
