# One value of VARNELO_OSC_HOST or VARNELO_OSC_PORT through the configure of
# SOURCE, afresh in WORK with the generator GENERATOR (run with cmake -P):
#   DEFINITION  the -D argument, e.g. -DVARNELO_OSC_PORT=007000;
#   WORDS       when set, the configure must stop, its messages (CMake's
#               line wrapping undone) holding these words;
#   PORT        when set, the configure must succeed and leave this port as
#               VARNELO_OSC_PORT_NUMBER, the port the plug-ins are built for.
# The tests, tools and benchmarks are left out: the destination touches none.
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK} -G ${GENERATOR} "${DEFINITION}"
                        -DVARNELO_TESTS=OFF -DVARNELO_TOOLS=OFF -DVARNELO_BENCHMARKS=OFF
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
string(REGEX REPLACE "[ \n]+" " " messages "${errors}")

if(DEFINED WORDS)
  string(FIND "${messages}" "${WORDS}" found)
  if(status EQUAL 0 OR found EQUAL -1)
    set(failure "expected a refusal saying \"${WORDS}\", got status ${status}: ${messages}")
  endif()
else()
  set(port "")
  if(status EQUAL 0)
    load_cache(${WORK} READ_WITH_PREFIX cached_ VARNELO_OSC_PORT_NUMBER)
    set(port "${cached_VARNELO_OSC_PORT_NUMBER}")
  endif()
  if(NOT port STREQUAL PORT)
    set(failure "expected port ${PORT}, got status ${status}, port \"${port}\": ${messages}")
  endif()
endif()
file(REMOVE_RECURSE ${WORK})
if(DEFINED failure)
  message(FATAL_ERROR "${DEFINITION}: ${failure}")
endif()
