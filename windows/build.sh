# Vendrola for Windows x64, built on Debian: Qt from Debian's own qt6-base
# source cross-compiled with MinGW-w64 (once, then cached), Vendrola against
# it, the zip and the installer in dist/, and the checks under Wine.
# Sourced by scripts/vendrola.sh, whose install_missing, configure_and_build,
# $here and $build it uses.

windows_packages=(cmake make ninja-build g++ pkg-config qt6-base-dev qt6-base-private-dev
    dpkg-dev xz-utils g++-mingw-w64-x86-64-posix nsis wine wine64 fonts-liberation2
    xvfb xdotool imagemagick x11-utils openbox wmctrl libxcb1-dev libxcb-damage0-dev
    libgl-dev unzip)

# Only what Vendrola loads: Core, Gui, Widgets, the Windows platform plugin
# and the native style. Debian's source leaves out the tablet header that the
# platform plugin includes (not free), so tablet events are off.
qt_options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF
    -DFEATURE_dynamicgl=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_testlib=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_vulkan=OFF -DFEATURE_zstd=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF
    -DFEATURE_pkg_config=OFF -DFEATURE_tabletevent=OFF)

windows_build=${VENDROLA_WINDOWS_BUILD_DIR:-$here/build-windows}
dist=$here/dist

