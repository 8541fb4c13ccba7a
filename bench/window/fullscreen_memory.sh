#!/bin/sh
# Peak resident memory (VmHWM of /proc/PID/status) of Kelmar in full screen
# on a 1920 x 1080 X server with a window manager, at two moments of a run:
#   logo  - 3 s after F11 on the start (logo) screen;
#   pause - after that, the logo clicked away, five hints (Ctrl+H) and a
#           pause (Ctrl+P), 3 s later.
# Also VmHWM of a run that stays at 100 % (no F11) for comparison. Each run
# starts in a fresh folder with the game files and no settings file; prints
# one line per run: "logo_MiB pause_MiB hundred_MiB".
#
#   bench/window/fullscreen_memory.sh [build-folder]     (default: build)
# MEASURE_DISPLAY picks the Xvfb display (default :93), RUNS the run count
# (default 3). Needs Xvfb, openbox and xdotool.
set -eu

build=${1:-build}
game="$(cd "$build/game" && pwd)"
display=${MEASURE_DISPLAY:-:93}
runs=${RUNS:-3}

Xvfb $display -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
tmp=$(mktemp -d)
trap 'kill $wm $xvfb 2>/dev/null || true; rm -rf "$tmp"' EXIT
export DISPLAY=$display
until xdotool getdisplaygeometry >/dev/null 2>&1; do sleep 0.1; done
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

# Ends the game $1 and waits until it is gone (it is no child of this shell).
stop_game() {
    kill "$1"
    while [ -e /proc/"$1" ]; do sleep 0.1; done
}

hwm_mib() { awk '/^VmHWM/ {printf "%.1f", $2 / 1024}' /proc/"$1"/status; }

# Starts the game in a fresh folder; prints its process id once the main
# window is mapped.
start_game() {
    rm -rf "$tmp/run"
    mkdir "$tmp/run"
    find "$game" -maxdepth 1 -type f ! -name kelmar ! -name '*.ini' -exec cp {} "$tmp/run" \;
    (cd "$tmp/run" && exec "$game/kelmar" >/dev/null 2>&1) &
    pid=$!
    until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do sleep 0.1; done
    sleep 1
    echo "$pid"
}

i=0
while [ $i -lt "$runs" ]; do
    i=$((i + 1))
    pid=$(start_game)
    win=$(xdotool search --onlyvisible --pid "$pid" | head -1)
    xdotool windowactivate --sync "$win" 2>/dev/null || true
    xdotool key --window "$win" F11
    sleep 3
    logo=$(hwm_mib "$pid")
    xdotool mousemove 960 540 click 1
    sleep 1
    for _ in 1 2 3 4 5; do
        xdotool key --window "$win" ctrl+h
        sleep 0.5
    done
    xdotool key --window "$win" ctrl+p
    sleep 3
    pause=$(hwm_mib "$pid")
    stop_game "$pid"

    pid=$(start_game)
    sleep 2
    hundred=$(hwm_mib "$pid")
    stop_game "$pid"
    echo "$logo $pause $hundred"
done
