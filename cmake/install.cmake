# Install rules of the command line (component `cli`), for `cmake --install` into any prefix
# and for the Debian package:
#   bin/zandrel
#   share/man/man1/zandrel.1      generated from the program's own help texts at build time
#   share/doc/zandrel/README.md   the user's manual, with the files it links:
#   share/doc/zandrel/docs/       the developer pages, the benchmarks and the report's picture
#   share/doc/zandrel/examples/   the example study: its list and both subjects' files, which
#                                 run from a copy (zandrel convert COPY/study.txt --prefix @list)
# The program links the project's libraries statically and carries no path of the build.
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/cli_commands.cmake)

set(ZANDREL_MAN_PAGE "${CMAKE_BINARY_DIR}/man/zandrel.1")
list(JOIN ZANDREL_CLI_COMMANDS "," zandrel_commands_csv)
add_custom_command(OUTPUT "${ZANDREL_MAN_PAGE}"
  COMMAND ${CMAKE_COMMAND} "-DPROGRAM=$<TARGET_FILE:zandrel>" "-DCOMMANDS=${zandrel_commands_csv}"
          "-DVERSION=${PROJECT_VERSION}" "-DOUTPUT=${ZANDREL_MAN_PAGE}"
          -P "${CMAKE_CURRENT_LIST_DIR}/man_page.cmake"
  DEPENDS zandrel "${CMAKE_CURRENT_LIST_DIR}/man_page.cmake" "${CMAKE_CURRENT_LIST_DIR}/cli_commands.cmake"
  COMMENT "Writing the manual page zandrel.1 from the help texts"
  VERBATIM)
add_custom_target(zandrel_man_page ALL DEPENDS "${ZANDREL_MAN_PAGE}")

install(TARGETS zandrel RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT cli)
install(FILES "${ZANDREL_MAN_PAGE}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT cli)
set(ZANDREL_DOC_DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/zandrel")
install(FILES "${PROJECT_SOURCE_DIR}/README.md" DESTINATION "${ZANDREL_DOC_DESTINATION}" COMPONENT cli)
install(DIRECTORY "${PROJECT_SOURCE_DIR}/docs" DESTINATION "${ZANDREL_DOC_DESTINATION}" COMPONENT cli)
install(DIRECTORY "${PROJECT_SOURCE_DIR}/examples/study/" DESTINATION "${ZANDREL_DOC_DESTINATION}/examples" COMPONENT cli)
