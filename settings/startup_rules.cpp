#include "settings/startup_rules.h"

#include <wchar.h>

namespace {

// \\server\share and \\?\UNC\server\share, but not \\?\C:\, a local path without the
// length limit.
bool NetworkPath(const wchar_t* p) {
    if (p[0] != L'\\' || p[1] != L'\\') {
        return false;
    }
    return !(p[2] == L'?' && p[3] == L'\\' && p[4] && p[5] == L':');
}

}  // namespace

bool StartupCanWork(const wchar_t* program, DriveKind drive, const wchar_t* temp, SameStart same) {
    if (drive != DriveKind::kFixed || NetworkPath(program)) {
        return false;
    }
    size_t n = wcslen(temp);
    while (n > 0 && temp[n - 1] == L'\\') {
        --n;
    }
    // Under it: the folder's name, then a backslash.
    const bool underTemp = n > 0 && wcslen(program) > n && program[n] == L'\\' &&
                           same(program, temp, static_cast<int>(n));
    return !underTemp;
}
