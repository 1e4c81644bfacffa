// `expect audit clean|N`: the audit on the host's world as a check (what it
// prints, `audit [UNIT]` and `show audit [UNIT]`, is in views/AuditViews.cpp).
#include "audit/Audit.h"
#include "commands/HostAudit.h"
#include "commands/StandardCommands.h"
#include "language/Tokens.h"
#include "session/CommandTable.h"

#include <optional>
#include <string>

namespace Sim {

namespace {

// expect audit clean | expect audit N
void
expectAudit( Session & s, Args & args ) {
   const Token & what = args.nextToken( "clean or the number of differences" );
   const U64 wanted = what.is( "clean" ) ? 0 : parseUnsigned( what.text, "expect audit (clean or N)" );
   args.end();
   const Audit audit = auditFor( s, args, std::nullopt );
   s.checks.check( args.line().where, audit.differences().size() == wanted,
                   "audit " +
                      ( wanted == 0 ? std::string( "clean" ) : countText( wanted, "difference", "differences" ) ),
                   countText( audit.differences().size(), "difference", "differences" ), audit.lines() );
}

} // namespace

void
addAuditCommands( CommandTable & table ) {
   table.expectation(
      "audit",
      { "audit clean | audit N", "The audit finds no difference, or exactly N (pending work is no difference)." },
      expectAudit );
}

} // namespace Sim
