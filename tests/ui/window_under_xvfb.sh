#!/usr/bin/env bash
# Starts the program on a virtual X screen of its own, loads both samples and saves its window
# once it has painted.
# usage: window_under_xvfb.sh PROGRAM GRABBER OUTPUT.png
set -euo pipefail
if [ -z "${QUORVANE_ON_XVFB:-}" ]; then
    QUORVANE_ON_XVFB=1 exec "$(dirname "$0")/run_under_xvfb.sh" "$0" "$@"
fi
program=$1 grabber=$2 output=$3
source "$(dirname "$0")/../support/browser_stubs.sh"
mkdir -p "$(dirname "$output")"
stubs=$(mktemp -d)
app=
trap '[ -n "$app" ] && kill "$app" 2>/dev/null; rm -rf "$stubs"' EXIT
install_browser_stubs "$stubs"

"$program" &
app=$!
# Both samples loaded from the keyboard, when xdotool is there, so the picture shows their overlap:
# each list's menu, its fourth entry.
if command -v xdotool >/dev/null; then
    window=$(timeout 30 xdotool search --sync --name '^Quorvane Software$' | head -n1)
    xdotool windowfocus --sync "$window"
    sleep 0.5
    for menu in alt+1 alt+2; do
        xdotool key --clearmodifiers "$menu" Down Down Down Return
        sleep 0.5
    done
fi
# The form is 920 x 525; the menu bar and the status bar make the window taller.
"$grabber" "$output" 920x525+
# The program must still be running: start-up went through without a crash.
kill -0 "$app"
check_browser_stubs "$stubs" "https://www.example.com/quorvane/"
echo "saved $output"
