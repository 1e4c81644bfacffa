// The language the simulator speaks: every command family, each registered
// into the table from its own file in this folder.
#pragma once

#include "session/CommandTable.h"

namespace Sim {

// The whole language.
CommandTable standardCommands();

// The per-concern parts of the language, each in its own file.
void addStateCommands( CommandTable & table );  // module, unit, intf, lag, toggle
void addClientCommands( CommandTable & table ); // tracer, status, cfm, requests
void addChipCommands( CommandTable & table );   // chip presets, table expectations
void addChipViews( CommandTable & table );      // show of tables, registers, SDK counts
void addAgentCommands( CommandTable & table );  // context, agent, clock, trace, clear, ...
void addObjectCommands( CommandTable & table ); // set, call, mark, objects, slices
void addClaimViews( CommandTable & table );     // the ports each client holds per slice
void addAuditCommands( CommandTable & table );  // audit, its show and expectation

} // namespace Sim
