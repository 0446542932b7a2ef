# Header-only libraries of the build host for the Windows cross build.
#
# The command line uses a few header-only libraries that Debian ships for the build host
# only. The cross build must never see the host's include folder (its C library headers
# would shadow the target's), so each library's own header folder is copied at configure
# time into <build>/cross-include/, and a small package configuration under
# <build>/cross-packages/<package>/ makes `find_package(<package>)` give the usual imported
# target with only that folder on its include path.
#
# zandrel_cross_header_package(<package> <target> <header folder> <header file>)
#   <header folder>  the folder below the host's include root that the library's headers
#                    live in (nlohmann, CLI); <header file> is one header in it, to find it.
set(ZANDREL_CROSS_INCLUDE "${CMAKE_BINARY_DIR}/cross-include")

function(zandrel_cross_header_package package target folder header)
  find_path(ZANDREL_HOST_${package}_INCLUDE "${folder}/${header}"
    PATHS /usr/include /usr/local/include
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  find_file(ZANDREL_HOST_${package}_VERSION_FILE "${package}ConfigVersion.cmake"
    PATHS /usr/share/cmake /usr/lib/cmake /usr/local/share/cmake /usr/local/lib/cmake
          /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/cmake
    PATH_SUFFIXES ${package}
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT ZANDREL_HOST_${package}_INCLUDE)
    message(STATUS "Cross build: ${package} headers not found on the build host")
    return()
  endif()

  file(REMOVE_RECURSE "${ZANDREL_CROSS_INCLUDE}/${folder}")
  file(COPY "${ZANDREL_HOST_${package}_INCLUDE}/${folder}" DESTINATION "${ZANDREL_CROSS_INCLUDE}")

  set(config_dir "${CMAKE_BINARY_DIR}/cross-packages/${package}")
  file(WRITE "${config_dir}/${package}Config.cmake"
    "# Generated: ${package}'s headers copied from the build host for the cross build.\n"
    "if(NOT TARGET ${target})\n"
    "  add_library(${target} INTERFACE IMPORTED)\n"
    "  set_target_properties(${target} PROPERTIES\n"
    "    INTERFACE_INCLUDE_DIRECTORIES \"${ZANDREL_CROSS_INCLUDE}\")\n"
    "endif()\n")
  if(ZANDREL_HOST_${package}_VERSION_FILE)
    configure_file("${ZANDREL_HOST_${package}_VERSION_FILE}" "${config_dir}/${package}ConfigVersion.cmake" COPYONLY)
  endif()
  set(${package}_DIR "${config_dir}" CACHE PATH "${package} headers for the cross build" FORCE)
endfunction()

zandrel_cross_header_package(nlohmann_json nlohmann_json::nlohmann_json nlohmann json.hpp)
zandrel_cross_header_package(CLI11 CLI11::CLI11 CLI CLI.hpp)
