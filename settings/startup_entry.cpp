#include "settings/startup_entry.h"

#include <windows.h>

#include "framework/owned_handles.h"

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

}  // namespace

bool StartupEntry::IsOn() const {
    wchar_t own[kCommandSize], stored[kCommandSize] = L"";
    DWORD type = 0, size = sizeof(stored) - sizeof(wchar_t);
    const RegistryKey run = OpenKey(kRunKey, KEY_QUERY_VALUE);
    if (!OwnCommand(own) || !run ||
        RegQueryValueExW(run, kValueName, nullptr, &type, reinterpret_cast<BYTE*>(stored), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || lstrcmpiW(stored, own) != 0) {
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
