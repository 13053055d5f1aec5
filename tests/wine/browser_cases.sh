#!/usr/bin/env bash
# The folder browser of the real stub, driven from its main window: opening, OK, Cancel,
# single clicks, double-clicks, a drive that cannot be entered, and the drawing of an
# item checked on a screenshot. Each case works in its own folder of drive M: (see
# wine_env.sh). One case per run: browser_cases.sh CASE.
source "$(dirname "$0")/lib.sh"

: "${QM_DRIVE_M:?the fixture defines drive M:}"
case_name=$1
new_case "browser_$case_name"
rm -rf "${QM_DRIVE_M:?}/$case_name"
mkdir -p "$QM_DRIVE_M/$case_name/Data/Sub/Docs" "$QM_DRIVE_M/$case_name/Data/Sub/Work"
program p.exe
at="M:\\$case_name"

# The folder list's items as the driver takes them: item_list TEXT...
item_list() {
    local t out=
    for t in "$@"; do out+=" $(cp932 "$t")"; done
    printf '%s' "${out# }"
}
chain=("*M:\\" "* $case_name" "*  Data")
sub_items=$(item_list "${chain[@]}" "*   Sub" "     Docs" "     Work")
# Starts the stub in FOLDER with the browser open; the main window is disabled meanwhile.
open_in() {
    cat <<EOF
start $(winpath "$work/p.exe") $1
visible core_gui 1
click core_gui 8
visible refer_window 1
enabled core_gui 0 0
EOF
}
finish() {
    cat <<EOF
visible refer_window 0
enabled core_gui 0 1
close core_gui
exit 0
EOF
}

case $case_name in
ok_at_once)
    # OK right after opening writes browse_folder unchanged, with its backslash.
    drive <<EOF
$(open_in "$at\\Data\\Sub")
text core_gui 7 $(cp932 "$at\\Data\\Sub")
items refer_window 6 $sub_items
selected refer_window 6 3
text_starts refer_window 4 $(cp932 "M: [")
click refer_window 1
focus core_gui 7
text core_gui 7 $(cp932 "$at\\Data\\Sub\\")
$(finish)
EOF
    ;;
single_click)
    # A single click on a sub-folder, then OK: its path, which is also where the browser
    # opens next; then an item of the open chain gives that ancestor.
    drive <<EOF
$(open_in "$at\\Data\\Sub")
select refer_window 6 5
click refer_window 1
text core_gui 7 $(cp932 "$at\\Data\\Sub\\Work\\")
visible refer_window 0
click core_gui 8
items refer_window 6 $(item_list "${chain[@]}" "*   Sub" "*    Work")
selected refer_window 6 4
select refer_window 6 1
click refer_window 1
text core_gui 7 $(cp932 "$at\\")
$(finish)
EOF
    ;;
double_clicks)
    # Down into a sub-folder, up to an ancestor; folder_field is written only by OK.
    drive <<EOF
$(open_in "$at\\Data\\Sub")
select refer_window 6 4
click refer_window 6 2
items refer_window 6 $(item_list "${chain[@]}" "*   Sub" "*    Docs")
selected refer_window 6 4
select refer_window 6 2
click refer_window 6 2
items refer_window 6 $(item_list "${chain[@]}" "    Sub")
selected refer_window 6 2
text core_gui 7 $(cp932 "$at\\Data\\Sub")
click refer_window 1
text core_gui 7 $(cp932 "$at\\Data\\")
$(finish)
EOF
    ;;
cancel)
    # Cancel after navigating leaves folder_field alone; the browser reopens where it was.
    drive <<EOF
$(open_in "$at\\Data\\Sub")
select refer_window 6 4
click refer_window 6 2
items refer_window 6 $(item_list "${chain[@]}" "*   Sub" "*    Docs")
click refer_window 2
visible refer_window 0
enabled core_gui 0 1
text core_gui 7 $(cp932 "$at\\Data\\Sub")
click core_gui 8
visible refer_window 1
items refer_window 6 $(item_list "${chain[@]}" "*   Sub" "*    Docs")
selected refer_window 6 4
click refer_window 2
text core_gui 7 $(cp932 "$at\\Data\\Sub")
$(finish)
EOF
    ;;
missing_drive)
    # Q: names a missing folder: one message owned by the browser, the drive list back on
    # M:, the folder list unchanged. M: chosen again is entered at once, at its root.
    drive <<EOF
$(open_in "$at\\Data\\Sub")
select_prefix refer_window 4 $(cp932 "Q:")
click refer_window 4 1
box refer_window ok $(cp932 "ドライブにアクセスできません。")
answer ok
items refer_window 6 $sub_items
nobox
text_starts refer_window 4 $(cp932 "M: [")
select_prefix refer_window 4 $(cp932 "M:")
click refer_window 4 1
selected refer_window 6 0
nobox
click refer_window 1
text core_gui 7 $(cp932 "M:\\")
$(finish)
EOF
    ;;
drawing)
    # The sub-folder Sub of M:\drawing\Data\ is at depth 3: its closed-folder picture is
    # 24 pixels from the item's left edge, vertically centred, drawn exactly as the
    # bitmap on the white fill; its name begins 42 pixels from the left edge.
    rmdir "$QM_DRIVE_M/$case_name/Data/Sub/Docs" "$QM_DRIVE_M/$case_name/Data/Sub/Work"
    drive <<EOF >"$work/drawing.log"
$(open_in "$at\\Data")
items refer_window 6 $(item_list "${chain[@]}" "    Sub")
selected refer_window 6 2
item_rect refer_window 6 3
shot refer_window $(winpath "$work/screen.bmp")
click refer_window 2
$(finish)
EOF
    tr -d '\r' <"$work/drawing.log" >"$work/drawing.txt"
    cat "$work/drawing.txt"
    read -r _ x y _ height < <(grep '^item_rect' "$work/drawing.txt")
    read -r _ wx wy ww wh < <(grep '^shot' "$work/drawing.txt")
    pixels() { convert "$1" -crop "$2" +repage -depth 8 txt:- | awk 'NR > 1 { print $3 }'; }
    top=$((y + (height - 16) / 2))
    [[ $(pixels "$work/screen.bmp" "16x16+$((x + 24))+$top") == \
       $(pixels "$(dirname "$0")/../../resources/closed_folder.bmp" 16x16+0+0) ]] ||
        fail "the picture is not at 24 pixels"
    # Nothing but the fill just left of the name; the name's first ink right at 42.
    [[ $(pixels "$work/screen.bmp" "2x${height}+$((x + 40))+$y" | sort -u) == "#FFFFFF" ]] ||
        fail "something is drawn at 40 or 41 pixels"
    pixels "$work/screen.bmp" "2x${height}+$((x + 42))+$y" | grep -qv '#FFFFFF' ||
        fail "the name does not begin at 42 pixels"
    convert "$work/screen.bmp" -crop "${ww}x${wh}+${wx}+${wy}" +repage "$work/browser.png"
    echo "screenshot of the browser: $work/browser.png"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
