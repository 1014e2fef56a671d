// The busy blocks of every heap of this process (the process heap, which also
// serves GlobalAlloc, and the C runtime's), counted by walking them.
#ifndef SORVANE_HEAP_CENSUS_H
#define SORVANE_HEAP_CENSUS_H

#include <windows.h>

struct HeapCensus {
    long long blocks = 0;  // busy blocks
    long long bytes = 0;   // bytes in busy blocks
    bool complete = true;  // every heap could be walked to its end
};

inline HeapCensus TakeHeapCensus() {
    HeapCensus census;
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    census.complete = count <= 64;
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
        census.complete &= GetLastError() == ERROR_NO_MORE_ITEMS;
        HeapUnlock(heaps[i]);
    }
    return census;
}

#endif
