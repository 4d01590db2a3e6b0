# Shared by scripts/run, scripts/test and scripts/bench: install what is missing, then build.

# Debian packages the build, the tests and the window need.
QUORVANE_PACKAGES=(
    cmake ninja-build g++ pkg-config libutf8proc-dev libidn2-dev
    qt6-base-dev libgl-dev libabsl-dev libgtest-dev
    fonts-liberation xvfb xauth xdotool xclip desktop-file-utils
    time help2man strace binutils appstream python3
)

# What building and checking the Debian package adds.
QUORVANE_PACKAGE_PACKAGES=(dpkg-dev file lintian)

# What the sanitizer and libFuzzer builds add: clang and its sanitizer and fuzzer runtimes.
QUORVANE_CLANG_PACKAGES=(clang libclang-rt-14-dev)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

# Installs the given Debian packages that are not installed yet; silent when none is missing.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures and builds one preset (release, debug, ...).
build_preset() {
    local preset=$1
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
}
