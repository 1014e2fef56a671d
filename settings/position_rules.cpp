#include "settings/position_rules.h"

#include <limits.h>
#include <string.h>

Position DefaultPosition(const WorkArea& area, const Lengths& lengths) {
    return Position{area.right - lengths.rightInset, area.top + lengths.topInset};
}

int ParseStoredInt(const char* text) {
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // Accumulate towards the sign's side so that INT_MIN itself is representable.
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}

int ResolveCoordinate(const char* text, int low, int high, int fallback) {
    if (strcmp(text, kNotSet) == 0) {
        return fallback;
    }
    const int value = ParseStoredInt(text);
    return value < low || value > high ? fallback : value;
}

namespace {

bool Within(int value, int low, int high) { return value >= low && value <= high; }

}  // namespace

Position KeepOnMonitors(Position place, const WorkArea& primary, const WorkArea* monitors,
                        int monitorCount, const Lengths& lengths) {
    for (int i = 0; i < monitorCount; ++i) {
        const WorkArea& m = monitors[i];
        if (Within(place.x, m.left, m.right) && Within(place.y, m.top, m.bottom)) {
            return place;
        }
    }
    const Position d = DefaultPosition(primary, lengths);
    return Position{Within(place.x, primary.left, primary.right) ? place.x : d.x,
                    Within(place.y, primary.top, primary.bottom) ? place.y : d.y};
}

Position StoredPlace(const char* xText, const char* yText, const WorkArea& primary,
                     const Lengths& lengths) {
    if (strcmp(xText, kNotSet) != 0 && strcmp(yText, kNotSet) != 0) {
        return Position{ParseStoredInt(xText), ParseStoredInt(yText)};
    }
    const Position d = DefaultPosition(primary, lengths);
    return Position{ResolveCoordinate(xText, primary.left, primary.right, d.x),
                    ResolveCoordinate(yText, primary.top, primary.bottom, d.y)};
}

void TruncateAfterLastChar(char* text, char separator, LeadBytePredicate isLeadByte) {
    char* cut = text;
    char* p = text;
    while (*p) {
        const bool lead = isLeadByte(static_cast<unsigned char>(*p));
        if (!lead && *p == separator) {
            cut = p + 1;
        }
        // A lead byte and its trail byte are one character, unless the string ends.
        p += lead && p[1] ? 2 : 1;
    }
    *cut = '\0';
}
