#!/usr/bin/env bash
# Builds the release packages of one build from its program folder:
#   wordlark-32bit.zip / wordlark-64bit.zip   the program folder as the user unpacks it (a
#                                              "Wordlark" folder)
#   WordlarkUpdate.cab / WordlarkUpdate64.cab  what the update server serves to that build:
#                                              "wordlark.ex_" and "larkhook.dl_", and for the 64-bit
#                                              build its 32-bit helper, "wordlark32.ex_" and
#                                              "larkhook32.dl_"
#   WordlarkUpdate.cab.sig / ...64.cab.sig     the cabinet's signature, served beside it
#   wordlark-32bit.msi / wordlark-64bit.msi    the per-user installer (tools/installer.wxs, wixl)
# usage: WL_UPDATE_SIGNING_KEY=KEY_FILE tools/package.sh DIST_FOLDER OUTPUT_FOLDER [32|64]   (default 32)
# KEY_FILE is the makers' private key whose public half the build trusts; tests/keys/ holds a
# test key pair for test builds only.
#
# Every program file (in the zip, the cabinet and the installer alike) and the installer itself
# carry an Authenticode signature (osslsigncode): a release's certificate and key from
# WL_CODE_SIGNING_CERTIFICATE and WL_CODE_SIGNING_KEY (PEM; WL_CODE_SIGNING_PASSWORD_FILE for an
# encrypted key; WL_CODE_SIGNING_CA_FILE, the roots its signatures are checked against, by default
# the system's), otherwise the test certificate in tests/keys/, which is for tests only. A package
# signed with the release's update key is a release, and a release is never signed with the test
# certificate: asked for a release certificate that is missing, the step fails and ships nothing.
# WL_TIMESTAMP_URL names an RFC 3161 timestamp server. A release's signatures must carry a
# timestamp, or they die with the certificate: a release without WL_TIMESTAMP_URL, or whose server
# fails, ships nothing, unless WL_TIMESTAMP_URL=none asks for signatures without one (test
# releases). Test packages are timestamped when a server is named; one that fails leaves them
# without a timestamp, and the step says so.
#
# The version of the packages is the one the program files carry (from VERSION, through the
# build); every program file must carry the same.
# File times and the signing time are set to SOURCE_DATE_EPOCH (default: the last commit's time)
# so that the same sources give byte-identical zips and cabinets.
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    echo "usage: $0 DIST_FOLDER OUTPUT_FOLDER [32|64]" >&2
    exit 2
fi
dist="$(cd "$1" && pwd)"
mkdir -p "$2"
out="$(cd "$2" && pwd)"
bits="${3:-32}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
case "$bits" in
    32) zip_name="wordlark-32bit.zip"; cab_name="WordlarkUpdate.cab" ;;
    64) zip_name="wordlark-64bit.zip"; cab_name="WordlarkUpdate64.cab" ;;
    *) echo "package: the build is 32 or 64, not '$bits'" >&2; exit 2 ;;
esac

key="${WL_UPDATE_SIGNING_KEY:-}"
if [ -z "$key" ] || [ ! -f "$key" ]; then
    echo "package: set WL_UPDATE_SIGNING_KEY to the private key file that signs the update cabinet" >&2
    echo "         (test builds: $root/tests/keys/update-test-private.pem)" >&2
    exit 2
fi

# The Authenticode certificate: the release's, or the test one. Decided before anything is made.
test_certificate="$root/tests/keys/codesign-test-certificate.pem"
test_certificate_key="$root/tests/keys/codesign-test-private.pem"
certificate="${WL_CODE_SIGNING_CERTIFICATE:-}"
certificate_key="${WL_CODE_SIGNING_KEY:-}"
release=no
if [ -n "$certificate$certificate_key" ] || ! cmp -s "$key" "$root/tests/keys/update-test-private.pem"; then
    release=yes
