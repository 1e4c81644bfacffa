# The C++ style in .clang-format, for clang-format 14 (another version lays
# some lines out otherwise, so it is not used): `format` rewrites every C++
# source in place, `format-check` fails naming each file that differs. Where
# clang-format 14 is not installed both are skipped, and configure says so.
find_program(STRATA_CLANG_FORMAT NAMES clang-format-14 clang-format)
if(STRATA_CLANG_FORMAT)
  execute_process(COMMAND ${STRATA_CLANG_FORMAT} --version OUTPUT_VARIABLE STRATA_CLANG_FORMAT_VERSION
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT STRATA_CLANG_FORMAT_VERSION MATCHES "version 14\\.")
    message(STATUS "${STRATA_CLANG_FORMAT} is not clang-format 14 (${STRATA_CLANG_FORMAT_VERSION}): "
                   "the format and format-check targets are skipped")
    unset(STRATA_CLANG_FORMAT CACHE)
    set(STRATA_CLANG_FORMAT "")
  endif()
else()
  message(STATUS "clang-format 14 not found: the format and format-check targets are skipped")
endif()

if(STRATA_CLANG_FORMAT)
  set(STRATA_FORMATTED_DIRS platform StrataPacketTracer sim tests bench)
  set(STRATA_FORMATTED_GLOBS)
  foreach(dir IN LISTS STRATA_FORMATTED_DIRS)
    list(APPEND STRATA_FORMATTED_GLOBS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp ${PROJECT_SOURCE_DIR}/${dir}/*.h)
  endforeach()
  file(GLOB_RECURSE STRATA_FORMATTED_SOURCES CONFIGURE_DEPENDS ${STRATA_FORMATTED_GLOBS})
  add_custom_target(format
    COMMAND ${STRATA_CLANG_FORMAT} -i ${STRATA_FORMATTED_SOURCES}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "Formatting the C++ sources with ${STRATA_CLANG_FORMAT}" VERBATIM)
  add_custom_target(format-check
    COMMAND ${STRATA_CLANG_FORMAT} --dry-run --Werror ${STRATA_FORMATTED_SOURCES}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "Checking the C++ sources against .clang-format" VERBATIM)
endif()
