#!/usr/bin/env bash
# Start-up of the real stub with hand-made archive headers appended: what the main window
# shows, which message box comes, and the exit code. One case per run: startup_cases.sh CASE.
source "$(dirname "$0")/lib.sh"

read_failure=$(cp932 "ファイルの読み込みに失敗しました。")

# p.exe stops at start-up with the read failure, before its window is ever shown.
expect_read_failure() {
    drive <<EOF
start $(winpath "$work/p.exe") $(winpath "$work")
box core_gui ok $read_failure
visible core_gui 0
answer ok
exit 1
EOF
}

smaller=$(cp932 "ファイルのサイズが元々のファイルより小さいです。解凍できません。")
larger=$(cp932 "ファイルのサイズが元々のファイルより大きいです。このファイルはウイルスに感染している可能性があります。解凍できません。")
title=$(cp932 "Quillmere Ver 1.30 (C) the Quillmere developers")

new_case "startup_$1"
case $1 in
no_archive)
    # The bare stub: nothing read, Extract disabled, the password row left visible.
    program p.exe
    drive <<EOF
start $(winpath "$work/p.exe") $(winpath "$work")
visible core_gui 1
text core_gui 0 $title
enabled core_gui 3 0
enabled core_gui 8 1
text core_gui 1 -
shown core_gui 5 1
shown core_gui 2 1
nobox
close core_gui
exit 0
EOF
    ;;
too_short_for_the_size)
    # 1 to 3 bytes after the stub cannot hold the recorded size.
    for extra in 00 0000 000000; do
        program p.exe "$extra"
        expect_read_failure
    done
    ;;
size_mismatch)
    # A recorded size one above the real one means the file was cut, one below that it grew;
    # either way a box without owner, and the main window never appears.
    for mismatch in "1 $smaller" "-1 $larger"; do
        program p.exe "$(header_hex "ようこそ" "" 00 "" "${mismatch% *}")"
        drive <<EOF
start $(winpath "$work/p.exe") $(winpath "$work")
box none ok ${mismatch#* }
visible core_gui 0
answer ok
exit 0
EOF
    done
    ;;
message_without_password)
    # The message reaches the view byte for byte (表 ends in 0x5C); no password row.
    message=$'表示のテスト\r\n二行目'
    program p.exe "$(header_hex "$message" "" 00)"
    drive <<EOF
start $(winpath "$work/p.exe") $(winpath "$work")
visible core_gui 1
text core_gui 1 $(cp932 "$message")
enabled core_gui 3 1
shown core_gui 5 0
shown core_gui 2 0
nobox
close core_gui
exit 0
EOF
    ;;
password_row)
    # Any flag byte asks for the password; the check word follows it.
    program p.exe "$(header_hex "" "" a5 1234)"
    drive <<EOF
start $(winpath "$work/p.exe") $(winpath "$work")
visible core_gui 1
text core_gui 1 -
shown core_gui 5 1
shown core_gui 2 1
enabled core_gui 3 1
close core_gui
exit 0
EOF
    ;;
unterminated_string)
    # A header string that runs into the end of the file is a read failure, whichever
    # string it is, and so is a flag without its check word.
    size_of() { le32 $((stub_size + 4 + ${#1} / 2)); }
    for body in "$(cp932 "途中で終わる")" "00$(cp932 "run.exe")" "0000" "000001" "00000134"; do
        program p.exe "$(size_of "$body")$body"
        expect_read_failure
    done
    ;;
*)
    fail "unknown case $1"
    ;;
esac
