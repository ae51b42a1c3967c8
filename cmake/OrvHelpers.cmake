# orv_add_library(NAME [LINKS ...]): one static library from the .cpp files of
# the calling folder. New files join without touching the CMakeLists. The
# library and its folder are recorded for orv_check_layers.
function(orv_add_library name)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    set(sources ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  set_property(GLOBAL APPEND PROPERTY ORV_LIBRARIES ${name})
  set_property(GLOBAL PROPERTY ORV_FOLDER_${name} ${folder})
endfunction()

# Every engine starts an audio manager: the tests (and the clients they start)
# get OpenAL's null device, which mixes without a sound card. Discovered
# tests take one variable only (a second one would be read as a property
# name); the source folder is compiled into the tests.
set(ORV_TEST_AUDIO_OUTPUT "ALSOFT_DRIVERS=null")

# orv_add_test_folder(NAME [LINKS ...]): one GoogleTest executable from the
# test_*.cpp files of the calling folder, each test registered with CTest.
function(orv_add_test_folder name)
  cmake_parse_arguments(ARG "" "" "LINKS;LABELS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} orv_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${ARG_LABELS}" ENVIRONMENT "${ORV_TEST_AUDIO_OUTPUT}")
endfunction()
