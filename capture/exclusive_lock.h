// Holds a slim lock for the rest of a scope.
#ifndef CAPTURE_EXCLUSIVE_LOCK_H
#define CAPTURE_EXCLUSIVE_LOCK_H

#include "media/media_platform.h"

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK &lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock &) = delete;
    ExclusiveLock &operator=(const ExclusiveLock &) = delete;

private:
    SRWLOCK &lock_;
};

#endif
