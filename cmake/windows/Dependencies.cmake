# What the Windows plug-ins link against, as the interface targets
# varnelo_liblo (liblo and its headers) and varnelo_opengl (opengl32).
# The compiler's own runtime (libstdc++, libgcc, winpthread) is linked
# statically, so a host needs no compiler DLLs beside the plug-in.
#
# liblo comes from, in this order:
# - LIBLO_ROOT: a Windows liblo with include/lo/lo.h and lib/liblo.a
#   (static) and/or lib/liblo.dll.a (import library for liblo-7.dll);
# - the compiler's own prefix (MSYS2: pacman -S mingw-w64-x86_64-liblo,
#   which brings both);
# - when cross-building: the build machine's liblo headers (Debian's
#   liblo-dev carries the Windows includes), copied alone into the build
#   folder, and an import library for liblo-7.dll made from liblo.def.
#
# VARNELO_LIBLO_STATIC decides between the two forms: AUTO links a static
# liblo.a wherever one is found, even beside an import library, so that
# each DLL carries liblo inside and a host needs nothing beside it (the
# release form); ON requires it; OFF links against liblo-7.dll.
#
# For the packaging (cmake/Packaging.cmake) this leaves:
#   VARNELO_LIBLO_IS_STATIC  TRUE when the DLLs carry liblo inside
#   VARNELO_LIBLO_VERSION    that liblo's version, from its liblo.pc
#                            ("unknown" without one)

set(LIBLO_ROOT "" CACHE PATH
    "A Windows liblo: include/lo/lo.h and lib/liblo.a and/or lib/liblo.dll.a")
set(VARNELO_LIBLO_STATIC AUTO CACHE STRING
    "Link liblo into the DLLs: AUTO (where a static liblo.a is found), ON (required), OFF")
set_property(CACHE VARNELO_LIBLO_STATIC PROPERTY STRINGS AUTO ON OFF)
if(NOT VARNELO_LIBLO_STATIC MATCHES "^(AUTO|ON|OFF)$")
  message(FATAL_ERROR "VARNELO_LIBLO_STATIC=${VARNELO_LIBLO_STATIC}: use AUTO, ON or OFF")
endif()

# varnelo_windows_runtime, for the plug-in DLLs: the compiler's runtime
# linked in statically, and a release DLL without the debug sections that
# the static runtime brings along. The linker writes a map beside each
# DLL's objects (<build>/variants/<name>.map), whose "Archive member
# included" lines name every library that put code into the DLL: the
# Windows check holds THIRD-PARTY-NOTICES.txt against them.
add_library(varnelo_windows_runtime INTERFACE)
target_link_options(varnelo_windows_runtime INTERFACE
  -static $<$<CONFIG:Release,MinSizeRel>:-s>
  -Wl,-Map=$<TARGET_PROPERTY:BINARY_DIR>/$<TARGET_PROPERTY:NAME>.map)

# varnelo_windows_headers: every <windows.h> of ours comes lean and
# without the min and max macros.
add_library(varnelo_windows_headers INTERFACE)
target_compile_definitions(varnelo_windows_headers INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX)

add_library(varnelo_opengl INTERFACE)
target_link_libraries(varnelo_opengl INTERFACE opengl32 varnelo_windows_headers)

# liblo's headers take their Winsock branch on WIN32, which a strict
# -std=c++17 does not predefine.
add_library(varnelo_liblo INTERFACE)
target_compile_definitions(varnelo_liblo INTERFACE WIN32)
target_link_libraries(varnelo_liblo INTERFACE varnelo_windows_headers)
# A static liblo needs the socket and adapter libraries (and winpthread,
# which the compiler links anyway); against the import library they add
# nothing, as nothing of ours calls them.
set(varnelo_liblo_system_libraries ws2_32 iphlpapi)

