#!/usr/bin/env bash
# Packs the benchmark corpus with the tool, extracts it into an empty folder and compares
# every file and its write time; a flipped bit must make test and extract fail.
# Usage: corpus_round_trip.sh QUILLMERE CORPUS. Exits 77 (skipped) without the corpus.
set -u
tool=$1
corpus=$2
if [ ! -d "$corpus" ]; then
    echo "no corpus at $corpus: skipped"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

stub=()
[ -f "$(dirname "$tool")/stub32.exe" ] || { head -c 31744 /dev/zero > "$work/stub.exe"; stub=(--stub "$work/stub.exe"); }

"$tool" pack "$corpus" -o "$work/a.exe" "${stub[@]}" --message "コーパス" || fail "pack"
"$tool" pack "$corpus" -o "$work/b.exe" "${stub[@]}" --message "コーパス" || fail "second pack"
cmp -s "$work/a.exe" "$work/b.exe" || fail "two packs of the same files differ"
"$tool" test "$work/a.exe" >/dev/null || fail "test of an intact archive"

mkdir "$work/out"
"$tool" extract "$work/a.exe" -d "$work/out" || fail "extract"
diff -r "$corpus" "$work/out" >/dev/null || fail "extracted files differ from the corpus"
# Write times, to the 100 ns that the archive holds.
times() { (cd "$1" && find . -printf '%y %P %T@\n' | grep -v '^d' | sed -E 's/(\.[0-9]{7})[0-9]*$/\1/' | sort); }
[ "$(times "$corpus")" = "$(times "$work/out")" ] || fail "write times differ"

# One flipped bit in the middle of the entry data.
size=$(stat -c %s "$work/a.exe")
python3 - "$work/a.exe" "$work/bad.exe" "$(( (31744 + size) / 2 ))" <<'PY'
import sys
data = bytearray(open(sys.argv[1], 'rb').read())
data[int(sys.argv[3])] ^= 0x08
open(sys.argv[2], 'wb').write(data)
PY
for command in "test" "extract -d $work/bad-out"; do
    "$tool" $command "$work/bad.exe" >/dev/null 2>"$work/err"
    [ $? -eq 1 ] || fail "$command of a damaged archive did not exit 1"
    grep -q "ファイルが壊れています。" "$work/err" || fail "$command did not report the damage: $(cat "$work/err")"
done
echo "corpus round trip: $(stat -c %s "$work/a.exe") bytes"
