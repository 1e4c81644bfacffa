// The agent's life (context, agent start/remount/stop), virtual time, trace
// levels, `clear`, and the expectations on toggles, trace lines and live
// framework objects (their views are in views/AgentViews.cpp).
#include "Flagpole/Toggle.h"
#include "Pallet/Pallet.h"
#include "Quill/Clock.h"
#include "Quill/Type.h"
#include "Shim/SimChip.h"
#include "commands/StandardCommands.h"
#include "commands/TraceWhere.h"
#include "language/KnownNames.h"
#include "language/ScenarioError.h"
#include "language/Suggestion.h"
#include "language/Tokens.h"
#include "session/CommandTable.h"

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
   throw ScenarioError( "live: unknown type '" + type + "'" + suggestion( type, { names.begin(), names.end() } ) );
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
   s.checks.check( args.line().where, reads == count, "toggle-reads " + name + " " + std::to_string( count ),
                   std::to_string( reads ) );
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
   const std::string expected =
      kind + where + " \"" + *filter.text + "\"" + ( wanted ? " " + std::to_string( *wanted ) : std::string() );
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

} // namespace

void
addAgentCommands( CommandTable & table ) {
   table.section( "The agent and time" );
   table.verb( "context",
               { "context NAME", "The host context name (default sim), which names the request directory and "
                                 "the status entity; only before agent start." },
               contextCommand );
   table.verb( "agent",
               { "agent start [missing INPUT...] | agent remount | agent stop",
                 "Loads the plug-in and mounts its inputs (INPUT: cfm-config, request-config, "
                 "status-dir, request-dir, scsd kept absent); runs doMountsComplete again; or "
                 "destroys the mounter." },
               agentCommand );
   table.verb( "clock",
               { "clock advance SECONDS", "Moves virtual time forward and notifies every clock notifiee that is due; "
                                          "time moves only here." },
               clockCommand );
   table.section( "Traces and counters" );
   table.verb( "trace",
               { "trace HANDLE LEVELS", "Sets a trace handle's levels: a comma list of 0 to 15, all or none "
                                        "(handles: StrataPacketTracerSliceMounter, ApiStrata, Cairn)." },
               traceCommand );
   table.verb( "clear",
               { "clear", "Empties the trace capture, the posted-request log and the SDK call counters; "
                          "the chip keeps its tables." },
               clearCommand );
   table.expectation( "live", { "live TYPE N", "N framework objects of TYPE are alive." }, expectLive );
   table.expectation( "toggle-reads", { "toggle-reads NAME N", "The plug-in asked for toggle NAME N times." },
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
}

} // namespace Sim