# The host's Qt tools (moc, rcc, uic) build the Windows Qt, so both come from
# the same Debian source version.
qt_source_version() {
    dpkg-query -W -f='${source:Version}' qt6-base-dev
}

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
    # Debian's source package through a sources list of our own, so the
    # machine's apt configuration stays as it is: the deb-src twins of the
    # release's own Debian entries.
    local codename apt_options
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    mkdir -p "$work/apt/parts" "$work/apt/lists/partial"
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        if [ -f "$f" ]; then sed -n "s/^deb \(.* $codename[-a-z]* .*\)/deb-src \1/p" "$f"; fi
    done >"$work/apt/parts/debian-sources.list"
    for f in /etc/apt/sources.list.d/*.sources; do
        if [ -f "$f" ]; then
            awk -v codename="$codename" 'BEGIN { RS = ""; ORS = "\n\n" }
                $0 ~ ("Suites:[^\n]*" codename) { sub(/Types: deb/, "Types: deb-src"); print }' "$f"
        fi
    done >"$work/apt/parts/debian-sources.sources"
    apt_options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$work/apt/parts"
        -o "Dir::State::Lists=$work/apt/lists" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
        -o APT::Sandbox::User=root)
    apt-get "${apt_options[@]}" update -q
    (cd "$work" && apt-get "${apt_options[@]}" source --download-only "qt6-base=$version")
    dpkg-source -x "$work"/qt6-base_*.dsc "$work/src"

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
        echo "Qt $version (Qt Core, Qt Gui, Qt Widgets and their Windows plugins), built from"
        echo "Debian's qt6-base source package, version $version, as Debian $codename"
        echo "publishes it; 'apt-get source qt6-base=$version' fetches that source."
        echo "Cross-compiled for Windows x64 with Debian's MinGW-w64 ($(x86_64-w64-mingw32-g++-posix --version | head -n 1)), configured with:"
        printf '    %s\n' "${qt_options[@]}"
        echo "Qt is used under the GNU Lesser General Public License, version 3, and stays in"
        echo "its own DLLs (Qt6*.dll, platforms/, styles/), which may be replaced by other builds"
        echo "of the same Qt version. Files: LGPL-3.0-only.txt, GPL-3.0-only.txt; the"
        echo "licences of the third-party code inside Qt are in copyright."
    } >"$doc/SOURCE.txt"
    rm -rf "$work"
    touch "$prefix/.complete"
}

# A Wine prefix of its own for each check, at the given resolution, with
# Liberation Serif standing in for Times New Roman as fontconfig does on
# Linux (Windows has Times New Roman; Wine has none).
new_wine_prefix() {
    local dpi=$1 prefix
    prefix=$(mktemp -d -p "$scratch")
    WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all DISPLAY= \
        wineboot --init >/dev/null 2>&1
    local reg=(env WINEPREFIX="$prefix" WINEDEBUG=-all DISPLAY= wine reg add)
    "${reg[@]}" 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
    "${reg[@]}" 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /d 'Liberation Serif' \
        /f >/dev/null
    # Shortcuts stay inside the prefix, not in this machine's desktop menus.
    "${reg[@]}" 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f >/dev/null
    WINEPREFIX=$prefix wineserver -w
    echo "$prefix"
}

# Runs the real-window test against a Windows program under Wine.
e2e_under_wine() {
    local prefix=$1 scale=$2 exe=$3
    shift 3
    local status=0
    (cd "$build/tests" && WINEPREFIX=$prefix WINEDEBUG=-all QT_QPA_PLATFORM=offscreen \
        VENDROLA_E2E_COMMAND="wine $exe" VENDROLA_E2E_SCALE=$scale ./tst_e2e "$@") || status=$?
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    return $status
}

# Silently installs into a fresh prefix, checks what a user sees of it, opens
# the installed program, then silently uninstalls and checks nothing is left.
check_installer() {
    local setup=$1 prefix=$2 failed=0
    local wine=(env WINEPREFIX="$prefix" WINEDEBUG=-all DISPLAY= wine)
    local key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vendrola'
    WINEPREFIX=$prefix WINEDEBUG=-all DISPLAY= wine "$setup" /S
    WINEPREFIX=$prefix wineserver -w
    local local_appdata appdata dir menu entry
    local_appdata=$("${wine[@]}" cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')
    appdata=$("${wine[@]}" cmd /c 'echo %APPDATA%' | tr -d '\r')
    dir=$(WINEPREFIX=$prefix winepath -u "$local_appdata\\Programs\\Vendrola" 2>/dev/null)
    menu=$(WINEPREFIX=$prefix winepath -u "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Vendrola" 2>/dev/null)
    entry=$("${wine[@]}" reg query "$key" 2>/dev/null | tr -d '\r')
    check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failed=1; fi; }
    check "installed for this user in $dir" '[ -f "$dir/vendrola.exe" ] && [ -f "$dir/platforms/qwindows.dll" ]'
    check "Start-menu shortcut" '[ -f "$menu/Vendrola.lnk" ]'
    check "uninstall entry with name, version, publisher, icon and uninstaller" \
        'grep -q "DisplayName.*Vendrola" <<<"$entry" && grep -q "DisplayVersion.*$version" <<<"$entry" &&
         grep -q "Publisher.*Vendrola" <<<"$entry" && grep -q "DisplayIcon.*vendrola.exe" <<<"$entry" &&
         grep -q "UninstallString.*Uninstall.exe" <<<"$entry"'
    check "nothing for all users" \
        '! "${wine[@]}" reg query "${key/HKCU/HKLM}" >/dev/null 2>&1'
    check "the installed program opens its window" \
        'e2e_under_wine "$prefix" 1 "$dir/vendrola.exe" paletteShowsOnTheFaces closingEndsTheProgram'
    WINEPREFIX=$prefix WINEDEBUG=-all DISPLAY= wine "$dir/Uninstall.exe" /S
    # The uninstaller runs on from a copy of itself; wait for it to end.
    WINEPREFIX=$prefix wineserver -w
    check "uninstalled: no folder, shortcut or registry entry left" \
        '[ ! -e "$dir" ] && [ ! -e "$menu" ] && ! "${wine[@]}" reg query "$key" >/dev/null 2>&1 &&
         ! "${wine[@]}" reg query "HKCU\\Software\\The Vendrola developers" >/dev/null 2>&1'
    return $failed
}

windows_main() {
    # A step that fails inside $(...) fails the command too.
    shopt -s inherit_errexit
    install_missing "${windows_packages[@]}"
    local started=$SECONDS qt_prefix
    windows_qt
    echo "== Qt for Windows: $qt_prefix ($((SECONDS - started)) s)"

    cmake -S "$here" -B "$windows_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake"
    cmake --build "$windows_build" --parallel "$(nproc)"
    rm -rf "$windows_build/_CPack_Packages"
    (cd "$windows_build" && cpack -B "$dist")
    rm -rf "$dist/_CPack_Packages"
    ls -l "$dist"

    echo "== Checks of the Windows build under Wine"
    # The Linux build's real-window test, told to start the Windows program.
    cmake -S "$here" -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DBUILD_TESTING=ON
    cmake --build "$build" --parallel "$(nproc)" --target tst_e2e
    local version zip setup
    version=$(sed -n 's/^project(Vendrola VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
    zip=$dist/vendrola-$version-windows-x64.zip
    setup=$dist/vendrola-$version-setup.exe
    # Wine prefixes and the unpacked zip, removed at the end.
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    local failures=0
    unzip -q "$zip" -d "$scratch"
    local exe=$scratch/vendrola-$version-windows-x64/vendrola.exe
    echo "-- a windowed program, which opens no console"
    [[ $(x86_64-w64-mingw32-objdump -p "$exe") == *"(Windows GUI)"* ]] \
        || { echo "FAILED: vendrola.exe is a console program"; failures=$((failures + 1)); }
    for dpi_scale in 96:1 120:1.25; do
        echo "-- the portable program at ${dpi_scale%%:*} DPI"
        e2e_under_wine "$(new_wine_prefix "${dpi_scale%%:*}")" "${dpi_scale##*:}" "$exe" \
            || failures=$((failures + 1))
    done

    echo "-- the installer, silently, into a fresh prefix"
    check_installer "$setup" "$(new_wine_prefix 96)" || failures=$((failures + 1))
    echo "Windows checks: $((4 - failures)) passed, $failures failed"
    [ "$failures" -eq 0 ]
}
