#!/usr/bin/env python3
"""Signs an update cabinet for the updater: ECDSA P-256 over the SHA-256 digest of the whole file,
written beside it (CABINET.sig) as 64 bytes, r then s, big-endian, the form Windows' CNG verifies.

usage: tools/sign_update.py CABINET PRIVATE_KEY_FILE

The key is a P-256 private key in a form openssl reads (openssl ecparam -name prime256v1 -genkey).
openssl makes the signature; it writes DER, which is turned into r and s here. The signature is
checked against the key's public half before it is written."""

import os
import subprocess
import sys
import tempfile

COORDINATE = 32


def der_length(data, at):
    first = data[at]
    if first < 0x80:
        return first, at + 1
    count = first & 0x7F
    return int.from_bytes(data[at + 1:at + 1 + count], "big"), at + 1 + count


def der_integer(data, at):
    if data[at] != 0x02:
        raise ValueError("not an INTEGER")
    length, at = der_length(data, at + 1)
    return int.from_bytes(data[at:at + length], "big"), at + length


def raw_signature(der):
    """ECDSA-Sig-Value (SEQUENCE of r and s) to r || s."""
    if der[0] != 0x30:
        raise ValueError("not a SEQUENCE")
    _, at = der_length(der, 1)
    r, at = der_integer(der, at)
    s, _ = der_integer(der, at)
    return r.to_bytes(COORDINATE, "big") + s.to_bytes(COORDINATE, "big")


def openssl(*args):
    subprocess.run(["openssl"] + list(args), check=True, stdout=subprocess.DEVNULL)


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    cabinet, key = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory(prefix="wl-sign-") as work:
        der = os.path.join(work, "signature.der")
        public = os.path.join(work, "public.pem")
        openssl("pkey", "-in", key, "-pubout", "-out", public)
        openssl("dgst", "-sha256", "-sign", key, "-out", der, cabinet)
        openssl("dgst", "-sha256", "-verify", public, "-signature", der, cabinet)
        with open(der, "rb") as f:
            signature = raw_signature(f.read())
    with open(cabinet + ".sig", "wb") as f:
        f.write(signature)
    return 0


if __name__ == "__main__":
    sys.exit(main())
