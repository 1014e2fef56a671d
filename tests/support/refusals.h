// Windows saying no: the k-th of the calls the tests watch, counted over all of them,
// fails with the function's documented failure value, reached through this executable's
// import slots. Icons and menus are counted as they are made and destroyed: Wine has no
// GetGuiResources.
#ifndef SORVANE_REFUSALS_H
#define SORVANE_REFUSALS_H

#include <string>
#include <type_traits>
#include <utility>

#include "tests/support/import_slots.h"

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
