# What the Windows plug-ins link against, as the interface targets
# varnelo_liblo (liblo-7.dll and its headers) and varnelo_opengl (opengl32).
# The compiler's own runtime (libstdc++, libgcc, winpthread) is linked
# statically, so a host needs no compiler DLLs beside the plug-in.
#
# liblo comes from, in this order:
# - LIBLO_ROOT: a Windows liblo with include/lo/lo.h and lib/liblo.dll.a
#   (import library) or lib/liblo.a (static);
# - the compiler's own prefix (MSYS2: pacman -S mingw-w64-x86_64-liblo);
# - when cross-building: the build machine's liblo headers (Debian's
#   liblo-dev carries the Windows includes), copied alone into the build
#   folder, and an import library for liblo-7.dll made from liblo.def.

set(LIBLO_ROOT "" CACHE PATH
    "A Windows liblo: include/lo/lo.h and lib/liblo.dll.a or lib/liblo.a")

# varnelo_windows_runtime, for the plug-in DLLs: the compiler's runtime
# linked in statically, and a release DLL without the debug sections that
# the static runtime brings along.
add_library(varnelo_windows_runtime INTERFACE)
target_link_options(varnelo_windows_runtime INTERFACE
  -static $<$<CONFIG:Release,MinSizeRel>:-s>)

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
# A static liblo needs the socket and adapter libraries; against the import
# library they add nothing, as nothing of ours calls them.
set(varnelo_liblo_system_libraries ws2_32 iphlpapi)

# A changed LIBLO_ROOT searches again instead of keeping the old finds.
if(NOT "${LIBLO_ROOT}" STREQUAL "${VARNELO_LIBLO_ROOT_SEARCHED}")
  unset(LIBLO_INCLUDE_DIR CACHE)
  unset(LIBLO_LIBRARY CACHE)
  set(VARNELO_LIBLO_ROOT_SEARCHED "${LIBLO_ROOT}" CACHE INTERNAL "")
endif()

if(LIBLO_ROOT)
  find_path(LIBLO_INCLUDE_DIR lo/lo.h PATHS ${LIBLO_ROOT}/include
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  find_library(LIBLO_LIBRARY NAMES lo liblo PATHS ${LIBLO_ROOT}/lib
               NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT LIBLO_INCLUDE_DIR OR NOT LIBLO_LIBRARY)
    message(FATAL_ERROR "LIBLO_ROOT=${LIBLO_ROOT} holds no include/lo/lo.h "
                        "and lib/liblo.dll.a or lib/liblo.a")
  endif()
else()
  find_path(LIBLO_INCLUDE_DIR lo/lo.h)
  find_library(LIBLO_LIBRARY NAMES lo liblo)
endif()

if(LIBLO_INCLUDE_DIR AND LIBLO_LIBRARY)
  message(STATUS "liblo for Windows: ${LIBLO_LIBRARY}")
  target_include_directories(varnelo_liblo INTERFACE ${LIBLO_INCLUDE_DIR})
  target_link_libraries(varnelo_liblo INTERFACE ${LIBLO_LIBRARY}
                        ${varnelo_liblo_system_libraries})
  return()
endif()

if(NOT CMAKE_CROSSCOMPILING)
  message(FATAL_ERROR "liblo not found: install MSYS2's mingw-w64-x86_64-liblo "
                      "or set LIBLO_ROOT to a Windows liblo")
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
               "import library for liblo-7.dll from ${varnelo_liblo_def}")
target_include_directories(varnelo_liblo INTERFACE ${varnelo_liblo_dir}/include)
target_link_libraries(varnelo_liblo INTERFACE ${varnelo_liblo_import}
                      ${varnelo_liblo_system_libraries})
