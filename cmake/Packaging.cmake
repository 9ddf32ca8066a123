# The release packages, made by `cmake --build <build> --target package`
# into <build>/packages, each holding one folder of its own name. The
# version is the project's (CMakeLists.txt).
#
#   Linux:   Varnelo-<version>-Linux-x86_64.tar.gz
#            plugins/Varnelo4.so ... Varnelo32.so, bin/varnelo-host (it
#            finds the plug-ins in ../plugins; left out when VARNELO_TOOLS
#            is off), README.md, LICENSE, RUNTIME-LIBRARIES.txt
#   Windows, liblo inside the DLLs (cmake/windows/Dependencies.cmake,
#   VARNELO_LIBLO_STATIC): Varnelo-<version>-win64.zip
#            Varnelo4.dll ... Varnelo32.dll, README-Windows.txt, LICENSE,
#            THIRD-PARTY-NOTICES.txt
#   Windows, DLLs that need liblo-7.dll: Varnelo-<version>-win64-needs-liblo.zip
#            the same and LIBLO.txt on where liblo-7.dll must go
#
# The packages take the "release" install component only, which a plain
# `cmake --install` leaves out.
set(varnelo_plugins Varnelo4 Varnelo8 Varnelo16 Varnelo32)
install(FILES LICENSE DESTINATION . COMPONENT release EXCLUDE_FROM_ALL)

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows/PackageTexts.cmake)
  install(TARGETS ${varnelo_plugins} LIBRARY DESTINATION . COMPONENT release EXCLUDE_FROM_ALL)
  install(FILES ${VARNELO_WINDOWS_PACKAGE_TEXTS} DESTINATION . COMPONENT release EXCLUDE_FROM_ALL)
  set(CPACK_GENERATOR ZIP)
  if(VARNELO_LIBLO_IS_STATIC)
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(CPACK_SYSTEM_NAME win64-needs-liblo)
  endif()
else()
  install(TARGETS ${varnelo_plugins} LIBRARY DESTINATION plugins COMPONENT release EXCLUDE_FROM_ALL)
  install(FILES README.md packaging/RUNTIME-LIBRARIES.txt
          DESTINATION . COMPONENT release EXCLUDE_FROM_ALL)
  if(TARGET varnelo-host)
    install(TARGETS varnelo-host RUNTIME DESTINATION bin COMPONENT release EXCLUDE_FROM_ALL)
  else()
    message(STATUS "The Linux package leaves out varnelo-host: VARNELO_TOOLS is off")
  endif()
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
message(STATUS "Release package: ${CPACK_PACKAGE_FILE_NAME} (cmake --build . --target package)")
include(CPack)
