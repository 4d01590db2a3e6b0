# Sourced by the tests that start the real window. At start-up the window opens its home page
# by chance (one start in a hundred); a test must never start a browser, nor meet the error box
# a missing browser brings. These stubs stand first on PATH in place of every program Qt's
# desktop services or Debian's alternatives would start: each records the address it was given
# and exits at once, successfully.

# The names a browser is looked up by: Qt tries xdg-open, then $DEFAULT_BROWSER and $BROWSER, then
# a few browsers by name; Debian adds its alternatives.
QUORVANE_BROWSER_NAMES=(xdg-open x-www-browser sensible-browser www-browser gnome-open kfmclient
                        google-chrome firefox mozilla opera)

# install_browser_stubs FOLDER: writes the stubs into FOLDER and puts FOLDER first on PATH.
install_browser_stubs() {
    local folder=$1 name
    mkdir -p "$folder"
    for name in "${QUORVANE_BROWSER_NAMES[@]}"; do
        printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s/opened"\nexit 0\n' "$folder" >"$folder/$name"
        chmod 755 "$folder/$name"
    done
    export PATH="$folder:$PATH" BROWSER="$folder/x-www-browser" DEFAULT_BROWSER="$folder/x-www-browser"
}

# check_browser_stubs FOLDER HOME_PAGE: fails when a stub was asked for anything but the home
# page; says so when the start-up draw came up and the stub answered it.
check_browser_stubs() {
    local folder=$1 home=$2 address
    [ -e "$folder/opened" ] || return 0
    while IFS= read -r address; do
        if [ "$address" != "$home" ]; then
            echo "a browser was asked to open '$address'" >&2
            return 1
        fi
    done <"$folder/opened"
    echo "the start-up draw opened the home page; a stub answered it"
}
