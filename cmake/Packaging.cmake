# Packages made by CPack from the install rules (cmake/Install.cmake):
#    cd BUILD && cpack                 # both kinds
#    cd BUILD && cpack -G DEB          # the Debian packages below
#    cd BUILD && cpack -G TGZ          # strata-packet-tracer-VERSION-Linux.tar.gz, everything
# Build the packages from a plain (not sanitized) build: a package holds what
# the build tree holds.
#
# The Debian packages are split the way Debian names things, one per
# install component:
#    strata-packet-tracer       Runtime      the plug-in, the simulator, its
#                                            examples, manual pages and completion
#    libstrata-platform1        Library      the platform library, named after
#                                            its SONAME libstrata_platform.so.1
#    strata-packet-tracer-dev   Development  headers, the libraries' link names,
#                                            the CMake package
#    strata-packet-tracer-dbg   Debug        the debug information the binaries
#                                            are stripped of, by build id
# each with the copyright file and the changelog Debian keeps in
# /usr/share/doc/PACKAGE.
set(STRATA_PACKAGE_CONTACT "Switch software team <switch-software@example.com>"
    CACHE STRING "The maintainer named by the packages")
set(STRATA_COPYRIGHT "2026 Switch software team" CACHE STRING "The packages' copyright notice")
set(STRATA_LICENSE "proprietary" CACHE STRING "The packages' licence, as a copyright file names it")
set(STRATA_LICENSE_TEXT "All rights reserved. For use inside the switch team's images only."
    CACHE STRING "The licence's text, for the copyright file")
# The date of the changelog entry of this version (RFC 5322, as Debian writes it).
set(STRATA_CHANGELOG_DATE "Mon, 02 Nov 2026 12:00:00 +0000")
# A Debian revision makes the package a non-native one, as a package built
# from an upstream tree is.
set(STRATA_DEBIAN_REVISION 1)
set(STRATA_DEBIAN_VERSION ${PROJECT_VERSION}-${STRATA_DEBIAN_REVISION})

set(CPACK_PACKAGE_NAME strata-packet-tracer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${STRATA_PACKAGE_CONTACT})
# Each Debian package's description says what is in that package, its first
# line the synopsis: CPack would put a summary set for all in front of each.
set(CPACK_PACKAGE_DESCRIPTION
    "Packet-tracer and CFM LPORT profile plug-in for Strata chips, and its simulator
libStrataPacketTracerSlice, the forwarding agent's plug-in that keeps the
packet tracer's and CFM's LPORT profiles in Strata switch chips, and
strata-agent-sim, which loads the plug-in as the agent does and runs scenario
files against a simulated chip.")
set(CPACK_GENERATOR TGZ DEB)
set(CPACK_COMPONENTS_ALL Runtime Library Development Debug)
# The tarball stays one archive of everything.
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${STRATA_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME strata-packet-tracer)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION net)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libstrata-platform${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME strata-packet-tracer-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEBUG_PACKAGE_NAME strata-packet-tracer-dbg)
set(CPACK_DEBIAN_DEBUG_PACKAGE_SECTION debug)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION "Stand-in host library of the Strata packet-tracer plug-in
libstrata_platform: the framework, state database, clock, toggles, trace
handles and the chip SDK shim over a simulated chip that the plug-in and
strata-agent-sim share.")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "Headers and CMake package of the Strata packet-tracer plug-in
The platform's and the plug-in's headers, the libraries' link names and the
CMake package (find_package(StrataPacketTracerSlice CONFIG)) for agents and
test harnesses built against the plug-in.")
set(CPACK_DEBIAN_DEBUG_DESCRIPTION "Debug information of the Strata packet-tracer plug-in and simulator
The DWARF the plug-in, the platform library and strata-agent-sim are
stripped of, under /usr/lib/debug/.build-id/, where debuggers look it up.")
# Each package depends on the exact build of the ones it uses.
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENT_RUNTIME_DEPENDS Library)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS Runtime Library)
set(CPACK_COMPONENT_DEBUG_DEPENDS Runtime Library)
# Stripped binaries; what strip takes is in the Debug component
# (cmake/DebugFiles.cmake). CPack's own -dbgsym packages (CMake 3.25) list
# absolute build paths in their md5sums and carry no copyright file, which
# Debian's checker rejects.
set(CPACK_STRIP_FILES ON)
# The shared library's shlibs file, so that packages built against it
# depend on it; and ldconfig run by trigger when it is installed or removed.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# (CPack would write a postinst and postrm calling ldconfig themselves, unless
# the package brings its own.)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The packages' dependencies on the system's libraries are read from what
# their binaries link (dpkg-shlibdeps), so a new library linked later is
# declared without a change here. Without the tool, the C++ runtime the
# binaries need is named by hand.
find_program(STRATA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(STRATA_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The platform library is in a package of its own: the tool finds it in
  # the build tree, and the dependency on it is the component dependency.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SHLIBDEPS OFF)
  set(CPACK_DEBIAN_DEBUG_PACKAGE_SHLIBDEPS OFF)
else()
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
  set(CPACK_DEBIAN_LIBRARY_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()

# /usr/share/doc/PACKAGE/copyright and changelog.Debian.gz in each package.
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/copyright.in ${PROJECT_BINARY_DIR}/debian/copyright @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
  COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/debian/changelog > ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
  DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog)
add_custom_target(strata-debian-changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz)
foreach(component Runtime Library Development Debug)
  string(TOUPPER ${component} upper)
  install(FILES ${PROJECT_BINARY_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME} COMPONENT ${component})
endforeach()

include(CPack)
