#!/usr/bin/env bash
# The Windows packages under Wine, one check per call, each in a Wine prefix
# of its own (a fresh Windows user) under $scratch.
#   wine_check.sh windowed           vendrola.exe is a windowed program, and
#                                    installing fails where a DLL it needs is missing
#   wine_check.sh portable DPI SCALE the real-window test against the unzipped program
#   wine_check.sh install            the installer, silently, into a fresh prefix
#   wine_check.sh installed          what a user sees of that installation; it opens
#   wine_check.sh uninstall          its silent uninstall leaves nothing behind
#   wine_check.sh chosen-folder      /S /D=<a folder of Cyrillic letters and spaces>
#   wine_check.sh upgrade            an older package with one file more, then this one
# From CTest: VENDROLA_WINDOWS_PACKAGES (the zip and the installer),
# VENDROLA_WINDOWS_BUILD, VENDROLA_SOURCE, VENDROLA_VERSION, VENDROLA_E2E (the
# real-window test) and VENDROLA_WINE_SCRATCH.
set -euo pipefail
shopt -s inherit_errexit
# Wine reads command lines and file names in the locale's character set;
# the Cyrillic folder needs UTF-8, whatever locale the caller has.
export LC_ALL=C.UTF-8

version=$VENDROLA_VERSION
zip=$VENDROLA_WINDOWS_PACKAGES/vendrola-$version-windows-x64.zip
setup=$VENDROLA_WINDOWS_PACKAGES/vendrola-$version-setup.exe
scratch=$VENDROLA_WINE_SCRATCH
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vendrola'
chosen='C:\Програми за учене\Вендрола'
mkdir -p "$scratch"
failed=0

check() {
    if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failed=1; fi
}

# A fresh prefix at a resolution, with Liberation Serif standing in for
# Times New Roman as fontconfig does on Linux (Windows has Times New Roman;
# Wine has none), and shortcuts kept inside the prefix.
new_prefix() {
    export WINEPREFIX=$scratch/$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    rm -rf "$WINEPREFIX"
    DISPLAY= wineboot --init >/dev/null 2>&1
    reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${2:-96}" /f
    reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /d 'Liberation Serif' /f
    reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f
    wineserver -w
}
use_prefix() { export WINEPREFIX=$scratch/$1 WINEDEBUG=-all; }
wine_() { DISPLAY= wine "$@" 2>/dev/null | tr -d '\r'; }
reg() { wine_ reg "$@" >/dev/null; }
unix_path() { winepath -u "$1" 2>/dev/null; }
# A registry key as a .reg text; reg query would print Cyrillic as '?'.
reg_text() {
    wine_ reg export "$1" 'C:\key.reg' /y >/dev/null
    iconv -f UTF-16LE -t UTF-8 "$WINEPREFIX/drive_c/key.reg" | tr -d '\r'
}
programs() { unix_path "$(wine_ cmd /c 'echo %LOCALAPPDATA%')\\Programs\\Vendrola"; }
start_menu() { unix_path "$(wine_ cmd /c 'echo %APPDATA%')\\Microsoft\\Windows\\Start Menu\\Programs\\Vendrola"; }

# Runs an installer as an administrator's script would, on a command line
# of its own: NSIS takes /D= unquoted and last.
run_setup() {
    cp "$1" "$WINEPREFIX/drive_c/setup.exe"
    wine_ cmd /c "C:\\setup.exe /S${2:+ /D=$2}" >/dev/null
    wineserver -w
    rm "$WINEPREFIX/drive_c/setup.exe"
}

uninstall_from() {
    local folder=$1
    wine_ "$folder/Uninstall.exe" /S >/dev/null
    # The uninstaller runs on from a copy of itself; wait for it to end.
    wineserver -w
    check "uninstalled from $folder: no folder, shortcut or registry entry left" \
        '[ ! -e "$folder" ] && [ ! -e "$(start_menu)" ] && ! wine_ reg query "$key" >/dev/null &&
         ! wine_ reg query "HKCU\\Software\\The Vendrola developers" >/dev/null'
}

# The real-window test, told to start a Windows program under Wine.
e2e() {
    local scale=$1 exe=$2 status=0
    shift 2
    (cd "$(dirname "$VENDROLA_E2E")" && QT_QPA_PLATFORM=offscreen VENDROLA_E2E_SCALE=$scale \
        VENDROLA_E2E_COMMAND="wine $exe" "$VENDROLA_E2E" "$@") || status=$?
    wineserver -k 2>/dev/null || true
    return $status
}

