// Reading and checking the stored window position. Free of Win32.
#ifndef SORVANE_POSITION_RULES_H
#define SORVANE_POSITION_RULES_H

#include "framework/lengths.h"

constexpr int kPathSize = 520;
constexpr int kValueSize = 100;
constexpr char kNotSet[] = "-0";  // what a missing key reads as; "0" is a real position

struct WorkArea {
    int left, top, right, bottom;
};

struct Position {
    int x, y;
};

// Near the work area's top right corner, by the insets of the DPI.
Position DefaultPosition(const WorkArea& area, const Lengths& lengths);

// Like atoi (leading blanks, a sign, digits up to the first non-digit, no digits
// giving 0), but a value outside the int range saturates instead of being undefined.
int ParseStoredInt(const char* text);

// The stored text of one coordinate, or the fallback when it is "-0" or lies
// outside [low, high].
int ResolveCoordinate(const char* text, int low, int high, int fallback);

// A place whose top-left point lies in the work area of any monitor (edges included)
// is kept whole: a meter dragged onto a second screen stays there. One on no monitor
// falls back per coordinate on the primary work area.
Position KeepOnMonitors(Position place, const WorkArea& primary, const WorkArea* monitors,
                        int monitorCount, const Lengths& lengths);

// The place the user chose, as stored: whole when both coordinates are set (the monitors
// there are decide where it shows), else each coordinate that is not set, or lies off the
// primary work area, takes the default.
Position StoredPlace(const char* xText, const char* yText, const WorkArea& primary,
                     const Lengths& lengths);

// Cuts text after the last occurrence of separator, walking multi-byte characters
// as whole units so that a trail byte equal to the separator is not mistaken for it.
// No occurrence leaves an empty string.
using LeadBytePredicate = bool (*)(unsigned char);
void TruncateAfterLastChar(char* text, char separator, LeadBytePredicate isLeadByte);

#endif
