# Beside each of the page's files that compresses, its brotli (.br) and gzip
# (.gz) siblings, for hosts that send a file's precompressed sibling as it is
# (nginx's gzip_static, Caddy's precompressed and others); each checked to
# decompress to its file. Run when the page is installed, last, once every
# file is as it will be served (the cache's name written into them).
find_program(BROTLI brotli REQUIRED)
find_program(GZIP gzip REQUIRED)
find_program(CMP cmp REQUIRED)
set(folder "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")

# Images and zips are compressed already; everything else the page holds is text
# or WebAssembly, which compress well.
file(GLOB_RECURSE files RELATIVE "${folder}" "${folder}/*")
list(FILTER files EXCLUDE REGEX "\\.(br|gz|png|zip)$")
foreach(file IN LISTS files)
    set(path "${folder}/${file}")
    # -n: no name nor time in the .gz, so that the same page gives the same files.
    execute_process(COMMAND ${BROTLI} --quality=11 --force --keep "${path}"
                    COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${GZIP} -9 -n --force --keep "${path}" COMMAND_ERROR_IS_FATAL ANY)
    foreach(sibling IN ITEMS "${BROTLI};.br" "${GZIP};.gz")
        list(GET sibling 0 tool)
        list(GET sibling 1 suffix)
        execute_process(COMMAND ${tool} --decompress --stdout "${path}${suffix}"
                        COMMAND ${CMP} --quiet - "${path}"
                        RESULTS_VARIABLE results)
        if(NOT results STREQUAL "0;0")
            message(FATAL_ERROR "${file}${suffix} does not decompress to ${file}")
        endif()
    endforeach()
    file(SIZE "${path}" raw)
    file(SIZE "${path}.br" br)
    file(SIZE "${path}.gz" gz)
    if(br LESS raw AND gz LESS raw)
        message(STATUS "Compressed: ${file}: ${raw} bytes, brotli ${br}, gzip ${gz}")
    else()
        # Too small to gain: the host sends the file itself.
        file(REMOVE "${path}.br" "${path}.gz")
    endif()
endforeach()
