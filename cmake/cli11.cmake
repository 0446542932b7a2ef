# CLI11, the header-only argument parser of the command-line programs, as the interface
# target zandrel_cli11. Its headers come from the build machine's package (Debian
# libcli11-dev); they are copied into the build tree so that a cross build can use them
# without putting the build machine's whole include folder on the target's include path.
find_path(ZANDREL_CLI11_DIR CLI/CLI.hpp NO_CMAKE_FIND_ROOT_PATH)
if(NOT ZANDREL_CLI11_DIR)
  message(FATAL_ERROR "CLI11 not found: install libcli11-dev (scripts/setup.sh)")
endif()
file(COPY ${ZANDREL_CLI11_DIR}/CLI DESTINATION ${CMAKE_BINARY_DIR}/cli11)
add_library(zandrel_cli11 INTERFACE)
target_include_directories(zandrel_cli11 SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/cli11)
