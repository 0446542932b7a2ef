# The Debian package of the command line: `cpack -G DEB` in a (release) build folder writes
# zandrel_<version>_<arch>.deb there. It holds the `cli` component only (the program, its
# manual page and the README): not the plug-in module, the tests or the study generator.
# Its dependencies are computed from the program's shared libraries by dpkg-shlibdeps.
set(ZANDREL_PACKAGE_MAINTAINER "The Zandrel authors <zandrel@example.org>" CACHE STRING
  "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zandrel)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Zandrel authors")
set(CPACK_PACKAGE_CONTACT "${ZANDREL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch conversion of regions of interest into volumes of interest")
# Debian wants the long description in lines of less than 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Researchers draw regions of interest slice by slice on functional MR data.\n"
  "The zandrel command converts, in one batch, every region of many data sets\n"
  "into volumes of interest on a 256 x 256 x 256 anatomical grid, in ACPC or\n"
  "Talairach space, through the chain of transformations of each data set.\n"
  "It also prints the records of the input files and the chain matrix of a\n"
  "data set.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};cli;/")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZANDREL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Debian installs manual pages compressed.
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/package_deb_compress_man.cmake")

include(CPack)
