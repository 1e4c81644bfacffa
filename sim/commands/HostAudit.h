// The audit as a command runs it: on the host's world as it is now, with what
// it found told to the run's listeners; and its counts in words, as `audit`,
// `show audit` and `expect audit` print them.
#pragma once

#include "audit/Audit.h"
#include "language/Command.h"
#include "session/Session.h"

#include <cstddef>
#include <optional>
#include <string>

namespace Sim {

// "1 difference", "2 differences": `count` with the word that goes with it.
std::string countText( std::size_t count, const char * one, const char * many );
// "N differences, N pending"
std::string summaryText( const Audit & audit );
// Runs the audit for the command on `args`' line and tells the run's
// listeners what it found.
Audit auditFor( Session & s, Args & args, std::optional< U16 > unit );

} // namespace Sim
