# SPDX-License-Identifier: GPL-2.0-or-later
# Runs clang-format over every C++ file of the tree with the checkout's .clang-format.
#   cmake -DSOURCE_DIR=<checkout> -DCLANG_FORMAT=<clang-format-14> [-DCHECK=ON] -P tools/format.cmake
# With CHECK it changes nothing and fails naming each file that is not formatted or does not begin
# with the licence line.
if(NOT SOURCE_DIR OR NOT CLANG_FORMAT)
    message(FATAL_ERROR "SOURCE_DIR and CLANG_FORMAT must be set")
endif()

set(files "")
foreach(folder src tests bench fuzz tools)
    file(GLOB_RECURSE found "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
    list(APPEND files ${found})
endforeach()
list(SORT files)
if(NOT files)
    message(FATAL_ERROR "no C++ file found below ${SOURCE_DIR}")
endif()

if(NOT CHECK)
    execute_process(COMMAND "${CLANG_FORMAT}" -i ${files} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "clang-format failed")
    endif()
    return()
endif()

set(unformatted 0)
foreach(file IN LISTS files)
    file(STRINGS "${file}" first LIMIT_COUNT 1)
    if(NOT first STREQUAL "// SPDX-License-Identifier: GPL-2.0-or-later")
        file(RELATIVE_PATH shown "${SOURCE_DIR}" "${file}")
        message("no licence line: ${shown}")
        math(EXPR unformatted "${unformatted} + 1")
    endif()
    execute_process(COMMAND "${CLANG_FORMAT}" --dry-run --Werror "${file}"
                    RESULT_VARIABLE differs OUTPUT_QUIET ERROR_QUIET)
    if(differs)
        file(RELATIVE_PATH shown "${SOURCE_DIR}" "${file}")
        message("not formatted: ${shown}")
        math(EXPR unformatted "${unformatted} + 1")
    endif()
endforeach()
list(LENGTH files count)
if(unformatted GREATER 0)
    message(FATAL_ERROR "${unformatted} problems in ${count} files: see above")
endif()
message("${count} files are formatted and licensed")
