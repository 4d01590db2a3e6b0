#!/usr/bin/env bash
# Starts the program on a virtual X screen and saves its window once it has painted.
# usage: window_under_xvfb.sh PROGRAM GRABBER OUTPUT.png
set -euo pipefail
program=$1 grabber=$2 output=$3
mkdir -p "$(dirname "$output")"
export -n DISPLAY WAYLAND_DISPLAY
xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24 -br" bash -c '
    "$1" &
    app=$!
    status=0
    "$2" "$3" 920x525 || status=$?
    # The program must still be running: start-up went through without a crash.
    kill -0 "$app" || status=1
    kill "$app"
    wait "$app" || true
    exit "$status"
' run "$program" "$grabber" "$output"
echo "saved $output"
