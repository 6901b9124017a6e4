#!/usr/bin/env bash
# The Windows packages under Wine, one check per call, each in a Wine prefix
# of its own (a fresh Windows user) under $scratch.
#   wine_check.sh windowed           vendrola.exe is a windowed program, every program
#                                    and DLL has ASLR and DEP, and installing fails
#                                    where a DLL it needs is missing
#   wine_check.sh portable DPI SCALE the real-window test against the unzipped program
#   wine_check.sh install            the installer, silently, into a fresh prefix
#   wine_check.sh installed          what a user sees of that installation; it opens
#   wine_check.sh uninstall          its silent uninstall leaves nothing behind
#   wine_check.sh chosen-folder      /S /D=<a folder of Cyrillic letters and spaces>
#   wine_check.sh upgrade            an older package with one file more, then this one
#   wine_check.sh refusals           no upgrade (status 2) over an older version that is
#                                    running, cannot be written or has lost its
#                                    uninstaller: it stays as it was
#   wine_check.sh msi-install        the MSI, silently, for all users, into a fresh prefix
#   wine_check.sh msi-installed      what users see of it, beside a per-user installation;
#                                    the real-window test against it
#   wine_check.sh msi-repair         a repair puts back a deleted program and DLL
#   wine_check.sh msi-uninstall      msiexec /x leaves nothing behind
#   wine_check.sh msi-chosen-folder  INSTALLDIR=<a folder of Cyrillic letters and spaces>,
#                                    kept by the next package, and by its removal
#   wine_check.sh msi-upgrade        an older MSI with one file more, then this one, then
#                                    a rebuild of this one; the older is then refused
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
msi=$VENDROLA_WINDOWS_PACKAGES/vendrola-$version-windows-x64.msi
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

