# What `cmake --install BUILD --prefix PREFIX` puts where (cmake/Layout.cmake
# names the folders), in three components:
#   Runtime      the plug-in, strata-agent-sim, the examples, the scenario
#                language, the manual pages and the bash completion
#   Library      the platform library, which the plug-in and the simulator
#                both load (a package of its own, named after its SONAME)
#   Development  the public headers, the libraries' link names (.so) and the
#                CMake package: find_package(StrataPacketTracerSlice CONFIG)
#                gives StrataPacketTracerSlice::platform and ::plugin
# The tests and the benchmarks are not installed.
include(CMakePackageConfigHelpers)

# Installed binaries find their libraries relative to themselves, so a prefix
# can be moved or unpacked anywhere. The platform library needs only the
# system's.
set_target_properties(strata-agent-sim PROPERTIES
  INSTALL_RPATH "$ORIGIN/${STRATA_LIBDIR_FROM_BINDIR}")
set_target_properties(StrataPacketTracerSlice PROPERTIES
  EXPORT_NAME plugin
  INSTALL_RPATH "$ORIGIN/${STRATA_LIBDIR_FROM_PLUGIN_DIR}")
set_target_properties(strata_platform PROPERTIES EXPORT_NAME platform)

install(TARGETS strata_platform EXPORT StrataPacketTracerSliceTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          COMPONENT Library NAMELINK_COMPONENT Development
  INCLUDES DESTINATION ${STRATA_INCLUDE_INSTALL_DIR})
install(TARGETS StrataPacketTracerSlice EXPORT StrataPacketTracerSliceTargets
  LIBRARY DESTINATION ${STRATA_PLUGIN_INSTALL_DIR}
          COMPONENT Runtime NAMELINK_COMPONENT Development
  INCLUDES DESTINATION ${STRATA_INCLUDE_INSTALL_DIR}/StrataPacketTracer)
install(TARGETS strata-agent-sim
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/
  DESTINATION ${STRATA_DATA_INSTALL_DIR}/examples COMPONENT Runtime
  FILES_MATCHING PATTERN "*.scn")
install(FILES ${PROJECT_SOURCE_DIR}/docs/scenario-language.md
  DESTINATION ${STRATA_DATA_INSTALL_DIR} COMPONENT Runtime)
# The manual pages and the bash completion (sim/CMakeLists.txt writes them),
# where man and bash-completion look.
install(FILES ${STRATA_MANUAL_1}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT Runtime)
install(FILES ${STRATA_MANUAL_5}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man5 COMPONENT Runtime)
install(FILES ${STRATA_BASH_COMPLETION}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT Runtime)

# Headers: every platform header (a harness driving the plug-in needs the
# state database, the clock, the toggles and the simulated chip), and the
# plug-in's entry, state machines and field value with the headers they
# include.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/
  DESTINATION ${STRATA_INCLUDE_INSTALL_DIR} COMPONENT Development
  FILES_MATCHING PATTERN "*.h")
install(FILES
  ${PROJECT_SOURCE_DIR}/StrataPacketTracer/StrataPacketTracerSliceMounter.h
  ${PROJECT_SOURCE_DIR}/StrataPacketTracer/StrataPacketTracerSliceRootSm.h
  ${PROJECT_SOURCE_DIR}/StrataPacketTracer/StrataPacketTracerSliceSm.h
  ${PROJECT_SOURCE_DIR}/StrataPacketTracer/LportTableFields.h
  ${PROJECT_SOURCE_DIR}/StrataPacketTracer/SliceInputs.h
  ${PROJECT_SOURCE_DIR}/StrataPacketTracer/SourceTrunkClaims.h
  ${PROJECT_SOURCE_DIR}/StrataPacketTracer/PresentCfmKeys.h
  ${PROJECT_SOURCE_DIR}/StrataPacketTracer/PortsSetUp.h
  ${PROJECT_SOURCE_DIR}/StrataPacketTracer/TraceLines.h
  DESTINATION ${STRATA_INCLUDE_INSTALL_DIR}/StrataPacketTracer COMPONENT Development)

install(EXPORT StrataPacketTracerSliceTargets
  NAMESPACE StrataPacketTracerSlice::
  DESTINATION ${STRATA_PACKAGE_INSTALL_DIR} COMPONENT Development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/StrataPacketTracerSliceConfig.cmake.in
  ${PROJECT_BINARY_DIR}/StrataPacketTracerSliceConfig.cmake
  INSTALL_DESTINATION ${STRATA_PACKAGE_INSTALL_DIR}
  PATH_VARS STRATA_PLUGIN_INSTALL_DIR STRATA_DATA_INSTALL_DIR)
# A consumer asking for 1.x gets any 1.x: the major number is the one the
# shared objects' names carry.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/StrataPacketTracerSliceConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/StrataPacketTracerSliceConfig.cmake
  ${PROJECT_BINARY_DIR}/StrataPacketTracerSliceConfigVersion.cmake
  DESTINATION ${STRATA_PACKAGE_INSTALL_DIR} COMPONENT Development)
