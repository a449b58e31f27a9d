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

# One test program per test folder, each test registered with CTest.
function(tallomar_test_folder name)
  cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/*.h
    ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE tallomar_test_support ${ARG_LINK})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
