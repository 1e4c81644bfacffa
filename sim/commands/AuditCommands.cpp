// The audit in the simulator: `audit [UNIT]`, `show audit [UNIT]` and
// `expect audit clean|N`, on the host's world (HostWorld.h).
#include "audit/Audit.h"
#include "commands/ChipAccess.h"
#include "commands/StandardCommands.h"
#include "host/HostWorld.h"
#include "language/ScenarioError.h"
#include "language/Tokens.h"
#include "session/CommandTable.h"

#include <optional>
#include <string>

namespace Sim {

namespace {

std::string
countText( std::size_t count, const char * one, const char * many ) {
   return std::to_string( count ) + " " + ( count == 1 ? one : many );
}

// "N differences, N pending"
std::string
summaryText( const Audit & audit ) {
   return countText( audit.differences().size(), "difference", "differences" ) + ", " +
          std::to_string( audit.pending().size() ) + " pending";
}

// Runs the audit for the command on `args`' line and tells the run's
// listeners what it found.
Audit
auditFor( Session & s, Args & args, std::optional< U16 > unit ) {
   const HostWorld world( s.host );
   Audit audit( world.view(), unit );
   s.listeners.tell( [ & ]( RunListener & l ) { l.audited( args.line(), audit.clean(), summaryText( audit ), audit.lines() ); } );
   return audit;
}

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
      differences.row( { Cell::number( d.unit ), d.table, d.entry, d.holds, d.shouldHold, clientName( d.client ),
                         d.note },
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

// expect audit clean | expect audit N
void
expectAudit( Session & s, Args & args ) {
   const Token & what = args.nextToken( "clean or the number of differences" );
   const U64 wanted = what.is( "clean" ) ? 0 : parseUnsigned( what.text, "expect audit (clean or N)" );
   args.end();
   const Audit audit = auditFor( s, args, std::nullopt );
   s.checks.check( args.line().where, audit.differences().size() == wanted,
                   "audit " + ( wanted == 0 ? std::string( "clean" )
                                            : countText( wanted, "difference", "differences" ) ),
                   countText( audit.differences().size(), "difference", "differences" ), audit.lines() );
}

} // namespace

void
addAuditCommands( CommandTable & table ) {
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
   table.expectation( "audit",
                      { "audit clean | audit N",
                        "The audit finds no difference, or exactly N (pending work is no difference)." },
                      expectAudit );
}

} // namespace Sim
