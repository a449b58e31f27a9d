# Programs of a Windows build made on Linux run under Wine: the build runs
# tallomar-mkmdb for the demo package, and CTest runs the test programs.
# wine-run in the build folder starts one with the folders of its DLLs (Qt,
# the libraries of TALLOMAR_WINDOWS_PREFIX, the MinGW runtime) on its path,
# in the Wine prefix TALLOMAR_WINDOWS_WINE_PREFIX unless WINEPREFIX is set.
set(TALLOMAR_WINDOWS_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix CACHE PATH "The Wine prefix the build runs programs in")
find_program(TALLOMAR_WINE wine64 PATHS /usr/lib/wine REQUIRED NO_CMAKE_FIND_ROOT_PATH)
get_filename_component(qt_prefix ${Qt6_DIR}/../../.. ABSOLUTE)
# The folders of the compiler's runtime DLLs, as the compiler finds them.
set(TALLOMAR_WINDOWS_DLL_FOLDERS ${qt_prefix}/bin ${TALLOMAR_WINDOWS_PREFIX}/bin)
foreach(runtime libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                  OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(runtime_folder ${runtime_path} DIRECTORY)
  get_filename_component(runtime_folder ${runtime_folder} REALPATH)
  list(APPEND TALLOMAR_WINDOWS_DLL_FOLDERS ${runtime_folder})
endforeach()
set(wine_path "")
foreach(folder IN LISTS TALLOMAR_WINDOWS_DLL_FOLDERS)
  string(REPLACE "/" "\\\\" folder "${folder}")
  string(APPEND wine_path "Z:${folder};")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/wine-run.in CONTENT [[#!/bin/sh
# Runs a program of this Windows build under Wine (made by cmake/windows/Wine.cmake).
export WINEPREFIX="${WINEPREFIX:-@TALLOMAR_WINDOWS_WINE_PREFIX@}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No browser or .NET runtime to offer to install in a new prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEPATH='@wine_path@'
exec "@TALLOMAR_WINE@" "$@"
]] @ONLY)
file(COPY ${CMAKE_BINARY_DIR}/wine-run.in DESTINATION ${CMAKE_BINARY_DIR}/wine
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(RENAME ${CMAKE_BINARY_DIR}/wine/wine-run.in ${CMAKE_BINARY_DIR}/wine-run)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
