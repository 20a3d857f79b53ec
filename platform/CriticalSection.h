#pragma once
// Recursive lock, as the original's critical sections are; the owning thread may enter again.
#include <mutex>

class CriticalSection {
public:
    void Enter() { mutex_.lock(); }
    bool TryEnter() { return mutex_.try_lock(); }
    void Leave() { mutex_.unlock(); }

    // Lets std::lock_guard / std::unique_lock take it.
    void lock() { Enter(); }
    bool try_lock() { return TryEnter(); }
    void unlock() { Leave(); }

private:
    std::recursive_mutex mutex_;
};

class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& cs) : cs_(cs) { cs_.Enter(); }
    ~CriticalSectionLock() { cs_.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& cs_;
};