fi
if [ "$release" = yes ]; then
    if [ -z "$certificate" ] || [ ! -f "$certificate" ] || [ -z "$certificate_key" ] || [ ! -f "$certificate_key" ]; then
        echo "package: a release is signed with the release's code-signing certificate, and it is missing:" >&2
        echo "         WL_CODE_SIGNING_CERTIFICATE='$certificate', WL_CODE_SIGNING_KEY='$certificate_key'" >&2
        echo "         nothing was packaged (a release is never shipped unsigned)" >&2
        exit 1
    fi
    if cmp -s "$certificate" "$test_certificate"; then
        echo "package: $certificate is the repository's test certificate, which no release may carry" >&2
        exit 1
    fi
    if [ -z "${WL_TIMESTAMP_URL:-}" ]; then
        echo "package: a release's signatures carry a timestamp: set WL_TIMESTAMP_URL to an RFC 3161 server" >&2
        echo "         (WL_TIMESTAMP_URL=none signs a test release without one); nothing was packaged" >&2
        exit 1
    fi
    trusted="${WL_CODE_SIGNING_CA_FILE:-/etc/ssl/certs/ca-certificates.crt}"
else
    certificate="$test_certificate"
    certificate_key="$test_certificate_key"
    trusted="$test_certificate"
fi
for tool in osslsigncode wixl gcab; do
    command -v "$tool" >/dev/null || { echo "package: $tool is missing (./dev setup installs it)" >&2; exit 1; }
done

# The program files, each program before its library; the 64-bit package has its helper too.
files=(wordlark.exe larkhook.dll)
[ "$bits" = 64 ] && files+=(wordlark32.exe larkhook32.dll)
for f in "${files[@]}"; do
    if [ ! -f "$dist/$f" ]; then
        echo "package: $dist/$f is missing; build first (both builds, for the 64-bit package)" >&2
        exit 1
    fi
done
# The installer's own actions (closing a running Wordlark before an upgrade), built beside the
# program folder (WL_SETUP_ACTIONS names another copy) and carried inside the installer only.
setup_actions="${WL_SETUP_ACTIONS:-$dist/../installer/wordlark_setup.dll}"
if [ ! -f "$setup_actions" ]; then
    echo "package: $setup_actions is missing; build first" >&2
    exit 1
fi
members=()
for f in "${files[@]}"; do members+=("${f%?}_"); done

# One release: every program file carries the same version.
version=""
for f in "${files[@]}"; do
    if ! file_version="$(python3 "$root/tools/pe_version.py" "$dist/$f")"; then
        echo "package: $dist/$f carries no version resource" >&2
        exit 1
    fi
    if [ -n "$version" ] && [ "$file_version" != "$version" ]; then
        echo "package: $f is version $file_version, the other files $version: not one release" >&2
        exit 1
    fi
    version="$file_version"
done

epoch="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 946684800)}"
stage="$(mktemp -d "${TMPDIR:-/tmp}/wordlark-package.XXXXXX")"
trap 'rm -rf "$stage"' EXIT

