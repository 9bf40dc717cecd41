// Critical sections and interlocked counters, as the Windows synchronisation primitives behave.
#pragma once

#include <atomic>
#include <mutex>

#include "platform/com/types.h"

// A critical section may be entered again by the thread that holds it.
class CZCriticalSection {
public:
    CZCriticalSection() = default;
    CZCriticalSection(const CZCriticalSection&) = delete;
    CZCriticalSection& operator=(const CZCriticalSection&) = delete;

    void Enter() noexcept { mutex_.lock(); }
    void Leave() noexcept { mutex_.unlock(); }

    // For std::lock_guard.
    void lock() noexcept { Enter(); }
    void unlock() noexcept { Leave(); }

private:
    std::recursive_mutex mutex_;
};

inline LONG InterlockedIncrement(std::atomic<LONG>* value) noexcept { return ++*value; }
inline LONG InterlockedDecrement(std::atomic<LONG>* value) noexcept { return --*value; }
