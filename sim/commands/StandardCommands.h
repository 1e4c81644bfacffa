// The language the simulator speaks: every command family, each registered
// into the table from its own file in this folder, and every show from
// views/.
#pragma once

#include "session/CommandTable.h"

namespace Sim {

// The whole language.
CommandTable standardCommands();

// The per-concern parts of the language, each in its own file: verbs and
// expectations,
void addStateCommands( CommandTable & table );  // module, unit, intf, lag, toggle
void addClientCommands( CommandTable & table ); // tracer, status, cfm, requests
void addChipCommands( CommandTable & table );   // chip presets, table expectations
void addAgentCommands( CommandTable & table );  // context, agent, clock, trace, clear, ...
void addObjectCommands( CommandTable & table ); // set, call, mark, objects, slices
void addAuditCommands( CommandTable & table );  // the audit as an expectation
// and the views (views/), what `show` and `audit` print.
void addChipViews( CommandTable & table );   // tables, registers, SDK counts
void addClaimViews( CommandTable & table );  // the ports each client holds per slice
void addAgentViews( CommandTable & table );  // the agent, toggles, trace lines, live objects
void addClientViews( CommandTable & table ); // the tracer's request and status, posted requests
void addObjectViews( CommandTable & table ); // slices, and any object's attributes
void addAuditViews( CommandTable & table );  // audit and show audit

} // namespace Sim
