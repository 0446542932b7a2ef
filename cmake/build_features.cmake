# Optional features of the command line, and the header that names the ones built in.
#
#   ZANDREL_WITH_NIFTI   NIfTI-1 output of the conversion (the NIfTI C library)
#   ZANDREL_WITH_REPORT  the picture report of a conversion (libpng)
#
# Each is ON by default when its library is found on the build host. The Windows cross
# build has neither library (Debian ships them for the build host only), so there both are
# OFF and cannot be switched on. Every target that links the interface library
# zandrel_build_features can include the generated <zandrel/build_features.h>: the project's
# version (kVersion), ZANDREL_WITH_NIFTI and ZANDREL_WITH_REPORT as 0 or 1, and the line of
# features that `zandrel --version` prints.
if(CMAKE_CROSSCOMPILING)
  set(ZANDREL_WITH_NIFTI OFF CACHE BOOL "NIfTI output (not available in the cross build)" FORCE)
  set(ZANDREL_WITH_REPORT OFF CACHE BOOL "Picture report (not available in the cross build)" FORCE)
else()
  # Debian's CMake configuration of the NIfTI library names files it does not install, so
  # the library and its header are looked up directly.
  find_path(ZANDREL_NIFTI_INCLUDE_DIR nifti1_io.h PATH_SUFFIXES nifti)
  find_library(ZANDREL_NIFTI_LIBRARY niftiio)
  find_package(PNG QUIET)
  set(nifti_found OFF)
  if(ZANDREL_NIFTI_INCLUDE_DIR AND ZANDREL_NIFTI_LIBRARY)
    set(nifti_found ON)
  endif()
  set(png_found OFF)
  if(PNG_FOUND)
    set(png_found ON)
  endif()
  option(ZANDREL_WITH_NIFTI "NIfTI output of the conversion (needs the NIfTI C library)" ${nifti_found})
  option(ZANDREL_WITH_REPORT "Picture report of the conversion (needs libpng)" ${png_found})
  if(ZANDREL_WITH_NIFTI AND NOT nifti_found)
    message(FATAL_ERROR "ZANDREL_WITH_NIFTI is ON but the NIfTI C library was not found")
  endif()
  if(ZANDREL_WITH_REPORT AND NOT PNG_FOUND)
    message(FATAL_ERROR "ZANDREL_WITH_REPORT is ON but libpng was not found")
  endif()
endif()

set(ZANDREL_FEATURE_NAMES "")
if(ZANDREL_WITH_NIFTI)
  set(ZANDREL_NIFTI_VALUE 1)
  string(APPEND ZANDREL_FEATURE_NAMES " nifti")
else()
  set(ZANDREL_NIFTI_VALUE 0)
endif()
if(ZANDREL_WITH_REPORT)
  set(ZANDREL_REPORT_VALUE 1)
  string(APPEND ZANDREL_FEATURE_NAMES " report")
else()
  set(ZANDREL_REPORT_VALUE 0)
endif()
if(ZANDREL_FEATURE_NAMES STREQUAL "")
  set(ZANDREL_FEATURE_NAMES " none")
endif()
message(STATUS "Command line features:${ZANDREL_FEATURE_NAMES}")

configure_file("${CMAKE_CURRENT_LIST_DIR}/build_features.h.in"
  "${CMAKE_BINARY_DIR}/generated/zandrel/build_features.h" @ONLY)
add_library(zandrel_build_features INTERFACE)
target_include_directories(zandrel_build_features INTERFACE "${CMAKE_BINARY_DIR}/generated")
