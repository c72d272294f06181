# Checks every #include "..." under src/ against the layers of the README's Layout table: a file
# includes only its own folder and the folders its layer may use, so a wrong include fails the
# tests instead of waiting for a review. Run with
#   cmake -DSOURCE_DIR=<the repository's src folder> -P CheckLayers.cmake
# It names each file that includes what its layer may not use, and fails when there is one.
cmake_minimum_required(VERSION 3.25)
if(NOT DEFINED SOURCE_DIR)
    message(FATAL_ERROR "CheckLayers.cmake needs -DSOURCE_DIR=<src folder>")
endif()

# What each layer may include besides itself, lowest first. Inside src/gui the folders are layers
# too; each feature folder may use the ones listed before it.
set(uses_core "")
set(uses_platform core)
set(uses_gui/widgets platform core)
set(uses_gui/commands gui/widgets core)
set(uses_gui/session gui/widgets platform core)
set(gui_base gui/session gui/commands gui/widgets platform core)
set(uses_gui/generator ${gui_base})
set(uses_gui/browser gui/generator ${gui_base})
set(uses_gui/settings gui/browser gui/generator ${gui_base})
set(uses_gui/account gui/settings gui/browser gui/generator ${gui_base})
set(uses_gui/export gui/account gui/settings gui/browser gui/generator ${gui_base})
set(uses_gui/main gui/export gui/account gui/settings gui/browser gui/generator ${gui_base})
set(uses_gui/program gui/main gui/export gui/account gui/settings gui/browser gui/generator ${gui_base})
set(uses_cli core)
set(uses_app cli gui/program gui/main gui/export gui/account gui/settings gui/browser gui/generator ${gui_base})

# The layer of a path below src/: its first folder, and under gui/ the folder below that.
function(layer_of path result)
    string(REGEX MATCH "^(gui/[^/]+|[^/]+)/" layer "${path}")
    string(REGEX REPLACE "/$" "" layer "${layer}")
    set(${result} "${layer}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.in")
set(violations "")
foreach(source IN LISTS sources)
    layer_of("${source}" layer)
    if(NOT DEFINED uses_${layer})
        string(APPEND violations "\n  src/${source} is in no layer of the table")
        continue()
    endif()
    cmake_path(GET source PARENT_PATH folder)
    file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" included "${line}")
        if(EXISTS "${SOURCE_DIR}/${included}")
            layer_of("${included}" target)
        elseif(EXISTS "${SOURCE_DIR}/${folder}/${included}" OR EXISTS "${SOURCE_DIR}/${folder}/${included}.in")
            set(target "${layer}") # beside the file, or generated from a file beside it
        elseif(EXISTS "${SOURCE_DIR}/core/${included}.in")
            set(target core) # generated into the core's include folder
        else()
            string(APPEND violations "\n  src/${source} includes \"${included}\", which is no file under src/")
            continue()
        endif()
        if(NOT target STREQUAL layer AND NOT target IN_LIST uses_${layer})
            list(JOIN uses_${layer} ", " allowed)
            if(allowed STREQUAL "")
                set(allowed "only its own folder")
            endif()
            string(APPEND violations "\n  src/${source} includes \"${included}\" (${target}); ${layer} may use ${allowed}")
        endif()
    endforeach()
endforeach()

if(NOT violations STREQUAL "")
    message(FATAL_ERROR "Includes that break the layers (README, Layout):${violations}")
endif()
list(LENGTH sources count)
message(STATUS "The includes of ${count} files keep to their layers.")
