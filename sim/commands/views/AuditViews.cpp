// What the audit finds, as `audit [UNIT]` prints it and `show audit [UNIT]`
// shows it: every difference, the work still pending and the counts.
#include "commands/ChipAccess.h"
#include "commands/HostAudit.h"
#include "commands/StandardCommands.h"
#include "language/ScenarioError.h"
#include "session/CommandTable.h"

#include <optional>
#include <string>

namespace Sim {

namespace {

// [UNIT], a chip unit.
std::optional< U16 >
unitArgument( Args & args, const std::string & what ) {
   if( args.atEnd() ) {
      return std::nullopt;
   }
   const int unit = unitFrom( args );
   args.end();
   if( unit >= Shim::SimChip::unitCount ) {
      throw ScenarioError( what + ": unit " + std::to_string( unit ) + " is not a chip unit (0 to " +
                           std::to_string( Shim::SimChip::unitCount - 1 ) + ")" );
   }
   return U16( unit );
}

Report
auditReport( Session & s, Args & args, std::optional< U16 > unit ) {
   const Audit audit = auditFor( s, args, unit );
   Report report( "audit" );
   report.field( "unit", "", unit ? Cell::number( *unit ) : Cell::withJson( "every unit", "null" ) );
   Table & differences =
      report.table( "differences",
                    "Where the chip differs from what the clients asked for (" +
                       ( unit ? "unit " + std::to_string( *unit ) : std::string( "every unit" ) ) + ")",
                    { "unit", "table", "entry", "holds", "shouldHold", "client", "note" } );
   for( const Difference & d : audit.differences() ) {
      differences.row(
         { Cell::number( d.unit ), d.table, d.entry, d.holds, d.shouldHold, clientName( d.client ), d.note },
         s.style.paint( d.line(), Tone::bad ) );
   }
   Table & pending = report.table( "pending", "Pending (not a difference)", { "what" } );
   for( const std::string & line : audit.pending() ) {
      pending.row( { line }, line );
   }
   report.field( "differenceCount", "", Cell::number( audit.differences().size() ) );
   report.field( "pendingCount", "", Cell::number( audit.pending().size() ) );
   report.field( "summary", "audit", Cell( summaryText( audit ) ).toned( audit.clean() ? Tone::good : Tone::bad ) );
   return report;
}

} // namespace

void
addAuditViews( CommandTable & table ) {
   table.section( "Audit" );
   table.verb( "audit",
               { "audit [UNIT]",
                 "Holds the chip and SOURCE_TRUNK_MAP against what the packet tracer and CFM asked for "
                 "in the state database, and lists every difference (unit, table, entry, what it holds, "
                 "what it should hold, the client affected), the work still pending, and a count." },
               []( Session & s, Args & args ) {
                  auditReport( s, args, unitArgument( args, "audit" ) ).printText( s.out, s.style );
               } );
   table.show( "audit",
               { "audit [UNIT]", "What the audit command prints; with json, one document with every difference "
                                 "and pending item as an object." },
               []( Session & s, Args & args ) { return auditReport( s, args, unitArgument( args, "show audit" ) ); } );
}

} // namespace Sim
