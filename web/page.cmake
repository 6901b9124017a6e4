# Vendrola in a web page: the program as WebAssembly, started by a page of
# its own through Qt's loader, with the window's font inside it, an
# accessible twin of the window for screen readers, a web-app manifest and a
# service worker that keeps the files for use without a network. The folder
# it installs is the whole site, for any static web host; CPack zips it.

if(NOT TARGET Qt6::GuiPrivate)
    find_package(Qt6 REQUIRED COMPONENTS GuiPrivate)
endif()
target_sources(vendrola_core PRIVATE
    web/page.h web/page.cpp
    web/accessibletwin.h web/accessibletwin.cpp)
# The twin switches the toolkit's accessibility on, which only the platform
# interface can do.
target_link_libraries(vendrola_core PRIVATE Qt6::GuiPrivate)
# Built for size: the page is downloaded at every first visit. The
# runtime's JavaScript makes no functions from strings, which the page's
# content policy forbids.
target_link_options(vendrola PRIVATE -Oz -sDYNAMIC_EXECUTION=0)

# The window's font, cut down to what the window can show: Latin and
# Cyrillic letters, digits and punctuation. The page's Qt shapes text
# itself, without HarfBuzz, and kerns from the font's 'kern' table alone,
# so that table is kept and the OpenType layout tables, which only
# HarfBuzz reads, are dropped.
# Debian's own Python, which python3-fonttools goes with.
find_program(PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
# Debian 12 keeps Liberation 2 apart from the older Liberation fonts;
# Debian 13 has only the new ones, in the old place.
find_file(font_source LiberationSerif-Regular.ttf REQUIRED NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
          PATHS /usr/share/fonts/truetype/liberation2 /usr/share/fonts/truetype/liberation)
cmake_path(GET font_source PARENT_PATH font_folder)
cmake_path(GET font_folder FILENAME font_package)
set(font ${CMAKE_CURRENT_BINARY_DIR}/fonts/LiberationSerif-Regular.ttf)
add_custom_command(OUTPUT ${font}
    COMMAND ${PYTHON3} -m fontTools.subset ${font_source} --output-file=${font}
            --unicodes=U+0020-007E,U+00A0-017F,U+0400-04FF,U+2000-206F,U+20AC,U+2116,U+FFFD
            --legacy-kern --drop-tables+=GSUB,GPOS,GDEF --notdef-outline
    DEPENDS ${font_source} VERBATIM)
qt_add_resources(vendrola web_fonts PREFIX /fonts BASE ${CMAKE_CURRENT_BINARY_DIR}/fonts
                 FILES ${font})

# What the page says before the program runs comes from the window's
# layout: its caption, its size in pixels (15 twips each) and its colour.
file(READ ui/layout.cpp layout)
if(NOT layout MATCHES "const Window kWindow{[ \n]*\"([^\"]*)\",[ \n]*([0-9]+),[ \n]*([0-9]+),[ \n]*0x00([0-9A-F][0-9A-F])([0-9A-F][0-9A-F])([0-9A-F][0-9A-F]),")
    message(FATAL_ERROR "ui/layout.cpp: the window's caption, size and colour not found")
endif()
set(VENDROLA_TITLE "${CMAKE_MATCH_1}")
math(EXPR VENDROLA_WIDTH "(${CMAKE_MATCH_2} + 7) / 15")
math(EXPR VENDROLA_HEIGHT "(${CMAKE_MATCH_3} + 7) / 15")
string(TOLOWER "#${CMAKE_MATCH_6}${CMAKE_MATCH_5}${CMAKE_MATCH_4}" VENDROLA_THEME_COLOUR)
set(VENDROLA_DESCRIPTION "Стълбовидна диаграма на посещенията на уебсайт през една година")

# The page's content policy: scripts only from its folder, WebAssembly
# compiled from them, nothing eval'd or inline; styles from its folder, and
# those that a later Qt writes into the page for its window, with the
# images it gives them as data: addresses.
set(VENDROLA_CONTENT_POLICY "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'")
if(Qt6_VERSION VERSION_LESS 6.5)
    string(APPEND VENDROLA_CONTENT_POLICY "; style-src 'self'")
else()
    string(APPEND VENDROLA_CONTENT_POLICY "; style-src 'self' 'unsafe-inline'; img-src 'self' data:")
endif()
string(APPEND VENDROLA_CONTENT_POLICY "; object-src 'none'; base-uri 'none'; form-action 'none'")

# Qt 6.4's loader runs the program's JavaScript through eval(), which such
# a policy forbids; the page has it loaded by a script element instead, the
# change stated in a patch that the licences carry.
set(page ${CMAKE_CURRENT_BINARY_DIR}/page)
set(loader_changes "")
if(Qt6_VERSION VERSION_LESS 6.5)
    find_program(PATCH patch REQUIRED)
    set(loader_changes ${PROJECT_SOURCE_DIR}/web/qt-6.4/qtloader-script-element.patch)
    set(loader ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}/platforms/qtloader.js)
    add_custom_command(OUTPUT ${page}/qtloader.js
        COMMAND ${PATCH} --quiet --output=${page}/qtloader.js ${loader} ${loader_changes}
        DEPENDS ${loader} ${loader_changes} VERBATIM)
    add_custom_target(vendrola_loader ALL DEPENDS ${page}/qtloader.js)
    set(loader ${page}/qtloader.js)
