# strata_sub_build(NAME TARGET CMAKE_ARG...): configures this source tree once
# more in ${CMAKE_BINARY_DIR}/NAME with other compiler or options, and builds
# only TARGET there, as part of every build of this tree. Used for the builds
# whose instrumentation cannot share a tree with the rest: ThreadSanitizer and
# the libFuzzer targets.
include_guard(GLOBAL)
include(ExternalProject)

function(strata_sub_build name target)
  # The same build type, flags and warnings-as-errors for it as here (the test
  # preset's -O0 -g1, -Werror).
  string(TOUPPER "${CMAKE_BUILD_TYPE}" config)
  if(CMAKE_GENERATOR MATCHES "Makefiles")
    # $(MAKE) lets the sub-build share the outer build's job slots (-j2 stays 2).
    set(build_command "$(MAKE)" ${target})
  else()
    set(build_command ${CMAKE_COMMAND} --build <BINARY_DIR> --target ${target})
  endif()
  ExternalProject_Add(${name}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/${name}
    PREFIX ${CMAKE_BINARY_DIR}/${name}-steps
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} "-DCMAKE_CXX_FLAGS_${config}=${CMAKE_CXX_FLAGS_${config}}"
               -DSTRATA_BUILD_BENCH=OFF -DSTRATA_WERROR=${STRATA_WERROR} ${ARGN}
    BUILD_COMMAND ${build_command}
    # Always step into the sub-build: its own make decides what is out of date.
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
endfunction()
