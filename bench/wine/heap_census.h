// The busy blocks of every heap of this process (the process heap, which also
// serves GlobalAlloc, and the C runtime's), counted by walking them.
#ifndef SORVANE_HEAP_CENSUS_H
#define SORVANE_HEAP_CENSUS_H

#include <windows.h>

#include <stdint.h>

struct HeapCensus {
    int heaps = 0;         // heaps walked
    uint64_t blocks = 0;   // busy blocks
    uint64_t bytes = 0;    // bytes in busy blocks
    bool complete = true;  // every heap could be walked to its end
};

inline HeapCensus TakeHeapCensus() {
    HeapCensus census;
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i])) {
            census.complete = false;
            continue;
        }
        PROCESS_HEAP_ENTRY entry;
        entry.lpData = nullptr;
        while (HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
                ++census.blocks;
                census.bytes += entry.cbData;
            }
        }
        if (GetLastError() != ERROR_NO_MORE_ITEMS) {
            census.complete = false;
        }
        HeapUnlock(heaps[i]);
        ++census.heaps;
    }
    if (count > 64) {
        census.complete = false;
    }
    return census;
}

#endif
