#include "framework/newer_api.h"

namespace {

// Through void*: a function pointer of one type cast straight to another is what
// the compiler warns about, and rightly, everywhere else.
template <typename Function> void Find(HMODULE module, const char* name, Function& out) {
    out = module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                 : nullptr;
}

}  // namespace

NewerApi LookUpNewerApi() {
    NewerApi api = {};
    // Loaded for the program's whole run, where there are.
    Find(LoadLibraryA("shcore.dll"), "GetDpiForMonitor", api.getDpiForMonitor);
    Find(LoadLibraryA("dwmapi.dll"), "DwmGetWindowAttribute", api.dwmGetWindowAttribute);
    Find(GetModuleHandleA("shell32.dll"), "SHQueryUserNotificationState",
         api.queryUserNotificationState);
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    Find(user32, "GetDpiForWindow", api.getDpiForWindow);
    Find(user32, "GetSystemMetricsForDpi", api.getSystemMetricsForDpi);
    Find(user32, "SetCoalescableTimer", api.setCoalescableTimer);
    Find(user32, "RegisterPowerSettingNotification", api.registerPowerSettingNotification);
    Find(user32, "UnregisterPowerSettingNotification", api.unregisterPowerSettingNotification);
    Find(user32, "ChangeWindowMessageFilterEx", api.changeWindowMessageFilterEx);
    return api;
}

void LetThrough(const NewerApi& api, HWND window, UINT message) {
    if (api.changeWindowMessageFilterEx) {
        api.changeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
    }
}
