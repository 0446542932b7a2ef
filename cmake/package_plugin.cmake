# package_plugin: the plug-in as it is installed, Zandrel.dll with its help page, assembled in
# <build>/package/Zandrel/ and zipped to <build>/package/Zandrel-<version>-win64.zip. Both hold
# Zandrel.dll and HelpFolder/ at the top, ready to be copied into the host's plug-in folder
# (the plug-in names its help page "HelpFolder/index.html", relative to that folder), and the
# command line zandrel.exe beside them, which is also copied to <build>/package/ itself.
set(ZANDREL_PACKAGE_ROOT "${CMAKE_BINARY_DIR}/package")
set(ZANDREL_PACKAGE_DIR "${ZANDREL_PACKAGE_ROOT}/Zandrel")
set(ZANDREL_PACKAGE_ZIP "${ZANDREL_PACKAGE_ROOT}/Zandrel-${PROJECT_VERSION}-win64.zip")

add_custom_target(package_plugin ALL
  COMMAND ${CMAKE_COMMAND} -E rm -rf "${ZANDREL_PACKAGE_DIR}" "${ZANDREL_PACKAGE_ZIP}"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${ZANDREL_PACKAGE_DIR}/HelpFolder"
  COMMAND ${CMAKE_COMMAND} -E copy "$<TARGET_FILE:Zandrel>" "${ZANDREL_PACKAGE_DIR}/"
  COMMAND ${CMAKE_COMMAND} -E copy "$<TARGET_FILE:zandrel>" "${ZANDREL_PACKAGE_DIR}/"
  COMMAND ${CMAKE_COMMAND} -E copy "$<TARGET_FILE:zandrel>" "${ZANDREL_PACKAGE_ROOT}/"
  COMMAND ${CMAKE_COMMAND} -E copy_directory "${PROJECT_SOURCE_DIR}/HelpFolder" "${ZANDREL_PACKAGE_DIR}/HelpFolder"
  COMMAND ${CMAKE_COMMAND} -E chdir "${ZANDREL_PACKAGE_DIR}"
          ${CMAKE_COMMAND} -E tar cf "${ZANDREL_PACKAGE_ZIP}" --format=zip Zandrel.dll $<TARGET_FILE_NAME:zandrel> HelpFolder
  DEPENDS Zandrel zandrel "${PROJECT_SOURCE_DIR}/HelpFolder/index.html"
  COMMENT "Packaging Zandrel.dll, zandrel.exe and HelpFolder/ into ${ZANDREL_PACKAGE_ZIP}"
  VERBATIM)
