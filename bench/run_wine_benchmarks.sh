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
WORDLARK="$("$WINE" winepath -w "$WORK/wordlark.exe" 2>/dev/null)"
for exe in "$BUILD/$WINDOWS_BUILD"/bench-bin/*.exe; do
    [ -e "$exe" ] || continue
    echo "== $(basename "$exe") ($WINDOWS_BUILD${DISPLAY_NAME:+, $DISPLAY_NAME})"
    "$WINE" "$exe" "$WORDLARK"
done
# The 64-bit package serves 32-bit programs through its helper: the 32-bit build's keystroke tool
# is such a program, typed in while the 64-bit Wordlark runs.
LATENCY32="$BUILD/win32/bench-bin/bench_keystroke_latency.exe"
if [ "$WINDOWS_BUILD" = win64 ] && [ -e "$LATENCY32" ] && [ -e "$WORK/wordlark32.exe" ] &&
    /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
    echo "== bench_keystroke_latency.exe of the 32-bit build, typed in with the 64-bit Wordlark and its helper${DISPLAY_NAME:+ ($DISPLAY_NAME)}"
    "$WINE" "$LATENCY32" "$WORDLARK"
fi
