#pragma once
#include <windows.h>

namespace kit {

// A critical section cannot fail to be entered, unlike a lock that allocates on first use:
// what must keep going when the address space runs low takes this one.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection()
    {
        if (!abandoned_) DeleteCriticalSection(&section_);
    }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    // Left undeleted: a thread that has not ended may still enter it after its owner went.
    void Abandon() { abandoned_ = true; }
    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

    // Held for the lifetime of the object.
    class Lock {
    public:
        explicit Lock(CriticalSection& section) : section_(section) { section_.Enter(); }
        ~Lock() { section_.Leave(); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        CriticalSection& section_;
    };

private:
    CRITICAL_SECTION section_;
    bool abandoned_ = false;
};

}  // namespace kit
