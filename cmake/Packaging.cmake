# Packages made by CPack from the install rules (cmake/Install.cmake), both
# components in each:
#    cd BUILD && cpack                 # both kinds
#    cd BUILD && cpack -G DEB          # strata-packet-tracer_VERSION_ARCH.deb
#    cd BUILD && cpack -G TGZ          # strata-packet-tracer-VERSION-Linux.tar.gz
# Build the packages from a plain (not sanitized) build: a package holds what
# the build tree holds.
set(STRATA_PACKAGE_CONTACT "Switch software team <switch-software@example.com>"
    CACHE STRING "The maintainer named by the packages")

set(CPACK_PACKAGE_NAME strata-packet-tracer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${STRATA_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Packet-tracer and CFM LPORT profile plug-in for Strata chips, and its simulator")
set(CPACK_PACKAGE_DESCRIPTION
    "libStrataPacketTracerSlice, the forwarding agent's plug-in that keeps the packet
tracer's and CFM's LPORT profiles in Strata switch chips; libstrata_platform,
the stand-in host it runs in; strata-agent-sim, which loads the plug-in as the
agent does and runs scenario files against a simulated chip; headers and a
CMake package for agents and test harnesses.")
set(CPACK_GENERATOR TGZ DEB)
set(CPACK_COMPONENTS_ALL Runtime Development)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# The package's dependencies are read from what its binaries link
# (dpkg-shlibdeps), so a new library linked later is declared without a change
# here. Without the tool, the C++ runtime the binaries need is named by hand.
find_program(STRATA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(STRATA_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()

include(CPack)
