# Included by ctest (TEST_INCLUDE_FILES) before it runs the tests of a build
# tree made with STRATA_SANITIZE, so every test sees it however ctest is
# started. Leak detection is on; a report from any sanitizer ends the process
# with status 86, which no test expects: a scenario that must exit 1 or 2, or
# a death test, cannot pass on a sanitizer report by accident. Options the
# caller already set come last and so win.
set(_strata_asan "detect_leaks=1:exitcode=86:check_initialization_order=1:strict_init_order=1")
set(_strata_ubsan "print_stacktrace=1:halt_on_error=1:exitcode=86")
foreach(_strata_var ASAN UBSAN)
  string(TOLOWER "_strata_${_strata_var}" _strata_ours)
  set(_strata_given "$ENV{${_strata_var}_OPTIONS}")
  # ctest may read this file more than once: ours goes in front only once.
  string(FIND "${_strata_given}" "${${_strata_ours}}" _strata_at)
  if(_strata_at EQUAL 0)
    continue()
  elseif(_strata_given STREQUAL "")
    set(ENV{${_strata_var}_OPTIONS} "${${_strata_ours}}")
  else()
    set(ENV{${_strata_var}_OPTIONS} "${${_strata_ours}}:${_strata_given}")
  endif()
endforeach()
