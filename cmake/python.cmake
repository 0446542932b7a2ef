# The Python module `zandrel` (pybind11), native builds only:
#
#   zandrel_python   the extension zandrel/_zandrel<suffix> over the public C++ API, written
#                    with the package's Python files into <build>/python/zandrel, so that
#                    PYTHONPATH=<build>/python imports the package from the build tree
#
# ZANDREL_PYTHON is ON by default when Python (interpreter and module development files) and
# pybind11 are found. Debian's interpreter /usr/bin/python3 is preferred to whatever comes
# first on the PATH. `cmake --install` puts the package into the prefix's Python directory
# (ZANDREL_PYTHON_INSTALL_DIR, relative to the prefix; for Debian's interpreter
# lib/python3/dist-packages), component `python`.
if(NOT DEFINED Python3_EXECUTABLE AND NOT DEFINED Python_EXECUTABLE AND EXISTS /usr/bin/python3)
  set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "The Python interpreter of the module and the tests")
endif()

# Builds that leave the module out (sanitizers, fuzzing, Windows) look for nothing.
if(DEFINED ZANDREL_PYTHON AND NOT ZANDREL_PYTHON)
  return()
endif()
set(zandrel_python_default OFF)
if(NOT CMAKE_CROSSCOMPILING)
  find_package(Python3 COMPONENTS Interpreter Development.Module)
  if(Python3_Development.Module_FOUND)
    find_package(pybind11 CONFIG QUIET)
  endif()
  if(Python3_Development.Module_FOUND AND pybind11_FOUND)
    set(zandrel_python_default ON)
  endif()
endif()
option(ZANDREL_PYTHON "Build the Python module (pybind11)" ${zandrel_python_default})
if(NOT ZANDREL_PYTHON)
  return()
endif()
if(CMAKE_CROSSCOMPILING)
  message(FATAL_ERROR "ZANDREL_PYTHON needs a native build")
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter Development.Module)
find_package(pybind11 CONFIG REQUIRED)

# Where the package goes under the install prefix: Debian's interpreter reads
# lib/python3/dist-packages, any other lib/python3.X/site-packages.
execute_process(COMMAND "${Python3_EXECUTABLE}" -c "import sys; print(any(p.endswith('/python3/dist-packages') for p in sys.path))"
  OUTPUT_VARIABLE zandrel_python_debian OUTPUT_STRIP_TRAILING_WHITESPACE)
if(zandrel_python_debian STREQUAL "True")
  set(zandrel_python_dir "lib/python3/dist-packages")
else()
  set(zandrel_python_dir "lib/python${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}/site-packages")
endif()
set(ZANDREL_PYTHON_INSTALL_DIR "${zandrel_python_dir}" CACHE STRING
  "Folder of the Python package under the install prefix")

set(ZANDREL_PYTHON_BUILD_DIR "${PROJECT_BINARY_DIR}/python")
add_subdirectory(src/python)
