# Each source folder holds plain C++ units at its top (library <name>_core) and
# Qt forms under ui/ (library <name>_ui). Sources are globbed so that units can
# be added without touching the build files.

function(orvo_core name)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  # A program's main.cpp sits beside its units but belongs to the executable.
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  if(srcs)
    add_library(${name}_core STATIC ${srcs})
  else()
    add_library(${name}_core INTERFACE)
  endif()
  get_target_property(type ${name}_core TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${name}_core INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name}_core INTERFACE ${A_DEPS})
  else()
    target_include_directories(${name}_core PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name}_core PUBLIC ${A_DEPS} Threads::Threads)
  endif()
endfunction()

function(orvo_ui name)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  if(NOT ORVO_GUI)
    return()
  endif()
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.h)
  if(NOT srcs)
    # A folder with no forms yet still gives a target, so that others can
    # name it among their dependencies.
    add_library(${name}_ui INTERFACE)
    target_link_libraries(${name}_ui INTERFACE ${name}_core ${A_DEPS})
    return()
  endif()
  add_library(${name}_ui STATIC ${srcs})
  target_include_directories(${name}_ui PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name}_ui PUBLIC ${name}_core ${A_DEPS} Qt6::Widgets Qt6::PrintSupport)
endfunction()

# Tests of one folder: tests/<dir>/*.cpp (plain, label "unit") and
# tests/<dir>/ui/*.cpp (forms under offscreen Qt, label "gui").
function(orvo_tests dir)
  cmake_parse_arguments(A "" "" "DEPS;UI_DEPS" ${ARGN})
  string(REPLACE "/" "_" name ${dir})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(srcs)
    add_executable(test_${name} ${srcs})
    target_link_libraries(test_${name} PRIVATE ${A_DEPS} orvo_testsupport GTest::gtest GTest::gtest_main)
    gtest_discover_tests(test_${name} DISCOVERY_MODE PRE_TEST
      PROPERTIES LABELS unit ENVIRONMENT "ORVO_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  endif()
  if(ORVO_GUI)
    file(GLOB uisrcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/ui/*.cpp)
    if(uisrcs)
      add_executable(test_${name}_ui ${uisrcs})
      target_link_libraries(test_${name}_ui PRIVATE ${A_UI_DEPS} orvo_testsupport_ui GTest::gtest)
      gtest_discover_tests(test_${name}_ui DISCOVERY_MODE PRE_TEST
        # One variable only: the test discovery writes each list element as a
        # property of its own. The form tests' main starts offscreen by itself.
        PROPERTIES LABELS gui
        ENVIRONMENT "ORVO_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
    endif()
  endif()
endfunction()
