#!/usr/bin/env bash
# Runs one Win32 test program of bin/wine/ under Wine with a fresh work folder as its
# argument: run_program.sh NAME.
source "$(dirname "$0")/lib.sh"
new_case "$1"
"$QM_WINE" "$bin/wine/$1.exe" "$(winpath "$work")" >"$work/output.log" 2>&1 </dev/null || status=$?
cat "$work/output.log"
exit "${status:-0}"
