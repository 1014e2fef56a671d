// The import address table of this executable: the slot of each DLL function its code
// calls, which the tests point at refusals and stand-ins, the benchmark at a counter.
// x86_64 only.
#ifndef SORVANE_IMPORT_SLOTS_H
#define SORVANE_IMPORT_SLOTS_H

#include <windows.h>

#include <string.h>

inline ULONG_PTR* FindImportSlot(const char* dll, const char* function) {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS64*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD at = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + at); at && d->Name; ++d) {
        auto* iat = reinterpret_cast<ULONG_PTR*>(base + d->FirstThunk);
        auto* names = reinterpret_cast<ULONG_PTR*>(base + d->OriginalFirstThunk);
        for (size_t i = 0; d->OriginalFirstThunk && iat[i]; ++i) {  // by name, not by ordinal
            if (!IMAGE_SNAP_BY_ORDINAL64(names[i]) &&
                _stricmp(reinterpret_cast<char*>(base + d->Name), dll) == 0 &&
                strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names[i])->Name, function) ==
                    0) {
                return &iat[i];
            }
        }
    }
    return nullptr;
}

inline bool PatchSlot(ULONG_PTR* entry, ULONG_PTR value) {
    DWORD old = 0;
    return VirtualProtect(entry, sizeof(*entry), PAGE_READWRITE, &old) && (*entry = value, true) &&
           VirtualProtect(entry, sizeof(*entry), old, &old);
}

#endif
