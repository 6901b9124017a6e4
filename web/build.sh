# Vendrola in the browser, built on Debian: Qt from Debian's own qt6-base
# source built for WebAssembly with Debian's emscripten (once, then cached),
# Vendrola against it, the page's folder and its zip in dist/, and the checks
# in Chromium, Firefox and WebKit (WebKitGTK, Safari's engine). Sourced by scripts/vendrola.sh, whose install_missing, $here
# and $build it uses, after scripts/qt-source.sh.

web_packages=(cmake make ninja-build g++ pkg-config qt6-base-dev qt6-base-private-dev
    dpkg-dev xz-utils patch brotli emscripten node-acorn python3 python3-fonttools python3-websocket
    fonts-liberation2
    chromium firefox-esr webkit2gtk-driver gir1.2-webkit2-4.1 python3-gi
    python3-pyatspi at-spi2-core dbus-daemon
    xvfb xdotool xclip imagemagick x11-utils openbox wmctrl libxcb1-dev libxcb-damage0-dev libgl-dev)

# Static, without threads, and only what the window uses: Core, Gui and
# Widgets with the widgets it shows (and the few that Qt 6.4 cannot build
# without: menus, menu bars and tool bars), built for size. Left out too:
# the calendars other than the Gregorian, time zones (the window shows no
# time), and HarfBuzz: the window's texts are Latin and Cyrillic, which
# Qt's own shaping lays out, kerned by the font's kern table. OpenGL stays
# on, since the browser platform composes its windows with WebGL. Qt's own
# fallback fonts are left out of its platform plugin: the page carries the
# window's font, and those would be a megabyte nobody sees.
web_qt_options=(-DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_SHARED_LIBS=OFF -DFEATURE_thread=OFF
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
    -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF -DFEATURE_testlib=OFF
    -DFEATURE_mimetype_database=OFF -DFEATURE_zstd=OFF
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF -DFEATURE_imageformat_bmp=OFF
    -DFEATURE_imageformat_ppm=OFF -DFEATURE_imageformat_xbm=OFF -DFEATURE_movie=OFF
    -DFEATURE_pdf=OFF -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF
    -DFEATURE_textodfwriter=OFF -DFEATURE_style_stylesheet=OFF -DFEATURE_sessionmanager=OFF
    -DFEATURE_systemtrayicon=OFF -DFEATURE_tuiotouch=OFF -DFEATURE_undocommand=OFF
    -DFEATURE_lineedit=OFF -DFEATURE_combobox=OFF -DFEATURE_spinbox=OFF -DFEATURE_tabbar=OFF
    -DFEATURE_toolbox=OFF -DFEATURE_dockwidget=OFF
    -DFEATURE_mdiarea=OFF -DFEATURE_statusbar=OFF -DFEATURE_progressbar=OFF
    -DFEATURE_dial=OFF -DFEATURE_lcdnumber=OFF -DFEATURE_graphicsview=OFF
    -DFEATURE_graphicseffect=OFF -DFEATURE_syntaxhighlighter=OFF -DFEATURE_calendarwidget=OFF
    -DFEATURE_datetimeedit=OFF -DFEATURE_keysequenceedit=OFF -DFEATURE_colordialog=OFF
    -DFEATURE_filedialog=OFF -DFEATURE_fontdialog=OFF -DFEATURE_progressdialog=OFF
    -DFEATURE_inputdialog=OFF -DFEATURE_errormessage=OFF -DFEATURE_wizard=OFF
    -DFEATURE_textbrowser=OFF -DFEATURE_splashscreen=OFF -DFEATURE_splitter=OFF
    -DFEATURE_formlayout=OFF -DFEATURE_commandlinkbutton=OFF -DFEATURE_radiobutton=OFF
    -DFEATURE_tableview=OFF -DFEATURE_treeview=OFF -DFEATURE_columnview=OFF
    -DFEATURE_datawidgetmapper=OFF -DFEATURE_completer=OFF -DFEATURE_sizegrip=OFF
    -DFEATURE_whatsthis=OFF -DFEATURE_statustip=OFF
    -DFEATURE_effects=OFF -DFEATURE_image_text=OFF
    -DFEATURE_hijricalendar=OFF -DFEATURE_jalalicalendar=OFF -DFEATURE_islamiccivilcalendar=OFF
    -DFEATURE_timezone=OFF -DFEATURE_harfbuzz=OFF)
