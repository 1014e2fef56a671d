// Windows saying no: the k-th of the creating calls the tests watch, counted over all
// of them, fails with the function's documented failure value (0 or NULL for every one
// watched here). Calls reach the watch through this executable's import slots, or
// through a function pointer handed to a seam. Icons and menus made and destroyed are
// counted too: Wine has no GetGuiResources.
#ifndef SORVANE_REFUSALS_H
#define SORVANE_REFUSALS_H

#include <string>
#include <utility>
#include <vector>

#include "tests/support/import_slots.h"

struct Refusals {
    static inline int calls = 0;   // watched calls so far
    static inline int refuse = 0;  // the one to refuse; 0: none
    static inline std::string refused;
    static inline int liveUserObjects = 0;  // icons and menus made and not yet destroyed
    static inline std::vector<std::pair<ULONG_PTR*, ULONG_PTR>> patched;  // slot, original
    static void Start(int k) { calls = 0, refuse = k, refused.clear(); }
    static void Unwatch() {
        for (const auto& p : patched) {
            PatchSlot(p.first, p.second);
        }
        patched.clear();
    }
};

// Watch<Id, F>: one watched function. Id tells apart functions of one type.
template <int Id, typename F> struct Watch;
template <int Id, typename R, typename... A> struct Watch<Id, R (*)(A...)> {
    static inline R (*real)(A...) = nullptr;
    static inline const char* name = "";
    static inline int made = 0;  // +1 for an object this call makes (icons, menus), -1 for
                                 // one it destroys, 0 for the rest
    static R Call(A... a) {
        if (made >= 0 && ++Refusals::calls == Refusals::refuse) {
            Refusals::refused = name;
            return R();
        }
        const R result = real(a...);
        Refusals::liveUserObjects += result ? made : 0;
        return result;
    }
    static R (*Wrap(const char* function, R (*function_pointer)(A...), int makes = 0))(A...) {
        name = function, real = function_pointer, made = makes;
        return Call;
    }
    // Points this executable's slot for dll!function at the watch until Unwatch; false
    // when it has no such slot.
    static bool Install(const char* dll, const char* function, int makes = 0) {
        ULONG_PTR* slot = FindImportSlot(dll, function);
        if (!slot) {
            return false;
        }
        Refusals::patched.emplace_back(slot, *slot);
        return PatchSlot(slot, reinterpret_cast<ULONG_PTR>(
                                   Wrap(function, reinterpret_cast<R (*)(A...)>(*slot), makes)));
    }
};

#endif
