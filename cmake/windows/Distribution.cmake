# What the Windows zip and installer hold, as `cmake --install` lays it out
# (scripts/build-windows adds the DLLs the programs load and strips them):
# the programs, Qt's plugins and Chinese texts, the demo package beside the
# programs as the folder `file`, and the licences.
set(windows_programs tallomar tallomar-params tallomar-cli tallomar-tooldb tallomar-mdbread)
install(TARGETS ${windows_programs} RUNTIME DESTINATION .)
install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/file DESTINATION .)

get_filename_component(qt_prefix ${Qt6_DIR}/../../.. ABSOLUTE)
install(FILES ${qt_prefix}/plugins/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${qt_prefix}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles)
install(FILES ${qt_prefix}/plugins/imageformats/qgif.dll ${qt_prefix}/plugins/imageformats/qico.dll
              ${qt_prefix}/plugins/imageformats/qjpeg.dll DESTINATION imageformats)
# Qt's own dialogs in Chinese; qt.conf makes Qt look for them beside the programs.
find_file(TALLOMAR_QT_CHINESE qtbase_zh_CN.qm PATHS /usr/share/qt6/translations REQUIRED NO_CMAKE_FIND_ROOT_PATH)
install(FILES ${TALLOMAR_QT_CHINESE} DESTINATION translations)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/qt.conf DESTINATION .)

# The licences of everything shipped: Tallomar's own, Qt's, libmdb's (LGPL
# 2.0 or later), SQLite's public-domain notice and the MinGW runtime's.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION licenses RENAME tallomar.txt)
install(DIRECTORY ${qt_prefix}/licenses/ DESTINATION licenses/qt)
install(FILES ${TALLOMAR_WINDOWS_PREFIX}/share/licenses/libmdb/COPYING.LIB DESTINATION licenses/libmdb)
install(FILES ${TALLOMAR_WINDOWS_PREFIX}/share/licenses/sqlite/LICENSE.md DESTINATION licenses/sqlite)
foreach(runtime gcc-mingw-w64-x86-64-posix-runtime mingw-w64-common)
  find_file(copyright_${runtime} copyright PATHS /usr/share/doc/${runtime} REQUIRED NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  install(FILES ${copyright_${runtime}} DESTINATION licenses/mingw-w64 RENAME ${runtime}.txt)
endforeach()

# The window programs open no console window of their own.
set_target_properties(tallomar tallomar-params PROPERTIES WIN32_EXECUTABLE ON)
