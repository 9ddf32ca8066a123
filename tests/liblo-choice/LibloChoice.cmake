cmake_minimum_required(VERSION 3.25)
# One case of the liblo choice (see CMakeLists.txt): makes the fixture
# prefix(es) in WORK, configures SOURCE for Windows in WORK/build, and
# fails unless the configure succeeded or refused as PACKAGE says, said
# WORDS, and, when it succeeded, set up the package Varnelo-VERSION-PACKAGE.

# make_prefix(<folder> <files>): empty stand-ins for the files named.
function(make_prefix folder files)
  file(REMOVE_RECURSE ${folder})
  set(paths_header include/lo/lo.h)
  set(paths_static lib/liblo.a)
  set(paths_import lib/liblo.dll.a)
  set(paths_pc lib/pkgconfig/liblo.pc)
  foreach(file IN LISTS files)
    if(NOT DEFINED paths_${file})
      message(FATAL_ERROR "unknown fixture file \"${file}\"")
    endif()
    file(WRITE ${folder}/${paths_${file}} "")
  endforeach()
  if("pc" IN_LIST files)
    file(WRITE ${folder}/${paths_pc} "Name: liblo\nVersion: 0.31\nLibs: -llo\n")
  endif()
endfunction()

# configure(<prefix files, or "none">): the output and the exit status.
function(configure files)
  set(root_definition "")
  if(NOT files STREQUAL "none")
    string(REPLACE " " ";" files "${files}")
    math(EXPR prefix_count "${prefix_count} + 1")
    set(prefix ${WORK}/prefix${prefix_count})
    make_prefix(${prefix} "${files}")
    set(root_definition -DLIBLO_ROOT=${prefix})
    set(prefix ${prefix} PARENT_SCOPE)
    set(prefix_count ${prefix_count} PARENT_SCOPE)
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/build -G ${GENERATOR}
            -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DVARNELO_LIBLO_STATIC=${CHOICE} ${root_definition}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(status ${status} PARENT_SCOPE)
  set(output "${out}${err}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK})
set(prefix_count 0)
string(REPLACE " then " ";" steps "${FILES}")
foreach(step IN LISTS steps)
  configure("${step}")
endforeach()

# CMake wraps and indents the text of an error: compare with the blanks
# and line breaks of both sides made single blanks.
string(REPLACE "<prefix>" "${prefix}" words "${WORDS}")
string(REGEX REPLACE "[ \t\r\n]+" " " flat_output "${output}")
string(FIND "${flat_output}" "${words}" found)
set(problems "")
if(found EQUAL -1)
  string(APPEND problems "the configure did not say \"${words}\". ")
endif()
if(PACKAGE STREQUAL "refused")
  if(status EQUAL 0)
    string(APPEND problems "the configure succeeded instead of refusing. ")
  endif()
elseif(NOT status EQUAL 0)
  string(APPEND problems "the configure failed (status ${status}). ")
else()
  file(STRINGS ${WORK}/build/CPackConfig.cmake package_line
       REGEX "^set\\(CPACK_PACKAGE_FILE_NAME ")
  set(expected "set(CPACK_PACKAGE_FILE_NAME \"Varnelo-${VERSION}-${PACKAGE}\")")
  if(NOT package_line STREQUAL expected)
    string(APPEND problems "the package is ${package_line}, not ${expected}. ")
  endif()
endif()

if(problems)
  message(FATAL_ERROR "${problems}Its output:\n${output}")
endif()
file(REMOVE_RECURSE ${WORK})
