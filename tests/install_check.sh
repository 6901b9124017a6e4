#!/usr/bin/env bash
# Installs the build into a scratch prefix and validates what a desktop
# needs; then builds the Debian package and checks its dependencies and
# files, and it passes Debian's own checks: lintian, and hardening-check on
# the program.
#   install_check.sh BUILD_DIR
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cmake --install "$build" --prefix "$scratch/usr" >/dev/null
for file in bin/vendrola share/applications/bg.vendrola.Vendrola.desktop \
            share/metainfo/bg.vendrola.Vendrola.metainfo.xml \
            share/icons/hicolor/32x32/apps/bg.vendrola.Vendrola.png \
            share/icons/hicolor/256x256/apps/bg.vendrola.Vendrola.png; do
    [ -e "$scratch/usr/$file" ] || { echo "not installed: $file"; exit 1; }
done
desktop-file-validate "$scratch/usr/share/applications/bg.vendrola.Vendrola.desktop"
# Vendrola has no home page, and an address that leads nowhere is worse than
# none; AppStream 1.0 (Debian 13) warns about the missing one, 0.16 knows no
# such warning.
metainfo=$scratch/usr/share/metainfo/bg.vendrola.Vendrola.metainfo.xml
overrides=()
report=$(appstreamcli validate --no-net "$metainfo" 2>&1 || true)
if grep -q 'url-homepage-missing' <<<"$report"; then
    overrides=(--override=url-homepage-missing=info)
fi
appstreamcli validate --no-net "${overrides[@]}" "$metainfo"
grep -q '^Name\[bg\]=' "$scratch/usr/share/applications/bg.vendrola.Vendrola.desktop"
grep -q '^Comment\[bg\]=' "$scratch/usr/share/applications/bg.vendrola.Vendrola.desktop"
grep -q '^Categories=Education;' "$scratch/usr/share/applications/bg.vendrola.Vendrola.desktop"
# MIT throughout, and no address that leads nowhere.
grep -q '<project_license>MIT</project_license>' "$scratch/usr/share/metainfo/bg.vendrola.Vendrola.metainfo.xml"
! grep -q 'https\?://' "$scratch/usr/share/metainfo/bg.vendrola.Vendrola.metainfo.xml" \
    || { echo "the AppStream data has a web address"; exit 1; }

(cd "$build" && cpack -B "$scratch/package" >/dev/null)
deb=$(ls "$scratch"/package/vendrola_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libqt6widgets6 libqt6gui6 libqt6core6 fonts-liberation2 qt6-wayland; do
    grep -q "$package" <<<"$depends" || { echo "missing dependency: $package"; exit 1; }
done
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/vendrola ./usr/share/applications/bg.vendrola.Vendrola.desktop \
            ./usr/share/metainfo/bg.vendrola.Vendrola.metainfo.xml \
            ./usr/share/icons/hicolor/128x128/apps/bg.vendrola.Vendrola.png \
            ./usr/share/doc/vendrola/copyright ./usr/share/doc/vendrola/changelog.gz \
            ./usr/share/man/man1/vendrola.1.gz; do
    grep -q " $file\$" <<<"$contents" || { echo "not in the package: $file"; exit 1; }
done
# Unpacked into a scratch root, the program is the one built, stripped.
dpkg-deb -x "$deb" "$scratch/root"
build_id() { readelf -n "$1" | sed -n 's/^ *Build ID: //p'; }
[ -n "$(build_id "$scratch/usr/bin/vendrola")" ] &&
    [ "$(build_id "$scratch/root/usr/bin/vendrola")" = "$(build_id "$scratch/usr/bin/vendrola")" ]
[[ $(file -b "$scratch/root/usr/bin/vendrola") == *", stripped"* ]]
grep -q '^License: Expat$' "$scratch/root/usr/share/doc/vendrola/copyright"
zcat "$scratch/root/usr/share/doc/vendrola/changelog.gz" | head -n 1 | grep -q '^vendrola (1\.0\.0) '

lintian --fail-on error,warning "$deb"
# Control-flow protection (Intel's CET) marks a program only where every
# object linked into it carries the mark, and the C library's start-up file
# does not on Debian 12 or 13: no Debian program has it there, though the
# compiler is asked for it (-fcf-protection, Debian 13). Branch protection
# is arm64's. Each is required only where it can be had.
skip=()
readelf -n "$(g++ -print-file-name=crt1.o)" | grep -q 'x86 feature:.*IBT' || skip+=(--nocfprotection)
if [[ $(hardening-check --help 2>&1 || true) == *--nobranchprotection* ]] &&
    [ "$(dpkg --print-architecture)" != arm64 ]; then
    skip+=(--nobranchprotection)
fi
hardening-check "${skip[@]}" "$scratch/root/usr/bin/vendrola"
echo "install and package: all checks hold"
