# Run by CPack on its staging folder before the Debian package is built: compresses the
# manual pages with gzip -9n (no name or time stamp, so the package does not depend on when
# it was built), as Debian installs them.
find_program(ZANDREL_GZIP gzip REQUIRED)
# One package per component: each component's files lie a folder deeper in the staging folder.
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.[1-9]")
list(FILTER pages INCLUDE REGEX "/share/man/man[1-9]/[^/]+\\.[1-9]$")
foreach(page IN LISTS pages)
  execute_process(COMMAND "${ZANDREL_GZIP}" -9nf "${page}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${page} failed (${status})")
  endif()
endforeach()
