#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks that a desktop finds everything it needs.
# Usage: install_test.sh BUILD_DIR PREFIX [DESKTOP_FILE_VALIDATE [APPSTREAMCLI]]
set -euo pipefail
build=$1 prefix=$2 validate=${3:-} appstream=${4:-}

rm -rf "$prefix"
# The most careless umask: what the install creates must not follow it.
(umask 000 && cmake --install "$build" --prefix "$prefix" >/dev/null)

fail() { echo "install: $*" >&2; exit 1; }
# Links carry no modes of their own.
writable=$(find "$prefix" ! -type l -perm /022 -printf '%M %P\n')
[ -z "$writable" ] || fail "writable by others than the owner:"$'\n'"$writable"
[ "$(stat -c %a "$prefix/bin")" = 755 ] || fail "bin/ is not 0755"
[ "$(stat -c %a "$prefix/lib/quorvane")" = 755 ] || fail "lib/quorvane/ is not 0755"
[ "$(stat -c %a "$prefix/lib/quorvane/quorvane")" = 755 ] || fail "lib/quorvane/quorvane is not 0755"
[ "$(stat -c %a "$prefix/lib/quorvane/HAND-M.CUR")" = 644 ] || fail "lib/quorvane/HAND-M.CUR is not 0644"
# The window lives in its own folder; bin/ holds a relative link to it, so the prefix can move.
[ "$(readlink "$prefix/bin/quorvane")" = ../lib/quorvane/quorvane ] || fail "bin/quorvane is not a link to lib/quorvane/quorvane"
for file in bin/quorvane bin/quorvane-cli; do
    [ -x "$prefix/$file" ] || fail "$file is missing or not executable"
done
# The window looks for its pointer image next to itself.
[ -s "$prefix/lib/quorvane/HAND-M.CUR" ] || fail "the hand pointer is not next to the program"
[ ! -e "$prefix/bin/HAND-M.CUR" ] || fail "the hand pointer is in bin/"
for size in 32 48 128 256; do
    [ -s "$prefix/share/icons/hicolor/${size}x${size}/apps/quorvane.png" ] || fail "no ${size}px icon"
done
entry=$prefix/share/applications/com.example.Quorvane.desktop
[ -s "$entry" ] || fail "no desktop entry"
grep -qx 'Exec=quorvane' "$entry" || fail "the desktop entry does not start quorvane"
grep -qx 'Icon=quorvane' "$entry" || fail "the desktop entry does not name the icon"
if [ -n "$validate" ]; then
    "$validate" "$entry" || fail "desktop-file-validate rejects the entry"
fi
metainfo=$prefix/share/metainfo/com.example.Quorvane.metainfo.xml
[ -s "$metainfo" ] || fail "no AppStream metadata"
version=$("$prefix/bin/quorvane-cli" --version | grep -Eo '[0-9]+\.[0-9]+\.[0-9]+' | head -n1)
grep -q "<release version=\"$version\"" "$metainfo" || fail "the AppStream release is not version $version"
if [ -n "$appstream" ]; then
    "$appstream" validate --no-net "$metainfo" || fail "appstreamcli rejects the metadata"
fi
"$prefix/bin/quorvane-cli" --help | grep -q 'dedupe-first' || fail "quorvane-cli --help does not explain the operations"
roles=$prefix/share/quorvane/role-addresses.txt
[ "$(stat -c %a "$roles")" = 644 ] || fail "share/quorvane/role-addresses.txt is missing or not 0644"
[ "$(printf 'Info@x.org\nann@x.org\nsalesinfo@x.org\nNo-Reply <no-reply@y.net>\n' \
     | "$prefix/bin/quorvane-cli" subtract -q --patterns --email --other "$roles")" = $'ann@x.org\nsalesinfo@x.org' ] \
    || fail "subtract --patterns with the role addresses does not remove them"
# The window answers these two without a display, through its link.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/quorvane" "$@"; }
[ "$(headless --version)" = "quorvane $version" ] || fail "quorvane --version does not say $version without a display"
headless --help | grep -q '^Usage: quorvane' || fail "quorvane --help does not answer without a display"
man=$prefix/share/man/man1/quorvane-cli.1.gz
[ -s "$man" ] || fail "no quorvane-cli man page"
zgrep -q 'dedupe\\-first' "$man" || fail "the man page does not explain the operations"
zgrep -q 'HAND\\-M.CUR' "$prefix/share/man/man1/quorvane.1.gz" || fail "no quorvane man page"
completion=$prefix/share/bash-completion/completions/quorvane-cli
[ -s "$completion" ] || fail "no bash completion for quorvane-cli"
bash -c "source '$completion' && complete -p quorvane-cli" >/dev/null || fail "the bash completion does not load"
for completion in zsh/vendor-completions/_quorvane-cli fish/vendor_completions.d/quorvane-cli.fish; do
    grep -q 'dedupe-first' "$prefix/share/$completion" || fail "no completion at share/$completion"
done
echo "installed and checked under $prefix"
