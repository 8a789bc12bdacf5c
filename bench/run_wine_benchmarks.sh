#!/usr/bin/env bash
# Runs the benchmarks that need Windows under Wine: every bench-bin/*.exe of the Win32 tree,
# given the program folder as its argument. Called by `./dev bench` with a display and prefix.
set -euo pipefail
BUILD="$1"
DIST="$BUILD/win32/dist"
WORK="$(mktemp -d "$WINEPREFIX/drive_c/wordlark-bench.XXXXXX")"
cp -r "$DIST/." "$WORK/"
for exe in "$BUILD"/win32/bench-bin/*.exe; do
    [ -e "$exe" ] || continue
    echo "== $(basename "$exe")"
    wine "$exe" "$(winepath -w "$WORK/wordlark.exe")"
done
