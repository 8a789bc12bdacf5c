#!/usr/bin/env bash
# Runs the benchmarks that need Windows under Wine: every bench-bin/*.exe of one Windows build,
# given that build's program folder as its argument. Called by `./dev bench` with a display and
# a prefix of the build's bitness, and WL_WINE naming that build's Wine loader.
# usage: bench/run_wine_benchmarks.sh BUILD_FOLDER win32|win64 [DISPLAY_NAME]
set -euo pipefail
BUILD="$1"
WINDOWS_BUILD="${2:-win32}"
DISPLAY_NAME="${3:-}"
WINE="${WL_WINE:-wine}"
DIST="$BUILD/$WINDOWS_BUILD/dist"
WORK="$(mktemp -d "$WINEPREFIX/drive_c/wordlark-bench.XXXXXX")"
cp -r "$DIST/." "$WORK/"
for exe in "$BUILD/$WINDOWS_BUILD"/bench-bin/*.exe; do
    [ -e "$exe" ] || continue
    echo "== $(basename "$exe") ($WINDOWS_BUILD${DISPLAY_NAME:+, $DISPLAY_NAME})"
    "$WINE" "$exe" "$("$WINE" winepath -w "$WORK/wordlark.exe" 2>/dev/null)"
done
