#!/usr/bin/env bash
# Sets up a Debian 12 machine for Vendrola, builds it, and then either opens
# the window or runs every test.
#   scripts/vendrola.sh run     install what is missing, build, open the window
#   scripts/vendrola.sh test    install what is missing, build, run all tests
# The build goes to ./build, the sanitizer build of the tests to
# ./build-sanitize (VENDROLA_BUILD_DIR overrides the first; the second follows).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VENDROLA_BUILD_DIR:-$here/build}
mode=${1:-}

# What building and running need, and what the tests add to it.
build_packages=(cmake make g++ pkg-config qt6-base-dev libgl-dev libxcb1-dev libxcb-damage0-dev fonts-liberation2)
test_packages=(xvfb xdotool imagemagick x11-utils openbox wmctrl desktop-file-utils appstream dpkg-dev file)

install_missing() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            as_root=(sudo)
        else
            echo "vendrola: these Debian packages are missing: ${missing[*]}" >&2
            echo "vendrola: installing them needs root; run this as root or install sudo." >&2
            exit 1
        fi
    fi
    echo "Installing: ${missing[*]}"
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# configure_and_build DIR [CMAKE OPTIONS...]
configure_and_build() {
    local dir=$1
    shift
    cmake -S "$here" -B "$dir" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" --parallel "$(nproc)"
}

case "$mode" in
run)
    install_missing "${build_packages[@]}"
    configure_and_build "$build"
    exec "$build/vendrola"
    ;;
test)
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    # Every test twice: under AddressSanitizer and UndefinedBehaviorSanitizer
    # (with leak checks), then as built for users.
    configure_and_build "$build-sanitize" -DVENDROLA_SANITIZE=ON
    (cd "$build-sanitize" && ctest --output-on-failure --parallel "$(nproc)")
    configure_and_build "$build"
    cd "$build"
    exec ctest --output-on-failure --parallel "$(nproc)"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
