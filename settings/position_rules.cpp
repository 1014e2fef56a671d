#include "settings/position_rules.h"

#include <limits.h>
#include <string.h>

Position DefaultPosition(const WorkArea& area) {
    return Position{area.right - kDefaultRightInset, area.top + kDefaultTopInset};
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

Position ResolvePosition(const char* xText, const char* yText, const WorkArea& primary,
                         const WorkArea* monitors, int monitorCount) {
    if (strcmp(xText, kNotSet) != 0 && strcmp(yText, kNotSet) != 0) {
        const int x = ParseStoredInt(xText);
        const int y = ParseStoredInt(yText);
        for (int i = 0; i < monitorCount; ++i) {
            const WorkArea& m = monitors[i];
            if (x >= m.left && x <= m.right && y >= m.top && y <= m.bottom) {
                return Position{x, y};
            }
        }
    }
    const Position d = DefaultPosition(primary);
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
