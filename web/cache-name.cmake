# Writes each file's integrity digest where the page checks it: the
# program's files in page.js, which loads them; every file the page loads in
# the service worker, which keeps them; and names the worker's cache after
# them, so that a build that changes any file reaches its users at their
# next visit. Run when the page is installed (CMAKE_INSTALL_PREFIX is the
# page's folder), or on a folder of its own:
#   cmake -DVENDROLA_PAGE=<folder> -DVENDROLA_PAGE_FILES="index.html;..." -P cache-name.cmake
if(NOT VENDROLA_PAGE)
    set(VENDROLA_PAGE "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
endif()

# integrity(FILE OUT): the file's SHA-256 as a page's integrity metadata
# ("sha256-" and the digest in base64).
function(integrity file out)
    set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
    file(SHA256 "${VENDROLA_PAGE}/${file}" hex)
    # 32 bytes: ten groups of three, each four characters, then two bytes
    # as three characters and a pad.
    set(encoded "")
    foreach(at RANGE 0 60 6)
        string(SUBSTRING "${hex}" ${at} 6 group)
        string(LENGTH "${group}" digits)
        if(digits LESS 6)
            string(APPEND group "00")
        endif()
        math(EXPR bits "0x${group}")
        foreach(shift 18 12 6 0)
            if(digits LESS 6 AND shift EQUAL 0)
                string(APPEND encoded "=")
            else()
                math(EXPR index "(${bits} >> ${shift}) & 63")
                string(SUBSTRING "${alphabet}" ${index} 1 letter)
                string(APPEND encoded "${letter}")
            endif()
        endforeach()
    endforeach()
    set(${out} "sha256-${encoded}" PARENT_SCOPE)
endfunction()

# fill(FILE LINE-PATTERN LINE): puts LINE in place of the line that
# LINE-PATTERN matches in one of the page's files.
function(fill file pattern line)
    file(READ "${VENDROLA_PAGE}/${file}" text)
    if(NOT text MATCHES "${pattern}")
        message(FATAL_ERROR "${VENDROLA_PAGE}/${file}: no '${pattern}' to fill")
    endif()
    string(REGEX REPLACE "${pattern}" "${line}" filled "${text}")
    file(WRITE "${VENDROLA_PAGE}/${file}" "${filled}")
endfunction()

# The program's files, which page.js loads.
set(program "")
foreach(file qtloader.js vendrola.js vendrola.wasm)
    if(EXISTS "${VENDROLA_PAGE}/${file}")
        integrity(${file} digest)
        string(APPEND program "\"${file}\": \"${digest}\", ")
    endif()
endforeach()
fill(page.js "const kProgram = {[^\n]*};" "const kProgram = { ${program}};")

# Every file, page.js now included; the page itself is kept as its folder.
set(files "")
set(digests "")
foreach(file IN LISTS VENDROLA_PAGE_FILES)
    integrity(${file} digest)
    if(file STREQUAL "index.html")
        set(file "./")
    endif()
    list(APPEND files "[\"${file}\", \"${digest}\"]")
    string(APPEND digests "${file} ${digest}\n")
endforeach()
list(JOIN files ", " files)
fill(sw.js "const kFiles = new Map\\(\\[[^\n]*\\]\\);" "const kFiles = new Map([${files}]);")
# The worker's own code is in the name too: a worker that changes finds
# its cache under a new name, never the one the running worker uses.
file(READ "${VENDROLA_PAGE}/sw.js" worker)
string(REGEX REPLACE "(const kContent = \"vendrola-[0-9.]+-)[^\"]*\"" "\\1\"" template "${worker}")
string(SHA256 content "${digests}${template}")
string(SUBSTRING "${content}" 0 16 content)
fill(sw.js "(const kContent = \"vendrola-[0-9.]+-)[^\"]*\"" "\\1${content}\"")
