# The debug information of the installed binaries, apart from them, where
# Debian keeps it and debuggers look it up by the binary's build id:
#    lib/debug/.build-id/NN/REST.debug          (NN: the id's first byte)
# in the install component Debug (the package strata-packet-tracer-dbg).
# The packages' binaries are stripped (CPACK_STRIP_FILES); each keeps its
# build id, which leads a debugger here.
if(NOT CMAKE_OBJCOPY OR NOT CMAKE_READELF)
  message(STATUS "No objcopy or readelf: the install component Debug stays empty")
  return()
endif()
foreach(target strata_platform StrataPacketTracerSlice strata-agent-sim)
  install(CODE "set(STRATA_BINARY \"$<TARGET_FILE:${target}>\")
set(STRATA_OBJCOPY \"${CMAKE_OBJCOPY}\")
set(STRATA_READELF \"${CMAKE_READELF}\")
include(\"${CMAKE_CURRENT_LIST_DIR}/WriteDebugFile.cmake\")"
    COMPONENT Debug)
endforeach()
