#include "language/ScenarioError.h"

#include <cerrno>
#include <cstring>

namespace Sim {

std::string
systemReason() {
   return errno ? std::strerror( errno ) : "no reason given";
}

} // namespace Sim
