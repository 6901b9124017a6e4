# Vendrola for Windows x64, built on Debian: Qt from Debian's own qt6-base
# source cross-compiled with MinGW-w64 (once, then cached), Vendrola against
# it, the zip, the installers (per user and per machine) in dist/, and the
# checks under Wine.
# Sourced by scripts/vendrola.sh, after scripts/qt-source.sh, whose
# install_missing, $here and $build it uses.

windows_packages=(cmake make ninja-build g++ pkg-config qt6-base-dev qt6-base-private-dev
    dpkg-dev xz-utils g++-mingw-w64-x86-64-posix nsis wixl msitools wine wine64 fonts-liberation2
    xvfb xdotool imagemagick x11-utils openbox wmctrl libxcb1-dev libxcb-damage0-dev
    libgl-dev unzip python3-pefile e2fsprogs)

# Only what Vendrola loads: Core, Gui, Widgets, the Windows platform plugin
# and the native style. Debian's source leaves out the tablet header that the
# platform plugin includes (not free), so tablet events are off. The
# third-party libraries are Qt's own copies, built into its DLLs, whatever
# MinGW libraries this machine happens to have.
qt_options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF
    -DFEATURE_dynamicgl=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_testlib=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_vulkan=OFF -DFEATURE_zstd=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF
    -DFEATURE_pkg_config=OFF -DFEATURE_tabletevent=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF
    -DFEATURE_system_textmarkdownreader=OFF)

windows_build=${VENDROLA_WINDOWS_BUILD_DIR:-$here/build-windows}
dist=$here/dist

# Sets qt_prefix to the folder of the Windows Qt, building it first if the
# cache has none for this source version, these options and this compiler.
windows_qt() {
    local version key prefix work
    version=$(qt_source_version)
    key=$( { echo "$version"; printf '%s\n' "${qt_options[@]}";
             cat "$here/windows/mingw-w64-x86_64.cmake";
             x86_64-w64-mingw32-g++-posix --version; } | sha256sum | cut -c1-12)
    prefix=${XDG_CACHE_HOME:-$HOME/.cache}/vendrola/qt-${version%%+*}-windows-x64-$key
    qt_prefix=$prefix
    [ -f "$prefix/.complete" ] && return
    echo "== Qt $version for Windows: not in the cache, building it into $prefix"
    rm -rf "$prefix"
    mkdir -p "$prefix"
    work=$(mktemp -d)
    qt_source_fetch "$work"

    # The toolchain file goes with the Qt built by it: Qt's own toolchain
    # file, which Vendrola's build uses, loads it from there.
    cp "$here/windows/mingw-w64-x86_64.cmake" "$prefix/"
    cmake -G Ninja -S "$work/src" -B "$work/build" \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-x86_64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$prefix" "${qt_options[@]}"
    cmake --build "$work/build" --parallel "$(nproc)"
    cmake --install "$work/build" --strip

    # What a Windows package must say of the Qt it ships: its licences, and
    # where its source came from and how it was built.
    local doc=$prefix/share/doc/qt6-base
    mkdir -p "$doc"
    cp "$work/src/LICENSES/LGPL-3.0-only.txt" "$work/src/LICENSES/GPL-3.0-only.txt" "$doc/"
    cp "$work/src/debian/copyright" "$doc/copyright"
    {
        qt_source_notice Windows "${qt_options[@]}"
        echo "Cross-compiled for Windows x64 with Debian's MinGW-w64:"
        echo "    $(x86_64-w64-mingw32-g++-posix --version | head -n 1)"
        echo "Qt is used under the GNU Lesser General Public License, version 3, and stays in"
        echo "its own DLLs (Qt6*.dll, platforms/, styles/), which may be replaced by other builds"
        echo "of the same Qt version. Files: LGPL-3.0-only.txt, GPL-3.0-only.txt; the"
        echo "licences of the third-party code inside Qt are in copyright."
    } >"$doc/SOURCE.txt"
    rm -rf "$work"
    touch "$prefix/.complete"
}

windows_main() {
    # A step that fails inside $(...) fails the command too.
    shopt -s inherit_errexit
    install_missing "${windows_packages[@]}"
    local started=$SECONDS qt_prefix
    windows_qt
    echo "== Qt for Windows: $qt_prefix ($((SECONDS - started)) s)"

    build_with_qt "$windows_build" "$qt_prefix" Release
    rm -rf "$windows_build/_CPack_Packages"
    (cd "$windows_build" && cpack -B "$dist")
    # CPack's External generator (the MSI's) leaves its metadata beside the packages.
    rm -rf "$dist/_CPack_Packages" "$dist"/vendrola-*-windows-x64.json
    ls -l "$dist"

    echo "== Checks of the Windows build under Wine"
    # Tests of the Linux build's, told where the packages are: its
    # real-window test starts the Windows program, the others the installer.
    cmake -S "$here" -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DBUILD_TESTING=ON -DVENDROLA_WINDOWS_PACKAGES="$dist" \
        -DVENDROLA_WINDOWS_BUILD="$windows_build"
    cmake --build "$build" --parallel "$(nproc)" --target tst_e2e
    (cd "$build" && ctest --output-on-failure -L windows)
}