# Runs msiexec on an MSI, with the package as C:\package.msi among the
# ARGUMENTS given after it. Returns msiexec's status. Run from a batch file
# as a script of an administrator's would be, each property's value quoted
# there and read from the environment: Wine's msiexec takes a value with
# spaces only as NAME="value" on its command line (Wine 10 refuses the whole
# argument quoted), and Wine turns no Unix argument into that, while the
# environment carries Cyrillic letters whatever the code page.
run_msiexec() {
    cp "$1" "$WINEPREFIX/drive_c/package.msi"
    shift
    local line=msiexec argument n=0 status=0
    for argument in "$@"; do
        if [[ $argument == *=* ]]; then
            n=$((n + 1))
            export "VENDROLA_MSI_VALUE_$n=${argument#*=}"
            argument="${argument%%=*}=\"%VENDROLA_MSI_VALUE_$n%\""
        fi
        line+=" $argument"
    done
    printf '%s\r\nexit /b %%errorlevel%%\r\n' "$line" >"$WINEPREFIX/drive_c/msiexec.bat"
    wine_ cmd /c 'C:\msiexec.bat' >/dev/null || status=$?
    wineserver -w
    rm -f "$WINEPREFIX/drive_c/package.msi" "$WINEPREFIX/drive_c/msiexec.bat"
    return $status
}
program_files() { unix_path 'C:\Program Files\Vendrola'; }
user_menu() { unix_path "$(wine_ cmd /c 'echo %APPDATA%')\\Microsoft\\Windows\\Start Menu\\Programs"; }
all_users_menu() { unix_path "$(wine_ cmd /c 'echo %ProgramData%')\\Microsoft\\Windows\\Start Menu\\Programs"; }
# The installed programs' entry of the MSI: the key of its product code.
machine_entry() {
    wine_ reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s |
        awk '/^HKEY_/ { key = $0 } /DisplayName/ && /Vendrola/ && !found { print key; found = 1 }'
}
# Another build of the package, with one file more than this one (a style
# plugin that was renamed since), made by CPack's GENERATOR into $old: of
# version 0.9.0, or of VERSION.
older_package() {
    old=$scratch/old-package
    rm -rf "$old" "$scratch/zip" && mkdir -p "$old/extra/styles"
    unzip -q "$zip" -d "$scratch/zip"
    cp "$scratch"/zip/*/styles/*.dll "$old/extra/styles/qoldstyle.dll"
    cpack -G "$1" --config "$VENDROLA_WINDOWS_BUILD/CPackConfig.cmake" -B "$old" \
        -D CPACK_PACKAGE_VERSION="${2:-0.9.0}" -D "CPACK_INSTALLED_DIRECTORIES=$old/extra;." >/dev/null
}
rebuilt_msi() { older_package External "$version" && echo "$old/vendrola-$version-windows-x64.msi"; }
# The files of the zip, and of the package with one file more.
zip_files() { files_of "$scratch"/zip/*; }
zip_files_and_extra() { (zip_files; echo ./styles/qoldstyle.dll) | sort; }
# How many entries among the installed programs name Vendrola.
machine_entries() {
    wine_ reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s |
        grep -c 'DisplayName.*Vendrola' || true
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
        VENDROLA_E2E_COMMAND="wine \"$exe\"" "$VENDROLA_E2E" "$@") || status=$?
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
    check "every program and DLL has ASLR (high entropy, relocations kept) and DEP" \
        '/usr/bin/python3 "$VENDROLA_SOURCE/tests/pe_flags.py" "$scratch"/zip/*'
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
    # An older version installed into a folder of the user's choosing; then
    # this version, without a folder given.
    older_package NSIS
    new_prefix upgrade
    run_setup "$old/vendrola-0.9.0-setup.exe" "$chosen"
    dir=$(unix_path "$chosen")
    check "the older version is installed, with its extra file" '[ -f "$dir/styles/qoldstyle.dll" ]'
    run_setup "$setup"
    check "the upgrade stays in the chosen folder and leaves exactly the new files" \
        '[ "$(files_of "$dir")" = "$( (zip_files; echo ./Uninstall.exe) | sort)" ]'
    check "the uninstall entry names the new version once" \
        '[ "$(wine_ reg query "$key" /v DisplayVersion | grep -c "$version")" = 1 ]'
    uninstall_from "$dir"
    ;;
refusals)
    older_package NSIS
    new_prefix refusals
    run_setup "$old/vendrola-0.9.0-setup.exe"
    dir=$(programs)
    before=$(files_of "$dir")
    refused() { # the installer said no, and the older installation is as it was
        cp "$setup" "$WINEPREFIX/drive_c/setup.exe"
        local status=0
        # Waited for by itself: the running program keeps Wine going.
        wine_ cmd /c 'start /wait C:\setup.exe /S' >/dev/null || status=$?
        [ "$status" = 2 ] && [ "$(files_of "$dir")" = "$1" ] &&
            wine_ reg query "$key" /v DisplayVersion | grep -q 0.9.0
    }
    # The program running from the older installation.
    WINEDEBUG=-all wine "$dir/vendrola.exe" >/dev/null 2>&1 &
    sleep 8
    check "no upgrade while Vendrola runs from the older installation" 'refused "$before"'
    wineserver -k 2>/dev/null || true
    # A program that cannot be written, as Windows keeps a read-only file
    # (Wine, run by root, writes read-only files; not immutable ones).
    chattr +i "$dir/vendrola.exe"
    check "no upgrade over an older installation whose program cannot be written" 'refused "$before"'
    chattr -i "$dir/vendrola.exe"
    mv "$dir/Uninstall.exe" "$scratch/Uninstall.exe"
    check "no upgrade over an older installation without its uninstaller" \
        'refused "$(grep -vx ./Uninstall.exe <<<"$before")"'
    mv "$scratch/Uninstall.exe" "$dir/Uninstall.exe"
    run_setup "$setup"
    check "with both put right, the upgrade goes ahead" '[ ! -e "$dir/styles/qoldstyle.dll" ]'
    ;;
msi-install)
    new_prefix msi
    check "the MSI installs silently" 'run_msiexec "$msi" /i "C:\\package.msi" /qn'
    ;;
msi-installed)
    use_prefix msi
    dir=$(program_files) entry=$(machine_entry)
    check "installed for all users in $dir, the same files as the zip" \
        'rm -rf "$scratch/zip" && unzip -q "$zip" -d "$scratch/zip" &&
         [ "$(files_of "$dir")" = "$(zip_files)" ]'
    # For all users on Windows (the package is per machine, ALLUSERS=1);
    # Wine puts a per-machine shortcut in the installing user's menu.
    check "Start-menu shortcut for all users" \
        'msiinfo export "$msi" Property | tr -d "\r" | grep -qx "ALLUSERS.1" &&
         { [ -f "$(all_users_menu)/Vendrola.lnk" ] || [ -f "$(user_menu)/Vendrola.lnk" ]; }'
    entry_text=$(wine_ reg query "$entry")
    check "an entry among the installed programs, with name, version, publisher and icon" \
        'grep -q "DisplayName.*Vendrola" <<<"$entry_text" &&
         grep -q "DisplayVersion.*$version" <<<"$entry_text" &&
         grep -q "Publisher.*Vendrola" <<<"$entry_text" &&
         wine_ reg query "HKLM\\Software\\Classes\\Installer\\Products" /s | grep -q "ProductIcon.*vendrola.ico"'
    check "nothing for this user alone" '! wine_ reg query "$key" >/dev/null'
    # A per-user installation beside it: each runs from its own folder and
    # has its own entry; removing it leaves the MSI's as it was.
    run_setup "$setup"
    check "a per-user installation beside it has its own folder and entry" \
        '[ -f "$(programs)/vendrola.exe" ] && wine_ reg query "$key" >/dev/null &&
         [ "$(machine_entry)" = "$entry" ]'
    uninstall_from "$(programs)"
    check "removing the per-user installation leaves the MSI's as it was" \
        '[ "$(files_of "$dir")" = "$(zip_files)" ] && [ "$(machine_entry)" = "$entry" ]'
    check "the installed program passes the real-window test" 'e2e 1 "$dir/vendrola.exe"'
    ;;
msi-repair)
    use_prefix msi
    dir=$(program_files)
    rm "$dir/vendrola.exe" "$dir/Qt6Gui.dll"
    # What msiexec /f does without letters, given as properties: what is
    # missing, older or changed again, nothing else.
    run_msiexec "$msi" /i 'C:\package.msi' REINSTALL=ALL REINSTALLMODE=pecms /qn || true
    check "a repair puts back a deleted vendrola.exe and Qt6Gui.dll" \
        '[ -f "$dir/vendrola.exe" ] && [ -f "$dir/Qt6Gui.dll" ] &&
         cmp -s "$dir/Qt6Gui.dll" "$(echo "$scratch"/zip/*/Qt6Gui.dll)"'
    ;;
