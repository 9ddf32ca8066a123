# Where the plug-ins send their OSC: compiled in, 127.0.0.1 port 7000
# unless a build names another host or port. Checked here, so that a
# mistyped value stops the configure instead of making plug-ins that send
# nowhere.
set(VARNELO_OSC_HOST "127.0.0.1" CACHE STRING
    "Host the plug-ins send OSC to: a numeric IPv4 address or a host name")
set(VARNELO_OSC_PORT "7000" CACHE STRING "UDP port the plug-ins send OSC to, 1 to 65535")

# The host becomes a C string in the plug-in, so it takes only the
# characters of IPv4 addresses and host names. liblo as Debian builds it
# sends over IPv4 alone: to an IPv6 address it would send nothing, so one
# (any host with ':' or brackets) is refused.
if(VARNELO_OSC_HOST STREQUAL "")
  message(FATAL_ERROR "VARNELO_OSC_HOST is empty: give the host to send to, e.g. "
                      "-DVARNELO_OSC_HOST=192.168.1.20")
endif()
if(VARNELO_OSC_HOST MATCHES "[][:]")
  message(FATAL_ERROR "VARNELO_OSC_HOST=\"${VARNELO_OSC_HOST}\" has ':' or brackets, as an IPv6 "
                      "address has: liblo here sends over IPv4 only; give an IPv4 address or a "
                      "host name, e.g. 192.168.1.20 or lights.local (and the port in "
                      "VARNELO_OSC_PORT)")
endif()
if(NOT VARNELO_OSC_HOST MATCHES "^[A-Za-z0-9._-]+$")
  message(FATAL_ERROR "VARNELO_OSC_HOST=\"${VARNELO_OSC_HOST}\" is not a host name or address: "
                      "use letters, digits and . - only, e.g. 192.168.1.20 or lights.local")
endif()
string(LENGTH "${VARNELO_OSC_HOST}" host_length)
if(host_length GREATER 253)
  message(FATAL_ERROR "VARNELO_OSC_HOST is ${host_length} characters long; "
                      "a host name has at most 253")
endif()

if(NOT VARNELO_OSC_PORT MATCHES "^[0-9]+$")
  message(FATAL_ERROR "VARNELO_OSC_PORT=\"${VARNELO_OSC_PORT}\" is not a port: "
                      "give a number from 1 to 65535")
endif()
# Leading zeros go before the length is judged: 007000 is port 7000. The
# digits from the first that is not 0 on; none when all are 0.
string(REGEX MATCH "[1-9][0-9]*$" port_digits "${VARNELO_OSC_PORT}")
string(LENGTH "${port_digits}" port_length)
if(port_length EQUAL 0)
  set(port_value 0)
elseif(port_length GREATER 5)
  set(port_value 65536)
else()
  math(EXPR port_value "${port_digits}")
endif()
if(port_value LESS 1 OR port_value GREATER 65535)
  message(FATAL_ERROR "VARNELO_OSC_PORT=${VARNELO_OSC_PORT} is out of range: "
                      "give a number from 1 to 65535")
endif()
# Without leading zeros, as liblo gets it; in the cache for the tests that
# check what a configure made of VARNELO_OSC_PORT.
set(VARNELO_OSC_PORT_NUMBER ${port_value} CACHE INTERNAL "UDP port the plug-ins send OSC to")
if(NOT VARNELO_OSC_HOST STREQUAL "127.0.0.1" OR NOT VARNELO_OSC_PORT_NUMBER EQUAL 7000)
  message(STATUS "Varnelo: the plug-ins send OSC to ${VARNELO_OSC_HOST} port ${VARNELO_OSC_PORT_NUMBER}")
endif()
