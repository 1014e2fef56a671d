// A start with a meter already running passes its request on to that meter.
#ifndef SORVANE_RUNNING_METER_H
#define SORVANE_RUNNING_METER_H

#include <windows.h>

// How long /quit waits for the meter to be gone: its place saved, its icon removed.
constexpr DWORD kQuitWaitMs = 5000;

// Sends the meter, by its window, a menu command or 0 to show itself, through the message a
// second start has always sent (let through to an elevated meter too). For Quit, waits at
// most timeoutMs for the meter's process to end; false when it still runs.
bool AskRunningMeter(HWND meter, unsigned command, DWORD timeoutMs);

#endif
