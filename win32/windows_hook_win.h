#pragma once

#include <windows.h>

// Owner of one hook set by SetWindowsHookExA: UnhookWindowsHookEx when it goes.
class WindowsHook {
public:
    WindowsHook() = default;
    WindowsHook(int type, HOOKPROC procedure, HINSTANCE module, DWORD threadId)
        : hook_(SetWindowsHookExA(type, procedure, module, threadId)) {}
    ~WindowsHook() { reset(); }
    WindowsHook(const WindowsHook &) = delete;
    WindowsHook &operator=(const WindowsHook &) = delete;
    WindowsHook(WindowsHook &&other) noexcept : hook_(other.hook_) { other.hook_ = nullptr; }
    WindowsHook &operator=(WindowsHook &&other) noexcept {
        if (this != &other) {
            reset();
            hook_ = other.hook_;
            other.hook_ = nullptr;
        }
        return *this;
    }

    HHOOK get() const { return hook_; }
    explicit operator bool() const { return hook_ != nullptr; }
    void reset() {
        if (hook_)
            UnhookWindowsHookEx(hook_);
        hook_ = nullptr;
    }

private:
    HHOOK hook_ = nullptr;
};