# Both leave out SHA-3's unrolled code, which is fast but large (nothing
# here hashes much). (The Windows style stays: Qt's widgets cannot build
# without it, though the window is drawn in Fusion.)
web_qt_options+=(-DFEATURE_sha3_fast=OFF)
# And then (web_qt adds these, in this order): regular expressions, and
# PCRE2 with them (the window matches none; Qt 6.8's browser platform finds
# its keys without them once patched), with the file system model, which
# cannot go without them (the window shows no files), PNG in Qt 6.4 only
# (which draws its few built-in images from XPM; Qt 6.8 keeps it for now,
# and its message boxes the PNG icons they prefer), MIME types (whose
# database a page has no copy of, and whose XML reader goes with them) and
# settings (the window keeps none).
web_qt_options_lean=(-DFEATURE_regularexpression=OFF -DFEATURE_filesystemmodel=OFF
    -DFEATURE_png=OFF -DFEATURE_mimetype=OFF -DFEATURE_settings=OFF)
# Qt 6.8 besides (web_qt adds it last): Debian 13's emscripten takes the
# -fexceptions Qt Core is compiled with as a request to catch exceptions in
# JavaScript, and wraps each of Core's calls that might throw in a call out
# to JavaScript and back. The page's Qt catches none, as Qt 6.4 built with
# Debian 12's emscripten does not: a throw ends the program, as running out
# of memory does.
web_qt_options_6_8=(-DCMAKE_CXX_FLAGS=-sDISABLE_EXCEPTION_CATCHING=1)

web_build=${VENDROLA_WEB_BUILD_DIR:-$here/build-web}
dist=$here/dist

# Qt's CMake helpers for the browser expect emscripten's SDK layout: a folder
# named in EMSDK whose .emscripten names the compiler's root inside it, with
# emcc there. This one leads to Debian's emscripten.
web_emsdk() {
    local sdk=$1
    mkdir -p "$sdk/upstream/emscripten"
    echo "EMSCRIPTEN_ROOT = emsdk_path + '/upstream/emscripten'" >"$sdk/.emscripten"
    ln -sfn /usr/bin/emcc "$sdk/upstream/emscripten/emcc"
    ln -sfn /usr/share/emscripten/cmake "$sdk/upstream/emscripten/cmake"
    export EMSDK=$sdk EMSCRIPTEN=/usr/share/emscripten
    # emscripten's JavaScript optimizer needs acorn, which Debian keeps here.
    export NODE_PATH=/usr/share/nodejs
}

# The changes to Qt's source the page's Qt is built with: the numbered patch
# files in web/qt-<version>/, applied with patch -p1 in their order. (That
# folder's unnumbered qtloader patch changes the installed loader instead, as
# the page is linked.)
web_qt_patches() {
    local version
    version=$(qt_source_version)
    version=${version%.*}
    printf '%s\n' "$here/web/qt-$version"/[0-9]*.patch
}

