#!/usr/bin/env bash
# The Wine environment of one test run: an Xvfb display, a fresh Wine prefix in the build
# tree with a persistent wineserver, and env.sh, which the Wine tests source.
#   wine_env.sh start STATE_DIR BIN_DIR   (CTest fixture set-up; BIN_DIR holds wine/driver.exe)
#   wine_env.sh stop STATE_DIR            (CTest fixture clean-up)
set -euo pipefail

action=${1:?start or stop}
state=${2:?state folder}
bin=${3:-}
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

# Everything Wine prints goes to a log: background processes must not hold CTest's pipes.
log=$state/wine_env.log

start() {
    # What an interrupted earlier run left behind is taken down first.
    stop
    rm -rf "$state"
    mkdir -p "$state/prefix" "$state/runs"
    : >"$log"

    # A display number nobody uses; a lost race with another Xvfb means trying the next one.
    local display= pid=
    for n in $(seq 70 170); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >>"$log" 2>&1 &
        pid=$!
        for _ in $(seq 100); do
            [[ -S /tmp/.X11-unix/X$n ]] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$pid" 2>/dev/null && [[ -S /tmp/.X11-unix/X$n ]]; then
            display=:$n
            break
        fi
    done
    [[ -n $display ]] || { echo "no free X display for Xvfb" >&2; exit 1; }
    echo "$pid" >"$state/xvfb.pid"

    cat >"$state/env.sh" <<EOF
export WINEPREFIX='$state/prefix'
export DISPLAY='$display'
export WINEDEBUG=-all
export LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES='mscoree,mshtml='
export QM_WINE='$wine'
export QM_WINE_RUNS='$state/runs'
EOF
    # shellcheck source=/dev/null
    source "$state/env.sh"

    # A persistent server keeps later program starts well under a second.
    setsid "$wineserver" -p </dev/null >>"$log" 2>&1
    "$wine" wineboot -i </dev/null >>"$log" 2>&1
    # Without a window manager Wine waits on every hidden or destroyed managed window;
    # a crash must end the program instead of waiting on a dialog.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >>"$log" 2>&1
    "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        </dev/null >>"$log" 2>&1
    # Two more drives for the folder browser's tests: M: a folder of this run, Q: a letter
    # whose folder is missing. The drive list is read when the server starts, so restart it.
    mkdir -p "$state/drive_m"
    ln -s "$state/drive_m" "$WINEPREFIX/dosdevices/m:"
    ln -s "$state/no_such_folder" "$WINEPREFIX/dosdevices/q:"
    echo "export QM_DRIVE_M='$state/drive_m'" >>"$state/env.sh"
    "$wineserver" -k </dev/null >>"$log" 2>&1 || true
    "$wineserver" -w </dev/null >>"$log" 2>&1 || true
    setsid "$wineserver" -p </dev/null >>"$log" 2>&1
    "$wine" wineboot </dev/null >>"$log" 2>&1
    # The desktop stays open for the whole run, so that no test waits for it to start.
    echo hold | setsid "$wine" "$bin/wine/driver.exe" >>"$log" 2>&1 &
    echo "Wine prefix $WINEPREFIX on display $DISPLAY"
}

stop() {
    if [[ -f $state/env.sh ]]; then
        # shellcheck source=/dev/null
        source "$state/env.sh"
        "$wineserver" -k 2>/dev/null || true
    fi
    if [[ -f $state/xvfb.pid ]]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid"
    fi
    # A prefix is several hundred megabytes; each run makes its own.
    rm -rf "$state/prefix"
}

case $action in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop STATE_DIR" >&2; exit 2 ;;
esac
