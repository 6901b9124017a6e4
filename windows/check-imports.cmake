# Checks an installed Windows program: every DLL that its programs and DLLs
# import is one the folder carries beside the program, where Windows looks
# first, or one of Windows's own. A DLL found nowhere fails the installation,
# so that no package goes out without it.
#   cmake -DVENDROLA_OBJDUMP=<objdump> -DCMAKE_INSTALL_PREFIX=<folder> -P check-imports.cmake

# Windows's own DLLs that Qt and the compiler's runtime may import, in lower
# case; the API sets (api-ms-win-*, ext-ms-*) are Windows's too.
set(windows_dlls
    advapi32 authz bcrypt comctl32 comdlg32 crypt32 d2d1 d3d9 d3d11 d3d12 d3dcompiler_47 dcomp
    dwmapi dwrite dxgi gdi32 imm32 kernel32 mpr msvcrt netapi32 ntdll ole32 oleaut32 opengl32
    setupapi shcore shell32 shlwapi uiautomationcore user32 userenv uxtheme version winmm
    ws2_32 wtsapi32)

set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
file(GLOB_RECURSE modules RELATIVE "${root}" "${root}/*.exe" "${root}/*.dll")
file(GLOB beside RELATIVE "${root}" "${root}/*.dll")
string(TOLOWER "${beside}" beside)

set(missing)
foreach(module IN LISTS modules)
    execute_process(COMMAND "${VENDROLA_OBJDUMP}" -p "${root}/${module}"
                    OUTPUT_VARIABLE report RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "cannot read the imports of ${module}")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${report}")
    foreach(import IN LISTS imports)
        string(REGEX REPLACE "^DLL Name: " "" dll "${import}")
        string(TOLOWER "${dll}" dll)
        string(REGEX REPLACE "\\.dll$" "" name "${dll}")
        list(FIND beside "${dll}" shipped)
        list(FIND windows_dlls "${name}" windows)
        if(shipped EQUAL -1 AND windows EQUAL -1 AND NOT dll MATCHES "^(api|ext)-ms-")
            list(APPEND missing "${module} needs ${dll}")
        endif()
    endforeach()
endforeach()
if(missing)
    list(JOIN missing "\n  " missing)
    message(FATAL_ERROR "DLLs that the package does not carry and Windows does not have:\n  ${missing}")
endif()
