# Read by CPack once per generator: each package's file name, after the
# version being packed (a check packs an older one too).
if(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME "vendrola-${CPACK_PACKAGE_VERSION}-setup")
else()
    set(CPACK_PACKAGE_FILE_NAME "vendrola-${CPACK_PACKAGE_VERSION}-windows-x64")
endif()
