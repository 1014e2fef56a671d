// Functions that Windows 7 lacks, or that the program must not depend on,
// looked up at run time: an import of any of them would stop the program from
// loading where it is missing, or bring in a DLL of its own. A missing one is null.
#ifndef SORVANE_NEWER_API_H
#define SORVANE_NEWER_API_H

#include <windows.h>
#include <shellapi.h>

struct NewerApi {
    UINT(WINAPI* getDpiForWindow)(HWND);                             // Windows 10 1607
    int(WINAPI* getSystemMetricsForDpi)(int, UINT);                  // Windows 10 1607
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR, int, UINT*, UINT*);  // 8.1, shcore.dll
    UINT_PTR(WINAPI* setCoalescableTimer)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);   // 8
    HPOWERNOTIFY(WINAPI* registerPowerSettingNotification)(HANDLE, LPCGUID, DWORD);  // Vista
    BOOL(WINAPI* unregisterPowerSettingNotification)(HPOWERNOTIFY);
    BOOL(WINAPI* changeWindowMessageFilterEx)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);  // 7
    HRESULT(WINAPI* queryUserNotificationState)(QUERY_USER_NOTIFICATION_STATE*);        // Vista
    HRESULT(WINAPI* dwmGetWindowAttribute)(HWND, DWORD, PVOID, DWORD);  // Vista, dwmapi.dll
};

NewerApi LookUpNewerApi();

// Lets a message through to the window however elevated it runs: User Interface
// Privilege Isolation drops a message from a less privileged process.
void LetThrough(const NewerApi& api, HWND window, UINT message);

#endif
