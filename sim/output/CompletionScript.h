// The bash completion of strata-agent-sim, made at build time from the
// option table (Usage.h) and the names the simulator knows (KnownNames.h):
// options; after --trace, trace handles and levels (HANDLE=LEVELS;...);
// after --plugin, shared objects; after --record, --junit and --timeline,
// any file; elsewhere scenario files (*.scn), folders and '-'.
//
// It needs no bash-completion helper: it reads the word being completed from
// COMP_LINE and COMP_POINT (bash splits "HANDLE=4;H" into several words) and
// answers in COMPREPLY with the part after the last '=', ':' or ';', the
// part bash replaces.
#pragma once

#include <string>

namespace Sim {

std::string bashCompletionScript();

} // namespace Sim
