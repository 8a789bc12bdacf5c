#include "common/thread_mutex.h"

#ifdef _WIN32
#include <windows.h>

ThreadMutex::ThreadMutex() : handle_(CreateMutexA(nullptr, FALSE, nullptr)) {}
ThreadMutex::~ThreadMutex() {
    if (handle_)
        CloseHandle(handle_);
}
bool ThreadMutex::wait() {
    DWORD r = WaitForSingleObject(handle_, INFINITE);
    return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}
bool ThreadMutex::tryWait() {
    DWORD r = WaitForSingleObject(handle_, 0);
    return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}
void ThreadMutex::release() { ReleaseMutex(handle_); }

#else

ThreadMutex::ThreadMutex() = default;
ThreadMutex::~ThreadMutex() = default;
bool ThreadMutex::wait() {
    mutex_.lock();
    return true;
}
bool ThreadMutex::tryWait() { return mutex_.try_lock(); }
void ThreadMutex::release() { mutex_.unlock(); }

#endif