# A changed LIBLO_ROOT searches again instead of keeping the old finds.
if(NOT "${LIBLO_ROOT}" STREQUAL "${VARNELO_LIBLO_ROOT_SEARCHED}")
  unset(LIBLO_INCLUDE_DIR CACHE)
  unset(LIBLO_STATIC_LIBRARY CACHE)
  unset(LIBLO_IMPORT_LIBRARY CACHE)
  set(VARNELO_LIBLO_ROOT_SEARCHED "${LIBLO_ROOT}" CACHE INTERNAL "")
endif()

# The names are whole file names, so that liblo.a is found even where
# liblo.dll.a, which a search for "lo" prefers, lies beside it.
set(varnelo_liblo_STATIC_name liblo.a)
set(varnelo_liblo_IMPORT_name liblo.dll.a)
if(LIBLO_ROOT)
  set(varnelo_liblo_where "LIBLO_ROOT=${LIBLO_ROOT}")
  find_path(LIBLO_INCLUDE_DIR lo/lo.h PATHS ${LIBLO_ROOT}/include
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  foreach(form STATIC IMPORT)
    find_library(LIBLO_${form}_LIBRARY NAMES ${varnelo_liblo_${form}_name} PATHS ${LIBLO_ROOT}/lib
                 NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  endforeach()
  if(NOT LIBLO_INCLUDE_DIR OR NOT (LIBLO_STATIC_LIBRARY OR LIBLO_IMPORT_LIBRARY))
    message(FATAL_ERROR "${varnelo_liblo_where} holds no include/lo/lo.h "
                        "and lib/liblo.a or lib/liblo.dll.a")
  endif()
else()
  set(varnelo_liblo_where "the compiler's prefix")
  find_path(LIBLO_INCLUDE_DIR lo/lo.h)
  foreach(form STATIC IMPORT)
    find_library(LIBLO_${form}_LIBRARY NAMES ${varnelo_liblo_${form}_name})
  endforeach()
endif()

# The form taken: STATIC, IMPORT, or DEFINED (the cross build's import
# library made from liblo.def).
if(LIBLO_INCLUDE_DIR AND LIBLO_STATIC_LIBRARY AND NOT VARNELO_LIBLO_STATIC STREQUAL "OFF")
  set(varnelo_liblo_form STATIC)
elseif(VARNELO_LIBLO_STATIC STREQUAL "ON")
  message(FATAL_ERROR
    "VARNELO_LIBLO_STATIC=ON needs a static liblo (include/lo/lo.h and lib/liblo.a), and "
    "${varnelo_liblo_where} has none. In an MSYS2 MINGW64 shell: "
    "pacman -S mingw-w64-x86_64-liblo (it brings lib/liblo.a); or set LIBLO_ROOT to a "
    "folder with include/lo/lo.h and lib/liblo.a; or configure with "
    "-DVARNELO_LIBLO_STATIC=AUTO or OFF to build DLLs that need liblo-7.dll.")
elseif(LIBLO_INCLUDE_DIR AND LIBLO_IMPORT_LIBRARY)
  set(varnelo_liblo_form IMPORT)
elseif(LIBLO_ROOT)
  message(FATAL_ERROR "${varnelo_liblo_where} holds no lib/liblo.dll.a, and "
                      "VARNELO_LIBLO_STATIC=OFF leaves out its lib/liblo.a")
elseif(CMAKE_CROSSCOMPILING)
  set(varnelo_liblo_form DEFINED)
else()
  message(FATAL_ERROR "liblo not found: install MSYS2's mingw-w64-x86_64-liblo "
                      "or set LIBLO_ROOT to a Windows liblo")
endif()

set(VARNELO_LIBLO_IS_STATIC FALSE)
set(VARNELO_LIBLO_VERSION unknown)
if(varnelo_liblo_form STREQUAL "STATIC")
  set(VARNELO_LIBLO_IS_STATIC TRUE)
  set(varnelo_liblo_library ${LIBLO_STATIC_LIBRARY})
  set(varnelo_liblo_needs "the DLLs carry liblo inside and need no liblo-7.dll")
elseif(varnelo_liblo_form STREQUAL "IMPORT")
  set(varnelo_liblo_library ${LIBLO_IMPORT_LIBRARY})
  set(varnelo_liblo_needs "the DLLs need liblo-7.dll at run time (packaging/LIBLO.txt)")
endif()

if(varnelo_liblo_library)
  # The version a release's notices name, from the pkg-config file that
  # MSYS2 and liblo's own install put beside the library.
  get_filename_component(varnelo_liblo_libdir ${varnelo_liblo_library} DIRECTORY)
  set(varnelo_liblo_pc ${varnelo_liblo_libdir}/pkgconfig/liblo.pc)
  if(EXISTS ${varnelo_liblo_pc})
    file(STRINGS ${varnelo_liblo_pc} varnelo_liblo_version_line REGEX "^Version:")
    string(REGEX REPLACE "^Version:[ \t]*" "" varnelo_liblo_version "${varnelo_liblo_version_line}")
    if(varnelo_liblo_version)
      set(VARNELO_LIBLO_VERSION ${varnelo_liblo_version})
    endif()
  endif()
  if(VARNELO_LIBLO_IS_STATIC AND VARNELO_LIBLO_VERSION STREQUAL "unknown")
    message(WARNING "No version in ${varnelo_liblo_pc}: THIRD-PARTY-NOTICES.txt will name the "
                    "version of the liblo linked in as unknown")
  endif()
  message(STATUS "liblo for Windows: ${varnelo_liblo_library} "
                 "(liblo ${VARNELO_LIBLO_VERSION}): ${varnelo_liblo_needs}")
  target_include_directories(varnelo_liblo INTERFACE ${LIBLO_INCLUDE_DIR})
  target_link_libraries(varnelo_liblo INTERFACE ${varnelo_liblo_library}
                        ${varnelo_liblo_system_libraries})
  return()
endif()

# Cross build: only the lo/ headers, never the rest of the build machine's
# /usr/include, go on the include path.
find_path(LIBLO_HOST_INCLUDE_DIR lo/lo.h PATHS /usr/include /usr/local/include
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT LIBLO_HOST_INCLUDE_DIR)
  message(FATAL_ERROR "no lo/lo.h on the build machine (Debian: liblo-dev); "
                      "or set LIBLO_ROOT to a Windows liblo")
endif()
set(varnelo_liblo_dir ${PROJECT_BINARY_DIR}/liblo)
file(REMOVE_RECURSE ${varnelo_liblo_dir}/include)
file(COPY ${LIBLO_HOST_INCLUDE_DIR}/lo DESTINATION ${varnelo_liblo_dir}/include)

if(NOT CMAKE_DLLTOOL)
  find_program(CMAKE_DLLTOOL NAMES x86_64-w64-mingw32-dlltool dlltool REQUIRED)
endif()
set(varnelo_liblo_def ${CMAKE_CURRENT_LIST_DIR}/liblo.def)
set(varnelo_liblo_import ${varnelo_liblo_dir}/lib/liblo.dll.a)
add_custom_command(
  OUTPUT ${varnelo_liblo_import}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${varnelo_liblo_dir}/lib
  COMMAND ${CMAKE_DLLTOOL} --input-def ${varnelo_liblo_def}
          --dllname liblo-7.dll --output-lib ${varnelo_liblo_import}
  DEPENDS ${varnelo_liblo_def}
  COMMENT "Import library for liblo-7.dll"
  VERBATIM)
add_custom_target(varnelo_liblo_import_library DEPENDS ${varnelo_liblo_import})
add_dependencies(varnelo_liblo varnelo_liblo_import_library)
message(STATUS "liblo for Windows: ${LIBLO_HOST_INCLUDE_DIR}/lo headers, "
               "import library for liblo-7.dll from ${varnelo_liblo_def}: "
               "the DLLs need liblo-7.dll at run time (packaging/LIBLO.txt)")
target_include_directories(varnelo_liblo INTERFACE ${varnelo_liblo_dir}/include)
target_link_libraries(varnelo_liblo INTERFACE ${varnelo_liblo_import}
                      ${varnelo_liblo_system_libraries})
