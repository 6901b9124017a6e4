#!/usr/bin/env bash
# Sets up a Debian 12 or 13 machine for Vendrola, builds it, and then opens
# the window, runs every test or the benchmarks, or builds for Windows.
#   scripts/vendrola.sh run     install what is missing, build, open the window
#   scripts/vendrola.sh test    install what is missing, build, run all tests
#   scripts/vendrola.sh bench   install what is missing, build, run the benchmarks
#   scripts/vendrola.sh windows install what is missing, build for Windows, make
#                               the zip, the installer and the MSI in ./dist, check them
#                               under Wine
#   scripts/vendrola.sh web     install what is missing, build the page, leave its
#                               folder and zip in ./dist, check it in Chromium,
#                               Firefox and WebKit
# The build goes to ./build, the sanitizer build of the tests to
# ./build-sanitize (VENDROLA_BUILD_DIR overrides the first; the second follows),
# the Windows build to ./build-windows, the page's to ./build-web.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VENDROLA_BUILD_DIR:-$here/build}
mode=${1:-}

# What building and running need, and what the tests add to it.
# dpkg-buildflags (dpkg-dev) gives the compiler Debian's hardening flags;
# lintian and hardening-check (devscripts) check the Debian package.
build_packages=(cmake make g++ pkg-config dpkg-dev qt6-base-dev qt6-wayland libgl-dev libxcb1-dev libxcb-damage0-dev fonts-liberation2)
test_packages=(qt6-base-private-dev xvfb xdotool imagemagick x11-utils openbox wmctrl qt6-gtk-platformtheme sway wtype grim desktop-file-utils appstream file lintian devscripts)

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
    # The tests need packages of their own; the program alone does not.
    configure_and_build "$build" -DBUILD_TESTING=OFF
    exec "$build/vendrola"
    ;;
test)
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    # Every test twice: under AddressSanitizer and UndefinedBehaviorSanitizer
    # (with leak checks), then as built for users.
    configure_and_build "$build-sanitize" -DVENDROLA_SANITIZE=ON -DBUILD_TESTING=ON
    (cd "$build-sanitize" && ctest --output-on-failure --parallel "$(nproc)")
    # The Windows packages' and the page's checks belong to their commands.
    configure_and_build "$build" -DBUILD_TESTING=ON -DVENDROLA_WINDOWS_PACKAGES= -DVENDROLA_WEB_PAGE=
    cd "$build"
    exec ctest --output-on-failure --parallel "$(nproc)"
    ;;
bench)
    install_missing "${build_packages[@]}" xvfb valgrind
    configure_and_build "$build" -DBUILD_TESTING=OFF
    export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
    echo "== ResetChart and DrawChart, per call (offscreen)"
    QT_QPA_PLATFORM=offscreen "$build/bench/bench_chart" | grep -A1 '^RESULT'
    echo "== Start-up under a private Xvfb without a window manager, ${VENDROLA_BENCH_RUNS:-15} runs each, interleaved"
    exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 2>/dev/null)
    xvfb_pid=$!
    read -r display <&3
    trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
    DISPLAY=":$display" "$build/bench/startup_bench" "${VENDROLA_BENCH_RUNS:-15}" \
        vendrola="$build/vendrola" bare="$build/bench/bare_window" \
        bare+text="$build/bench/bare_text_window"
    # Instructions do not depend on how busy the machine is: count them from
    # the start of the process until its window is up and its event loop
    # first waits (first_wait ends the program there).
    echo "== Start-up instructions (callgrind), same X server"
    for program in vendrola bench/bare_window bench/bare_text_window; do
        count=$(cd "$(mktemp -d)" && DISPLAY=":$display" \
            LD_PRELOAD="$build/bench/libfirst_wait.so" \
            valgrind --tool=callgrind --callgrind-out-file=callgrind.out \
            "$build/$program" 2>&1 | sed -n 's/^==[0-9]*== Collected : //p')
        printf '%-26s %12s instructions\n' "${program#bench/}" "$count"
    done
    ;;
windows)
    source "$here/scripts/qt-source.sh"
    source "$here/windows/build.sh"
    windows_main
    ;;
web)
    source "$here/scripts/qt-source.sh"
    source "$here/web/build.sh"
    web_main
    ;;
*)
    echo "usage: $0 run|test|bench|windows|web" >&2
    exit 2
    ;;
esac
