// Counts every call this executable makes into a DLL. Each import address table
// slot is pointed at a small thunk that bumps the slot's counter and jumps on to
// the real function, so a count of zero means the code under test called no
// system or C-runtime function at all (no GDI, no allocation). x86_64 only.
#ifndef SORVANE_IMPORT_COUNTER_H
#define SORVANE_IMPORT_COUNTER_H

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

class ImportCounter {
public:
    ImportCounter() = default;
    ~ImportCounter() { Uninstall(); }
    ImportCounter(const ImportCounter&) = delete;
    ImportCounter& operator=(const ImportCounter&) = delete;

    // Patches the import table of the main executable; false when it cannot.
    bool Install();
    // Puts the real addresses back.
    void Uninstall();

    // Counts the calls of work alone, for the queries below. Counting ends without a
    // call into a DLL or an allocation, so work may be a measured stretch.
    template <typename F> void Count(F&& work) {
        Reset();
        work();
        Freeze();
    }
    // Calls of one function, e.g. ("user32.dll", "DrawTextA"), without one of every
    // function of the DLL, without either of all; -1 when none is imported.
    long long Calls(const char* dll = nullptr, const char* function = nullptr) const;
    // The functions called, most called first: "dll!name count".
    std::vector<std::string> Called() const;

private:
    struct Slot {
        ULONG_PTR* iatEntry;
        ULONG_PTR original;
        std::string dll;
        std::string function;
    };
    struct Thunk;

    void Reset();
    void Freeze();

    std::vector<Slot> m_slots;
    std::vector<long long> m_frozen;
    Thunk* m_thunks = nullptr;
};

#endif
