#include "settings/fileutil.h"

#include <shlobj.h>
#include <string.h>

#include "framework/format.h"
#include "settings/position_rules.h"

namespace {

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

// Appends a backslash unless there is one, then the tail; false when it does not fit.
bool AppendPathPart(char* buffer, int size, const char* tail) {
    const size_t length = strlen(buffer);
    const bool needsSeparator = length == 0 || buffer[length - 1] != '\\';
    const int written = FormatText(buffer + length, size - static_cast<int>(length), "%s%s",
                                   needsSeparator ? "\\" : "", tail);
    return static_cast<int>(length) + written < size;
}

}  // namespace

char* CFileUtil::GetSpecialFolderPath(char* buffer, int size, int folder,
                                      const char* relativePath) {
    // The shell writes up to MAX_PATH characters whatever the buffer's size.
    char folderPath[MAX_PATH + 1] = {};
    buffer[0] = '\0';
    if (!SHGetSpecialFolderPathA(nullptr, folderPath, folder, TRUE) || folderPath[0] == '\0') {
        return buffer;
    }
    if (FormatText(buffer, size, "%s", folderPath) >= size ||
        !AppendPathPart(buffer, size, relativePath)) {
        buffer[0] = '\0';
    }
    return buffer;
}

char* CFileUtil::GetModuleDirPath(char* buffer, int size, const char* fileName) {
    const int room = size - static_cast<int>(strlen(fileName)) - 10;
    buffer[0] = '\0';
    if (room <= 0) {
        return buffer;
    }
    const DWORD length = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(room));
    // A full buffer means the name was cut short: that folder would be wrong.
    if (length == 0 || length >= static_cast<DWORD>(room)) {
        buffer[0] = '\0';
        return buffer;
    }
    TruncateAfterLast(buffer, '\\');
    if (!AppendPathPart(buffer, size, fileName)) {
        buffer[0] = '\0';
    }
    return buffer;
}

void CFileUtil::TruncateAfterLast(char* text, char separator) {
    TruncateAfterLastChar(text, separator, IsLeadByte);
}

bool FileExists(const char* name, bool wantDirectory) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(name, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    const bool isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return isDirectory == wantDirectory;
}
