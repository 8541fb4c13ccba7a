#!/bin/sh
# Measures Kelmar as a whole process under Xvfb: time from exec to the mapped
# main window, peak resident memory after start-up, and CPU used over 10 s on
# the logo screen, in a running game, and paused. Prints medians of 5 runs.
#
#   bench/startup/measure.sh [build-folder]     (default: build)
set -eu

build=${1:-build}
game="$(cd "$build/game" && pwd)"
display=:93
runs=5

Xvfb $display -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=$display

work=$(mktemp -d)
cp "$game"/KL* "$game"/Kelmar.htm "$work"/
cd "$work"

now_ms() { date +%s%3N; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

: >start.txt; : >rss.txt; : >logo.txt; : >run.txt; : >pause.txt
for i in $(seq $runs); do
    t0=$(now_ms)
    "$game/kelmar" >/dev/null 2>&1 &
    pid=$!
    until xdotool search --onlyvisible --name '^Kelmar$' >/dev/null 2>&1; do sleep 0.005; done
    t1=$(now_ms)
    echo $((t1 - t0)) >>start.txt
    sleep 1
    awk '/VmHWM/ {print $2}' "/proc/$pid/status" >>rss.txt

    c0=$(cpu_ticks $pid); sleep 10; c1=$(cpu_ticks $pid)
    echo "$c0 $c1" | awk -v hz="$hz" '{printf "%.2f\n", ($2 - $1) * 100 / hz / 10}' >>logo.txt

    win=$(xdotool search --onlyvisible --name '^Kelmar$' | head -1)
    # Start the game: a release on the board leaves the start screen.
    xdotool mousemove --window "$win" 20 80 click 1
    sleep 0.5
    c0=$(cpu_ticks $pid); sleep 10; c1=$(cpu_ticks $pid)
    echo "$c0 $c1" | awk -v hz="$hz" '{printf "%.2f\n", ($2 - $1) * 100 / hz / 10}' >>run.txt

    xdotool key --window "$win" ctrl+p
    sleep 0.5
    c0=$(cpu_ticks $pid); sleep 10; c1=$(cpu_ticks $pid)
    echo "$c0 $c1" | awk -v hz="$hz" '{printf "%.2f\n", ($2 - $1) * 100 / hz / 10}' >>pause.txt

    kill $pid; wait $pid 2>/dev/null || true
done

echo "start-up to mapped window (ms), median of $runs: $(median <start.txt)  [$(tr '\n' ' ' <start.txt)]"
echo "peak resident memory (MB), median:            $(median <rss.txt | awk '{printf "%.1f", $1/1024}')"
echo "CPU on logo screen (% of one core), median:   $(median <logo.txt)"
echo "CPU in a running game (% of one core), median: $(median <run.txt)"
echo "CPU while paused (% of one core), median:      $(median <pause.txt)"
rm -rf "$work"
