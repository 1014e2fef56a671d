#include "app/running_meter.h"

#include "resources/resource.h"

bool AskRunningMeter(HWND meter, unsigned command, DWORD timeoutMs) {
    DWORD id = 0;
    GetWindowThreadProcessId(meter, &id);
    // Opened before asking, lest the process end and its number be given to another.
    const HANDLE process = command == ID_QUIT ? OpenProcess(SYNCHRONIZE, FALSE, id) : nullptr;
    PostMessageA(meter, RegisterWindowMessageA(SHOW_METER_MESSAGE), command, 0);
    if (command != ID_QUIT) {
        return true;
    }
    if (!process) {  // not ours to open: its window goes first, after the teardown
        for (DWORD waited = 0; IsWindow(meter) && waited < timeoutMs; waited += 50) {
            Sleep(50);
        }
        return !IsWindow(meter);
    }
    const bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}
