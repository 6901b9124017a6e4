# Names the service worker's cache after the content of the page's files,
# so that a build that changes any of them reaches its users at their next
# visit. Run when the page is installed (CMAKE_INSTALL_PREFIX is the page's
# folder), or on a folder of its own:
#   cmake -DVENDROLA_PAGE=<folder> -DVENDROLA_PAGE_FILES="index.html;..." -P cache-name.cmake
if(NOT VENDROLA_PAGE)
    set(VENDROLA_PAGE "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
endif()
set(digests "")
foreach(file IN LISTS VENDROLA_PAGE_FILES)
    file(SHA256 "${VENDROLA_PAGE}/${file}" digest)
    string(APPEND digests "${file} ${digest}\n")
endforeach()
string(SHA256 content "${digests}")
string(SUBSTRING "${content}" 0 16 content)
file(READ "${VENDROLA_PAGE}/sw.js" worker)
string(REGEX REPLACE "(const kCache = \"vendrola-[0-9.]+-)[^\"]*\"" "\\1${content}\"" named "${worker}")
if(named STREQUAL worker AND NOT worker MATCHES "-${content}\"")
    message(FATAL_ERROR "${VENDROLA_PAGE}/sw.js: no cache name to set")
endif()
file(WRITE "${VENDROLA_PAGE}/sw.js" "${named}")
