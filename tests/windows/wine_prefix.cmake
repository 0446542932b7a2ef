# Creates (ACTION=setup) or removes (ACTION=cleanup) the private Wine prefix the Windows
# scenarios share. Usage:
#   cmake -DACTION=setup|cleanup -DPREFIX=<folder> -DWINE=<wine> -DWINESERVER=<wineserver> -P wine_prefix.cmake
# Wine accepts a prefix only when it belongs to the user running it, so the folder is created
# here, fresh, by that user (root in CI is fine). Wine's own output goes to a log file next to
# the prefix, never to this process's output, so no lingering wineserver keeps CTest waiting.
foreach(required ACTION PREFIX WINE WINESERVER)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "wine_prefix.cmake: ${required} is not set")
  endif()
endforeach()

set(ENV{WINEPREFIX} "${PREFIX}")
set(ENV{WINEDEBUG} "-all")
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
set(log "${PREFIX}.log")

# Ends the prefix's wineserver and every Wine process still running in it.
execute_process(COMMAND "${WINESERVER}" -k OUTPUT_FILE "${log}" ERROR_FILE "${log}" TIMEOUT 30)
file(REMOVE_RECURSE "${PREFIX}")

if(ACTION STREQUAL "cleanup")
  file(REMOVE "${log}")
  return()
endif()
if(NOT ACTION STREQUAL "setup")
  message(FATAL_ERROR "wine_prefix.cmake: unknown ACTION '${ACTION}'")
endif()

file(MAKE_DIRECTORY "${PREFIX}")
# One wineserver for the whole run, kept 30 s past its last Wine process, so the scenarios
# do not each pay for starting it; cleanup ends it at once.
execute_process(COMMAND "${WINESERVER}" -p30 OUTPUT_FILE "${log}" ERROR_FILE "${log}" TIMEOUT 30)
execute_process(COMMAND "${WINE}" wineboot --init
  RESULT_VARIABLE status OUTPUT_FILE "${log}" ERROR_FILE "${log}" TIMEOUT 200)
if(NOT status EQUAL 0)
  file(READ "${log}" output)
  message(FATAL_ERROR "wineboot --init failed (${status}) for ${PREFIX}:\n${output}")
endif()
message(STATUS "Wine prefix ready: ${PREFIX}")
