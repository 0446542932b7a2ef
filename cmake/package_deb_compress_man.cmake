# Run by CPack on its staging folder before the Debian package is built: compresses the
# manual pages with gzip -9n (no name or time stamp, so the package does not depend on when
# it was built), as Debian installs them.
find_program(ZANDREL_GZIP gzip REQUIRED)
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man*/*.[1-9]")
foreach(page IN LISTS pages)
  execute_process(COMMAND "${ZANDREL_GZIP}" -9nf "${page}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${page} failed (${status})")
  endif()
endforeach()
