#pragma once

// A Win32 critical section as an owning object, and a scoped hold of one. Critical sections
// are recursive: the thread holding one may take it again (the filter's operations call each
// other under the filter lock).

#include "dx/framework/windows_api.h"

namespace miral::dx {

class CriticalSection {
public:
    CriticalSection() noexcept { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void enter() noexcept { EnterCriticalSection(&section_); }
    void leave() noexcept { LeaveCriticalSection(&section_); }
    /// Enters only when no other thread holds it; true when entered.
    bool tryEnter() noexcept { return TryEnterCriticalSection(&section_) != FALSE; }

private:
    CRITICAL_SECTION section_;
};

/// Holds a critical section for the lifetime of the object.
class ScopedLock {
public:
    explicit ScopedLock(CriticalSection& section) noexcept : section_(section) { section_.enter(); }
    ~ScopedLock() { section_.leave(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CriticalSection& section_;
};

} // namespace miral::dx
