#pragma once

#include <windows.h>

#include <bcrypt.h>

// Owners of CNG (bcrypt) handles: each kind is released by its own function when its owner goes.
// A hash or key must go before the algorithm provider it was made from, so declare the provider
// first.
template <typename Release> class BcryptHandle {
public:
    BcryptHandle() = default;
    ~BcryptHandle() { reset(); }
    BcryptHandle(const BcryptHandle &) = delete;
    BcryptHandle &operator=(const BcryptHandle &) = delete;
    BcryptHandle(BcryptHandle &&other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    BcryptHandle &operator=(BcryptHandle &&other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }

    // For the function that opens or creates the handle; an earlier one is released first.
    void **out() {
        reset();
        return &handle_;
    }
    void *get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset() {
        if (handle_)
            Release()(handle_);
        handle_ = nullptr;
    }

private:
    void *handle_ = nullptr;
};

struct BcryptCloseAlgorithm {
    void operator()(BCRYPT_ALG_HANDLE handle) const { BCryptCloseAlgorithmProvider(handle, 0); }
};
struct BcryptDestroyKey {
    void operator()(BCRYPT_KEY_HANDLE handle) const { BCryptDestroyKey(handle); }
};
struct BcryptDestroyHash {
    void operator()(BCRYPT_HASH_HANDLE handle) const { BCryptDestroyHash(handle); }
};

using BcryptAlgorithm = BcryptHandle<BcryptCloseAlgorithm>;
using BcryptKey = BcryptHandle<BcryptDestroyKey>;
using BcryptHash = BcryptHandle<BcryptDestroyHash>;
