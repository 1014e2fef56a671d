// The import address table of this executable: one slot per DLL function its code
// calls through. The benchmark points slots at counters, the tests at refusals.
// x86_64 only.
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
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0) {
        return slots;
    }
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         d->Name != 0; ++d) {
        auto* iat = reinterpret_cast<ULONG_PTR*>(base + d->FirstThunk);
        const auto* names = reinterpret_cast<const ULONG_PTR*>(base + d->OriginalFirstThunk);
        for (size_t i = 0; iat[i] != 0; ++i) {
            const bool named = d->OriginalFirstThunk != 0 && !IMAGE_SNAP_BY_ORDINAL64(names[i]);
            const char* function =
                named ? reinterpret_cast<const char*>(
                            reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names[i])->Name)
                      : "?";
            slots.push_back(
                ImportSlot{&iat[i], reinterpret_cast<const char*>(base + d->Name), function});
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
    if (!VirtualProtect(entry, sizeof(*entry), PAGE_READWRITE, &old)) {
        return false;
    }
    *entry = value;
    VirtualProtect(entry, sizeof(*entry), old, &old);
    return true;
}

#endif
