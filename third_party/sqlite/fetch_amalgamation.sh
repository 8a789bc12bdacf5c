#!/usr/bin/env bash
# Puts SQLite's amalgamation (sqlite3.c, sqlite3.h) into third_party/sqlite/amalgamation/, which git
# ignores. It comes from the npm registry, inside the pinned better-sqlite3 package named below,
# and is taken only when both files match the SHA-256 digests in sqlite3.sha256; a folder that
# already holds matching files is left as it is.
set -euo pipefail

PACKAGE="better-sqlite3@12.11.1" # ships SQLite 3.53.2 in deps/sqlite3/
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
TARGET="$HERE/amalgamation"

matches() { (cd "$1" && sha256sum --quiet -c "$HERE/sqlite3.sha256" >/dev/null 2>&1); }

if [ -d "$TARGET" ] && matches "$TARGET"; then
    exit 0
fi
if ! command -v npm >/dev/null 2>&1; then
    echo "SQLite: npm is needed to fetch $PACKAGE (apt-get install npm)" >&2
    exit 1
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
echo "SQLite: fetching $PACKAGE from the npm registry" >&2
tarball="$(cd "$work" && npm pack --silent "$PACKAGE" | tail -1)"
tar -xzf "$work/$tarball" -C "$work" package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
if ! matches "$work/package/deps/sqlite3"; then
    echo "SQLite: the files of $PACKAGE do not match third_party/sqlite/sqlite3.sha256; nothing was changed" >&2
    exit 1
fi
rm -rf "$TARGET.new"
mkdir -p "$TARGET.new"
mv "$work/package/deps/sqlite3/sqlite3.c" "$work/package/deps/sqlite3/sqlite3.h" "$TARGET.new/"
rm -rf "$TARGET"
mv "$TARGET.new" "$TARGET"
echo "SQLite: amalgamation in $TARGET" >&2
