#!/usr/bin/env bash
# Whole runs of the real stub with archives made by `quillmere pack`: what is extracted,
# the questions and outcome messages, run_after, damage and cancelling, and the exit
# code. One case per run: extract_cases.sh CASE.
source "$(dirname "$0")/lib.sh"

finished=$(cp932 "ファイルの解凍が終わりました。")
interrupted=$(cp932 "ファイルの解凍を中断しました。")
create_question=$(cp932 "指定されたフォルダはありません。このフォルダを作りますか？")
wrong_password=$(cp932 "パスワードが違います。")
damaged=$(cp932 "ファイルが壊れています。")

new_case "extract_$1"
src=$work/src
dest=$work/dest
mkdir -p "$src" "$dest"
start="start $(winpath "$work/p.exe") $(winpath "$work")"
set_destination="settext core_gui 7 $(cp932 "$(winpath "$dest")")"

pack() { "$bin/quillmere" pack "$src" -o "$work/p.exe" --stub "$stub" "$@" >/dev/null; }
overwrite_question() { cp932 "$(winpath "$1")はすでに存在します。上書きしますか？"; }
same_tree() { diff -r "$1" "$2" >/dev/null || fail "$2 differs from $1: $(diff -rq "$1" "$2" | head -3)"; }
random_file() { head -c "$2" /dev/urandom >"$1"; }

# A small tree with a Japanese name whose second byte is 0x5C (表), an empty folder and
# a file that takes several blocks.
small_tree() {
    mkdir -p "$src/sub/深い" "$src/空"
    printf 'hello\r\n' >"$src/a.txt"
    printf '表示します' >"$src/sub/表示.txt"
    random_file "$src/sub/深い/data.bin" 30000
    touch -m -d '2001-02-03 04:05:06' "$src/a.txt"
    touch -a -d '2002-03-04 05:06:07' "$src/a.txt"
}

case $1 in
no_password)
    # No password row; everything extracted into the existing folder, times included.
    # (Linux keeps no creation time, so only access and write time can be seen here.)
    small_tree
    pack --message "ようこそ"
    drive <<EOF
$start
visible core_gui 1
shown core_gui 5 0
shown core_gui 2 0
text core_gui 1 $(cp932 "ようこそ")
$set_destination
click core_gui 3
box core_gui ok $finished
visible progress_window 0
enabled core_gui 0 0
answer ok
exit 0
EOF
    same_tree "$src" "$dest"
    [[ $(stat -c '%X %Y' "$dest/a.txt") == "$(stat -c '%X %Y' "$src/a.txt")" ]] ||
        fail "times of a.txt: $(stat -c '%X %Y' "$dest/a.txt"), not $(stat -c '%X %Y' "$src/a.txt")"
    ;;
password)
    # A wrong password leaves the destination alone; the right one extracts.
    small_tree
    pack --password "秘密の言葉"
    drive <<EOF
$start
visible core_gui 1
shown core_gui 2 1
$set_destination
settext core_gui 2 $(cp932 "秘密の言")
click core_gui 3
box core_gui ok $wrong_password
answer ok
focus core_gui 2
settext core_gui 2 $(cp932 "秘密の言葉")
click core_gui 3
box core_gui ok $finished
answer ok
exit 0
EOF
    same_tree "$src" "$dest"
    ;;
missing_destination)
    # Yes makes the whole missing chain, and the run goes on into it.
    small_tree
    pack
    drive <<EOF
$start
visible core_gui 1
settext core_gui 7 $(cp932 "$(winpath "$work/new/deeper")")
click core_gui 3
box core_gui yes+no $create_question
answer yes
box core_gui ok $finished
answer ok
exit 0
EOF
    same_tree "$src" "$work/new/deeper"
    ;;
overwrite)
    # Three existing files: Yes replaces the first, No keeps the second, Cancel ends the
    # run before the third is touched; the fourth is never reached.
    for name in a b c d; do echo "new $name" >"$src/$name.txt"; done
    pack
    for name in a b c; do echo "old $name" >"$dest/$name.txt"; done
    drive <<EOF
$start
visible core_gui 1
$set_destination
click core_gui 3
box core_gui yes+no+cancel $(overwrite_question "$dest/a.txt")
answer yes
box core_gui yes+no+cancel $(overwrite_question "$dest/b.txt")
answer no
box core_gui yes+no+cancel $(overwrite_question "$dest/c.txt")
answer cancel
box core_gui ok $interrupted
answer ok
exit 0
EOF
    [[ $(cat "$dest/a.txt") == "new a" && $(cat "$dest/b.txt") == "old b" && $(cat "$dest/c.txt") == "old c" ]] ||
        fail "files after the answers: $(cat "$dest"/*.txt | tr '\n' ' ')"
    [[ ! -e $dest/d.txt ]] || fail "the run went on after Cancel"
    ;;
