#include "settings/startup_entry.h"

#include <windows.h>

#include "framework/owned_handles.h"
#include "settings/startup_rules.h"

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Task Manager's own switch beside the Run key: a binary value whose first byte is odd
// (3) while the entry is disabled, even (2) while enabled; no value counts as enabled.
constexpr wchar_t kApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
constexpr wchar_t kValueName[] = L"Sorvane Battery Meter";
constexpr DWORD kCommandSize = MAX_PATH + 3;  // the path in quotes

inline BOOL CloseKey(HKEY key) { return RegCloseKey(key) == ERROR_SUCCESS; }
using RegistryKey = Owned<HKEY, CloseKey>;

RegistryKey OpenKey(const wchar_t* path, REGSAM access) {
    HKEY key = nullptr;
    return RegistryKey(
        RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, access, &key) == ERROR_SUCCESS ? key : nullptr);
}

// Wide, so that a folder named outside the ANSI code page is written as it is.
bool OwnCommand(wchar_t (&command)[kCommandSize]) {
    const DWORD length = GetModuleFileNameW(nullptr, command + 1, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    command[0] = L'"';
    command[length + 1] = L'"';
    command[length + 2] = L'\0';
    return true;
}

// Paths as the file system compares them: each character alone, case ignored.
bool SameStartOrdinal(const wchar_t* a, const wchar_t* b, int length) {
    return CompareStringOrdinal(a, length, b, length, TRUE) == CSTR_EQUAL;
}

DriveKind KindOf(const wchar_t* path) {
    wchar_t volume[MAX_PATH];
    if (!GetVolumePathNameW(path, volume, MAX_PATH)) {
        return DriveKind::kOther;
    }
    switch (GetDriveTypeW(volume)) {
    case DRIVE_FIXED:
        return DriveKind::kFixed;
    case DRIVE_REMOVABLE:
        return DriveKind::kRemovable;
    case DRIVE_REMOTE:
        return DriveKind::kRemote;
    default:
        return DriveKind::kOther;
    }
}

}  // namespace

bool StartupEntry::CanWork() const {
    wchar_t program[MAX_PATH], temp[MAX_PATH + 1], longTemp[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !GetTempPathW(MAX_PATH + 1, temp)) {
        return false;
    }
    // The program's path has the long names; the temporary folder's may have 8.3 ones.
    const DWORD longLength = GetLongPathNameW(temp, longTemp, MAX_PATH);
    const wchar_t* folder = longLength > 0 && longLength < MAX_PATH ? longTemp : temp;
    return StartupCanWork(program, KindOf(program), folder, SameStartOrdinal);
}

bool StartupEntry::IsOn() const {
    wchar_t own[kCommandSize], stored[kCommandSize] = L"", expanded[kCommandSize] = L"";
    DWORD type = 0, size = sizeof(stored) - sizeof(wchar_t);
    const RegistryKey run = OpenKey(kRunKey, KEY_QUERY_VALUE);
    if (!OwnCommand(own) || !run ||
        RegQueryValueExW(run, kValueName, nullptr, &type, reinterpret_cast<BYTE*>(stored), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    // "%LOCALAPPDATA%\..." names this program as the shell runs it: expanded.
    const wchar_t* command = stored;
    if (type == REG_EXPAND_SZ) {
        const DWORD n = ExpandEnvironmentStringsW(stored, expanded, kCommandSize);
        command = n > 0 && n <= kCommandSize ? expanded : L"";
    }
    if (CompareStringOrdinal(command, -1, own, -1, TRUE) != CSTR_EQUAL) {
        return false;
    }
    BYTE mark[12] = {};
    size = sizeof(mark);
    const RegistryKey approved = OpenKey(kApprovedKey, KEY_QUERY_VALUE);
    return !approved ||
           RegQueryValueExW(approved, kValueName, nullptr, &type, mark, &size) != ERROR_SUCCESS ||
           size == 0 || (mark[0] & 1) == 0;
}

void StartupEntry::Toggle() {
    if (!CanWork()) {
        return;
    }
    if (IsOn()) {
        const RegistryKey run = OpenKey(kRunKey, KEY_SET_VALUE);
        if (run) {
            RegDeleteValueW(run, kValueName);
        }
        return;
    }
    wchar_t own[kCommandSize];
    HKEY created = nullptr;
    if (!OwnCommand(own) ||
        RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    const RegistryKey run(created);
    const DWORD bytes = static_cast<DWORD>((lstrlenW(own) + 1) * sizeof(wchar_t));
    if (RegSetValueExW(run, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(own), bytes) !=
        ERROR_SUCCESS) {
        return;
    }
    const RegistryKey approved = OpenKey(kApprovedKey, KEY_SET_VALUE);
    if (approved) {
        RegDeleteValueW(approved, kValueName);
    }
}
