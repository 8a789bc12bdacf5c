#pragma once

#include <windows.h>

// Owner of one directory search begun by FindFirstFileA or FindFirstFileW: FindClose on every path
// out.
class FindHandle {
public:
    FindHandle() = default;
    // Starts a search; the first entry lands in data. Check with valid().
    FindHandle(const char *pattern, WIN32_FIND_DATAA &data) : handle_(FindFirstFileA(pattern, &data)) {}
    FindHandle(const wchar_t *pattern, WIN32_FIND_DATAW &data) : handle_(FindFirstFileW(pattern, &data)) {}
    ~FindHandle() { reset(); }
    FindHandle(const FindHandle &) = delete;
    FindHandle &operator=(const FindHandle &) = delete;
    FindHandle(FindHandle &&other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_HANDLE_VALUE; }
    FindHandle &operator=(FindHandle &&other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.handle_;
            other.handle_ = INVALID_HANDLE_VALUE;
        }
        return *this;
    }

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool next(WIN32_FIND_DATAA &data) { return valid() && FindNextFileA(handle_, &data) != FALSE; }
    bool next(WIN32_FIND_DATAW &data) { return valid() && FindNextFileW(handle_, &data) != FALSE; }
    void reset() {
        if (valid())
            FindClose(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};
