# The C++ library behind the command line and the plug-in, for programs of their own:
#
#   zandrel_api      (build tree) the public headers of include/zandrel over the layered
#                    libraries; what the command line and the tests use
#   zandrel_library  (native builds) libzandrel.a: the objects of every layered library in
#                    one archive, exported as Zandrel::zandrel
#
# `cmake --install` puts it under the prefix (component `dev`, which the Debian package of
# the command line leaves out):
#   lib/libzandrel.a
#   include/zandrel/*.h                   the public headers and the generated build_features.h
#   include/zandrel/internal/<layer>/*.h  the library's own headers, which the public ones include
#   lib/cmake/Zandrel/                    ZandrelConfig.cmake, ZandrelConfigVersion.cmake, the targets
# so that a program finds it with find_package(Zandrel) and links Zandrel::zandrel.

set(ZANDREL_LIBRARY_LAYERS zandrel_geometry zandrel_io zandrel_formats zandrel_chain zandrel_voi zandrel_runs
  zandrel_batch zandrel_table zandrel_inspect zandrel_transcript zandrel_run_outputs zandrel_timeseries_outputs
  zandrel_outputs)
if(ZANDREL_WITH_NIFTI)
  list(APPEND ZANDREL_LIBRARY_LAYERS zandrel_nifti)
endif()
if(ZANDREL_WITH_REPORT)
  list(APPEND ZANDREL_LIBRARY_LAYERS zandrel_report)
endif()

add_library(zandrel_api INTERFACE)
target_include_directories(zandrel_api INTERFACE ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(zandrel_api INTERFACE ${ZANDREL_LIBRARY_LAYERS} zandrel_build_features)

if(CMAKE_CROSSCOMPILING)
  return()
endif()

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
set(ZANDREL_INTERNAL_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}/zandrel/internal")
set(ZANDREL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/Zandrel")

set(zandrel_objects "")
foreach(layer IN LISTS ZANDREL_LIBRARY_LAYERS)
  list(APPEND zandrel_objects "$<TARGET_OBJECTS:${layer}>")
endforeach()
add_library(zandrel_library STATIC ${zandrel_objects})
add_dependencies(zandrel_library ${ZANDREL_LIBRARY_LAYERS})
set_target_properties(zandrel_library PROPERTIES OUTPUT_NAME zandrel EXPORT_NAME zandrel LINKER_LANGUAGE CXX)
target_compile_features(zandrel_library INTERFACE cxx_std_17)
# Inline geometry of the headers is compiled in the program that includes them: it must
# round every float operation as the library does.
target_compile_options(zandrel_library INTERFACE $<$<COMPILE_LANG_AND_ID:CXX,GNU,Clang,AppleClang>:-ffp-contract=off>)
target_include_directories(zandrel_library INTERFACE
  "$<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include;${PROJECT_SOURCE_DIR}/src;${PROJECT_BINARY_DIR}/generated>"
  "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR};${ZANDREL_INTERNAL_INCLUDEDIR}>")
# What the NIfTI images and the report's pictures need; found again in the package
# configuration (the NIfTI C library as Zandrel::nifti_c, its CMake files being unusable).
if(ZANDREL_WITH_NIFTI)
  target_link_libraries(zandrel_library PRIVATE "$<BUILD_INTERFACE:zandrel_niftiio>"
    "$<INSTALL_INTERFACE:Zandrel::nifti_c>")
endif()
if(ZANDREL_WITH_REPORT)
  find_package(PNG REQUIRED)
  find_package(Threads REQUIRED)
  target_link_libraries(zandrel_library PRIVATE PNG::PNG Threads::Threads)
endif()

install(TARGETS zandrel_library EXPORT ZandrelTargets
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT dev)
install(DIRECTORY "${PROJECT_SOURCE_DIR}/include/zandrel" DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}" COMPONENT dev
  FILES_MATCHING PATTERN "*.h")
install(FILES "${PROJECT_BINARY_DIR}/generated/zandrel/build_features.h"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/zandrel" COMPONENT dev)
# The headers of the layers in the archive, as the public headers include them.
set(zandrel_header_dirs geometry io formats chain voi runs batch outputs)
foreach(dir IN LISTS zandrel_header_dirs)
  set(excluded "")
  if(dir STREQUAL "outputs" AND NOT ZANDREL_WITH_NIFTI)
    list(APPEND excluded PATTERN nifti EXCLUDE)
  endif()
  if(dir STREQUAL "outputs" AND NOT ZANDREL_WITH_REPORT)
    list(APPEND excluded PATTERN report EXCLUDE)
  endif()
  install(DIRECTORY "${PROJECT_SOURCE_DIR}/src/${dir}" DESTINATION "${ZANDREL_INTERNAL_INCLUDEDIR}" COMPONENT dev
    FILES_MATCHING PATTERN "*.h" ${excluded})
endforeach()

install(EXPORT ZandrelTargets NAMESPACE Zandrel:: DESTINATION "${ZANDREL_CMAKEDIR}" COMPONENT dev)
set(ZANDREL_CONFIG_WITH_NIFTI ${ZANDREL_WITH_NIFTI})
set(ZANDREL_CONFIG_WITH_REPORT ${ZANDREL_WITH_REPORT})
configure_package_config_file("${CMAKE_CURRENT_LIST_DIR}/ZandrelConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/package/ZandrelConfig.cmake" INSTALL_DESTINATION "${ZANDREL_CMAKEDIR}")
write_basic_package_version_file("${PROJECT_BINARY_DIR}/package/ZandrelConfigVersion.cmake"
  VERSION "${PROJECT_VERSION}" COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/package/ZandrelConfig.cmake" "${PROJECT_BINARY_DIR}/package/ZandrelConfigVersion.cmake"
  DESTINATION "${ZANDREL_CMAKEDIR}" COMPONENT dev)
