#pragma once

#include <cstddef>
#include <string>

// An update cabinet is signed by its makers: ECDSA on the P-256 curve over the SHA-256 digest of
// the whole cabinet. The signature lies beside the cabinet on the server (the cabinet's address
// with ".sig" appended) as 64 bytes, r then s, each big-endian (tools/sign_update.py makes it).
const size_t kUpdateSignatureSize = 64;

// True when `signature` is a signature of `signedBytes` by the private half of `publicKey` (the
// key's X then Y, big-endian). Anything else is false: another key, changed bytes, a signature of
// another size or form, or a system without ECDSA in its CNG library (bcrypt.dll).
bool updateSignatureIsValid(const std::string &signedBytes, const std::string &signature,
                            const unsigned char (&publicKey)[64]);
