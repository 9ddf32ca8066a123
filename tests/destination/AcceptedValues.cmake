# Values that the configure must accept, each with the port number it must
# make of them. Runs the configure once per value in WORK (without tests,
# tools or benchmarks, which the destination does not touch) and fails
# unless every one succeeds and leaves that number in the cache as
# VARNELO_OSC_PORT_NUMBER, the port the plug-ins are built for.
set(cases
  "-DVARNELO_OSC_PORT=007000|7000"
  "-DVARNELO_OSC_PORT=07000|7000"
  "-DVARNELO_OSC_PORT=000000000000000000000065535|65535"
  "-DVARNELO_OSC_HOST=lights-2.local|7000")
include(${CMAKE_CURRENT_LIST_DIR}/ConfigureCases.cmake)
set(failures 0)
foreach(case IN LISTS cases)
  configure_case("${case}" -DVARNELO_TESTS=OFF -DVARNELO_TOOLS=OFF -DVARNELO_BENCHMARKS=OFF)
  set(port "")
  if(status EQUAL 0)
    load_cache(${WORK} READ_WITH_PREFIX cached_ VARNELO_OSC_PORT_NUMBER)
    set(port "${cached_VARNELO_OSC_PORT_NUMBER}")
  endif()
  if(NOT port STREQUAL expected)
    message(SEND_ERROR "${definition}: expected port ${expected}, got status ${status}, "
                       "port \"${port}\": ${messages}")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()
finish_cases(${failures} accepted)
