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

    void Reset();
    // Takes the counts that the queries below report. It calls no DLL function and
    // allocates nothing, so it can end a measured stretch.
    void Freeze();
    uint64_t Total() const;
    // Calls of one function, e.g. ("user32.dll", "DrawTextA"); -1 when not imported.
    int64_t Calls(const char* dll, const char* function) const;
    // Calls into one DLL.
    uint64_t CallsInto(const char* dll) const;
    // The functions called since the last Reset, most called first: "dll!name count".
    std::vector<std::string> Called() const;

private:
    struct Slot {
        ULONG_PTR* iatEntry;
        ULONG_PTR original;
        std::string dll;
        std::string function;
    };
    struct Thunk;

    uint64_t Count(size_t i) const;

    std::vector<Slot> m_slots;
    std::vector<uint64_t> m_frozen;
    Thunk* m_thunks = nullptr;
};

#endif
