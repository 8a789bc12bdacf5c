#pragma once

#ifdef _WIN32
typedef void *HANDLE;
#else
#include <mutex>
#endif

// Owner of one unnamed mutex, recursive for the thread that holds it. On Windows it is a Win32
// mutex; natively a std::recursive_mutex, so the core behaves the same in host tests.
class ThreadMutex {
public:
    ThreadMutex();
    ~ThreadMutex();
    ThreadMutex(const ThreadMutex &) = delete;
    ThreadMutex &operator=(const ThreadMutex &) = delete;

    // Blocks without time-out; true when the mutex was acquired.
    bool wait();
    // Never blocks; false at once when another thread holds the mutex.
    bool tryWait();
    void release();

private:
#ifdef _WIN32
    HANDLE handle_;
#else
    std::recursive_mutex mutex_;
#endif
};

// Releases a ThreadMutex acquired by wait() or tryWait() on every path out of a scope.
class ThreadMutexLock {
public:
    ThreadMutexLock(ThreadMutex &mutex, bool acquired) : mutex_(mutex), acquired_(acquired) {}
    ~ThreadMutexLock() {
        if (acquired_)
            mutex_.release();
    }
    ThreadMutexLock(const ThreadMutexLock &) = delete;
    ThreadMutexLock &operator=(const ThreadMutexLock &) = delete;
    bool acquired() const { return acquired_; }

private:
    ThreadMutex &mutex_;
    bool acquired_;
};
