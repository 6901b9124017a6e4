# Run by CPack's External generator once the package's files are staged in
# CPACK_TEMPORARY_DIRECTORY, the same files as the zip's: wixl-heat lists
# them as components of the installation folder, and wixl (both from
# msitools) builds the per-machine Windows Installer package of
# vendrola.wxs around them.
set(stage "${CPACK_TEMPORARY_DIRECTORY}")
set(work "${CPACK_TOPLEVEL_DIRECTORY}")
file(GLOB_RECURSE files LIST_DIRECTORIES false "${stage}/*")
list(SORT files)
list(JOIN files "\n" listing)
file(WRITE "${work}/files.txt" "${listing}\n")

function(run)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${work}" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${ARGV0} failed (${status})")
    endif()
endfunction()
run("${CPACK_VENDROLA_WIXL_HEAT}" --prefix "${stage}/" --directory-ref INSTALLDIR --component-group VendrolaFiles
    --var var.SourceDir INPUT_FILE files.txt OUTPUT_FILE files.wxs)
# wixl finds the files it packs by paths relative to where it runs.
file(COPY "${CPACK_VENDROLA_WXS}" "${CPACK_VENDROLA_ICON}" DESTINATION "${work}")
file(RELATIVE_PATH source "${work}" "${stage}")
get_filename_component(wxs "${CPACK_VENDROLA_WXS}" NAME)
get_filename_component(icon "${CPACK_VENDROLA_ICON}" NAME)
set(msi "${work}/${CPACK_PACKAGE_FILE_NAME}.msi")
run("${CPACK_VENDROLA_WIXL}" --arch x64 -D "SourceDir=${source}" -D "Version=${CPACK_PACKAGE_VERSION}"
    -D "Icon=${icon}" -o "${msi}" "${wxs}" files.wxs)
set(CPACK_EXTERNAL_BUILT_PACKAGES "${msi}")
