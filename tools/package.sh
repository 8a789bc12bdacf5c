#!/usr/bin/env bash
# Builds the release packages of one build from its program folder:
#   wordlark-32bit.zip / wordlark-64bit.zip   the program folder as the user unpacks it (a
#                                              "Wordlark" folder)
#   WordlarkUpdate.cab / WordlarkUpdate64.cab  what the update server serves to that build:
#                                              "wordlark.ex_" and "larkhook.dl_", and for the 64-bit
#                                              build its 32-bit helper, "wordlark32.ex_" and
#                                              "larkhook32.dl_"
#   WordlarkUpdate.cab.sig / ...64.cab.sig     the cabinet's signature, served beside it
# usage: WL_UPDATE_SIGNING_KEY=KEY_FILE tools/package.sh DIST_FOLDER OUTPUT_FOLDER [32|64]   (default 32)
# KEY_FILE is the makers' private key whose public half the build trusts; tests/keys/ holds a
# test key pair for test builds only.
# File times are set to SOURCE_DATE_EPOCH (default: the last commit's time) so that the same
# sources give byte-identical packages.
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

# The program files, each program before its library; the 64-bit package has its helper too.
files=(wordlark.exe larkhook.dll)
[ "$bits" = 64 ] && files+=(wordlark32.exe larkhook32.dll)
for f in "${files[@]}"; do
    if [ ! -f "$dist/$f" ]; then
        echo "package: $dist/$f is missing; build first (both builds, for the 64-bit package)" >&2
        exit 1
    fi
done
members=()
for f in "${files[@]}"; do members+=("${f%?}_"); done

epoch="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 946684800)}"
stage="$(mktemp -d "${TMPDIR:-/tmp}/wordlark-package.XXXXXX")"
trap 'rm -rf "$stage"' EXIT

# The release folder: the program files from the build, the shipped vocabulary and its notice
# from the sources (a run of the program in the build folder may have changed the counts there),
# the licence of the JSON library built into the program, and nothing a test or a run left behind.
mkdir "$stage/Wordlark"
for f in "${files[@]}"; do cp "$dist/$f" "$stage/Wordlark/"; done
cp "$root/vocabulary/data/english.voc" "$root/vocabulary/data/english.pairs" "$root/vocabulary/data/english-voc-license.txt" \
    "$stage/Wordlark/"
cp "$root/third_party/nlohmann-json/LICENSE.MIT" "$stage/Wordlark/json-license.txt"
find "$stage/Wordlark" -exec touch -h -d "@$epoch" {} +
rm -f "$out/$zip_name"
(cd "$stage" && find Wordlark | LC_ALL=C sort | zip -X -q -D "$out/$zip_name" -@)

# The update cabinet, MSZIP-compressed, members without folders.
mkdir "$stage/cab"
for i in "${!files[@]}"; do
    cp "$dist/${files[$i]}" "$stage/cab/${members[$i]}"
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
echo "package: $out/$zip_name"
echo "package: $out/$cab_name ($held), signed in $cab_name.sig"
