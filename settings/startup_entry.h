// Start with Windows: the value "Sorvane Battery Meter" of the user's Run key, holding this
// executable's path in quotes, and no mark of Task Manager's that disables it. What the
// menu shows is read afresh each time, so a call Windows refused shows the truth
// afterwards; nothing is written until the user chooses, and nothing where the program
// lies out of sign-in's reach (settings/startup_rules.h).
#ifndef SORVANE_STARTUP_ENTRY_H
#define SORVANE_STARTUP_ENTRY_H

class StartupEntry {
public:
    // The program can be started from where it lies.
    bool CanWork() const;
    // The value names this executable and Task Manager has not disabled it.
    bool IsOn() const;
    // Off when it was on, else on with this executable's path and no disabled mark; where
    // it cannot work, nothing.
    void Toggle();
};

#endif
