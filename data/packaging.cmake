# Vendrola on Linux: the program, its manual page, desktop entry, icons,
# AppStream data, changelog and licence where a Debian system keeps them,
# and a Debian package of them that lintian passes: a stripped program, an
# extended description, the changelog and the manual page compressed as
# Debian compresses them. The debugging symbols stay in the build: CPack's
# own debug-symbol package (.ddeb) lists its file by a path of the build
# machine's and carries neither changelog nor copyright.
include(GNUInstallDirs)
install(TARGETS vendrola RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/bg.vendrola.Vendrola.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/bg.vendrola.Vendrola.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY data/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
# The MIT licence, in Debian's machine-readable copyright format.
install(FILES data/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vendrola)
# Debian 13's lintian validates the AppStream data with AppStream 1.0, which
# warns that there is no home page (see the override); Debian 12's knows
# neither that warning nor the tag, and would call the override an error.
file(STRINGS /etc/os-release release REGEX "^VERSION_ID=")
string(REGEX REPLACE "[^0-9]" "" release "${release}")
if(release GREATER_EQUAL 13)
    install(FILES data/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
            RENAME vendrola)
endif()

# gzip -9n, as dpkg's tools compress: the most compression, and no name or
# time stamp in the file, so that the same source makes the same package.
foreach(file vendrola.1 changelog)
    add_custom_command(OUTPUT ${file}.gz
        COMMAND gzip -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/data/${file} > ${file}.gz
        DEPENDS data/${file} VERBATIM)
endforeach()
add_custom_target(vendrola_documents ALL DEPENDS vendrola.1.gz changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vendrola.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vendrola)

# dpkg-shlibdeps derives the library dependencies from the program. Added
# by hand: the font that stands in for Times New Roman, and Qt's Wayland
# platform, which the program loads as a plugin.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vendrola)
set(CPACK_PACKAGE_VENDOR "Vendrola")
set(CPACK_PACKAGE_CONTACT "Vendrola developers <dev@vendrola.bg>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Bar chart of a web site's traffic over one year")
set(CPACK_PACKAGE_DESCRIPTION
    "Vendrola shows a web site's traffic over twelve months as a bar chart in four
series: visits, pages, clicks and volume of downloaded information, each as
a percentage of the previous year's maximum. The values are generated at
random.

Choose four of eight colours for the series, draw the chart, clear it to
get fresh data, and click a month to read its four values side by side.
The window is in Bulgarian; it can be used with the keyboard alone and with
a screen reader, on X11 and on Wayland.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, qt6-wayland")
set(CPACK_STRIP_FILES ON)
include(CPack)
