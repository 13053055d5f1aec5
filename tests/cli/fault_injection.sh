#!/usr/bin/env bash
# The tool's extract with every file operation of a clean run failing in turn: the exit
# code and message of each stop, no half-written file, every file in the destination
# whole, the sources and the archive untouched.
set -u
tool=$1 # quillmere_faults: the tool with the fault switch
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
head -c 31744 /dev/zero > "$work/stub.exe"

mkdir -p "$work/src/a/b/c" "$work/src/表" "$work/src/empty"
head -c 50000 /dev/urandom > "$work/src/a/b/big.bin"
seq 1 2000 > "$work/src/a/b/c/numbers.txt"
printf 'hello\n' > "$work/src/表/ソフト.txt"
: > "$work/src/zero"
printf 'last\n' > "$work/src/z.txt"
"$tool" pack --stub "$work/stub.exe" "$work/src" -o "$work/p.exe" >/dev/null 2>&1 || fail "pack"
sum_before=$(cd "$work" && find src p.exe -type f -exec sha256sum {} + | sort)

run() { # N: extract into a fresh folder with operation N failing (0: none)
    rm -rf "$work/out"
    mkdir "$work/out"
    QM_FAIL_AT=$1 QM_FAULT_REPORT="$work/report" "$tool" extract "$work/p.exe" -d "$work/out" \
        --overwrite yes >/dev/null 2>"$work/err"
}
run 0 || fail "clean run: $(cat "$work/err")"
operations=$(head -1 "$work/report")
[ "$operations" -gt 50 ] || fail "only $operations operations"
diff -r "$work/src" "$work/out" >/dev/null || fail "clean run differs"

for n in $(seq 1 "$operations"); do
    run "$n"
    code=$?
    read -r kind name < <(sed -n 2p "$work/report")
    case $kind in
        make_folder) want=2 text="フォルダが作れませんでした:" ;;
        probe) want="0 2" text="" ;; # finds nothing: harmless, or a folder made again fails
        create|write|set_times) want=1 text="ファイルの書き込みに失敗しました。" ;;
        open|read|seek) want=1 text="ファイルの読み込みに失敗しました。" ;;
        close) want=1 text="" ;; # of the archive a read failure, of an output file a write failure
        # The progress display asks for the archive's position and size too, and does
        # without them when they fail.
        *) want="0 1" text="" ;;
    esac
    [[ " $want " == *" $code "* ]] || fail "operation $n ($kind $name): exit $code: $(cat "$work/err")"
    [ -z "$text" ] || grep -qF "$text" "$work/err" || fail "operation $n ($kind): $(cat "$work/err")"
    # Whatever is in the destination is whole; a completed run has everything.
    (cd "$work/out" && find . -type f) | while read -r f; do
        cmp -s "$work/src/$f" "$work/out/$f" || { echo "operation $n ($kind): $f is not whole"; exit 1; }
    done || exit 1
    if [ "$code" -eq 1 ] && [ -z "$text" ]; then
        grep -qE "ファイルの(読み込み|書き込み)に失敗しました。" "$work/err" || fail "operation $n ($kind): $(cat "$work/err")"
    fi
    if [ "$code" -eq 0 ]; then
        diff -r "$work/src" "$work/out" >/dev/null || fail "operation $n ($kind): completed but differs"
    fi
done
sum_after=$(cd "$work" && find src p.exe -type f -exec sha256sum {} + | sort)
[ "$sum_before" = "$sum_after" ] || fail "the sources or the archive changed"
echo "$operations operations, each failed once"
