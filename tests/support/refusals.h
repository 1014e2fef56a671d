// Windows saying no: the k-th of the calls the tests watch, counted over all of them,
// fails with the function's documented failure value, reached through this executable's
// import slots (x86_64 only), which the tests also point at stand-ins and the benchmark at a
// counter. Icons and menus are counted as they are made and destroyed: Wine has no
// GetGuiResources.
#ifndef SORVANE_REFUSALS_H
#define SORVANE_REFUSALS_H

#include <windows.h>

#include <string.h>

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

// The slot of each DLL function this executable's code calls.
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

struct Refusals {
    static inline int calls = 0, refuse = 0;  // watched calls so far; the one refused, 0 none
    static inline std::string refused;
    static inline int liveUserObjects = 0;
    static inline std::vector<std::pair<ULONG_PTR*, ULONG_PTR>> patched;  // slot, original
    static void Unwatch() {
        for (const auto& p : patched) {
            PatchSlot(p.first, p.second);
        }
        patched.clear();
    }
    // The executable's slot for dll!function leads to a stand-in until Unwatch: the real
    // function, or 0 where the executable does not import it.
    template <typename F> static ULONG_PTR Replace(const char* dll, const char* function, F with) {
        ULONG_PTR* slot = FindImportSlot(dll, function);
        if (!slot) {
            return 0;
        }
        patched.emplace_back(slot, *slot);
        return PatchSlot(slot, reinterpret_cast<ULONG_PTR>(with)) ? patched.back().second : 0;
    }
};

// One watched function; Id tells apart functions of one type. made: +1 for a call that
// makes an icon, menu or open key, -1 for one that ends it (never refused), 0 for the rest.
template <int Id, typename F> struct Watch;
template <int Id, typename R, typename... A> struct Watch<Id, R (*)(A...)> {
    static inline R (*real)(A...) = nullptr;
    static inline const char* name = "";
    static inline int made = 0;
    static inline R failure = R();
    static R Call(A... a) {
        if (made >= 0 && ++Refusals::calls == Refusals::refuse) {
            return Refusals::refused = name, failure;
        }
        const R result = real(a...);
        Refusals::liveUserObjects += Succeeded(result) ? made : 0;
        return result;
    }
    // The registry's functions answer ERROR_SUCCESS, 0; the others a handle or TRUE.
    static bool Succeeded(R result) {
        if constexpr (std::is_same_v<R, LONG>) {
            return result == ERROR_SUCCESS;
        } else {
            return result != R();
        }
    }
    // The executable's slot for dll!function leads here until Refusals::Unwatch.
    static bool Install(const char* dll, const char* function, int makes, R fails = R()) {
        name = function, made = makes, failure = fails;
        real = reinterpret_cast<R (*)(A...)>(Refusals::Replace(dll, function, Call));
        return real != nullptr;
    }
};

#endif
