#pragma once

#include <windows.h>

#include <wininet.h>

// Owner of one WinINet handle (a session, a connection or a request): InternetCloseHandle when
// it goes. Requests are declared after their session, so they are closed first.
class InternetHandle {
public:
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() { reset(); }
    InternetHandle(const InternetHandle &) = delete;
    InternetHandle &operator=(const InternetHandle &) = delete;
    InternetHandle(InternetHandle &&other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    InternetHandle &operator=(InternetHandle &&other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }

    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset() {
        if (handle_)
            InternetCloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HINTERNET handle_ = nullptr;
};
