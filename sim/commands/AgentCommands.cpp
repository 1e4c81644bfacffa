// The agent's life (context, agent start/remount/stop), virtual time, trace
// levels, `clear`, and the process-wide views: toggles, trace lines, live
// framework objects.
#include "commands/StandardCommands.h"
#include "Flagpole/Toggle.h"
#include "host/Version.h"
#include "language/KnownNames.h"
#include "language/ScenarioError.h"
#include "language/Suggestion.h"
#include "language/Tokens.h"
#include "Pallet/Pallet.h"
#include "Quill/Clock.h"
#include "Quill/Type.h"
#include "session/CommandTable.h"
#include "Shim/SimChip.h"

#include <set>

namespace Sim {

namespace {

void
contextCommand( Session & s, Args & args ) {
   std::string name = args.next( "context name" );
   args.end();
   s.host.contextNameIs( std::move( name ) );
}

void
agentCommand( Session & s, Args & args ) {
   const Token & what = args.nextToken( "start, remount or stop" );
   if( what.is( "start" ) ) {
      std::set< AgentInput > missing;
      if( args.accept( "missing" ) ) {
         for( const Token & token : args.rest() ) {
            const std::optional< AgentInput > input = agentInputNamed( token.text );
            if( !input ) {
               throw ScenarioError( "agent start missing: unknown input '" + token.text +
                                    "' (cfm-config, request-config, status-dir, request-dir, scsd)" );
            }
            missing.insert( *input );
         }
         if( missing.empty() ) {
            throw ScenarioError( "agent start missing: name at least one input" );
         }
      }
      args.end();
      s.host.start( missing );
   } else if( what.is( "remount" ) ) {
      args.end();
      s.host.remount();
   } else if( what.is( "stop" ) ) {
      args.end();
      s.host.stop();
   } else {
      throw ScenarioError( "agent: unknown '" + what.text + "' (start, remount, stop)" );
   }
}

void
clockCommand( Session &, Args & args ) {
   args.keyword( "advance" );
   const double seconds = parseSeconds( args.next( "seconds" ), "clock advance" );
   args.end();
   Quill::System::advanceBy( seconds );
}

void
traceCommand( Session &, Args & args ) {
   const std::string handle = args.next( "trace handle" );
   const U16 levels = parseTraceLevels( args.next( "levels (0,4,8 | all | none)" ) );
   args.end();
   requireTraceHandle( handle );
   Quill::traceLevelsIs( handle, levels );
}

void
clearCommand( Session & s, Args & args ) {
   args.end();
   s.trace.clear();
   s.host.sourceTrunkMap().logClear();
   Shim::simChip().callCountsClear();
}

// A type the framework knows: registered, or made by the host's or the
// plug-in's code (the plug-in is loaded here to know its types if need be).
void
requireKnownType( Session & s, const std::string & type ) {
   const auto known = [ & ] { return Quill::typeNamed( type ) || Pallet::makeableTypes().count( type ); };
   if( known() ) {
      return;
   }
   s.host.loadPlugin();
   if( known() ) {
      return;
   }
   const std::set< std::string > names = Pallet::makeableTypes();
   throw ScenarioError( "live: unknown type '" + type + "'" +
                        suggestion( type, { names.begin(), names.end() } ) );
}

void
expectLive( Session & s, Args & args ) {
   const std::string type = args.next( "type name" );
   const U64 count = parseUnsigned( args.next( "count" ), "live count" );
   args.end();
   requireKnownType( s, type );
   const std::size_t live = Pallet::liveObjects( type );
   s.checks.check( args.line().where, live == count, "live " + type + " " + std::to_string( count ),
                   std::to_string( live ) );
}

void
expectToggleReads( Session & s, Args & args ) {
   const std::string name = args.next( "toggle name" );
   const U64 count = parseUnsigned( args.next( "count" ), "toggle-reads count" );
   args.end();
   requireKnownToggle( name );
   const std::size_t reads = Flagpole::toggleReads( name );
   s.checks.check( args.line().where, reads == count,
                   "toggle-reads " + name + " " + std::to_string( count ), std::to_string( reads ) );
}

// The file the last question named and its fallback, as `expect
// toggle-asked` spells them: "FILE on|off", or "never asked".
std::string
lastQuestionText( const std::string & name ) {
   const std::optional< Flagpole::Question > asked = Flagpole::lastQuestion( name );
   return asked ? asked->file + ( asked->fallback ? " on" : " off" ) : "never asked";
}

void
expectToggleAsked( Session & s, Args & args ) {
   const std::string name = args.next( "toggle name" );
   const std::string file = args.next( "file" );
   const bool fallback = parseOnOff( args.nextToken( "fallback" ), "toggle-asked " + name + " fallback" );
   args.end();
   requireKnownToggle( name );
   const std::string wanted = file + ( fallback ? " on" : " off" );
   const std::string asked = lastQuestionText( name );
   s.checks.check( args.line().where, asked == wanted, "toggle-asked " + name + " " + wanted, asked );
}

// expect trace "TEXT" | no-trace "TEXT" | trace-count "TEXT" N. Only a line
// found among the kept ones decides a check for sure: once older lines were
// dropped, a line looked for in vain may have been among them.
// [handle H] [level LEVELS] (and, `withText`, [text "T"]), in any order and
// each once: narrows `filter`. Returns the words as given, each after a
// blank, for messages.
std::string
traceWhere( Args & args, TraceFilter & filter, const std::string & command, bool withText ) {
   bool levelsGiven = false;
   std::string described;
   for( ;; ) {
      if( args.accept( "handle" ) ) {
         onlyOnce( filter.handle.has_value(), command, "handle" );
         filter.handle = args.next( "trace handle" );
         requireTraceHandle( *filter.handle );
         described += " handle " + *filter.handle;
      } else if( args.accept( "level" ) ) {
         onlyOnce( levelsGiven, command, "level" );
         levelsGiven = true;
         const std::string levels = args.next( "levels (0,4,8 | all | none)" );
         filter.levels = parseTraceLevels( levels );
         described += " level " + levels;
      } else if( withText && args.accept( "text" ) ) {
         onlyOnce( filter.text.has_value(), command, "text" );
         filter.text = args.next( "text to look for" );
         described += " text \"" + *filter.text + "\"";
      } else {
         return described;
      }
   }
}

void
expectTrace( Session & s, Args & args, const std::string & kind ) {
   TraceFilter filter;
   const std::string where = traceWhere( args, filter, "expect " + kind, false );
   filter.text = args.next( "text to look for" );
   std::optional< U64 > wanted;
   if( kind == "trace-count" ) {
      wanted = parseUnsigned( args.next( "count" ), "trace-count" );
   }
   args.end();
   std::size_t found = 0;
   std::string first;
   s.trace.forEachMatching( filter, [ & ]( const CapturedTrace & trace ) {
      if( found++ == 0 ) {
         first = trace.line;
      }
      return kind != "trace"; // one line is enough there
   } );
   const std::string dropped = s.trace.droppedNote();
   const std::string expected = kind + where + " \"" + *filter.text + "\"" +
                                ( wanted ? " " + std::to_string( *wanted ) : std::string() );
   const std::string unsure = dropped.empty() ? "" : "; " + dropped;
   if( kind == "trace" ) {
      s.checks.check( args.line().where, found > 0, expected, "no such line" + unsure );
   } else if( kind == "no-trace" ) {
      s.checks.check( args.line().where, found == 0 && dropped.empty(), expected,
                      found == 0 ? "no such line among those kept" + unsure
                                 : std::to_string( found ) + " line(s), first: " + first );
   } else {
      s.checks.check( args.line().where, found == *wanted && dropped.empty(), expected,
                      std::to_string( found ) + unsure );
   }
}

Report
showAgent( Session & s, Args & args ) {
   args.end();
   Report report( "agent" );
   report.field( "version", version() );
   report.field( "started", Cell::boolean( s.host.started() ) );
   report.field( "context", s.host.contextName() );
   report.field( "plugin", "plug-in",
                 s.host.loader().loaded() ? s.host.loader().path() : "(not loaded)" );
   report.field( "mountStatus", "mount status", Cairn::mountStatusName( s.host.mountStatus() ) );
   std::string withheld;
   for( AgentInput input : { AgentInput::cfmConfig, AgentInput::requestConfig,
                             AgentInput::statusDir, AgentInput::requestDir, AgentInput::scsd } ) {
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
      table.row( { Cell::decimal( r.time ), r.handle, Cell::number( r.level ), r.file,
                   Cell::signedNumber( r.line ), r.function, r.text },
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
addAgentCommands( CommandTable & table ) {
   table.section( "The agent and time" );
   table.verb( "context",
               { "context NAME",
                 "The host context name (default sim), which names the request directory and "
                 "the status entity; only before agent start." },
               contextCommand );
   table.verb( "agent",
               { "agent start [missing INPUT...] | agent remount | agent stop",
                 "Loads the plug-in and mounts its inputs (INPUT: cfm-config, request-config, "
                 "status-dir, request-dir, scsd kept absent); runs doMountsComplete again; or "
                 "destroys the mounter." },
               agentCommand );
   table.verb( "clock",
               { "clock advance SECONDS",
                 "Moves virtual time forward and notifies every clock notifiee that is due; "
                 "time moves only here." },
               clockCommand );
   table.section( "Traces and counters" );
   table.verb( "trace",
               { "trace HANDLE LEVELS",
                 "Sets a trace handle's levels: a comma list of 0 to 15, all or none "
                 "(handles: StrataPacketTracerSliceMounter, ApiStrata, Cairn)." },
               traceCommand );
   table.verb( "clear",
               { "clear",
                 "Empties the trace capture, the posted-request log and the SDK call counters; "
                 "the chip keeps its tables." },
               clearCommand );
   table.expectation( "live",
                      { "live TYPE N", "N framework objects of TYPE are alive." }, expectLive );
   table.expectation( "toggle-reads",
                      { "toggle-reads NAME N", "The plug-in asked for toggle NAME N times." },
                      expectToggleReads );
   table.expectation( "toggle-asked",
                      { "toggle-asked NAME FILE on|off",
                        "The plug-in's last question for toggle NAME named FILE, with on or off as "
                        "the answer should the file be unreadable." },
                      expectToggleAsked );
   table.expectation( "trace",
                      { "trace [handle H] [level LEVELS] \"TEXT\"",
                        "A trace line captured since clear, of that handle and those levels when "
                        "given, contains TEXT." },
                      []( Session & s, Args & args ) { expectTrace( s, args, "trace" ); } );
   table.expectation( "no-trace",
                      { "no-trace [handle H] [level LEVELS] \"TEXT\"",
                        "No trace line captured since clear (of that handle and those levels) contains "
                        "TEXT." },
                      []( Session & s, Args & args ) { expectTrace( s, args, "no-trace" ); } );
   table.expectation( "trace-count",
                      { "trace-count [handle H] [level LEVELS] \"TEXT\" N",
                        "Exactly N trace lines captured since clear (of that handle and those levels) "
                        "contain TEXT." },
                      []( Session & s, Args & args ) { expectTrace( s, args, "trace-count" ); } );
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
   table.show( "objects",
               { "objects", "Live framework objects and allocations, by type." }, showObjects );
}

} // namespace Sim
