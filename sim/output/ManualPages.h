// The manual pages, in roff with the man macros, made at build time from the
// documentation the program carries: the options and exit statuses of
// Usage.h (which --help prints) and the command table (which `help`
// prints). Only the prose around them (description, files, examples) is
// written here.
#pragma once

#include "session/CommandTable.h"

#include <string>

namespace Sim {

// strata-agent-sim(1).
std::string programManualPage( const std::string & version );
// strata-scenario(5): the scenario language, every command of `table`.
std::string languageManualPage( const CommandTable & table, const std::string & version );

// `text` as roff text on a line of its own: backslashes and hyphens escaped,
// a leading period or apostrophe kept from being read as a request.
std::string roffText( const std::string & text );

} // namespace Sim