msi-uninstall)
    use_prefix msi
    dir=$(program_files)
    run_msiexec "$msi" /x 'C:\package.msi' /qn || true
    check "msiexec /x leaves no folder, shortcut or registry entry" \
        '[ ! -e "$dir" ] && [ ! -e "$(all_users_menu)/Vendrola.lnk" ] && [ -z "$(machine_entry)" ] &&
         ! wine_ reg query "HKLM\\Software\\The Vendrola developers" >/dev/null &&
         ! wine_ reg query "HKLM\\Software\\Wow6432Node\\The Vendrola developers" >/dev/null'
    ;;
msi-chosen-folder)
    # A rebuild of this version, one file more, into the chosen folder; this
    # package over it without a folder given; removed without one too.
    rebuild=$(rebuilt_msi)
    new_prefix msi-chosen
    run_msiexec "$rebuild" /i 'C:\package.msi' /qn "INSTALLDIR=$chosen" || true
    dir=$(unix_path "$chosen")
    check "installed into $chosen and nowhere else" \
        '[ -f "$dir/vendrola.exe" ] && [ ! -e "$(program_files)" ]'
    run_msiexec "$msi" /i 'C:\package.msi' /qn || true
    check "the next package, given no folder, replaces it in $chosen, under one entry" \
        '[ "$(files_of "$dir")" = "$(zip_files)" ] && [ ! -e "$(program_files)" ] &&
         [ "$(machine_entries)" = 1 ]'
    run_msiexec "$msi" /x 'C:\package.msi' /qn || true
    check "and its removal, given no folder, removes it from there" \
        '[ ! -e "$dir" ] && [ -z "$(machine_entry)" ]'
    ;;
msi-upgrade)
    older_package External
    new_prefix msi-upgrade
    run_msiexec "$old/vendrola-0.9.0-windows-x64.msi" /i 'C:\package.msi' /qn || true
    dir=$(program_files)
    check "the older version is installed, with its extra file" '[ -f "$dir/styles/qoldstyle.dll" ]'
    run_msiexec "$msi" /i 'C:\package.msi' /qn || true
    check "the upgrade leaves exactly the new files, under one entry of the new version" \
        '[ "$(files_of "$dir")" = "$(zip_files)" ] &&
         wine_ reg query "$(machine_entry)" /v DisplayVersion | grep -q "$version" &&
         [ "$(machine_entries)" = 1 ]'
    older=$scratch/older.msi
    cp "$old/vendrola-0.9.0-windows-x64.msi" "$older"
    # Rebuilt without a new version, as when Qt's source is updated: a
    # product code of its own, and one file more.
    rebuild=$(rebuilt_msi)
    check "the rebuild has a product code of its own" \
        '[ "$(msiinfo export "$rebuild" Property | grep ^ProductCode)" != "$(msiinfo export "$msi" Property | grep ^ProductCode)" ]'
    run_msiexec "$rebuild" /i 'C:\package.msi' /qn || true
    check "a rebuild of the same version replaces it: its files, under one entry" \
        '[ "$(files_of "$dir")" = "$(zip_files_and_extra)" ] && [ "$(machine_entries)" = 1 ] &&
         wine_ reg query "$(machine_entry)" /v DisplayVersion | grep -q "$version"'
    check "the older version is refused over the newer" \
        '! run_msiexec "$older" /i "C:\\package.msi" /qn &&
         [ "$(files_of "$dir")" = "$(zip_files_and_extra)" ]'
    ;;
*)
    echo "usage: $0 windowed|portable DPI SCALE|install|installed|uninstall|chosen-folder|upgrade|" \
        "refusals|msi-install|msi-installed|msi-repair|msi-uninstall|msi-chosen-folder|msi-upgrade" >&2
    exit 2
    ;;
esac
exit $failed
