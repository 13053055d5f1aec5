# Helpers of the Wine tests, sourced by each test script. Needs QM_BUILD (the build
# tree); the fixture (wine_env.sh start) must have run.
set -euo pipefail

: "${QM_BUILD:?QM_BUILD must name the build tree}"
# shellcheck source=/dev/null
source "$QM_BUILD/wine/env.sh"
bin=$QM_BUILD/bin
stub=$bin/stub64.exe
stub_size=31744

# Texts as the driver takes them: code page 932 bytes in hex, "-" when empty.
cp932() {
    local hex
    hex=$(printf '%s' "$1" | iconv -f UTF-8 -t CP932 | od -An -tx1 -v | tr -d ' \n')
    printf '%s' "${hex:--}"
}
hex_of_file() { od -An -tx1 -v "$1" | tr -d ' \n'; }
# Appends hex bytes to a file.
append_hex() { local hex=$2; printf "$(sed 's/../\\x&/g' <<<"$hex")" >>"$1"; }
le32() { printf '%02x%02x%02x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }

# Z:\ path of a Unix path, as the program under test sees it.
winpath() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }

# A fresh work folder for one case: $work.
new_case() {
    work=$QM_WINE_RUNS/$1
    rm -rf "$work"
    mkdir -p "$work"
}

# The header of an archive: message, run_after, flag [check word] in code page 932, its
# recorded size that of the whole file (plus an adjustment), nothing after it.
# header MESSAGE RUN_AFTER FLAG_HEX [WORD_HEX_LITTLE_ENDIAN] [SIZE_ADJUST]
header_hex() {
    local message=$1 run_after=$2 flag=$3 word=${4:-} adjust=${5:-0} body
    body=$(cp932 "$message" | sed 's/^-$//')00$(cp932 "$run_after" | sed 's/^-$//')00$flag$word
    le32 $((stub_size + 4 + ${#body} / 2 + adjust))
    printf '%s' "$body"
}

# A copy of the stub in $work with these hex bytes appended: program NAME HEX.
program() {
    cp "$stub" "$work/$1"
    [[ -z ${2:-} ]] || append_hex "$work/$1" "$2"
}

# Runs the driver on the commands of its standard input; prints what it saw. The Wine
# processes write into a file, so none of them holds the test's pipes.
drive() {
    local log=$work/driver.log status=0
    "$QM_WINE" "$bin/wine/driver.exe" >"$log" 2>&1 || status=$?
    cat "$log"
    return $status
}

fail() { echo "FAIL: $*" >&2; exit 1; }
