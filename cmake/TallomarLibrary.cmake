# One static library per layer folder: every .cpp, .h, .ui and .qrc file of
# the folder (and, with RECURSE, of its subfolders) belongs to it, so adding
# a file needs no edit here.
function(tallomar_folder_library name)
  cmake_parse_arguments(ARG "RECURSE" "" "LINK" ${ARGN})
  set(patterns *.cpp *.h *.ui *.qrc)
  list(TRANSFORM patterns PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  if(ARG_RECURSE)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${patterns})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${patterns})
  endif()
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  # One implementation per operating system of what differs between them:
  # name_posix.cpp or name_windows.cpp.
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_windows\\.cpp$")
  endif()
  if(TALLOMAR_RASTER_ART)
    tallomar_raster_resources(sources)
  endif()
  set(compiled ${sources})
  list(FILTER compiled INCLUDE REGEX "\\.cpp$")
  if(compiled)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_LINK})
  else()
    # A folder with headers only still gives its users the include path.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_LINK})
  endif()
endfunction()

# The resource files among `sources_var` that hold SVG pictures, replaced by
# copies that hold each picture rendered to PNG under the SVG's own name, for
# a Qt that has no SVG image plugin. Qt finds the PNG by its content.
function(tallomar_raster_resources sources_var)
  find_program(RSVG_CONVERT rsvg-convert REQUIRED)
  set(sources ${${sources_var}})
  foreach(qrc IN LISTS sources)
    if(NOT qrc MATCHES "\\.qrc$")
      continue()
    endif()
    file(READ ${qrc} text)
    string(REGEX MATCHALL "<file>[^<]*\\.svg</file>" entries "${text}")
    if(NOT entries)
      continue()
    endif()
    get_filename_component(qrc_folder ${qrc} DIRECTORY)
    get_filename_component(qrc_name ${qrc} NAME)
    file(RELATIVE_PATH relative_folder ${PROJECT_SOURCE_DIR} ${qrc_folder})
    set(raster_folder ${PROJECT_BINARY_DIR}/raster_art/${relative_folder})
    foreach(entry IN LISTS entries)
      string(REGEX REPLACE "</?file>" "" svg "${entry}")
      string(REGEX REPLACE "\\.svg$" ".png" png "${svg}")
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${qrc_folder}/${svg})
      if(NOT EXISTS ${raster_folder}/${png} OR ${qrc_folder}/${svg} IS_NEWER_THAN ${raster_folder}/${png})
        get_filename_component(png_folder ${raster_folder}/${png} DIRECTORY)
        file(MAKE_DIRECTORY ${png_folder})
        execute_process(COMMAND ${RSVG_CONVERT} --output=${raster_folder}/${png} ${qrc_folder}/${svg}
                        COMMAND_ERROR_IS_FATAL ANY)
      endif()
      string(REPLACE "${entry}" "<file alias=\"${svg}\">${png}</file>" text "${text}")
    endforeach()
    file(WRITE ${raster_folder}/${qrc_name} "${text}")
    list(REMOVE_ITEM sources ${qrc})
    list(APPEND sources ${raster_folder}/${qrc_name})
  endforeach()
  set(${sources_var} ${sources} PARENT_SCOPE)
endfunction()

# One test program per test folder, each test registered with CTest.
function(tallomar_test_folder name)
  cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/*.h
    ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  # Tests of what one operating system alone does: name_posix_test.cpp.
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_posix_test\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_windows_test\\.cpp$")
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE tallomar_test_support ${ARG_LINK})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
