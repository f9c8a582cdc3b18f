# SPDX-License-Identifier: GPL-2.0-or-later
# Fails when an include runs against the layers. Includes are written from src/, so the first
# folder of the included path is its layer:
#   core      core
#   pdf       core, pdf; the only layer that includes poppler's headers
#   search    core, pdf, search
#   pdfwrite  core, pdfwrite; the only layer that includes qpdf's headers
#   services  core, services (the interfaces the windows ask through; app implements them)
#   widgets   core, widgets
#   gui/X     core, pdf, search, services, widgets and itself; reader and bookmarks also the
#             PDF view's header, reader also the header of the outline sources the view takes;
#             never app
#   cli       core, pdf, search, pdfwrite, cli
#   app       anything
# Poppler's headers are also kept out of the tests, the benchmarks and the tools: they reach the
# engine through the PDF layer. The tests may read what pdfwrite writes with qpdf.
#   cmake -DSOURCE_DIR=<checkout> -P tools/check_includes.cmake
if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

function(allowed_prefixes room out)
    if(room STREQUAL "core")
        set(allowed "core/")
    elseif(room STREQUAL "pdf")
        set(allowed "core/" "pdf/")
    elseif(room STREQUAL "search")
        set(allowed "core/" "pdf/" "search/")
    elseif(room STREQUAL "pdfwrite")
        set(allowed "core/" "pdfwrite/")
    elseif(room STREQUAL "services")
        set(allowed "core/" "services/")
    elseif(room STREQUAL "widgets")
        set(allowed "core/" "widgets/")
    elseif(room MATCHES "^gui/")
        set(allowed "core/" "pdf/" "search/" "services/" "widgets/" "${room}/")
        if(room STREQUAL "gui/reader" OR room STREQUAL "gui/bookmarks")
            list(APPEND allowed "gui/pdfview/pdfview.h")
        endif()
        if(room STREQUAL "gui/reader")
            list(APPEND allowed "gui/pdfview/outlinesource.h")
        endif()
    elseif(room STREQUAL "cli")
        set(allowed "core/" "pdf/" "search/" "pdfwrite/" "cli/")
    else()
        set(allowed "")
    endif()
    set(${out} "${allowed}" PARENT_SCOPE)
endfunction()

set(checked 0)
set(broken 0)

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}/src" "${SOURCE_DIR}/src/*.h"
     "${SOURCE_DIR}/src/*.cpp" "${SOURCE_DIR}/src/*.h.in")
foreach(source IN LISTS sources)
    string(REGEX MATCH "^(gui/[^/]+|[^/]+)" room "${source}")
    if(room STREQUAL "app")
        continue()
    endif()
    allowed_prefixes("${room}" allowed)
    file(STRINGS "${SOURCE_DIR}/src/${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" included "${line}")
        math(EXPR checked "${checked} + 1")
        set(fits FALSE)
        foreach(prefix IN LISTS allowed)
            string(FIND "${included}" "${prefix}" at)
            if(at EQUAL 0)
                set(fits TRUE)
            endif()
        endforeach()
        if(NOT fits)
            message("src/${source}: \"${included}\" is not for ${room} (it may include: ${allowed})")
            math(EXPR broken "${broken} + 1")
        endif()
    endforeach()
endforeach()

file(GLOB_RECURSE everything RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/src/*.h"
     "${SOURCE_DIR}/src/*.cpp" "${SOURCE_DIR}/tests/*.h" "${SOURCE_DIR}/tests/*.cpp"
     "${SOURCE_DIR}/bench/*.h" "${SOURCE_DIR}/bench/*.cpp" "${SOURCE_DIR}/fuzz/*.cpp"
     "${SOURCE_DIR}/tools/*.cpp")
foreach(source IN LISTS everything)
    if(NOT source MATCHES "^src/pdf/")
        file(STRINGS "${SOURCE_DIR}/${source}" engine
             REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]poppler")
        foreach(line IN LISTS engine)
            message("${source}: ${line}: poppler is included under src/pdf/ only")
            math(EXPR broken "${broken} + 1")
        endforeach()
    endif()
    if(source MATCHES "^src/" AND NOT source MATCHES "^src/pdfwrite/")
        file(STRINGS "${SOURCE_DIR}/${source}" writer REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]qpdf/")
        foreach(line IN LISTS writer)
            message("${source}: ${line}: qpdf is included under src/pdfwrite/ only")
            math(EXPR broken "${broken} + 1")
        endforeach()
    endif()
endforeach()

if(checked EQUAL 0)
    message(FATAL_ERROR "no include was read below ${SOURCE_DIR}/src")
endif()
if(broken GREATER 0)
    message(FATAL_ERROR "${broken} of ${checked} includes run against the layers")
endif()
message("${checked} includes follow the layers")
