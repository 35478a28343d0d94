# Embeds data files into a plain C++ library so that code without Qt (core, the virtual mouse,
# tests) can reach the built-in tables and images by name.
#
# tarvik_embed_files(<target> BASE <dir> FILES <file>...)
#   Adds a generated source to <target> that registers every file under its path relative to BASE.
function(tarvik_embed_files target)
    cmake_parse_arguments(ARG "" "BASE" "FILES" ${ARGN})
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_embedded.cpp)
    set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_embedded.list)
    set(entries "")
    foreach(f IN LISTS ARG_FILES)
        file(RELATIVE_PATH rel ${ARG_BASE} ${f})
        list(APPEND entries "${rel}")
    endforeach()
    file(WRITE ${list_file} "${entries}")
    add_custom_command(
        OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -DBASE=${ARG_BASE} -DLIST=${list_file} -DOUT=${out}
                -P ${PROJECT_SOURCE_DIR}/cmake/EmbedScript.cmake
        DEPENDS ${ARG_FILES} ${list_file} ${PROJECT_SOURCE_DIR}/cmake/EmbedScript.cmake
        COMMENT "Embedding ${target} data files"
        VERBATIM)
    target_sources(${target} PRIVATE ${out})
endfunction()
