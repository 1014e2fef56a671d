// Paths of the settings file.
#ifndef SORVANE_FILEUTIL_H
#define SORVANE_FILEUTIL_H

#include <windows.h>

class CFileUtil {
public:
    // folder (a CSIDL value) followed by relativePath; an empty string when the
    // shell has no such folder or the result would not fit.
    char* GetSpecialFolderPath(char* buffer, int size, int folder, const char* relativePath);
    // fileName in the folder of the running executable; empty when it does not fit.
    char* GetModuleDirPath(char* buffer, int size, const char* fileName);
    // Cuts text after the last separator, DBCS-aware; no separator leaves it empty.
    void TruncateAfterLast(char* text, char separator);
};

bool FileExists(const char* name, bool wantDirectory);

#endif
