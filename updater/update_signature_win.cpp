#include "updater/update_signature_win.h"

#include "win32/bcrypt_handles_win.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const ULONG kDigestSize = 32;
const ULONG kCoordinateSize = 32;

bool sha256(const std::string &bytes, unsigned char (&digest)[kDigestSize]) {
    BcryptAlgorithm algorithm;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(algorithm.out(), BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        return false;
    BcryptHash hash;
    if (!BCRYPT_SUCCESS(BCryptCreateHash(algorithm.get(), hash.out(), nullptr, 0, nullptr, 0, 0)))
        return false;
    // BCryptHashData takes a ULONG length and a non-const pointer that it only reads.
    const size_t kPiece = 1 << 20;
    for (size_t at = 0; at < bytes.size(); at += kPiece) {
        const ULONG length = static_cast<ULONG>(std::min(kPiece, bytes.size() - at));
        auto *data = reinterpret_cast<PUCHAR>(const_cast<char *>(bytes.data() + at));
        if (!BCRYPT_SUCCESS(BCryptHashData(hash.get(), data, length, 0)))
            return false;
    }
    return BCRYPT_SUCCESS(BCryptFinishHash(hash.get(), digest, kDigestSize, 0));
}

} // namespace

bool updateSignatureIsValid(const std::string &signedBytes, const std::string &signature,
                            const unsigned char (&publicKey)[64]) {
    if (signature.size() != kUpdateSignatureSize)
        return false;
    unsigned char digest[kDigestSize];
    if (!sha256(signedBytes, digest))
        return false;

    // The public key blob CNG imports: its header, then X and Y.
    std::vector<unsigned char> blob(sizeof(BCRYPT_ECCKEY_BLOB) + sizeof(publicKey));
    BCRYPT_ECCKEY_BLOB header = {BCRYPT_ECDSA_PUBLIC_P256_MAGIC, kCoordinateSize};
    std::memcpy(blob.data(), &header, sizeof(header));
    std::memcpy(blob.data() + sizeof(header), publicKey, sizeof(publicKey));

    BcryptAlgorithm algorithm;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(algorithm.out(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0)))
        return false;
    BcryptKey key;
    if (!BCRYPT_SUCCESS(BCryptImportKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, key.out(), blob.data(),
                                            static_cast<ULONG>(blob.size()), 0)))
        return false;
    std::string copy = signature; // BCryptVerifySignature takes a non-const pointer
    return BCRYPT_SUCCESS(BCryptVerifySignature(key.get(), nullptr, digest, kDigestSize,
                                                reinterpret_cast<PUCHAR>(&copy[0]), kUpdateSignatureSize, 0));
}
