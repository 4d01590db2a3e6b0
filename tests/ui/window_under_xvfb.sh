#!/usr/bin/env bash
# Starts the program on a virtual X screen of its own and saves its window once it has painted.
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
# The form is 920 x 525; the menu bar and the status bar make the window taller.
"$grabber" "$output" 920x525+
# The program must still be running: start-up went through without a crash.
kill -0 "$app"
check_browser_stubs "$stubs" "https://www.example.com/quorvane/"
echo "saved $output"