else()
    set(loader $<TARGET_FILE_DIR:vendrola>/qtloader.js)
endif()

# The files that the service worker keeps: everything the page loads, the
# page itself (index.html) under its folder's address.
set(page_files page.js page.css qtloader.js vendrola.js vendrola.wasm manifest.webmanifest)
set(icon_sizes 32 64 128 256)
foreach(size IN LISTS icon_sizes)
    list(APPEND page_files icons/vendrola-${size}.png)
endforeach()
list(APPEND page_files index.html)
foreach(file index.html page.js page.css sw.js manifest.webmanifest)
    configure_file(web/${file} ${page}/${file} @ONLY)
endforeach()

install(FILES ${page}/index.html ${page}/page.js ${page}/page.css ${page}/sw.js
              ${page}/manifest.webmanifest ${loader}
              $<TARGET_FILE_DIR:vendrola>/vendrola.js $<TARGET_FILE_DIR:vendrola>/vendrola.wasm
        DESTINATION .)
foreach(size IN LISTS icon_sizes)
    install(FILES data/icons/hicolor/${size}x${size}/apps/bg.vendrola.Vendrola.png
            DESTINATION icons RENAME vendrola-${size}.png)
endforeach()
# Licences: Vendrola's; Qt's, with where its source came from, how it was
# built and how to relink the page with another Qt, since the page holds Qt
# linked in; the font's; emscripten's, whose runtime and C and C++
# libraries are in the page too.
install(FILES LICENSE DESTINATION licences RENAME Vendrola-MIT.txt)
install(DIRECTORY ${QT6_INSTALL_PREFIX}/share/doc/qt6-base/ DESTINATION licences/Qt)
install(FILES web/RELINKING.txt ${loader_changes} DESTINATION licences/Qt)
install(FILES /usr/share/doc/fonts-${font_package}/copyright
        DESTINATION licences/Liberation-Serif RENAME OFL-1.1.txt)
install(FILES /usr/share/doc/emscripten/copyright DESTINATION licences/emscripten)
# Last, once the page's files are all in place: the cache's name from them.
install(CODE "set(VENDROLA_PAGE_FILES \"${page_files}\")")
install(SCRIPT web/cache-name.cmake)
install(SCRIPT web/precompress.cmake)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vendrola)
set(CPACK_PACKAGE_VENDOR "The Vendrola developers")
set(CPACK_PACKAGE_FILE_NAME vendrola-${PROJECT_VERSION}-web)
include(CPack)
