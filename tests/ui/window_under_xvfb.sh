#!/usr/bin/env bash
# Starts the program on a virtual X screen of its own and saves its window once it has painted.
# usage: window_under_xvfb.sh PROGRAM GRABBER OUTPUT.png
set -euo pipefail
program=$1 grabber=$2 output=$3
mkdir -p "$(dirname "$output")"
work=$(mktemp -d)
xvfb=
app=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The server picks a free display number itself and writes it once it is ready, so runs of this
# test in parallel never race for the same display.
Xvfb -displayfd 3 -screen 0 1280x800x24 -br -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY

"$program" &
app=$!
"$grabber" "$output" 920x525
# The program must still be running: start-up went through without a crash.
kill -0 "$app"
echo "saved $output"
