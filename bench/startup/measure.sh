#!/bin/sh
# Measures Kelmar as a whole process under Xvfb and prints medians of 5 runs:
#   - start-up: ms from exec to the mapped main window, and to the first
#     painted frame (the board area shows a picture, seen from outside by
#     first_frame.c polling the window's pixels);
#   - peak resident memory (VmHWM) 1 s after start-up, beside that of an
#     empty Qt main window of the same size (empty_window.cpp), the floor
#     that the libraries alone set on this machine;
#   - CPU over 10 s (all threads, from /proc/PID/task/*/schedstat, ns
#     resolution) and wake-ups per second on the logo screen, in a running
#     game (the start screen clicked away, then left alone) and paused.
#     Wake-ups are voluntary context switches (voluntary_ctxt_switches in
#     /proc/PID/task/*/status): a thread that goes to sleep and is woken
#     again counts one. Given for all threads and for the main thread alone
#     (the event loop that runs the game); involuntary switches are
#     preemptions by other load, not wake-ups, and are left out.
# Each run starts in a fresh folder with the game files and no settings file.
#
#   bench/startup/measure.sh [build-folder]     (default: build)
# MEASURE_DISPLAY picks the Xvfb display (default :93), RUNS the run count.
# Needs Xvfb, xdotool, a C and C++ compiler, pkg-config and the Xlib headers
# (libx11-dev).
set -eu

here="$(cd "$(dirname "$0")" && pwd)"
build=${1:-build}
game="$(cd "$build/game" && pwd)"
display=${MEASURE_DISPLAY:-:93}
runs=${RUNS:-5}
idle_s=10

tmp=$(mktemp -d)
cc -O2 -o "$tmp/first_frame" "$here/first_frame.c" -lX11
# shellcheck disable=SC2046 # pkg-config prints several words on purpose
c++ -O2 -fPIC -std=c++17 -o "$tmp/empty_window" "$here/empty_window.cpp" \
    $(pkg-config --cflags --libs Qt6Widgets)

Xvfb $display -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$tmp"' EXIT
export DISPLAY=$display
until xdotool getdisplaygeometry >/dev/null 2>&1; do sleep 0.1; done

# Nanoseconds on the CPU, all threads of process $1.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {print s}'; }
# Voluntary context switches (wake-ups) of all threads of process $1, then of
# its main thread.
switches() {
    all=$(cat /proc/"$1"/task/*/status 2>/dev/null |
        awk '/^voluntary_ctxt_switches/ {s += $2} END {print s}')
    main=$(awk '/^voluntary_ctxt_switches/ {print $2}' /proc/"$1"/status)
    echo "$all $main"
}
# Appends "cpu_percent wakeups_per_s main_thread_wakeups_per_s" over $idle_s
# seconds of process $1 to $2.
idle_cost() {
    c0=$(cpu_ns "$1"); w0=$(switches "$1")
    sleep $idle_s
    c1=$(cpu_ns "$1"); w1=$(switches "$1")
    echo "$c0 $c1 $w0 $w1" | awk -v s=$idle_s '{printf "%.3f %.1f %.1f\n",
        ($2 - $1) / 1e7 / s, ($5 - $3) / s, ($6 - $4) / s}' >>"$2"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
column() { awk -v c="$1" '{print $c}' "$2" | median; }

: >"$tmp/start.txt"; : >"$tmp/rss.txt"; : >"$tmp/floor.txt"; : >"$tmp/logo.txt"; : >"$tmp/run.txt"; : >"$tmp/pause.txt"
for i in $(seq $runs); do
    work="$tmp/run$i"
    mkdir "$work"
    cp "$game"/KL* "$game"/Kelmar.htm "$work"/
    cd "$work"
    # Board area of the window: Field is 640 x 480 below menu and tool bar;
    # probe a rectangle well inside it.
    set -- $("$tmp/first_frame" Kelmar 40 90 560 380 "$game/kelmar")
    echo "$1 $2" >>"$tmp/start.txt"
    pid=$3
    sleep 1
    awk '/VmHWM/ {print $2}' "/proc/$pid/status" >>"$tmp/rss.txt"

    idle_cost $pid "$tmp/logo.txt"

    win=$(xdotool search --onlyvisible --name '^Kelmar' | head -1)
    # A release on the board leaves the start screen and starts the clock.
    xdotool mousemove --window "$win" 300 300 click 1
    sleep 0.5
    idle_cost $pid "$tmp/run.txt"

    xdotool key --window "$win" ctrl+p
    sleep 0.5
    idle_cost $pid "$tmp/pause.txt"

    kill $pid
    "$tmp/empty_window" >/dev/null 2>&1 &
    floor=$!
    sleep 1.5
    awk '/VmHWM/ {print $2}' "/proc/$floor/status" >>"$tmp/floor.txt"
    kill $floor; wait $floor 2>/dev/null || true
    n=0; while kill -0 $pid 2>/dev/null && [ $n -lt 100 ]; do sleep 0.05; n=$((n + 1)); done
    cd "$tmp"
done

echo "start-up to mapped window (ms), median of $runs:   $(column 1 "$tmp/start.txt")  [$(awk '{printf "%s ", $1}' "$tmp/start.txt")]"
echo "start-up to first painted frame (ms), median: $(column 2 "$tmp/start.txt")  [$(awk '{printf "%s ", $2}' "$tmp/start.txt")]"
echo "peak resident memory (MiB), median:           $(median <"$tmp/rss.txt" | awk '{printf "%.1f", $1/1024}')  (empty Qt main window: $(median <"$tmp/floor.txt" | awk '{printf "%.1f", $1/1024}'))  [kB: $(tr '\n' ' ' <"$tmp/rss.txt")]"
for state in logo run pause; do
    printf "idle %-5s: CPU %% of one core %s, wake-ups/s %s (main thread %s)  [%s]\n" \
        "$state" "$(column 1 "$tmp/$state.txt")" "$(column 2 "$tmp/$state.txt")" \
        "$(column 3 "$tmp/$state.txt")" "$(awk '{printf "%s ", $1}' "$tmp/$state.txt")"
done
