# Vendrola on Windows: the program with its icon and version information,
# laid out as Qt deploys on Windows (the program, the Qt DLLs it links, each
# plugin it loads in a folder named after the plugin's type, the compiler's
# runtime DLLs), with the licences of everything shipped. CPack makes a
# portable zip of that folder, a per-user installer and a per-machine MSI.

set(VENDROLA_DESCRIPTION "Vendrola - bar chart of a web site's traffic over one year")
configure_file(windows/vendrola.rc.in vendrola.rc @ONLY)
target_sources(vendrola PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/vendrola.rc)
# A windowed program: no console window opens with it.
set_target_properties(vendrola PROPERTIES WIN32_EXECUTABLE ON)

install(TARGETS vendrola RUNTIME_DEPENDENCY_SET vendrola_dlls RUNTIME DESTINATION .)
# The Qt DLLs it links, named here: the runtime-dependency search compares
# Windows's names in lower case, and finds no Qt6Core.dll on Linux that way.
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::Core Qt6::Gui Qt6::Widgets
        RUNTIME_DEPENDENCY_SET vendrola_dlls RUNTIME DESTINATION .)
# Loaded at run time, so no import table names them: the platform plugin
# without which there is no window, and the native style for the message box
# (the one style plugin Qt builds for Windows; its name changes between Qt
# versions). They load only the DLLs above.
set(qt_plugins ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS})
install(FILES ${qt_plugins}/platforms/qwindows.dll DESTINATION platforms)
file(GLOB style_plugins ${qt_plugins}/styles/*.dll)
install(FILES ${style_plugins} DESTINATION styles)

# The compiler's runtime DLLs that all of these load, found where the
# compiler keeps them. Every other name is Qt's, installed above, or
# Windows's own.
set(runtime_dlls libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
set(runtime_dirs)
foreach(dll IN LISTS runtime_dlls)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(dir "${found}" DIRECTORY)
    list(APPEND runtime_dirs "${dir}")
endforeach()
list(TRANSFORM runtime_dlls REPLACE "([.+])" "\\\\\\1" OUTPUT_VARIABLE runtime_regexes)
list(TRANSFORM runtime_regexes PREPEND "^")
list(TRANSFORM runtime_regexes APPEND "$")
install(RUNTIME_DEPENDENCY_SET vendrola_dlls DESTINATION .
        PRE_INCLUDE_REGEXES ${runtime_regexes}
        PRE_EXCLUDE_REGEXES ".*"
        DIRECTORIES ${runtime_dirs})
# Debian's MinGW runtime DLLs carry their debugging symbols; a stripped
# install (and so each package) strips them as it strips the program.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(dll ${runtime_dlls})
            execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
                                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${dll}\")
        endforeach()
    endif()")

# Every program and DLL installed may load only DLLs of the package or of
# Windows itself; installing (and so packaging) fails otherwise.
install(CODE "set(VENDROLA_OBJDUMP ${CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND})")
install(SCRIPT windows/check-imports.cmake)

# Licences: Vendrola's; Qt's with where its source came from (written when
# Qt was built); the compiler runtime's, as Debian's MinGW-w64 packages give them.
install(FILES LICENSE DESTINATION licences RENAME Vendrola-MIT.txt)
install(DIRECTORY ${QT6_INSTALL_PREFIX}/share/doc/qt6-base/ DESTINATION licences/Qt)
install(FILES /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright
        DESTINATION licences/MinGW-w64 RENAME libgcc-libstdc++-copyright.txt)
install(FILES /usr/share/doc/mingw-w64-x86-64-dev/copyright
        DESTINATION licences/MinGW-w64 RENAME winpthreads-copyright.txt)
install(FILES /usr/share/common-licenses/GPL-3 DESTINATION licences/MinGW-w64 RENAME GPL-3.txt)

# CPack's NSIS template installs for all users and asks for administrator
# rights. Vendrola installs for the current user: a copy of the template with
# the shell context, the execution level and the default folder changed,
# which CPack takes from the module path before its own.
file(READ "${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in" template)
foreach(change
        "RequestExecutionLevel admin|RequestExecutionLevel user"
        "SetShellVarContext all|SetShellVarContext current"
        "$DOCUMENTS\\@CPACK_PACKAGE_INSTALL_DIRECTORY@|@CPACK_NSIS_INSTALL_ROOT@\\@CPACK_PACKAGE_INSTALL_DIRECTORY@")
    string(REPLACE "|" ";" change "${change}")
    list(GET change 0 from)
    list(GET change 1 to)
    string(FIND "${template}" "${from}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "CPack's NSIS template has no '${from}' to change")
    endif()
    string(REPLACE "${from}" "${to}" template "${template}")
endforeach()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/nsis/NSIS.template.in "${template}")
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_BINARY_DIR}/nsis)

# A portable zip, the per-user installer, and a per-machine Windows Installer
# package (.msi) for administrators, built by wixl from the same files. The
# tools that make the installers are looked for now, so that a machine
# without them stops here and says what to install, not in the middle of
# packaging.
foreach(tool makensis:nsis wixl:wixl wixl-heat:wixl)
    string(REPLACE ":" ";" tool "${tool}")
    list(GET tool 0 program)
    list(GET tool 1 package)
    string(TOUPPER "${program}" variable)
    string(REPLACE "-" "_" variable "VENDROLA_${variable}")
    find_program(${variable} ${program} NO_CMAKE_FIND_ROOT_PATH)
    if(NOT ${variable})
        message(FATAL_ERROR "The Windows installers need ${program}, which is not on this machine: "
                            "install Debian's package ${package} (apt-get install ${package}).")
    endif()
endforeach()
set(CPACK_VENDROLA_WIXL ${VENDROLA_WIXL})
set(CPACK_VENDROLA_WIXL_HEAT ${VENDROLA_WIXL_HEAT})
set(CPACK_GENERATOR ZIP NSIS External)
set(CPACK_EXTERNAL_ENABLE_STAGING ON)
set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/windows/msi.cmake)
set(CPACK_VENDROLA_WXS ${CMAKE_CURRENT_SOURCE_DIR}/windows/vendrola.wxs)
set(CPACK_VENDROLA_ICON ${CMAKE_CURRENT_SOURCE_DIR}/windows/vendrola.ico)
# Values reach CPack as written here, quotes and backslashes included.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_NAME vendrola)
set(CPACK_PACKAGE_VENDOR "The Vendrola developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${VENDROLA_DESCRIPTION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Vendrola)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Vendrola)
set(CPACK_PACKAGE_EXECUTABLES vendrola Vendrola)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_NSIS_PACKAGE_NAME Vendrola)
set(CPACK_NSIS_DISPLAY_NAME Vendrola)
set(CPACK_NSIS_INSTALL_ROOT "$LOCALAPPDATA\\Programs")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME vendrola.exe)
set(CPACK_NSIS_MUI_ICON ${CMAKE_CURRENT_SOURCE_DIR}/windows/vendrola.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_CURRENT_SOURCE_DIR}/windows/vendrola.ico)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# A 64-bit installer for a 64-bit program. Installed again, it offers the
# folder the earlier version went to.
set(CPACK_NSIS_DEFINES "Target amd64-unicode
InstallDirRegKey HKCU \"Software\\${CPACK_PACKAGE_VENDOR}\\Vendrola\" \"\"")
# An earlier Vendrola in this user's programs is uninstalled first, silently
# and by its own uninstaller, which knows its files: an upgrade leaves
# exactly the new version's files, wherever the old one was. The
# uninstaller is the one in the folder that version recorded, not whatever
# command the registry holds. The installation stops with a message
# (silently: exit status 2) where that folder has no uninstaller, where its
# vendrola.exe cannot be replaced, or where the uninstaller fails; the
# message says whether anything has been changed. The program is opened for
# writing with no sharing, as replacing it would be: Windows refuses a
# running program (or one another program holds open, an antivirus say)
# with a sharing violation, error 32, and a read-only file or one this user
# may not change with access denied, error 5. (The uninstaller, run in
# place, cannot delete itself; that goes after it.)
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS
    "ReadRegStr $1 SHCTX \"Software\\${CPACK_PACKAGE_VENDOR}\\Vendrola\" \"\"
  StrCmp $1 \"\" vendrola_nothing_older
  IfFileExists \"$1\\vendrola.exe\" 0 vendrola_nothing_older
  IfFileExists \"$1\\Uninstall.exe\" vendrola_uninstaller_found
  MessageBox MB_OK|MB_ICONSTOP \"An earlier Vendrola in $1 has no uninstaller (Uninstall.exe), so it cannot be replaced cleanly; nothing has been changed. Remove that folder, then install again.\" /SD IDOK
  Goto vendrola_refuse
  vendrola_uninstaller_found:
  System::Call 'kernel32::CreateFileW(w \"$1\\vendrola.exe\", i 0x40000000, i 0, p 0, i 3, i 0x80, p 0) p.r2 ?e'
  Pop $3
  IntPtrCmp $2 -1 0 vendrola_writable vendrola_writable
  StrCmp $3 32 0 vendrola_not_running
  MessageBox MB_OK|MB_ICONSTOP \"Vendrola is running from $1, or another program holds its vendrola.exe open; nothing has been changed. Close it, then install again.\" /SD IDOK
  Goto vendrola_refuse
  vendrola_not_running:
  StrCmp $3 5 0 vendrola_other_error
  MessageBox MB_OK|MB_ICONSTOP \"The earlier Vendrola in $1 cannot be replaced: its vendrola.exe is read-only, or this user may not change it; nothing has been changed.\" /SD IDOK
  Goto vendrola_refuse
  vendrola_other_error:
  MessageBox MB_OK|MB_ICONSTOP \"The earlier Vendrola in $1 cannot be replaced: its vendrola.exe cannot be opened for writing (Windows error $3); nothing has been changed.\" /SD IDOK
  Goto vendrola_refuse
  vendrola_writable:
  System::Call 'kernel32::CloseHandle(p r2)'
  ClearErrors
  ExecWait '\"$1\\Uninstall.exe\" /S _?=$1' $2
  IfErrors 0 vendrola_uninstaller_ran
  MessageBox MB_OK|MB_ICONSTOP \"The uninstaller of the earlier Vendrola in $1 could not be started; nothing has been changed.\" /SD IDOK
  Goto vendrola_refuse
  vendrola_uninstaller_ran:
  StrCmp $2 0 vendrola_uninstalled
  MessageBox MB_OK|MB_ICONSTOP \"The uninstaller of the earlier Vendrola in $1 failed (status $2) and may have removed part of it. Remove that folder, then install again.\" /SD IDOK
  Goto vendrola_refuse
  vendrola_uninstalled:
  Delete \"$1\\Uninstall.exe\"
  RMDir \"$1\"
  Goto vendrola_nothing_older
  vendrola_refuse:
  RMDir \"$INSTDIR\"
  SetErrorLevel 2
  Quit
  vendrola_nothing_older:")
# The template removes the program's registry key but leaves the
# publisher's above it; the uninstaller removes that too once it is empty.
# (Run after the template's own deletions.)
set(CPACK_NSIS_DELETE_ICONS_EXTRA
    "DeleteRegKey /ifempty SHCTX \"Software\\${CPACK_PACKAGE_VENDOR}\"")
# The zip unpacks to vendrola-<version>-windows-x64/; the installer is
# vendrola-<version>-setup.exe.
set(CPACK_PACKAGE_FILE_NAME vendrola-${PROJECT_VERSION}-windows-x64)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/windows/cpack-options.cmake)
include(CPack)
