#!/usr/bin/env bash
# Packs a small mixed set at every level and extracts each archive with the tool: every
# file must come back byte for byte. Usage: levels_round_trip.sh QUILLMERE [CORPUS]
set -u
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
bash "$(dirname "$0")/../level_sources.sh" "$work/src" "${2:-}" || fail "making the sources"
head -c 31744 /dev/zero >"$work/stub.exe"
for level in 1 2 3 4 5 6 7 8 9; do
    "$tool" pack "$work/src" -o "$work/$level.exe" --stub "$work/stub.exe" "-$level" || fail "pack -$level"
    mkdir "$work/out$level"
    "$tool" extract "$work/$level.exe" -d "$work/out$level" >/dev/null || fail "extract of -$level"
    diff -r "$work/src" "$work/out$level" >/dev/null || fail "files of -$level differ"
    echo "-$level: $(stat -c %s "$work/$level.exe") bytes"
done
