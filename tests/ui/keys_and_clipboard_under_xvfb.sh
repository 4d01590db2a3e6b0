#!/usr/bin/env bash
# The real program on a virtual X screen, driven by the keyboard and the X clipboard:
# load a file (Ctrl+O), run an operation (Tab to its button, Space), undo and redo it, copy the
# list out (Ctrl+A, Ctrl+C) and paste lines into the other list (Ctrl+V).
# usage: keys_and_clipboard_under_xvfb.sh PROGRAM
set -euo pipefail
if [ -z "${QUORVANE_ON_XVFB:-}" ]; then
    QUORVANE_ON_XVFB=1 exec "$(dirname "$0")/run_under_xvfb.sh" "$0" "$@"
fi
program=$1
work=$(mktemp -d)
app=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/../support/browser_stubs.sh"
install_browser_stubs "$work/bin"

printf 'b@x.org\r\na@x.org\r\nb@x.org\r\n' > "$work/list.txt"
"$program" &
app=$!
window=$(timeout 30 xdotool search --sync --name '^Quorvane Software$' | head -n1)
# Without a window manager nothing gives the window the focus back after a dialog: do it here.
focus() { xdotool windowfocus --sync "$window"; sleep 0.4; }
keys() { xdotool key --clearmodifiers "$@"; sleep 0.4; }
copied() {
    keys ctrl+a ctrl+c
    xclip -o -selection clipboard | tr -d '\r'
}
expect() {
    if [ "$2" != "$3" ]; then
        printf '%s: expected [%s], got [%s]\n' "$1" "$3" "$2" >&2
        exit 1
    fi
}

focus
keys ctrl+o
timeout 30 xdotool search --sync --name 'Load List' > /dev/null
sleep 0.5
xdotool type --delay 20 "$work/list.txt"
keys Return
focus
expect "loaded" "$(copied)" $'b@x.org\na@x.org\nb@x.org'

# From List 1's view, the tenth control on is "Remove List 1 Dupes Except First"; the Edit
# commands then act on List 1, the list last focused.
keys $(printf 'Tab %.0s' $(seq 10))
keys space
expect "operation" "$(copied)" $'b@x.org\na@x.org'
keys ctrl+z
expect "undo" "$(copied)" $'b@x.org\na@x.org\nb@x.org'
keys ctrl+shift+z
expect "redo" "$(copied)" $'b@x.org\na@x.org'

printf 'c@x.org\r\nd@x.org\r\n' | xclip -i -selection clipboard
keys $(printf 'shift+Tab %.0s' $(seq 9)) # back to List 2's view
keys ctrl+v
expect "paste" "$(copied)" $'c@x.org\nd@x.org'

kill -0 "$app"
check_browser_stubs "$work/bin" "https://www.example.com/quorvane/"
echo "keys and clipboard work"
