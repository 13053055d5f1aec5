#!/usr/bin/env bash
# Archives packed by the tool at a given level, extracted by the real stub through its
# main window: every file comes back byte for byte. One level per run: level_cases.sh N.
source "$(dirname "$0")/lib.sh"

finished=$(cp932 "ファイルの解凍が終わりました。")
corpus=${QM_CORPUS:-}

new_case "level_$1"
bash "$(dirname "$0")/../level_sources.sh" "$work/src" "$corpus"
"$bin/quillmere" pack "$work/src" -o "$work/p.exe" --stub "$stub" "-$1" >/dev/null \
    || fail "pack at level $1"
mkdir "$work/out"
drive <<DRIVE
start $(winpath "$work/p.exe") $(winpath "$work")
visible core_gui 1
settext core_gui 7 $(cp932 "$(winpath "$work/out")\\")
click core_gui 3
box core_gui ok $finished
answer ok
exit 0
DRIVE
diff -r "$work/src" "$work/out" >/dev/null || fail "extracted files differ at level $1"
