// Whether Start with Windows can work for the program where it lies, free of Win32. At
// sign-in a removable drive may be gone, a network share not yet there or asking before
// it runs anything, and the temporary folder (where Explorer opens a zip's files) emptied:
// only a program on a fixed drive, not under the temporary folder, is started from there.
#ifndef SORVANE_STARTUP_RULES_H
#define SORVANE_STARTUP_RULES_H

enum class DriveKind { kFixed, kRemovable, kRemote, kOther };  // kOther: a CD, a RAM disk

// Whether two texts begin with the same length characters, case ignored as the file
// system ignores it.
using SameStart = bool (*)(const wchar_t* a, const wchar_t* b, int length);

// program: the executable's full path; drive: the kind of its volume; temp: the user's
// temporary folder, long names, ending in a backslash or not.
bool StartupCanWork(const wchar_t* program, DriveKind drive, const wchar_t* temp, SameStart same);

#endif
