#include "bench/wine/import_counter.h"

#include "tests/support/import_slots.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <utility>

// lock inc qword [rip + 8]   (the count)
// jmp qword [rip + 10]       (the real function)
// Flags are not preserved across a call, so the thunk may change them; it touches
// no register and no stack, so every calling convention passes through untouched.
struct ImportCounter::Thunk {
    uint8_t code[16];
    volatile uint64_t count;
    uint64_t target;
};
static_assert(sizeof(void*) == 8, "the thunks are x86_64 code");

constexpr uint8_t kThunkCode[16] = {0xF0, 0x48, 0xFF, 0x05, 0x08, 0x00, 0x00, 0x00,
                                    0xFF, 0x25, 0x0A, 0x00, 0x00, 0x00, 0xCC, 0xCC};

bool ImportCounter::Install() {
    if (m_thunks) {
        return true;
    }
    m_slots.clear();
    for (const ImportSlot& s : ImportSlots()) {
        m_slots.push_back(Slot{s.entry, *s.entry, s.dll, s.function});
    }
    if (m_slots.empty()) {
        return false;
    }
    m_thunks = static_cast<Thunk*>(VirtualAlloc(nullptr, sizeof(Thunk) * m_slots.size(),
                                                MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    if (!m_thunks) {
        m_slots.clear();
        return false;
    }
    for (size_t i = 0; i < m_slots.size(); ++i) {
        memcpy(m_thunks[i].code, kThunkCode, sizeof(kThunkCode));
        m_thunks[i].count = 0;
        m_thunks[i].target = m_slots[i].original;
    }
    m_frozen.assign(m_slots.size(), 0);
    FlushInstructionCache(GetCurrentProcess(), m_thunks, sizeof(Thunk) * m_slots.size());
    for (size_t i = 0; i < m_slots.size(); ++i) {
        if (!PatchSlot(m_slots[i].iatEntry, reinterpret_cast<ULONG_PTR>(&m_thunks[i]))) {
            fprintf(stderr, "import counter: cannot patch %s!%s\n", m_slots[i].dll.c_str(),
                    m_slots[i].function.c_str());
        }
    }
    return true;
}

void ImportCounter::Uninstall() {
    if (!m_thunks) {
        return;
    }
    for (const Slot& slot : m_slots) {
        PatchSlot(slot.iatEntry, slot.original);
    }
    // The thunks stay: a function pointer read from the table while it was patched
    // (a default reader, a stored callback) still leads to the real function.
    m_thunks = nullptr;
}

void ImportCounter::Reset() {
    for (size_t i = 0; m_thunks && i < m_slots.size(); ++i) {
        m_thunks[i].count = 0;
        m_frozen[i] = 0;
    }
}

void ImportCounter::Freeze() {
    for (size_t i = 0; m_thunks && i < m_slots.size(); ++i) {
        m_frozen[i] = static_cast<long long>(m_thunks[i].count);
    }
}

long long ImportCounter::Calls(const char* dll, const char* function) const {
    long long total = -1;
    for (size_t i = 0; i < m_slots.size(); ++i) {
        if ((!dll || !_stricmp(m_slots[i].dll.c_str(), dll)) &&
            (!function || m_slots[i].function == function)) {
            total = std::max(total, 0LL) + m_frozen[i];
        }
    }
    return total;
}

std::vector<std::string> ImportCounter::Called() const {
    std::vector<std::pair<long long, std::string>> called;
    for (size_t i = 0; i < m_slots.size(); ++i) {
        if (m_frozen[i] > 0) {
            called.emplace_back(m_frozen[i], m_slots[i].dll + "!" + m_slots[i].function);
        }
    }
    std::sort(called.begin(), called.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::string> out;
    for (const auto& c : called) {
        out.push_back(c.second + " " + std::to_string(c.first));
    }
    return out;
}
