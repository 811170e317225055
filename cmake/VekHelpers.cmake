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
# GUI tests run on the offscreen platform. The test support library knows
# where tests/data and the built executables are (see tests/support).
function(vek_add_test name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main vek_test_support)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  vek_windows_program(${name})
  if(CMAKE_CROSSCOMPILING)
    # Listed when CTest runs, under the emulator, not at build time.
    gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST)
  elseif(ARG_GUI)
    gtest_discover_tests(${name} TEST_PREFIX "${name}."
      PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen
      DISCOVERY_TIMEOUT 60)
  else()
    gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# Every tests/<folder>/*_test.cpp becomes its own test executable, so that one
# file that does not compile does not stop the rest.
function(vek_add_test_folder folder)
  cmake_parse_arguments(ARG "GUI" "" "LIBS;POSIX_ONLY" ${ARGN})
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*_test.cpp)
  # Tests that need POSIX facilities (a shell, fork, resource limits) are
  # left out of a Windows build.
  if(WIN32)
    foreach(_ex IN LISTS ARG_POSIX_ONLY)
      list(FILTER _tests EXCLUDE REGEX "/${_ex}$")
    endforeach()
  endif()
  foreach(_t IN LISTS _tests)
    get_filename_component(_n ${_t} NAME_WE)
    if(ARG_GUI)
      vek_add_test(${folder}_${_n} SOURCES ${_t} LIBS ${ARG_LIBS} GUI)
    else()
      vek_add_test(${folder}_${_n} SOURCES ${_t} LIBS ${ARG_LIBS})
    endif()
  endforeach()
endfunction()
