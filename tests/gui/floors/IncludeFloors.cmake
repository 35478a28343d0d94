# Fails when a file under the window's source folder includes a folder above its own.
#   cmake -DGUI_DIR=<path of src/gui> -P IncludeFloors.cmake
#
# The window is built in floors, each resting on the ones below it and knowing nothing of those above:
# the skin's pictures and shared controls at the bottom, the dialogs on them, the pages, the feature
# folders and the event list they share beside each other, the session with the mouse, the shell that
# hosts it all, and the screenshot tour, which drives the finished window. AppState.h, at the top of
# the folder, is what all of them share. A folder not named here fails too, so that a new one is given its floor.
cmake_minimum_required(VERSION 3.20)

get_filename_component(GUI_DIR "${GUI_DIR}" ABSOLUTE)
if(NOT GUI_DIR OR NOT IS_DIRECTORY "${GUI_DIR}")
    message(FATAL_ERROR "GUI_DIR must name the window's source folder")
endif()

set(floor_skin 0)
set(floor_dialogs 1)
set(floor_pages 2)
set(floor_keys 2)
set(floor_macros 2)
set(floor_fire 2)
set(floor_eventlist 2)
set(floor_device 3)
set(floor_shell 4)
set(floor_tour 5)

file(GLOB_RECURSE sources RELATIVE "${GUI_DIR}" "${GUI_DIR}/*.h" "${GUI_DIR}/*.cpp")
list(SORT sources)
set(faults "")
set(checked 0)
foreach(source IN LISTS sources)
    if(NOT source MATCHES "/")
        # The shared state beside the folders: it may lean on no floor.
        set(own_floor -1)
        set(own "the top of the folder")
    else()
        string(REGEX REPLACE "/.*" "" own "${source}")
        if(NOT DEFINED floor_${own})
            list(APPEND faults "${source}: the folder ${own} has no floor")
            continue()
        endif()
        set(own_floor ${floor_${own}})
    endif()
    math(EXPR checked "${checked} + 1")
    file(STRINGS "${GUI_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]gui/[^/\"]+/")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]gui/([^/\"]+)/.*" "\\1" target "${line}")
        if(NOT DEFINED floor_${target})
            list(APPEND faults "${source}: includes the folder ${target}, which has no floor")
        elseif(floor_${target} GREATER own_floor)
            list(APPEND faults "${source} (${own}) includes ${target}, a floor above it: ${line}")
        endif()
    endforeach()
endforeach()

if(checked EQUAL 0)
    message(FATAL_ERROR "no source file found under ${GUI_DIR}")
endif()
if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "includes upward:\n  ${text}")
endif()
message(STATUS "${checked} files, no include above its own floor")
