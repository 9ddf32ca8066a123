# Configures SOURCE into BUILD for port 7001 and builds Varnelo4 there, as
# a user would: cmake -DVARNELO_OSC_PORT=7001 ...
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BUILD} -G ${GENERATOR} -DCMAKE_BUILD_TYPE=Release
          -DVARNELO_OSC_PORT=7001 -DVARNELO_TESTS=OFF -DVARNELO_BENCHMARKS=OFF
          -DVARNELO_TOOLS=OFF
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configuring ${BUILD} for port 7001 failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD} --target Varnelo4 RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "building Varnelo4 in ${BUILD} failed")
endif()