# Sets web_qt_prefix to the folder of the browser's Qt, building it first if
# the cache has none for this source version, these options, these changes
# and this emscripten; VENDROLA_WEB_QT names another.
web_qt() {
    local version key prefix work patch patches
    # A Qt of the user's own, as for relinking the page with another Qt.
    if [ -n "${VENDROLA_WEB_QT:-}" ]; then
        web_qt_prefix=$VENDROLA_WEB_QT
        return
    fi
    version=$(qt_source_version)
    local options=("${web_qt_options[@]}") option
    for option in "${web_qt_options_lean[@]}"; do
        [[ $option == -DFEATURE_png=OFF && $version != 6.4.* ]] || options+=("$option")
    done
    [[ $version == 6.4.* ]] || options+=("${web_qt_options_6_8[@]}")
    mapfile -t patches < <(web_qt_patches)
    [ -f "${patches[0]}" ] || { echo "vendrola: no changes to Qt $version in web/" >&2; return 1; }
    key=$( { echo "$version"; printf '%s\n' "${options[@]}"; cat "${patches[@]}";
             emcc --version | sed -n 1p; } | sha256sum | cut -c1-12)
    prefix=${XDG_CACHE_HOME:-$HOME/.cache}/vendrola/qt-${version%%+*}-wasm-$key
    web_qt_prefix=$prefix
    [ -f "$prefix/.complete" ] && return
    echo "== Qt $version for the browser: not in the cache, building it into $prefix"
    rm -rf "$prefix"
    mkdir -p "$prefix"
    work=$(mktemp -d)
    qt_source_fetch "$work"
    for patch in "${patches[@]}"; do
        patch -p1 --forward --batch -d "$work/src" <"$patch"
    done
    web_emsdk "$work/emsdk"
    cmake -G Ninja -S "$work/src" -B "$work/build" \
        -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
        -DEMSCRIPTEN_ROOT_PATH=/usr/share/emscripten \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}"
    cmake --build "$work/build" --parallel "$(nproc)"
    cmake --install "$work/build"

    # The licences the page carries: Qt's, its source and how it was built,
    # and the changes, verbatim, as they were applied.
    local doc=$prefix/share/doc/qt6-base
    mkdir -p "$doc"
    cp "$work/src/LICENSES/LGPL-3.0-only.txt" "$work/src/LICENSES/GPL-3.0-only.txt" "$doc/"
    cp "$work/src/debian/copyright" "$doc/copyright"
    cp "${patches[@]}" "$doc/"
    {
        qt_source_notice WebAssembly "${options[@]}"
        echo "Built for WebAssembly with Debian's emscripten:"
        echo "    $(emcc --version | sed -n 1p)"
        echo "Changes to the source, applied in this order with 'patch -p1', each"
        echo "file beside this one and saying what it changes and why:"
        printf '    %s\n' "${patches[@]##*/}"
    } >"$doc/SOURCE.txt"
    rm -rf "$work"
    touch "$prefix/.complete"
}

# The web's own checkers, from the npm registry, installed once into the
# cache: axe-core, and Lighthouse, which runs on Debian's Node and drives
# Debian's Chromium. Sets web_tools to their folder, or to nothing where the
# registry cannot be reached: the page's checks then run without them.
web_tools_packages=(axe-core@4.14.1 lighthouse@12.2.3)
web_tools() {
    # Node's own npm where the machine has one (it may come with Node).
    command -v npm >/dev/null || install_missing nodejs npm
    web_tools=${XDG_CACHE_HOME:-$HOME/.cache}/vendrola/web-tools-$(
        { printf '%s\n' "${web_tools_packages[@]}"; node --version; } | sha256sum | cut -c1-12)
    [ -f "$web_tools/.complete" ] && return
    rm -rf "$web_tools"
    mkdir -p "$web_tools"
    if ! npm install --prefix "$web_tools" --no-audit --no-fund --no-save "${web_tools_packages[@]}"; then
        echo "vendrola: axe-core and Lighthouse could not be installed from the npm registry;" \
             "the page is checked without them" >&2
        rm -rf "$web_tools"
        web_tools=
        return 0
    fi
    touch "$web_tools/.complete"
}

web_main() {
    # A step that fails inside $(...) fails the command too.
    shopt -s inherit_errexit
    install_missing "${web_packages[@]}"
    local started=$SECONDS web_qt_prefix
    web_qt
    echo "== Qt for the browser: $web_qt_prefix ($((SECONDS - started)) s)"

    web_emsdk "$web_build/emsdk"
    build_with_qt "$web_build" "$web_qt_prefix" MinSizeRel
    local version folder
    version=$(sed -n 's/^project(Vendrola VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
    folder=$dist/vendrola-$version-web
    rm -rf "$folder" "$dist/vendrola-$version-web.zip"
    cmake --install "$web_build" --prefix "$folder"
    (cd "$web_build" && cpack -B "$dist")
    rm -rf "$dist/_CPack_Packages"
    ls -l "$dist"

    local web_tools
    web_tools

    echo "== Checks of the page in Chromium, Firefox and WebKit"
    # Tests of the Linux build's, told where the page is: its real-window
    # test opens the page in each engine, the page's own checks read what
    # each engine's accessibility tree holds, and in Chromium open the page
    # offline, as a new build, on phones and a tablet and as a file.
    cmake -S "$here" -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DBUILD_TESTING=ON -DVENDROLA_WEB_PAGE="$folder" -DVENDROLA_WEB_TOOLS="$web_tools"
    cmake --build "$build" --parallel "$(nproc)" --target tst_e2e
    (cd "$build" && ctest --output-on-failure -L web)

    echo "== The page's size and how soon it shows"
    /usr/bin/python3 "$here/bench/web_bench.py" "$folder" ${web_tools:+--lighthouse "$web_tools"}
}
