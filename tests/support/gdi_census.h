// Counts the live GDI objects of this process by asking for the type of every
// handle slot. Wine accepts a handle without its generation bits for the slot's
// current object, and GetGuiResources is not implemented there.
#ifndef SORVANE_GDI_CENSUS_H
#define SORVANE_GDI_CENSUS_H

#include <windows.h>

inline int CountGdiObjects() {
    int count = 0;
    for (unsigned slot = 0; slot < 0x10000; ++slot) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(slot)))) {
            ++count;
        }
    }
    return count;
}

#endif