cancel)
    # Cancel while the large file is being decoded: it is deleted, the file before it
    # stays, nothing after it is started and neither is run_after. The decoder lets one
    # message through at each rebuild of its tree (before symbols 0, 256, 512, ...), so
    # with the program held still while the messages are posted, the five posted ahead of
    # Cancel are taken at the rebuilds before symbols 0 of the small file and 0, 256, 512
    # and 768 of the large one, and Cancel at the one before symbol 1024.
    printf 'small' >"$src/1_small.txt"
    random_file "$src/2_large.bin" 200000
    printf 'after' >"$src/3_after.txt"
    cp "$bin/wine/leave_marker.exe" "$src/4_marker.exe"
    pack --run-after 4_marker.exe
    drive <<EOF
$start
visible core_gui 1
$set_destination
text core_gui 7 $(cp932 "$(winpath "$dest")")
suspend
click core_gui 3
post core_gui 0 5
click progress_window 2
resume
box core_gui ok $interrupted
text_starts progress_window 1 $(cp932 "解凍中:$(winpath "$dest/2_large.bin")")
answer ok
exit 0
EOF
    [[ $(cat "$dest/1_small.txt") == small ]] || fail "the file before the cancel is not complete"
    [[ ! -e $dest/2_large.bin ]] || fail "the cancelled file was left"
    [[ ! -e $dest/3_after.txt && ! -e $dest/4_marker.exe && ! -e $dest/marker.txt ]] ||
        fail "the run went on after Cancel"
    ;;
run_after)
    # A finished run opens run_after with the destination as its current folder.
    small_tree
    cp "$bin/wine/leave_marker.exe" "$src/"
    pack --run-after leave_marker.exe
    drive <<EOF
$start
visible core_gui 1
$set_destination
click core_gui 3
box core_gui ok $finished
answer ok
exit 0
EOF
    for _ in $(seq 300); do [[ -s $dest/marker.txt ]] && break; sleep 0.1; done
    [[ $(cat "$dest/marker.txt" 2>/dev/null) == "$(winpath "$dest")" ]] ||
        fail "run_after did not run in the destination: $(cat "$dest/marker.txt" 2>/dev/null)"
    ;;
run_after_missing)
    # A run_after that cannot be started: its name and the message, then the end.
    printf 'x' >"$src/a.txt"
    pack --run-after "無い.exe"
    drive <<EOF
$start
visible core_gui 1
$set_destination
click core_gui 3
box core_gui ok $finished
answer ok
box core_gui ok $(cp932 "無い.exeが実行できませんでした。")
answer ok
exit 0
EOF
    ;;
damaged_block)
    # One byte changed in the third block, inside the second file: the damage message,
    # the half-written file deleted, the first file kept, nothing after it, exit code 1.
    printf 'first' >"$src/1_first.txt"
    random_file "$src/2_middle.bin" 20000
    printf 'last' >"$src/3_last.txt"
    pack
    # The blocks start after the 7-byte header (size, two empty strings, flag).
    offset=$((stub_size + 7 + 2 * 4098 + 100))
    byte=$(od -An -tx1 -j "$offset" -N1 "$work/p.exe" | tr -d ' ')
    printf "\\x$(printf '%02x' $((0x$byte ^ 0xff)))" | dd of="$work/p.exe" bs=1 seek="$offset" conv=notrunc status=none
    drive <<EOF
$start
visible core_gui 1
$set_destination
click core_gui 3
box core_gui ok $damaged
answer ok
exit 1
EOF
    [[ $(cat "$dest/1_first.txt") == first ]] || fail "the file before the damage is not complete"
    [[ ! -e $dest/2_middle.bin && ! -e $dest/3_last.txt ]] || fail "files of the damaged part were left"
    ;;
folder_cannot_be_made)
    # A file stands where a folder of the archive goes: the message names that folder,
    # the files before it stay, exit code 0.
    printf 'a' >"$src/a.txt"
    mkdir -p "$src/sub"
    printf 'b' >"$src/sub/b.txt"
    pack
    printf 'in the way' >"$dest/sub"
    drive <<EOF
$start
visible core_gui 1
$set_destination
click core_gui 3
box core_gui ok $(cp932 "フォルダが作れませんでした:$(winpath "$dest/sub")")
answer ok
exit 0
EOF
    [[ $(cat "$dest/a.txt") == a && $(cat "$dest/sub") == "in the way" ]] || fail "files before the stop changed"
    ;;
*)
    fail "unknown case $1"
    ;;
esac
