# Where the project's files live once installed (GNUInstallDirs, so that
# CMAKE_INSTALL_LIBDIR and friends can be set as for any CMake project), and
# the one rule the build tree shares with an install: the plug-in lies at the
# same place relative to the simulator in both, so that the simulator finds it
# by its own location alone.
include(GNUInstallDirs)

# The folder an agent loads plug-ins from. Each library there carries its
# major version in its file name (libStrataPacketTracerSlice.so.1), so an agent
# image can hold two versions side by side. Under the library folder.
set(STRATA_PLUGIN_SUBDIR strata-agent/plugins)
set(STRATA_PLUGIN_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/${STRATA_PLUGIN_SUBDIR})
# The public headers, in a folder of their own: the platform's folders
# (Quill/, Vela/ ...) are generic names that must not land in include/ itself.
set(STRATA_INCLUDE_INSTALL_DIR ${CMAKE_INSTALL_INCLUDEDIR}/strata-agent)
# The simulator's examples and the scenario language.
set(STRATA_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/strata-agent-sim)
# The CMake package: find_package(StrataPacketTracerSlice CONFIG).
set(STRATA_PACKAGE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/StrataPacketTracerSlice)

# The relative paths the installed binaries rely on; they hold under any
# prefix (cmake --install --prefix, a package's /usr).
file(RELATIVE_PATH STRATA_LIBDIR_FROM_BINDIR
     ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
file(RELATIVE_PATH STRATA_PLUGIN_DIR_FROM_BINDIR
     ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/${STRATA_PLUGIN_SUBDIR})
file(RELATIVE_PATH STRATA_LIBDIR_FROM_PLUGIN_DIR
     ${CMAKE_INSTALL_FULL_LIBDIR}/${STRATA_PLUGIN_SUBDIR} ${CMAKE_INSTALL_FULL_LIBDIR})

foreach(relative STRATA_LIBDIR_FROM_BINDIR STRATA_PLUGIN_DIR_FROM_BINDIR STRATA_LIBDIR_FROM_PLUGIN_DIR)
  string(REGEX REPLACE "/$" "" ${relative} "${${relative}}")
endforeach()

# The build tree: every program in bin/, every library in lib/, and the
# plug-in where the simulator looks for it.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
get_filename_component(STRATA_PLUGIN_BUILD_DIR
                       ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${STRATA_PLUGIN_DIR_FROM_BINDIR} ABSOLUTE)