# Signs one file in place and checks the signature against the certificate's roots.
sign_file() { # file
    local signed="$1.signed" options=(-certs "$certificate" -key "$certificate_key" -h sha256 -n Wordlark
        -i https://www.wordlark.org/ -time "$epoch")
    [ -n "${WL_CODE_SIGNING_PASSWORD_FILE:-}" ] && options+=(-readpass "$WL_CODE_SIGNING_PASSWORD_FILE")
    rm -f "$signed"
    if [ -n "${WL_TIMESTAMP_URL:-}" ] && [ "$WL_TIMESTAMP_URL" != none ]; then
        if ! osslsigncode sign "${options[@]}" -ts "$WL_TIMESTAMP_URL" -in "$1" -out "$signed" >/dev/null 2>&1; then
            rm -f "$signed"
            if [ "$release" = yes ]; then
                echo "package: the timestamp server $WL_TIMESTAMP_URL failed for $(basename "$1"); a release is" >&2
                echo "         never shipped without a timestamp, so nothing was packaged" >&2
                exit 1
            fi
            echo "package: the timestamp server $WL_TIMESTAMP_URL failed; $(basename "$1") is signed without a timestamp" >&2
        fi
    fi
    if [ ! -f "$signed" ] && ! osslsigncode sign "${options[@]}" -in "$1" -out "$signed" >/dev/null; then
        echo "package: $(basename "$1") could not be signed" >&2
        exit 1
    fi
    if ! osslsigncode verify -CAfile "$trusted" -in "$signed" >/dev/null 2>&1; then
        echo "package: the signature of $(basename "$1") does not verify against $trusted" >&2
        exit 1
    fi
    mv "$signed" "$1"
}

# The release folder: the signed program files from the build, the shipped vocabulary and its
# notice from the sources (a run of the program in the build folder may have changed the counts
# there), the licence of the JSON library built into the program, and nothing a test or a run
# left behind.
mkdir "$stage/Wordlark"
for f in "${files[@]}"; do
    cp "$dist/$f" "$stage/Wordlark/"
    sign_file "$stage/Wordlark/$f"
done
cp "$root/vocabulary/data/english.voc" "$root/vocabulary/data/english.pairs" "$root/vocabulary/data/english-voc-license.txt" \
    "$stage/Wordlark/"
cp "$root/third_party/nlohmann-json/LICENSE.MIT" "$stage/Wordlark/json-license.txt"
find "$stage/Wordlark" -exec touch -h -d "@$epoch" {} +
rm -f "$out/$zip_name"
(cd "$stage" && find Wordlark | LC_ALL=C sort | zip -X -q -D "$out/$zip_name" -@)

# The update cabinet, MSZIP-compressed, members without folders.
mkdir "$stage/cab"
for i in "${!files[@]}"; do
    cp "$stage/Wordlark/${files[$i]}" "$stage/cab/${members[$i]}"
    touch -d "@$epoch" "$stage/cab/${members[$i]}"
done
rm -f "$out/$cab_name"
(cd "$stage/cab" && gcab --create --nopath --zip "$out/$cab_name" "${members[@]}")

held="$(gcab --list "$out/$cab_name" | LC_ALL=C sort | tr '\n' ' ')"
wanted="$(printf '%s\n' "${members[@]}" | LC_ALL=C sort | tr '\n' ' ')"
if [ "$held" != "$wanted" ]; then
    echo "package: the cabinet holds '$held', not '$wanted'" >&2
    exit 1
fi
rm -f "$out/$cab_name.sig"
python3 "$root/tools/sign_update.py" "$out/$cab_name" "$key"

# The per-user installer, from the same signed files. Its product code is one per release and
# package, so the same sources make the same code; both packages share one upgrade code.
msi_name="wordlark-${bits}bit.msi"
product_code="$(python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID("7d1f4c8e-2b6a-4e0f-9a51-3c8d0e6b2f17"), "wordlark-%s-%s" % (sys.argv[1], sys.argv[2]))).upper())' "$bits" "$version")"
cp "$root/resources/images/program.ico" "$stage/wordlark.ico"
cp "$setup_actions" "$stage/wordlark_setup.dll"
sign_file "$stage/wordlark_setup.dll"
arch=x86
[ "$bits" = 64 ] && arch=x64
rm -f "$out/$msi_name"
(cd "$stage" && wixl -a "$arch" -D Version="$version" -D Bits="$bits" -D ProductCode="$product_code" \
    -D Source=Wordlark -D Icon=wordlark.ico -D SetupActions=wordlark_setup.dll -o "$stage/$msi_name" \
    "$root/tools/installer.wxs")
sign_file "$stage/$msi_name"
mv "$stage/$msi_name" "$out/$msi_name"

if [ "$release" = yes ]; then
    echo "package: signed with $certificate"
    if [ "$WL_TIMESTAMP_URL" = none ]; then
        echo "package: WITHOUT a timestamp, as asked: these signatures end with the certificate"
    fi
else
    echo "package: signed with the test certificate (tests/keys/, for tests only: never a release)"
fi
echo "package: $out/$zip_name (version $version)"
echo "package: $out/$cab_name ($held), signed in $cab_name.sig"
echo "package: $out/$msi_name"
