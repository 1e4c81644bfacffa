// The project's version, as the build was configured: the simulator's, and
// the plug-in's it loads by default (whose file carries the major number).
#pragma once

namespace Sim {

// "MAJOR.MINOR.PATCH".
const char * version() noexcept;

} // namespace Sim
