#include "host/Version.h"

// Given by the build, for this file alone: a new version recompiles nothing
// else.
#ifndef STRATA_VERSION
#error "STRATA_VERSION must name the project's version"
#endif

namespace Sim {

const char *
version() noexcept {
   return STRATA_VERSION;
}

} // namespace Sim