# The files of a folder, one relative path a line, sorted.
files_of() { (cd "$1" && find . -type f | sort); }

case $1 in
windowed)
    rm -rf "$scratch/zip" && unzip -q "$zip" -d "$scratch/zip"
    check "vendrola.exe is a windowed program, which opens no console" \
        '[[ $(x86_64-w64-mingw32-objdump -p "$scratch"/zip/*/vendrola.exe) == *"(Windows GUI)"* ]]'
    imports=(cmake -DVENDROLA_OBJDUMP=x86_64-w64-mingw32-objdump
        -DCMAKE_INSTALL_PREFIX="$(echo "$scratch"/zip/*)" -P "$VENDROLA_SOURCE/windows/check-imports.cmake")
    check "every DLL needed is in the package or Windows's own" '"${imports[@]}"'
    rm "$scratch"/zip/*/Qt6Gui.dll
    check "without Qt6Gui.dll the package would not install" '! "${imports[@]}" 2>/dev/null'
    ;;
portable)
    new_prefix "portable-$2" "$2"
    unzip -q -o "$zip" -d "$WINEPREFIX/drive_c"
    e2e "$3" "$WINEPREFIX/drive_c/vendrola-$version-windows-x64/vendrola.exe" || failed=1
    ;;
install)
    new_prefix installed
    run_setup "$setup"
    ;;
installed)
    use_prefix installed
    dir=$(programs) menu=$(start_menu)
    entry=$(wine_ reg query "$key")
    check "installed for this user in $dir" '[ -f "$dir/vendrola.exe" ] && [ -f "$dir/platforms/qwindows.dll" ]'
    check "Start-menu shortcut" '[ -f "$menu/Vendrola.lnk" ]'
    check "uninstall entry with name, version, publisher, icon and uninstaller" \
        'grep -q "DisplayName.*Vendrola" <<<"$entry" && grep -q "DisplayVersion.*$version" <<<"$entry" &&
         grep -q "Publisher.*Vendrola" <<<"$entry" && grep -q "DisplayIcon.*vendrola.exe" <<<"$entry" &&
         grep -q "UninstallString.*Uninstall.exe" <<<"$entry"'
    check "nothing for all users" '! wine_ reg query "${key/HKCU/HKLM}" >/dev/null'
    check "the installed program opens its window and closes" \
        'e2e 1 "$dir/vendrola.exe" paletteShowsOnTheFaces closingEndsTheProgram'
    ;;
uninstall)
    use_prefix installed
    uninstall_from "$(programs)"
    ;;
chosen-folder)
    new_prefix chosen
    run_setup "$setup" "$chosen"
    dir=$(unix_path "$chosen")
    check "installed into $chosen and nowhere else" \
        '[ -f "$dir/vendrola.exe" ] && [ ! -e "$(programs)" ] &&
         reg_text "$key" | grep -q "UninstallString.*Програми за учене.*Вендрола.*Uninstall.exe"'
    uninstall_from "$dir"
    ;;
upgrade)
    # An older version, with one file more than this one has (a style
    # plugin that was renamed since), installed into a folder of the user's
    # choosing; then this version, without a folder given.
    old=$scratch/old-package
    rm -rf "$old" "$scratch/zip" && mkdir -p "$old/extra/styles"
    unzip -q "$zip" -d "$scratch/zip"
    cp "$scratch"/zip/*/styles/*.dll "$old/extra/styles/qoldstyle.dll"
    cpack -G NSIS --config "$VENDROLA_WINDOWS_BUILD/CPackConfig.cmake" -B "$old" \
        -D CPACK_PACKAGE_VERSION=0.9.0 -D "CPACK_INSTALLED_DIRECTORIES=$old/extra;." >/dev/null
    new_prefix upgrade
    run_setup "$old/vendrola-0.9.0-setup.exe" "$chosen"
    dir=$(unix_path "$chosen")
    check "the older version is installed, with its extra file" '[ -f "$dir/styles/qoldstyle.dll" ]'
    run_setup "$setup"
    check "the upgrade stays in the chosen folder and leaves exactly the new files" \
        '[ "$(files_of "$dir")" = "$( (files_of "$scratch"/zip/*; echo ./Uninstall.exe) | sort)" ]'
    check "the uninstall entry names the new version once" \
        '[ "$(wine_ reg query "$key" /v DisplayVersion | grep -c "$version")" = 1 ]'
    uninstall_from "$dir"
    ;;
*)
    echo "usage: $0 windowed|portable DPI SCALE|install|installed|uninstall|chosen-folder|upgrade" >&2
    exit 2
    ;;
esac
exit $failed
