#!/usr/bin/env bash
# The tool's refusals and exit codes, over small trees made here.
set -u
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
expect() { # CODE TEXT COMMAND...: the exit code, and a text that stderr must hold
    local code=$1 text=$2
    shift 2
    "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ $got -eq "$code" ] || fail "$* exited $got, not $code: $(cat "$work/err")"
    grep -qF -- "$text" "$work/err" || fail "$* said: $(cat "$work/err")"
}
head -c 31744 /dev/zero > "$work/stub.exe"
pack() { "$tool" pack --stub "$work/stub.exe" "$@"; }

mkdir -p "$work/src/空/sub" "$work/src/表" "$work/src/empty"
printf 'x' > "$work/src/表/f.txt"
: > "$work/src/zero"

# Passwords: the right one, a wrong one, none.
pack "$work/src" -o "$work/p.exe" --password "秘密" || fail "pack with a password"
"$tool" test "$work/p.exe" --password "秘密" >/dev/null || fail "test with the password"
expect 1 "パスワードが違います。" "$tool" test "$work/p.exe" --password "wrong"
expect 64 "--password" "$tool" extract "$work/p.exe" -d "$work/x"
expect 64 "empty password" pack "$work/src" -o "$work/e.exe" --password ""
mkdir "$work/p-out"
"$tool" extract "$work/p.exe" --password "秘密" -d "$work/p-out" || fail "extract with the password"
diff -r "$work/src" "$work/p-out" || fail "empty folders or names lost"

# Names that cannot be stored: nothing is written.
mkdir -p "$work/bad1" "$work/bad2" "$work/bad3"
printf 'x' > "$work/bad1/smile😀.txt"
printf 'x' > "$work/bad2/a:b"
printf 'x' > "$work/bad3/trailing."
expect 1 "smile😀.txt: the name has no code page 932 form" pack "$work/bad1" -o "$work/n.exe"
expect 1 "a:b" pack "$work/bad2" -o "$work/n.exe"
expect 1 "trailing." pack "$work/bad3" -o "$work/n.exe"
[ ! -e "$work/n.exe" ] || fail "an output was left after a refused name"
ls "$work" | grep -q 'n.exe.' && fail "a temporary output was left"

# 2 GiB: a sparse file, refused before anything is read.
mkdir "$work/big"
truncate -s 2G "$work/big/huge"
expect 2 "2 GiB" pack "$work/big" -o "$work/h.exe"

# The stub's own refusals exit non-zero here.
pack "$work/src" -o "$work/s.exe"
printf 'x' >> "$work/s.exe"
expect 2 "ファイルのサイズが元々のファイルより大きいです。" "$tool" test "$work/s.exe"
mkdir -p "$work/blocked"
printf 'in the way' > "$work/blocked/表"
expect 2 "フォルダが作れませんでした:./表" "$tool" extract "$work/p.exe" --password "秘密" -d "$work/blocked"
expect 64 "unknown command" "$tool" frobnicate
"$tool" pack --help | grep -q "keeps honest people out" || fail "pack --help says nothing of the password"
# list: kind, size, the three times and the name of every entry.
mkdir -p "$work/timed/表"
printf 'abc' > "$work/timed/表/t.txt"
touch -a -d '2021-03-04 05:06:07 UTC' "$work/timed/表/t.txt"
touch -m -d '2020-01-02 03:04:05 UTC' "$work/timed/表/t.txt"
pack "$work/timed" -o "$work/t.exe" || fail "pack of the timed tree"
"$tool" list "$work/t.exe" >"$work/list" || fail "list exited $?"
grep -qE '^folder +- +表/$' "$work/list" || fail "list shows no folder: $(cat "$work/list")"
grep -qE '^file +3  2020-01-02 03:04:05  2021-03-04 05:06:07  2020-01-02 03:04:05  表/t.txt$' "$work/list" ||
    fail "list shows the wrong times: $(cat "$work/list")"
echo "tool errors: all as expected"
