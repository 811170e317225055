# Finds what the Python module vek needs: Debian's interpreter with its
# headers and numpy, and pybind11. Sets VEK_PYTHON_SITE_SUFFIX (where the
# module goes under an installation prefix other than /usr).
if(NOT DEFINED Python3_EXECUTABLE AND EXISTS /usr/bin/python3)
  # The python3 on PATH may be another interpreter that cannot see Debian's
  # python3-numpy and python3-pandas.
  set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "Python interpreter the module vek is built for")
endif()
find_package(Python3 3.9 COMPONENTS Interpreter Development.Module NumPy)
find_package(pybind11 2.6 CONFIG QUIET)

set(_vek_py_missing "")
set(_vek_py_debs "")
if(NOT Python3_Interpreter_FOUND)
  list(APPEND _vek_py_missing "the Python 3 interpreter")
  list(APPEND _vek_py_debs python3)
endif()
if(NOT Python3_Development.Module_FOUND)
  list(APPEND _vek_py_missing "the Python 3 headers")
  list(APPEND _vek_py_debs python3-dev)
endif()
if(NOT Python3_NumPy_FOUND)
  list(APPEND _vek_py_missing "numpy")
  list(APPEND _vek_py_debs python3-numpy)
endif()
if(NOT pybind11_FOUND)
  list(APPEND _vek_py_missing "pybind11")
  list(APPEND _vek_py_debs pybind11-dev)
endif()
# The module's tests run under pytest and read frames with pandas; the
# example plots with matplotlib; the sweep example runs on Dask's
# distributed scheduler (its test starts a local cluster); the apportionment
# among stream reaches is checked against an implementation of the tests' own
# on shapely.
set(_vek_py_test_modules pytest:python3-pytest pandas:python3-pandas matplotlib:python3-matplotlib
                         dask:python3-dask distributed:python3-distributed)
if(VEK_WITH_MAP)
  list(APPEND _vek_py_test_modules shapely:python3-shapely)
endif()
if(VEK_BUILD_TESTS AND Python3_Interpreter_FOUND)
  foreach(_mod_deb IN LISTS _vek_py_test_modules)
    string(REPLACE ":" ";" _mod_deb ${_mod_deb})
    list(GET _mod_deb 0 _mod)
    list(GET _mod_deb 1 _deb)
    execute_process(COMMAND ${Python3_EXECUTABLE} -c "import ${_mod}" RESULT_VARIABLE _rc OUTPUT_QUIET ERROR_QUIET)
    if(NOT _rc EQUAL 0)
      list(APPEND _vek_py_missing "${_mod} (for the tests)")
      list(APPEND _vek_py_debs ${_deb})
    endif()
  endforeach()
endif()
if(_vek_py_debs)
  list(JOIN _vek_py_missing ", " _vek_py_missing)
  list(JOIN _vek_py_debs " " _vek_py_debs)
  message(FATAL_ERROR
    "The Python module vek needs what was not found for ${Python3_EXECUTABLE}: ${_vek_py_missing}.\n"
    "Install the Debian packages: apt-get install ${_vek_py_debs}\n"
    "(scripts/setup.sh installs everything the build needs), or configure with "
    "-DVEK_BUILD_PYTHON=OFF to build without the Python module.")
endif()
message(STATUS "Python module vek for ${Python3_EXECUTABLE} (Python ${Python3_VERSION}, numpy ${Python3_NumPy_VERSION}, "
               "pybind11 ${pybind11_VERSION})")
set(VEK_PYTHON_SITE_SUFFIX "lib/python${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}/dist-packages")
