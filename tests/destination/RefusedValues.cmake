# Each value that the configure must refuse, with the words that say why.
# Runs the configure once per value in WORK and fails unless every one
# stops with its message.
set(cases
  "-DVARNELO_OSC_PORT=0|VARNELO_OSC_PORT=0 is out of range"
  "-DVARNELO_OSC_PORT=65536|VARNELO_OSC_PORT=65536 is out of range"
  "-DVARNELO_OSC_PORT=123456789012345678901|is out of range"
  "-DVARNELO_OSC_PORT=000|VARNELO_OSC_PORT=000 is out of range"
  "-DVARNELO_OSC_PORT=0065536|VARNELO_OSC_PORT=0065536 is out of range"
  "-DVARNELO_OSC_PORT=00000000000000000000100000|is out of range"
  "-DVARNELO_OSC_PORT=70x0|is not a port"
  "-DVARNELO_OSC_PORT=|is not a port"
  "-DVARNELO_OSC_HOST=|VARNELO_OSC_HOST is empty"
  "-DVARNELO_OSC_HOST=a\"b|is not a host name or address"
  "-DVARNELO_OSC_HOST=lights local|is not a host name or address"
  "-DVARNELO_OSC_HOST=::1|liblo here sends over IPv4 only"
  "-DVARNELO_OSC_HOST=[::1]|liblo here sends over IPv4 only"
  "-DVARNELO_OSC_HOST=fe80::1%eth0|liblo here sends over IPv4 only"
  "-DVARNELO_OSC_HOST=lights.local:7000|liblo here sends over IPv4 only")
include(${CMAKE_CURRENT_LIST_DIR}/ConfigureCases.cmake)
set(failures 0)
foreach(case IN LISTS cases)
  configure_case("${case}")
  string(FIND "${messages}" "${expected}" found)
  if(status EQUAL 0 OR found EQUAL -1)
    message(SEND_ERROR "${definition}: expected a refusal saying \"${expected}\", got "
                       "status ${status}: ${messages}")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()
finish_cases(${failures} refused)
