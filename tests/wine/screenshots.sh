#!/usr/bin/env bash
# Takes the documentation's screenshots of the real stub under Wine and Xvfb: the main
# window with a message and the password row, the progress window during a run, and the
# overwrite question. Not a test; run after a build:
#   tests/wine/screenshots.sh BUILD_DIR OUT_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
QM_BUILD=$(realpath "${1:?build folder}")
export QM_BUILD
out=$(realpath -m "${2:?output folder}")
mkdir -p "$out"
state=$QM_BUILD/wine
trap 'exec 3>&- || true; bash "$here/wine_env.sh" stop "$state"' EXIT
bash "$here/wine_env.sh" start "$state" "$QM_BUILD/bin" >/dev/null
source "$here/lib.sh"

# A driver fed line by line, so that pictures can be taken while the stub waits.
session() {
    rm -f "$work/commands"
    mkfifo "$work/commands"
    "$QM_WINE" "$bin/wine/driver.exe" <"$work/commands" >"$work/session.log" 2>&1 &
    driver=$!
    exec 3>"$work/commands"
}
say() { printf '%s\n' "$@" >&3; }
# Waits until the driver has carried out everything said so far.
reached() {
    say "say $1"
    until tr -d '\r' <"$work/session.log" | grep -qx "$1"; do
        kill -0 "$driver" 2>/dev/null || fail "driver ended: $(cat "$work/session.log")"
        sleep 0.1
    done
}
end_session() { exec 3>&-; wait "$driver" || fail "driver failed: $(cat "$work/session.log")"; }
# shoot NAME CLASS: the window of that class as it is on the screen.
shoot() {
    say "where $2"
    reached "shot_$1"
    local x y w h
    read -r x y w h < <(tr -d '\r' <"$work/session.log" | sed -n "s/^where $2 //p" | tail -1)
    sleep 0.5
    import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$1"
    echo "$out/$1"
}

new_case shots
# The pictures show C:\ paths: the archive is put into the prefix's drive C.
base=$WINEPREFIX/drive_c/Quillmere
src=$work/src dest=$base/展開先
rm -rf "$base"
mkdir -p "$src/マニュアル" "$dest/マニュアル"
printf 'Quillmere の使い方\r\n' >"$src/マニュアル/はじめに.txt"
printf 'old\r\n' >"$dest/マニュアル/はじめに.txt"
head -c 40000000 /dev/urandom >"$src/データ.bin"
message=$'サンプル アーカイブへようこそ。\n\n解凍するフォルダを選んで「解凍」を押してください。\nパスワードは「見本」です。'
"$bin/quillmere" pack "$src" -o "$base/sample.exe" --stub "$stub" --message "$message" --password "見本" >/dev/null
start='start C:\Quillmere\sample.exe C:\Quillmere'
windest='C:\Quillmere\展開先'

session
say "$start" "visible core_gui 1"
reached opened
shoot main_window.png core_gui
say "settext core_gui 7 $(cp932 "$windest")" "settext core_gui 2 $(cp932 "見本")" "click core_gui 3"
# The large file comes first (its name sorts first), then the question.
say "text_starts progress_window 1 $(cp932 "解凍中:$windest\\データ.bin")" "raise progress_window" "suspend"
reached running
shoot progress_window.png progress_window
say resume "box core_gui yes+no+cancel $(cp932 "$windest\\マニュアル\\はじめに.txtはすでに存在します。上書きしますか？")"
reached asked
shoot overwrite_question.png "#32770"
say "answer yes"
say "box core_gui ok $(cp932 "ファイルの解凍が終わりました。")" "answer ok" "exit 0"
end_session
