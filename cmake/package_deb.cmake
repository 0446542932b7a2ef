# The Debian packages: `cpack -G DEB` in a (release) build folder writes there
#   zandrel_<version>_<arch>.deb          the `cli` component (the program, its manual page, the
#                                          README with the docs/ pages it links, and the example
#                                          study): not the plug-in module, the tests or the study
#                                          generator
#   python3-zandrel_<version>_<arch>.deb  the `python` component (ZANDREL_PYTHON): the module
#                                          in lib/python3/dist-packages
# Their dependencies on shared libraries are computed by dpkg-shlibdeps.
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
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/")
# One package per component; the command line's keeps its name, summary and description.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME zandrel)
# CPack puts the summary line above each component's description.
set(CPACK_COMPONENT_CLI_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
if(ZANDREL_PYTHON)
  list(APPEND CPACK_COMPONENTS_ALL python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-zandrel)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  # The extension module is built for one Python version.
  math(EXPR zandrel_python_next "${Python3_VERSION_MINOR} + 1")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}), \
python3 (<< ${Python3_VERSION_MAJOR}.${zandrel_python_next}), python3-numpy")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SUGGESTS "python3-nibabel, python3-pandas")
  string(CONCAT CPACK_COMPONENT_PYTHON_DESCRIPTION
    "The zandrel module for Python 3 converts regions of interest drawn on\n"
    "functional MR runs into volumes of interest on a 256 x 256 x 256 anatomical\n"
    "grid in memory, with the same results as the zandrel command line. Records,\n"
    "chain matrices, VOIs, their footprints on runs and their time courses come\n"
    "as numpy arrays; label images and masks as nibabel images.")
endif()
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZANDREL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Debian installs manual pages compressed.
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/package_deb_compress_man.cmake")

include(CPack)
