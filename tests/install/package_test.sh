#!/usr/bin/env bash
# Installs the Debian packages on this machine as a user would: the batch tool alone, then both,
# uses what they installed, and removes them again whatever happens. Needs root (CI's own machine).
# Usage: package_test.sh CLI_PACKAGE.deb WINDOW_PACKAGE.deb GRABBER
set -euo pipefail
cli_package=$(realpath "$1") window_package=$(realpath "$2") grabber=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
# dpkg passes over a package that is not installed, where apt-get would refuse the whole request.
remove_packages() {
    dpkg --purge quorvane quorvane-cli >/dev/null 2>&1
}
cleanup() {
    remove_packages || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "package: $*" >&2; exit 1; }
install_packages() {
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
}
version=$(dpkg-deb -f "$cli_package" Version)

check_batch_tool() {
    [ "$(/usr/bin/quorvane-cli --version | head -n1)" = "quorvane-cli $version" ] \
        || fail "quorvane-cli --version does not say $version"
    printf 'b@x.org\na@x.org\nb@x.org\n' >"$work/list.txt"
    /usr/bin/quorvane-cli dedupe-first -o "$work/out.txt" "$work/list.txt" 2>/dev/null
    [ "$(cat "$work/out.txt")" = $'b@x.org\na@x.org' ] || fail "the installed quorvane-cli does not remove repeats"
    printf 'info@x.org\nann@x.org\n' >"$work/list.txt"
    [ "$(/usr/bin/quorvane-cli subtract -q --patterns --other /usr/share/quorvane/role-addresses.txt "$work/list.txt")" \
        = 'ann@x.org' ] || fail "the installed role addresses are not removed by subtract --patterns"
    printf 'ann@b\303\274cher.de\nann@XN--BCHER-KVA.DE\n' >"$work/list.txt"
    [ "$(/usr/bin/quorvane-cli dedupe-first -q --email "$work/list.txt" | wc -l)" = 1 ] \
        || fail "the installed quorvane-cli does not compare international domains"
}

# The batch tool alone, as on a server: it needs nothing of Qt and brings no window.
if dpkg-deb -f "$cli_package" Depends | grep -q 'libqt'; then
    fail "quorvane-cli depends on Qt"
fi
install_packages "$cli_package"
check_batch_tool
if ldd /usr/bin/quorvane-cli | grep -q 'libQt'; then
    fail "quorvane-cli links Qt"
fi
[ ! -e /usr/bin/quorvane ] || fail "quorvane-cli brought the window"
remove_packages
[ ! -e /usr/bin/quorvane-cli ] || fail "removing quorvane-cli left the program"

# Both packages together.
[ "$(dpkg-deb -f "$window_package" Version)" = "$version" ] || fail "the two packages differ in version"
install_packages "$cli_package" "$window_package"
check_batch_tool
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/quorvane --version)" = "quorvane $version" ] \
    || fail "quorvane --version does not say $version without a display"

# The installed window, on a virtual screen, until its first paint (no browser: stubs on PATH),
# started through its link in /usr/bin: it must read its pointer from its real folder.
cat >"$work/traced-quorvane" <<TRACED
#!/bin/sh
exec strace -f -qq -e trace=openat -o "$work/opened" /usr/bin/quorvane
TRACED
chmod +x "$work/traced-quorvane"
"$here/../ui/window_under_xvfb.sh" "$work/traced-quorvane" "$grabber" "$work/window.png" >/dev/null \
    || fail "the installed window did not start and paint"
grep -Eq '"/usr/lib/quorvane/HAND-M\.CUR".* = [0-9]+$' "$work/opened" \
    || fail "the installed window did not read its pointer from /usr/lib/quorvane"

remove_packages
for path in /usr/bin/quorvane /usr/bin/quorvane-cli /usr/lib/quorvane /usr/share/quorvane; do
    [ ! -e "$path" ] && [ ! -L "$path" ] || fail "removing the packages left $path"
done
echo "the packages install, alone and together, work and go again"
