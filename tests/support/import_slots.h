// The import address table of this executable: a slot for each DLL function its code
// calls. The benchmark points slots at counters, the tests at refusals. x86_64 only.
#ifndef SORVANE_IMPORT_SLOTS_H
#define SORVANE_IMPORT_SLOTS_H

#include <windows.h>

#include <string.h>

#include <vector>

struct ImportSlot {
    ULONG_PTR* entry;
    const char* dll;
    const char* function;  // "?" for an import by ordinal
};

inline std::vector<ImportSlot> ImportSlots() {
    std::vector<ImportSlot> slots;
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS64*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD at = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + at); at && d->Name; ++d) {
        auto* iat = reinterpret_cast<ULONG_PTR*>(base + d->FirstThunk);
        auto* names = reinterpret_cast<ULONG_PTR*>(base + d->OriginalFirstThunk);
        for (size_t i = 0; iat[i]; ++i) {
            const bool named = d->OriginalFirstThunk && !IMAGE_SNAP_BY_ORDINAL64(names[i]);
            const char* name =
                named ? reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names[i])->Name : "?";
            slots.push_back({&iat[i], reinterpret_cast<char*>(base + d->Name), name});
        }
    }
    return slots;
}

inline ULONG_PTR* FindImportSlot(const char* dll, const char* function) {
    for (const ImportSlot& s : ImportSlots()) {
        if (_stricmp(s.dll, dll) == 0 && strcmp(s.function, function) == 0) {
            return s.entry;
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
