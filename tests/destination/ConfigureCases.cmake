# What the configure tests of VARNELO_OSC_HOST and VARNELO_OSC_PORT share:
# each case is "definition|expected", and each configures SOURCE afresh in
# WORK with the generator GENERATOR.

# Configures with the definition of `case` and any further arguments; sets
# `definition`, `expected`, `status` (the configure's exit status) and
# `messages` (its error output, with CMake's line wrapping undone) in the
# caller.
function(configure_case case)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 case_definition)
  list(GET fields 1 case_expected)
  file(REMOVE_RECURSE ${WORK})
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK} -G ${GENERATOR}
                          "${case_definition}" ${ARGN}
                  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
  string(REGEX REPLACE "[ \n]+" " " unwrapped "${errors}")
  set(definition "${case_definition}" PARENT_SCOPE)
  set(expected "${case_expected}" PARENT_SCOPE)
  set(status "${result}" PARENT_SCOPE)
  set(messages "${unwrapped}" PARENT_SCOPE)
endfunction()

# Removes WORK and fails when `failures` is not 0, saying the values were
# not `treated` (refused, accepted) as they should be.
function(finish_cases failures treated)
  file(REMOVE_RECURSE ${WORK})
  if(failures GREATER 0)
    message(FATAL_ERROR "${failures} value(s) were not ${treated} as they should be")
  endif()
endfunction()
