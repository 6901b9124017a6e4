# Debian's own qt6-base source, for the Qt builds of the platforms Debian has
# no Qt for (Windows, the browser), and Vendrola's build with such a Qt.
# Sourced by their build scripts, after scripts/vendrola.sh set $here.

# The version of the host's Qt: its tools (moc, rcc, uic) build the other
# platforms' Qt, so both come from the same source version.
qt_source_version() {
    dpkg-query -W -f='${source:Version}' qt6-base-dev
}

# qt_source_fetch WORKDIR: fetches the source package of the host's Qt
# version and unpacks it into WORKDIR/src. The package comes through a
# sources list of our own, the deb-src twins of the release's own Debian
# entries, so the machine's apt configuration stays as it is.
qt_source_fetch() {
    local work=$1 version codename f
    version=$(qt_source_version)
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    mkdir -p "$work/apt/parts" "$work/apt/lists/partial"
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        if [ -f "$f" ]; then sed -n "s/^deb \(.* $codename[-a-z]* .*\)/deb-src \1/p" "$f"; fi
    done >"$work/apt/parts/debian-sources.list"
    for f in /etc/apt/sources.list.d/*.sources; do
        if [ -f "$f" ]; then
            awk -v codename="$codename" 'BEGIN { RS = ""; ORS = "\n\n" }
                $0 ~ ("Suites:[^\n]*" codename) { sub(/Types: deb/, "Types: deb-src"); print }' "$f"
        fi
    done >"$work/apt/parts/debian-sources.sources"
    local apt_options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$work/apt/parts"
        -o "Dir::State::Lists=$work/apt/lists" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
        -o APT::Sandbox::User=root)
    apt-get "${apt_options[@]}" update -q
    (cd "$work" && apt-get "${apt_options[@]}" source --download-only "qt6-base=$version")
    dpkg-source -x "$work"/qt6-base_*.dsc "$work/src"
}

# qt_source_notice PLATFORM OPTIONS...: what a package must say of the Qt it
# carries, where its source came from and how it was built, on stdout.
qt_source_notice() {
    local platform=$1 version codename
    shift
    version=$(qt_source_version)
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "Qt $version (Qt Core, Qt Gui, Qt Widgets and their $platform plugins), built from"
    echo "Debian's qt6-base source package, version $version, as Debian $codename"
    echo "publishes it; 'apt-get source qt6-base=$version' fetches that source."
    echo "Configured with:"
    printf '    %s\n' "$@"
}

# build_with_qt DIR QT_PREFIX BUILD_TYPE: configures and builds Vendrola in
# DIR with the Qt in QT_PREFIX. A build made with another Qt (an older
# cached one, say) starts afresh: its cache would keep the Qt it was first
# configured with.
build_with_qt() {
    local dir=$1 toolchain=$2/lib/cmake/Qt6/qt.toolchain.cmake type=$3 fresh=()
    if [ -f "$dir/CMakeCache.txt" ] &&
        [ "$(sed -n "s/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p" "$dir/CMakeCache.txt")" != "$toolchain" ]; then
        fresh=(--fresh)
    fi
    cmake "${fresh[@]}" -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain"
    cmake --build "$dir" --parallel "$(nproc)"
}
