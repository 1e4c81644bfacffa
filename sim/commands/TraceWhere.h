// The words that narrow the captured trace lines a command looks at, as
// `expect trace` and `show trace` take them.
#pragma once

#include "language/Command.h"
#include "session/TraceCapture.h"

#include <string>

namespace Sim {

// [handle H] [level LEVELS] (and, `withText`, [text "T"]), in any order and
// each once: narrows `filter`. Returns the words as given, each after a
// blank, for messages.
std::string traceWhere( Args & args, TraceFilter & filter, const std::string & command, bool withText );

} // namespace Sim
