// The process-wide views: the agent (its version, plug-in, mounts and the
// time), the toggles as the plug-in asked them, the trace lines captured and
// the live framework objects.
#include "Flagpole/Toggle.h"
#include "Pallet/Pallet.h"
#include "Quill/Clock.h"
#include "commands/StandardCommands.h"
#include "commands/TraceWhere.h"
#include "host/Version.h"
#include "language/KnownNames.h"
#include "language/ScenarioError.h"
#include "session/CommandTable.h"

namespace Sim {

namespace {

Report
showAgent( Session & s, Args & args ) {
   args.end();
   Report report( "agent" );
   report.field( "version", version() );
   report.field( "started", Cell::boolean( s.host.started() ) );
   report.field( "context", s.host.contextName() );
   report.field( "plugin", "plug-in", s.host.loader().loaded() ? s.host.loader().path() : "(not loaded)" );
   report.field( "mountStatus", "mount status", Cairn::mountStatusName( s.host.mountStatus() ) );
   std::string withheld;
   for( AgentInput input : { AgentInput::cfmConfig, AgentInput::requestConfig, AgentInput::statusDir,
                             AgentInput::requestDir, AgentInput::scsd } ) {
      if( s.host.withheld( input ) ) {
         withheld += ( withheld.empty() ? "" : " " ) + std::string( agentInputName( input ) );
      }
   }
   report.field( "missing", withheld.empty() ? "(none)" : withheld );
   report.field( "time", Cell::decimal( Quill::System::currentTime() ) );
   return report;
}

Report
showToggles( Session &, Args & args ) {
   args.end();
   std::map< std::string, bool > states = Flagpole::toggleStates();
   for( const char * name : knownToggleNames ) {
      states.emplace( name, false );
   }
   Report report( "toggles" );
   // How the plug-in asked last: the file it named and the answer it falls
   // back on should the file be unreadable ("-" while it never asked).
   Table & table = report.table( "toggles", { "toggle", "state", "reads", "file", "fallback" } );
   for( const auto & [ name, on ] : states ) {
      const std::optional< Flagpole::Question > asked = Flagpole::lastQuestion( name );
      table.row( { name, on ? "on" : "off", Cell::number( Flagpole::toggleReads( name ) ), asked ? asked->file : "-",
                   asked ? ( asked->fallback ? "on" : "off" ) : "-" } );
   }
   return report;
}

// show trace [handle H] [level LEVELS] [text "T"]
Report
showTrace( Session & s, Args & args ) {
   TraceFilter filter;
   const std::string described = traceWhere( args, filter, "show trace", true );
   if( !args.atEnd() ) {
      throw ScenarioError( "show trace: unknown filter '" + args.next( "filter" ) +
                           "' (handle H, level LEVELS, text \"T\")" );
   }
   Report report( "trace" );
   std::vector< CapturedTrace > found;
   s.trace.forEachMatching( filter, [ & ]( const CapturedTrace & trace ) {
      found.push_back( trace );
      return true;
   } );
   report.field( "filter", described.empty() ? "(none)" : described.substr( 1 ) );
   report.field( "count", "lines", Cell::number( found.size() ) );
   // Always a key (empty when nothing was dropped), shown only when set.
   const std::string dropped = s.trace.droppedNote();
   report.field( "dropped", dropped.empty() ? "" : "dropped", dropped );
   Table & table = report.table( "lines", "trace lines since clear",
                                 { "time", "handle", "level", "file", "line", "function", "text" } );
   for( const CapturedTrace & trace : found ) {
      const Quill::TraceRecord & r = trace.record;
      table.row( { Cell::decimal( r.time ), r.handle, Cell::number( r.level ), r.file, Cell::signedNumber( r.line ),
                   r.function, r.text },
                 paintTraceLine( s.style, r, trace.line ) );
   }
   return report;
}

Report
showObjects( Session &, Args & args ) {
   args.end();
   Report report( "objects" );
   Table & table = report.table( "objects", "framework objects", { "type", "live", "allocations" } );
   for( const auto & [ name, tracker ] : Pallet::trackers() ) {
      table.row( { name, Cell::number( tracker.live ), Cell::number( tracker.allocations ) } );
   }
   return report;
}

} // namespace

void
addAgentViews( CommandTable & table ) {
   table.show( "agent",
               { "agent", "The version; whether the agent runs, its context, plug-in, mounts and the "
                          "time." },
               showAgent );
   table.show( "toggles",
               { "toggles", "Each feature toggle's answer, how often the plug-in asked and how it "
                            "asked last." },
               showToggles );
   table.show( "trace",
               { "trace [handle H] [level LEVELS] [text \"T\"]",
                 "The trace lines captured since clear, those of one handle, of some levels, "
                 "or containing a text." },
               showTrace );
   table.show( "objects", { "objects", "Live framework objects and allocations, by type." }, showObjects );
}

} // namespace Sim
