#!/usr/bin/env bash
# Builds the release packages from the program folder:
#   wordlark.zip        the program folder as the user unpacks it (a "Wordlark" folder)
#   WordlarkUpdate.cab  what the update server serves: "wordlark.ex_" and "larkhook.dl_"
# usage: tools/package.sh DIST_FOLDER OUTPUT_FOLDER
# File times are set to SOURCE_DATE_EPOCH (default: the last commit's time) so that the same
# sources give byte-identical packages.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 DIST_FOLDER OUTPUT_FOLDER" >&2
    exit 2
fi
dist="$(cd "$1" && pwd)"
mkdir -p "$2"
out="$(cd "$2" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

for f in wordlark.exe larkhook.dll; do
    if [ ! -f "$dist/$f" ]; then
        echo "package: $dist/$f is missing; build first" >&2
        exit 1
    fi
done

epoch="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 946684800)}"
stage="$(mktemp -d "${TMPDIR:-/tmp}/wordlark-package.XXXXXX")"
trap 'rm -rf "$stage"' EXIT

# The release folder: everything the program needs, nothing a test or a run left behind
# (the test probe, settings, use counts, learned vocabularies, set-aside files).
mkdir "$stage/Wordlark"
(cd "$dist" && find . -maxdepth 1 -type f \
    ! -name 'wlprobe.exe' ! -name '*.cfg' ! -name '*.cmd' ! -name '*.vob' ! -name '~*.tmp' \
    ! -name '*.ex_' ! -name '*.dl_' -print0 | xargs -0 -I{} cp {} "$stage/Wordlark/")
find "$stage/Wordlark" -exec touch -h -d "@$epoch" {} +
rm -f "$out/wordlark.zip"
(cd "$stage" && find Wordlark | LC_ALL=C sort | zip -X -q -D "$out/wordlark.zip" -@)

# The update cabinet, MSZIP-compressed, members without folders.
mkdir "$stage/cab"
cp "$dist/wordlark.exe" "$stage/cab/wordlark.ex_"
cp "$dist/larkhook.dll" "$stage/cab/larkhook.dl_"
touch -d "@$epoch" "$stage/cab/wordlark.ex_" "$stage/cab/larkhook.dl_"
rm -f "$out/WordlarkUpdate.cab"
(cd "$stage/cab" && gcab --create --nopath --zip "$out/WordlarkUpdate.cab" wordlark.ex_ larkhook.dl_)

members="$(gcab --list "$out/WordlarkUpdate.cab" | LC_ALL=C sort | tr '\n' ' ')"
if [ "$members" != "larkhook.dl_ wordlark.ex_ " ]; then
    echo "package: the cabinet holds '$members'" >&2
    exit 1
fi
echo "package: $out/wordlark.zip"
echo "package: $out/WordlarkUpdate.cab ($members)"
