# The release packages, made by `cmake --build <build> --target package`:
#   Linux:   Varnelo-<version>-Linux-x86_64.tar.gz
#   Windows: Varnelo-<version>-win64.zip
# each holding one folder of that name with the four plug-ins, README.md,
# LICENSE and, for Windows, LIBLO.txt on where liblo-7.dll comes from. The
# version is the project's (CMakeLists.txt). The packages take the
# "release" install component only, which a plain `cmake --install` leaves
# out.
install(TARGETS Varnelo4 Varnelo8 Varnelo16 Varnelo32
        LIBRARY DESTINATION . COMPONENT release EXCLUDE_FROM_ALL)
install(FILES README.md LICENSE DESTINATION . COMPONENT release EXCLUDE_FROM_ALL)
if(WIN32)
  install(FILES packaging/LIBLO.txt DESTINATION . COMPONENT release EXCLUDE_FROM_ALL)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR TGZ)
  set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
endif()

set(CPACK_PACKAGE_NAME Varnelo)
set(CPACK_PACKAGE_VENDOR "the Varnelo developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "FreeFrame GL effect that sequences OSC from a host's parameter automation")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};Varnelo;release;/")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_OUTPUT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackConfig.cmake)
include(CPack)
