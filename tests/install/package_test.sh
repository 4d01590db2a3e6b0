#!/usr/bin/env bash
# Installs the Debian package on this machine as a user would, uses what it installed, and
# removes it again whatever happens. Needs root (CI's own machine).
# Usage: package_test.sh PACKAGE.deb GRABBER
set -euo pipefail
package=$(realpath "$1") grabber=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
cleanup() {
    apt-get remove -y -qq --purge quorvane >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "package: $*" >&2; exit 1; }
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$package" >/dev/null
version=$(dpkg-deb -f "$package" Version)

[ "$(/usr/bin/quorvane-cli --version)" = "quorvane-cli $version" ] || fail "quorvane-cli --version does not say $version"
printf 'b@x.org\na@x.org\nb@x.org\n' >"$work/list.txt"
/usr/bin/quorvane-cli dedupe-first -o "$work/out.txt" "$work/list.txt" 2>/dev/null
[ "$(cat "$work/out.txt")" = $'b@x.org\na@x.org' ] || fail "the installed quorvane-cli does not remove repeats"

# The installed window, on a virtual screen, until its first paint (no browser: stubs on PATH).
"$here/../ui/window_under_xvfb.sh" /usr/bin/quorvane "$grabber" "$work/window.png" >/dev/null \
    || fail "the installed window did not start and paint"
echo "the package installs, works and goes again"
