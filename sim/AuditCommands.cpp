// The audit in the simulator: `audit [UNIT]`, `show audit [UNIT]` and
// `expect audit clean|N`. Its view of the world is built from the host's
// entities as the agent gives them to the plug-in (a withheld input is not
// there), the CFM toggles as the toggle library answers now, the chip and the
// table manager's SOURCE_TRUNK_MAP; never from the plug-in's objects. (The
// plug-in reads each toggle once per process: a toggle turned on after that
// shows as CFM's differences until the process starts again.)
#include "Audit.h"
#include "ChipAccess.h"
#include "CommandTable.h"
#include "Flagpole/Toggle.h"
#include "ScenarioError.h"
#include "Tokens.h"

#include <optional>
#include <string>

namespace Sim {

namespace {

constexpr const char * cfmToggles[] = { "StrataCfmOnTH3", "StrataCfmOnTH3Masquerade" };

// The host's world as the audit sees it, and what the view points at.
class HostWorld {
 public:
   explicit HostWorld( Host & host ) {
      view_.agentRunning = host.started();
      view_.scsd = host.withheld( AgentInput::scsd ) ? nullptr : &host.scsd();
      view_.request = host.withheld( AgentInput::requestConfig ) ? nullptr : &host.requestConfig();
      if( !host.withheld( AgentInput::statusDir ) ) {
         status_ = host.statusEntity();
         view_.status = status_.ptr();
      }
      view_.cfmConfig = host.withheld( AgentInput::cfmConfig ) ? nullptr : &host.cfmConfig();
      const std::map< std::string, bool > toggles = Flagpole::toggleStates();
      view_.cfmSwitchedOn = true;
      for( const char * toggle : cfmToggles ) {
         const auto found = toggles.find( toggle );
         view_.cfmSwitchedOn = view_.cfmSwitchedOn && found != toggles.end() && found->second;
      }
      view_.chip = &Shim::simChip();
      // The table manager carries every request out as it is posted: none
      // is ever on its way.
      if( host.tableManager().watched() ) {
         for( U16 unit = 0; unit < Shim::SimChip::unitCount; ++unit ) {
            for( const auto & [ key, written ] : host.tableManager().chipTable( unit ) ) {
               sourceTrunkMap_.units[ unit ][ key ] = written.profile;
            }
         }
         view_.sourceTrunkMap = &sourceTrunkMap_;
      }
   }
   HostWorld( const HostWorld & ) = delete;
   HostWorld & operator=( const HostWorld & ) = delete;

   const WorldView & view() const noexcept { return view_; }

 private:
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > status_;
   SourceTrunkMapView sourceTrunkMap_;
   WorldView view_;
};

std::string
countText( std::size_t count, const char * one, const char * many ) {
   return std::to_string( count ) + " " + ( count == 1 ? one : many );
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
auditReport( Session & s, std::optional< U16 > unit ) {
   const HostWorld world( s.host );
   const Audit audit( world.view(), unit );
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
   const std::string summary = countText( audit.differences().size(), "difference", "differences" ) + ", " +
                               std::to_string( audit.pending().size() ) + " pending";
   report.field( "summary", "audit", Cell( summary ).toned( audit.clean() ? Tone::good : Tone::bad ) );
   return report;
}

// expect audit clean | expect audit N
void
expectAudit( Session & s, Args & args ) {
   const Token & what = args.nextToken( "clean or the number of differences" );
   const U64 wanted = what.is( "clean" ) ? 0 : parseUnsigned( what.text, "expect audit (clean or N)" );
   args.end();
   const HostWorld world( s.host );
   const Audit audit( world.view() );
   std::string got = countText( audit.differences().size(), "difference", "differences" );
   for( const std::string & line : audit.lines() ) {
      got += "\n    " + line;
   }
   s.checks.check( args.line().where, audit.differences().size() == wanted,
                   "audit " + ( wanted == 0 ? std::string( "clean" ) : countText( wanted, "difference", "differences" ) ),
                   got );
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
                  auditReport( s, unitArgument( args, "audit" ) ).printText( s.out, s.style );
               } );
   table.show( "audit",
               { "audit [UNIT]", "What the audit command prints; with json, one document with every difference "
                                 "and pending item as an object." },
               []( Session & s, Args & args ) { return auditReport( s, unitArgument( args, "show audit" ) ); } );
   table.expectation( "audit",
                      { "audit clean | audit N",
                        "The audit finds no difference, or exactly N (pending work is no difference)." },
                      expectAudit );
}

} // namespace Sim
