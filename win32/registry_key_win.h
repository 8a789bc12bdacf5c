#pragma once

#include <windows.h>

// Owner of one open registry key: closed when the owner goes, never copied. Predefined roots
// (HKEY_CURRENT_USER, ...) are never handed to it, so every key it holds is one to close.
class RegistryKey {
public:
    RegistryKey() = default;
    explicit RegistryKey(HKEY key) : key_(key) {}
    ~RegistryKey() { reset(); }
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;
    RegistryKey(RegistryKey &&other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegistryKey &operator=(RegistryKey &&other) noexcept {
        if (this != &other) {
            reset();
            key_ = other.key_;
            other.key_ = nullptr;
        }
        return *this;
    }

    // Opens parent\name for reading; false (and an empty owner) when the key does not open.
    bool openForReading(HKEY parent, const char *name) {
        reset();
        HKEY opened = nullptr;
        if (RegOpenKeyExA(parent, name, 0, KEY_READ, &opened) != ERROR_SUCCESS)
            return false;
        key_ = opened;
        return true;
    }
    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    void reset() {
        if (key_)
            RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};
