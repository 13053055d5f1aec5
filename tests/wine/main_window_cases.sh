#!/usr/bin/env bash
# The main window of the real stub before any extraction: its layout, the password test
# and the destination checks with their questions. One case per run: main_window_cases.sh CASE.
source "$(dirname "$0")/lib.sh"

wrong_password=$(cp932 "パスワードが違います。")
create_question=$(cp932 "指定されたフォルダはありません。このフォルダを作りますか？")
cannot_create=$(cp932 "フォルダが作れません")

new_case "main_$1"
start="start $(winpath "$work/p.exe") $(winpath "$work")"
case $1 in
layout)
    # Every control where the system font's units put it, the two secondary windows
    # centred on the screen; the folder field starts in the current directory. Styles:
    # no sizing border or maximise box, no system menu on the secondary windows, the
    # password shown as typed. (Edit controls trade WS_BORDER for an extended style.)
    program p.exe "$(header_hex "" "" 01 0101)"
    drive <<EOF
$start
visible core_gui 1
layout
text core_gui 7 $(cp932 "$(winpath "$work")")
style core_gui 0 0x00ff0000 0x00ca0000
style progress_window 0 0x00ff0000 0x00c00000
style refer_window 0 0x00ff0000 0x00c00000
style core_gui 1 0x40200804 0x40200804
style core_gui 2 0x000000ff 0x00000080
style core_gui 7 0x000000ff 0x00000080
style core_gui 3 0x0000000f 0
style progress_window 2 0x0000000f 0
visible progress_window 0
visible refer_window 0
close core_gui
exit 0
EOF
    ;;
wrong_password)
    # The check word of the empty password is 0, stored XOR the flag byte twice. A wrong
    # password neither looks at nor makes the destination; the right one goes on to it.
    program p.exe "$(header_hex "" "" 5a 5a5a)"
    destination=$work/出力先/下
    drive <<EOF
$start
visible core_gui 1
settext core_gui 7 $(cp932 "$(winpath "$destination")")
settext core_gui 2 $(cp932 "abc")
click core_gui 3
box core_gui ok $wrong_password
answer ok
focus core_gui 2
enabled core_gui 0 1
settext core_gui 2 -
click core_gui 3
box core_gui yes+no $create_question
answer no
close core_gui
exit 0
EOF
    [[ ! -e $work/出力先 ]] || fail "the destination was made"
    ;;
destination_declined)
    # No to the question leaves everything as it was: nothing made, no further box.
    program p.exe "$(header_hex "" "" 00)"
    destination="$(winpath "$work/新しい/フォルダ")\\"
    drive <<EOF
$start
visible core_gui 1
settext core_gui 7 $(cp932 "$destination")
click core_gui 3
box core_gui yes+no $create_question
answer no
enabled core_gui 0 1
enabled core_gui 3 1
visible progress_window 0
nobox
close core_gui
exit 0
EOF
    [[ ! -e $work/新しい ]] || fail "the destination was made"
    ;;
destination_not_a_folder)
    # A file where the folder should be: refused at once, and refused again when a folder
    # below it is to be made.
    program p.exe "$(header_hex "" "" 00)"
    echo data >"$work/file.txt"
    drive <<EOF
$start
visible core_gui 1
settext core_gui 7 $(cp932 "$(winpath "$work/file.txt")")
click core_gui 3
box core_gui ok $cannot_create
answer ok
settext core_gui 7 $(cp932 "$(winpath "$work/file.txt/sub")")
click core_gui 3
box core_gui yes+no $create_question
answer yes
box core_gui ok $cannot_create
answer ok
enabled core_gui 0 1
close core_gui
exit 0
EOF
    [[ $(cat "$work/file.txt") == data ]] || fail "the file was touched"
    ;;
other_notifications)
    # Only BN_CLICKED starts anything: a double-click notification from Extract, held in
    # the queue ahead of the close, neither asks about the missing destination nor makes it.
    program p.exe "$(header_hex "" "" 00)"
    drive <<EOF
$start
visible core_gui 1
settext core_gui 7 $(cp932 "$(winpath "$work/missing")")
suspend
click core_gui 3 5
click core_gui 8 5
close core_gui
resume
exit 0
EOF
    [[ ! -e $work/missing ]] || fail "the destination was made"
    ! grep -q '^box' "$work/driver.log" || fail "a message box came up"
    ;;
*)
    fail "unknown case $1"
    ;;
esac
