# The optional parts of the build (tests, benchmarks, tools) and what each
# of their pieces needs, so that a plain configure builds what it can and
# says what it left out and which package brings it.
#
# A part's switch holds AUTO, ON or OFF:
# - AUTO, the default of a native Linux build: build the part and each of
#   its pieces whose packages are installed, leave out the rest;
# - ON: every piece is required; a missing package stops the configure;
# - OFF, the default of a cross or Windows build: leave the part out.

# varnelo_part(<switch> <what>): declares a part's switch.
function(varnelo_part switch what)
  if(CMAKE_CROSSCOMPILING OR WIN32)
    set(default OFF)
  else()
    set(default AUTO)
  endif()
  set(${switch} ${default} CACHE STRING "Build ${what}: AUTO, ON or OFF")
  set_property(CACHE ${switch} PROPERTY STRINGS AUTO ON OFF)
endfunction()

# varnelo_depends(<result> PART <switch> PIECE <what>
#                 FOUND <bool> | FOUND_TARGET <target>  PACKAGES <Debian packages>)
# Sets <result> to TRUE when the piece's dependency was found (FOUND is
# true, or the target FOUND_TARGET exists). Otherwise it
# stops the configure when the part is ON, and when it is AUTO records the
# piece as left out for varnelo_report_parts and sets <result> to FALSE.
function(varnelo_depends result)
  cmake_parse_arguments(ARG "" "PART;PIECE;FOUND;FOUND_TARGET;PACKAGES" "" ${ARGN})
  if(ARG_FOUND_TARGET AND TARGET ${ARG_FOUND_TARGET})
    set(ARG_FOUND TRUE)
  endif()
  if(ARG_FOUND)
    set(${result} TRUE PARENT_SCOPE)
    return()
  endif()
  set(${result} FALSE PARENT_SCOPE)
  string(TOUPPER "${${ARG_PART}}" mode)
  if(mode STREQUAL "AUTO")
    set_property(GLOBAL APPEND PROPERTY VARNELO_LEFT_OUT
                 "${ARG_PIECE}: Debian packages ${ARG_PACKAGES}")
  else()
    message(FATAL_ERROR "${ARG_PART}=${${ARG_PART}} needs ${ARG_PIECE}, which needs the "
                        "Debian packages ${ARG_PACKAGES}; install them, or configure with "
                        "-D${ARG_PART}=AUTO to leave it out")
  endif()
endfunction()

# Prints which parts are built and which pieces were left out.
function(varnelo_report_parts)
  get_property(left_out GLOBAL PROPERTY VARNELO_LEFT_OUT)
  if(NOT left_out)
    return()
  endif()
  set(lines "Varnelo: the plug-ins are built; left out for want of packages:")
  foreach(piece IN LISTS left_out)
    string(APPEND lines "\n  - ${piece}")
  endforeach()
  message(NOTICE "${lines}")
endfunction()
