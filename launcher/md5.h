#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// MD5 message digest (RFC 1321). Used for the keys of the launcher's use counts, which must be the
// same digest on every build, so it is written out here rather than taken from the system.
class Md5 {
public:
    Md5();
    void update(const void *data, size_t size);
    // Ends the message and writes the 16-byte digest. The object must not be updated afterwards.
    void finish(uint8_t digest[16]);

private:
    void transform(const uint8_t block[64]);

    uint32_t state_[4];
    uint64_t length_; // bytes hashed so far
    uint8_t buffer_[64];
    size_t buffered_;
};

// The digest of bytes as 32 lower-case hexadecimal digits.
std::string md5Hex(const std::string &bytes);
