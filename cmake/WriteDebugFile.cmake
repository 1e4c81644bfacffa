# Install-time part of cmake/DebugFiles.cmake: writes the debug file of
# STRATA_BINARY (a file of the build tree) under the install prefix, by its
# build id, with STRATA_OBJCOPY and STRATA_READELF.
execute_process(COMMAND ${STRATA_READELF} -n ${STRATA_BINARY}
                OUTPUT_VARIABLE notes RESULT_VARIABLE status)
if(status OR NOT notes MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
  message(FATAL_ERROR "${STRATA_BINARY} has no build id (readelf -n said: ${notes}): "
                      "no debugger could find its debug file")
endif()
set(debug_dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/debug/.build-id/${CMAKE_MATCH_1}")
set(debug_file "${debug_dir}/${CMAKE_MATCH_2}.debug")
message(STATUS "Installing: ${debug_file} (debug information of ${STRATA_BINARY})")
file(MAKE_DIRECTORY ${debug_dir})
execute_process(COMMAND ${STRATA_OBJCOPY} --only-keep-debug --compress-debug-sections ${STRATA_BINARY} ${debug_file}
                RESULT_VARIABLE status ERROR_VARIABLE error)
if(status)
  message(FATAL_ERROR "objcopy could not write ${debug_file}: ${error}")
endif()
# Data for a debugger, not a program.
file(CHMOD ${debug_file} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES ${debug_file})
