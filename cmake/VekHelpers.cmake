# Shared helpers for the project's targets.

# Collects the sources of a folder, ignoring files listed in EXCLUDE.
function(vek_glob_sources out dir)
  cmake_parse_arguments(ARG "" "" "EXCLUDE" ${ARGN})
  file(GLOB _srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  foreach(_ex IN LISTS ARG_EXCLUDE)
    list(FILTER _srcs EXCLUDE REGEX "/${_ex}$")
  endforeach()
  set(${out} ${_srcs} PARENT_SCOPE)
endfunction()

# On Windows a program carries the UTF-8 code page manifest.
function(vek_windows_program target)
  if(WIN32)
    target_link_libraries(${target} PRIVATE vek_utf8_manifest)
  endif()
endfunction()

# vek_add_test(name SOURCES a.cpp b.cpp LIBS lib1 lib2 [GUI])
# One test executable, linked with GoogleTest's main, discovered by CTest.
# GUI tests run on the offscreen platform and carry the label "gui". The test
# support library knows where tests/data and the built executables are (see
# tests/support). Every test program is built after the programs of the
# build (vek, vektool, VEKView), so a test that runs one never finds it
# missing or stale; a test that does not find it fails.
# With FIXTURE f, every test of it needs the CTest fixture f set up first.
function(vek_add_test name)
  cmake_parse_arguments(ARG "GUI" "FIXTURE" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main vek_test_support)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  vek_windows_program(${name})
  foreach(_program vek vektool VEKView)
    if(TARGET ${_program})
      add_dependencies(${name} ${_program})
    endif()
  endforeach()
  set(_props "")
  if(ARG_GUI)
    list(APPEND _props ENVIRONMENT QT_QPA_PLATFORM=offscreen LABELS gui)
  endif()
  if(ARG_FIXTURE)
    list(APPEND _props FIXTURES_REQUIRED ${ARG_FIXTURE})
  endif()
  if(CMAKE_CROSSCOMPILING)
    # Listed when CTest runs, under the emulator, not at build time.
    gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST)
  elseif(_props)
    gtest_discover_tests(${name} TEST_PREFIX "${name}." PROPERTIES ${_props} DISCOVERY_TIMEOUT 60)
  else()
    gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# Every tests/<folder>/*_test.cpp becomes its own test executable, so that one
# file that does not compile does not stop the rest.
function(vek_add_test_folder folder)
  cmake_parse_arguments(ARG "GUI" "FIXTURE" "LIBS;POSIX_ONLY" ${ARGN})
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*_test.cpp)
  # Tests that need POSIX facilities (a shell, fork, resource limits, the C
  # library's named locales) are left out of a Windows build.
  if(WIN32)
    foreach(_ex IN LISTS ARG_POSIX_ONLY)
      list(FILTER _tests EXCLUDE REGEX "/${_ex}$")
    endforeach()
  endif()
  set(_opts "")
  if(ARG_GUI)
    list(APPEND _opts GUI)
  endif()
  if(ARG_FIXTURE)
    list(APPEND _opts FIXTURE ${ARG_FIXTURE})
  endif()
  foreach(_t IN LISTS _tests)
    get_filename_component(_n ${_t} NAME_WE)
    vek_add_test(${folder}_${_n} SOURCES ${_t} LIBS ${ARG_LIBS} ${_opts})
  endforeach()
endfunction()

# vek_core_includes(target folder [folder ...])
# Gives a library (or program) its own include directory in the build tree,
# holding one link per source folder (build/include/<target>/<folder> ->
# <source>/<folder>), so that `#include "model/x.h"` keeps its spelling while
# a target sees only the headers of itself and of the libraries it links.
# Nothing exports the whole source tree.
function(vek_core_includes target)
  set(_dir ${CMAKE_BINARY_DIR}/include/${target})
  file(MAKE_DIRECTORY ${_dir})
  foreach(_folder IN LISTS ARGN)
    if(NOT EXISTS ${_dir}/${_folder})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${_folder} ${_dir}/${_folder} SYMBOLIC)
    endif()
  endforeach()
  get_target_property(_type ${target} TYPE)
  if(_type STREQUAL "EXECUTABLE")
    target_include_directories(${target} PRIVATE ${_dir})
  elseif(_type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${_dir})
  else()
    target_include_directories(${target} PUBLIC ${_dir})
  endif()
endfunction()
