// Model-based randomized runs of the plug-in against the reference model, and
// the known ways in which the plug-in's own rules lead away from what its
// clients mean.
//
// Every run is reproducible from its seed. CI runs a fixed list of seeds;
// STRATA_MODEL_SEED adds one more and STRATA_MODEL_STEPS sets the steps per
// run, for example to replay a seed from a failure report:
//    STRATA_MODEL_SEED=12345 STRATA_MODEL_STEPS=2000 model_tests
#include "Model.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <set>
#include <numeric>
#include <random>
#include <regex>
#include <sstream>

namespace ModelTest {
namespace {

// A reproducible random sequence: each action is drawn with a weight per
// kind and leans on the model's world as it goes (modules first when there
// are none, keys that exist when removing one, known interfaces when naming
// one), so that sequences stay busy. The numbers come from a 64-bit Mersenne
// twister reduced by modulo: the same sequence for a seed on every platform.
Sequence
generateSequence( U64 seed, std::size_t steps ) {
   std::mt19937_64 random( seed );
   auto below = [ & ]( std::size_t n ) { return n ? std::size_t( random() % n ) : 0; };
   auto chance = [ & ]( unsigned percent ) { return below( 100 ) < percent; };
   auto pick = [ & ]( const auto & from ) {
      return *std::next( from.begin(), std::ptrdiff_t( below( from.size() ) ) );
   };
   const std::vector< std::string > lags{ "Port-Channel1", "Port-Channel2" };
   const std::vector< std::string > timeouts{ "0", "0.25", "0.5", "1", "2", "3.5" };
   const std::vector< std::string > clockSteps{ "0", "0.25", "0.5", "1", "2", "4" };
   std::vector< std::string > nameable{ "Ethernet99" };
   for( const InterfaceDef & def : interfaces() ) {
      nameable.push_back( def.name );
   }
   ReferenceModel model;
   const World & world = model.world();
   // An interface the shared state knows (one with a port, if asked), mostly.
   auto someInterface = [ & ]( bool withPortOnly ) {
      std::vector< std::string > known;
      for( const std::string & name : nameable ) {
         if( world.intfKnown( name ) && ( world.intfToPort.count( name ) || !withPortOnly ) ) {
            known.push_back( name );
         }
      }
      return !known.empty() && chance( 80 ) ? pick( known ) : pick( nameable );
   };
   auto vlan = [ & ] { return std::string( chance( 50 ) ? " vlan 10" : " vlan 20" ); };

   Sequence sequence;
   for( unsigned requestNumber = 1; sequence.size() < steps; ) {
      // How often each kind is drawn: the clock and the tracer most, a
      // restart least, modules first while there are none.
      const std::size_t modules = world.modules.size();
      const unsigned weights[] = { modules == 0 ? 30u : modules < 2 ? 8u : 3u, modules ? 3u : 0u, 9, 4, 8, 3, 11, 8,
                                   18, 4, 17, 1, 2, 2 };
      std::size_t draw = below( std::accumulate( std::begin( weights ), std::end( weights ), 0u ) );
      std::size_t kind = 0;
      while( draw >= weights[ kind ] ) {
         draw -= weights[ kind++ ];
      }
      std::string line;
      switch( ActionKind( kind ) ) {
       case ActionKind::moduleAdd: {
          const unsigned modId = unsigned( 1 + below( moduleCount ) );
          line = "module " + std::to_string( modId ) + " unit " + std::to_string( unitOfModule( modId ) );
          break;
       }
       case ActionKind::moduleRemove:
         line = "module " + std::to_string( chance( 80 ) ? pick( world.modules ).first : 1 + below( moduleCount ) ) +
                " remove";
         break;
       case ActionKind::intfAdd: {
          const InterfaceDef def = pick( interfaces() );
          line = "intf " + def.name + ( chance( 20 ) ? " unused" : "" ) +
                 ( def.port ? " port " + portText( *def.port ) : "" );
          break;
       }
       case ActionKind::intfRemove: line = "intf " + someInterface( false ) + " remove"; break;
       case ActionKind::lagSet: {
          // A few members in a random order: the host writes them as given.
          std::vector< Port > members = ports();
          for( std::size_t i = members.size(); i > 1; --i ) {
             std::swap( members[ i - 1 ], members[ below( i ) ] );
          }
          line = "lag " + pick( lags ) + " members";
          for( std::size_t i = 0, n = 1 + below( 3 ); i < n; ++i ) {
             line += " " + portText( members[ i ] );
          }
          break;
       }
       case ActionKind::lagRemove: line = "lag " + pick( lags ) + " remove"; break;
       case ActionKind::cfmAdd:
         line = "cfm add " + ( chance( 30 ) ? pick( lags ) : someInterface( true ) ) + vlan();
         break;
       case ActionKind::cfmRemove:
         if( !world.cfmKeys.empty() && chance( 85 ) ) {
            const CfmKey key = pick( world.cfmKeys );
            line = "cfm remove " + key.intf + " vlan " + std::to_string( key.vlan );
         } else {
            line = "cfm remove " + pick( nameable ) + vlan();
         }
         break;
       case ActionKind::tracer:
         line = std::string( "tracer " ) + ( chance( 60 ) ? "apply " : "withdraw " ) + someInterface( !chance( 15 ) ) +
                ( chance( 40 ) ? " cpu" : "" ) + " id r:" + std::to_string( requestNumber++ );
         break;
       case ActionKind::timeout: line = "timeout " + pick( timeouts ); break;
       case ActionKind::advance: line = "clock advance " + pick( clockSteps ); break;
       case ActionKind::restart: line = "agent restart"; break;
       case ActionKind::unitModInfo: {
          const U16 unit = pick( chipUnits );
          line = "unit " + std::to_string( unit ) +
                 ( world.unitsWithModInfo.count( unit ) ? std::string( " remove" )
                                                         : " modinfo " + std::to_string( modInfoOfUnit( unit ) ) );
          break;
       }
       case ActionKind::toggle:
         line = std::string( "toggle StrataCfmOnTH3" ) + ( chance( 50 ) ? "Masquerade" : "" ) +
                ( chance( 50 ) ? " off" : " on" );
         break;
      }
      model.apply( parseAction( line ) );
      sequence.push_back( line );
   }
   return sequence;
}

// The shortest sequence found that still `fails`: first the prefix up to the
// failing step, then chunks and single steps taken out while it still fails,
// within `budget` candidate runs.
Sequence
shrink( const Sequence & failing, const std::function< std::optional< Failure >( const Sequence & ) > & fails,
        std::size_t budget = 3000 ) {
   auto prefixUpTo = []( const Sequence & s, const Failure & f ) {
      return Sequence( s.begin(), s.begin() + std::ptrdiff_t( std::min( f.step + 1, s.size() ) ) );
   };
   std::optional< Failure > first = fails( failing );
   if( !first ) {
      return failing;
   }
   Sequence best = prefixUpTo( failing, *first );
   std::size_t runs = 1;
   for( std::size_t chunk = std::max< std::size_t >( best.size() / 2, 1 ); runs < budget;
        chunk = std::max< std::size_t >( chunk / 2, 1 ) ) {
      bool removedAny = false;
      for( std::size_t at = 0; at < best.size() && runs < budget; ++runs ) {
         Sequence candidate = best;
         candidate.erase( candidate.begin() + std::ptrdiff_t( at ),
                          candidate.begin() + std::ptrdiff_t( std::min( at + chunk, candidate.size() ) ) );
         if( std::optional< Failure > f = fails( candidate ) ) {
            best = prefixUpTo( candidate, *f );
            removedAny = true;
         } else {
            at += chunk;
         }
      }
      if( chunk == 1 && !removedAny ) {
         break; // a whole pass of single steps removed nothing
      }
   }
   return best;
}

// A failing run written up: the seed, what failed where, and the shortest
// failing sequence found, one command of the simulator's language per line.
std::string
failureReport( U64 seed, const Sequence & sequence, const Failure & failure, const Excuse & excused ) {
   const Sequence shortest = shrink( sequence, [ & ]( const Sequence & candidate ) -> std::optional< Failure > {
      std::optional< Failure > f = runSequence( candidate, true, excused );
      return f && f->kind == failure.kind ? f : std::nullopt;
   } );
   const Failure shown = runSequence( shortest, true, excused ).value_or( failure );
   std::ostringstream report;
   report << "seed " << seed << " (replay: STRATA_MODEL_SEED=" << seed << " STRATA_MODEL_STEPS=" << sequence.size()
          << " model_tests --gtest_filter='ModelRun.*'): " << failure.kind << " at step " << failure.step + 1 << " of "
          << sequence.size() << ".\nThe shortest failing sequence found (" << shortest.size()
          << " steps) fails at its step " << shown.step + 1 << ":\n";
   for( const std::string & line : shown.details ) {
      report << "    " << line << "\n";
   }
   report << "The sequence:\n";
   // In the simulator's language after the harness's starting world (see
   // AgentHarness.cpp); a timeout stands for `set slice M timeout S` on every slice.
   for( const std::string & line : shortest ) {
      report << "    " << line << "\n";
   }
   return report.str();
}


std::optional< U64 >
environmentNumber( const char * name ) {
   const char * text = std::getenv( name );
   return text && *text ? std::optional< U64 >( std::strtoull( text, nullptr, 0 ) ) : std::nullopt;
}

// A line number found in a field trace leads to one call site: over a long
// run with every level of both handles on, each number comes from one
// function, and none is a precondition check's (89, 113), which only the
// stopping assertion reports.
TEST( TraceLines, EachNumberNamesOneCallSite ) {
   const std::map< int, std::set< std::string > > functionsByLine = traceSites( generateSequence( 7, 3000 ) );
   EXPECT_GE( functionsByLine.size(), 40u ) << "too few call sites met for the check to mean much";
   for( const auto & [ line, functions ] : functionsByLine ) {
      EXPECT_EQ( functions.size(), 1u ) << "line " << line << " is written by " << *functions.begin() << " and "
                                        << *functions.rbegin();
   }
   EXPECT_FALSE( functionsByLine.count( 89 ) || functionsByLine.count( 113 ) );
   // The numbers trace readers know.
   const std::map< int, std::string > fixed{ { 21, "handleInitialized" },      { 33, "handleInitialized" },
                                             { 42, "handleClock" },            { 58, "intfOnSlice" },
                                             { 64, "isAllocatedSrcTrunkIdx" }, { 74, "allocatedLportCfmIdx" },
                                             { 82, "allocateSrcTrunkIdx" },    { 88, "freeSrcTrunkIdx" },
                                             { 96, "isAllocatedSrcTrunkCfmIdx" }, { 106, "allocateSrcTrunkCfmIdx" },
                                             { 112, "freeSrcTrunkCfmIdx" } };
   for( const auto & [ line, function ] : fixed ) {
      EXPECT_EQ( functionsByLine.count( line ) ? *functionsByLine.at( line ).begin() : "none", function ) << line;
   }
}

// Each divergence: a sequence whose every step but the last leaves the audit
// clean, and whose last step leaves exactly `differences` (the audit's lines),
// the plug-in agreeing with the reference model all along.
struct Divergence {
   const char * name;
   std::vector< std::string > differences;
   const char * steps;
};

// The CFM profile entry of the one chip unit, cleared while CFM covers a port
// there. (One left behind while a port still points at it is that port's
// difference alone.)
const std::string cfmProfileLost = "unit 0 LPORT_TAB 1: holds zero, should hold the CFM profile (CFM)";
const Divergence divergences[] = {
   // A module that appears while the packet tracer holds a port: the new
   // slice starts with no claims, and its walk over the CFM keys points the
   // tracer's port at the CFM profile. An agent restart does the same.
   { "ModuleAppearingHandsTheTracersPortToCfm",
     { "unit 0 SOURCE_TRUNK_MAP 1/0/3: holds 1, should hold 5 (packet tracer)" },
     "module 1 unit 0; intf Ethernet1 port 1/0/3; cfm add Ethernet1 vlan 10; tracer apply Ethernet1 id r:1; clock advance 2; "
     "module 2 unit 0" },
   { "RestartHandsTheTracersPortToCfm",
     { "unit 0 SOURCE_TRUNK_MAP 1/0/3: holds 1, should hold 5 (packet tracer)" },
     "module 1 unit 0; intf Ethernet1 port 1/0/3; cfm add Ethernet1 vlan 10; tracer apply Ethernet1 id r:2; clock advance 2; "
     "agent restart" },
   // A new slice's start walks the CFM keys but not the LAG memberships: after
   // a restart the tracer's withdrawal hands a LAG member to profile 0; with
   // a module that appears, the two slices post different values for the
   // same port and the slice made last wins.
   { "RestartedSlicesKnowNothingOfLagMembers",
     { "unit 0 SOURCE_TRUNK_MAP 1/0/3: holds 0, should hold 1 (CFM)" },
     "module 1 unit 0; intf Ethernet1 port 1/0/3; lag Port-Channel1 members 1/0/3; agent restart; tracer withdraw Ethernet1 id r:3" },
   { "NewSlicesKnowNothingOfLagMembers",
     { "unit 0 SOURCE_TRUNK_MAP 1/0/3: holds 0, should hold 1 (CFM)" },
     "module 1 unit 0; intf Ethernet1 port 1/0/3; lag Port-Channel1 members 1/0/3; module 2 unit 0; tracer withdraw Ethernet1 id r:4" },
   // Each slice counts its own CFM claims, but the profile entry is one per
   // chip unit: the younger slice's last take-down clears the entry that the
   // older slice's ports still point at.
   { "PerSliceCountsClearTheSharedCfmProfile",
     { cfmProfileLost },
     "module 1 unit 0; intf Ethernet1 port 1/0/3; lag Port-Channel1 members 1/0/3; module 2 unit 0; intf Ethernet3 port 1/0/4; "
     "cfm add Ethernet3 vlan 10; cfm remove Ethernet3 vlan 10" },
   // While no module is listed there is no slice, and changes go unseen; the
   // next slice sets up the keys present but never takes down what went.
   { "ChangesWhileNoSliceExistsAreLost",
     { "unit 0 SOURCE_TRUNK_MAP 1/0/3: holds 1, should hold 0 (CFM: the port is not covered)"},
     "module 1 unit 0; intf Ethernet1 port 1/0/3; cfm add Ethernet1 vlan 10; module 1 remove; cfm remove Ethernet1 vlan 10; "
     "module 1 unit 0" },
   // With two slices every request is answered twice, so request and status
   // versions never meet again and a new slice handles the old request once
   // more: here a withdrawal that hands a LAG member back to profile 0.
   { "AnsweredRequestIsHandledAgainByANewSlice",
     { "unit 0 SOURCE_TRUNK_MAP 1/0/3: holds 0, should hold 1 (CFM)" },
     "module 1 unit 0; module 2 unit 0; intf Ethernet1 port 1/0/3; lag Port-Channel1 members 1/0/3; tracer withdraw Ethernet1 id r:5; "
     "clock advance 0; module 3 unit 0" },
   // CFM's claims are per port, not per reason: the LAG membership of a port
   // whose interface has a key takes the port down on leaving while the key
   // remains.
   { "LeavingTheLagTakesAKeyedPortDown",
     { "unit 0 SOURCE_TRUNK_MAP 1/0/3: holds 0, should hold 1 (CFM)", cfmProfileLost },
     "module 1 unit 0; intf Ethernet1 port 1/0/3; lag Port-Channel1 members 1/0/3; cfm add Ethernet1 vlan 10; "
     "lag Port-Channel1 remove" },
   // Claims are kept by port number: the tracer's hold on 1/0/3 makes CFM
   // give way on 2/0/3, whose entry nobody holds.
   { "PortsSharingANumberShareTheirClaims",
     { "unit 0 SOURCE_TRUNK_MAP 2/0/3: holds 0, should hold 1 (CFM)" },
     "module 1 unit 0; intf Ethernet1 port 1/0/3; intf Ethernet2 port 2/0/3; tracer apply Ethernet1 id r:6; cfm add Ethernet2 vlan 10" },
   // The tracer asks for one port at a time, but an apply does not take back
   // the port an earlier apply steered: that port stays on the tracer's
   // profile, which now carries the new port's settings.
   { "ApplyToAnotherPortLeavesTheFirstOnTheProfile",
     { "unit 0 SOURCE_TRUNK_MAP 1/0/3: holds 5, should hold 0 (packet tracer: no current request applies it)" },
     "module 1 unit 0; intf Ethernet1 port 1/0/3; intf Ethernet3 port 1/0/4; tracer apply Ethernet1 id r:1; clock advance 2; "
     "tracer apply Ethernet3 id r:2" },
   // The same with CFM covering the first port: the first port should be
   // back on CFM's profile.
   { "ApplyToAnotherPortKeepsACfmPortFromItsProfile",
     { "unit 0 SOURCE_TRUNK_MAP 1/0/3: holds 5, should hold 1 (CFM: the packet tracer's current request does not "
       "apply it)" },
     "module 1 unit 0; intf Ethernet1 port 1/0/3; intf Ethernet3 port 1/0/4; cfm add Ethernet1 vlan 10; "
     "tracer apply Ethernet1 id r:1; clock advance 2; tracer apply Ethernet3 id r:2" },
   // While the unit has no module information no request can be keyed, but
   // CFM's claims and profile still follow every set-up and take-down: the
   // last take-down clears the profile under a port that still points at it,
   // and a bare member that never got its request leaves the profile behind.
   { "TakeDownWithoutModuleInformationClearsAProfileInUse",
     { "unit 0 LPORT_TAB 1: holds zero, should hold the CFM profile (CFM: port 1/0/3 points at it)" },
     "module 1 unit 0; intf Ethernet1 port 1/0/3; cfm add Ethernet1 vlan 10; unit 0 remove; cfm remove Ethernet1 vlan 10" },
   { "BareMemberWithoutModuleInformationLeavesTheProfile",
     { "unit 0 LPORT_TAB 1: holds the CFM profile, should hold zero (CFM: no port on the unit is covered)" },
     "unit 0 remove; module 1 unit 0; lag Port-Channel1 members 1/0/9; cfm add Port-Channel1 vlan 10; "
     "lag Port-Channel1 remove" },
   // Interfaces are not watched: a key whose interface gets its port later,
   // or a LAG member whose interface comes after it joined, is never set up;
   // a port whose interface goes stays set up.
   { "KeyBeforeItsInterfaceIsNeverSetUp",
     { "unit 0 SOURCE_TRUNK_MAP 1/0/3: holds 0, should hold 1 (CFM)", cfmProfileLost },
     "cfm add Ethernet1 vlan 10; module 1 unit 0; intf Ethernet1 port 1/0/3" },
   { "MemberBeforeItsInterfaceIsNeverSetUp",
     { "unit 0 SOURCE_TRUNK_MAP 1/0/3: holds 0, should hold 1 (CFM)", cfmProfileLost },
     "module 1 unit 0; lag Port-Channel1 members 1/0/3; intf Ethernet1 port 1/0/3" },
   { "PortOfARemovedInterfaceStaysSetUp",
     { "unit 0 SOURCE_TRUNK_MAP 1/0/3: holds 1, should hold 0 (CFM: the port is not covered)"},
     "module 1 unit 0; intf Ethernet1 port 1/0/3; cfm add Ethernet1 vlan 10; intf Ethernet1 remove" },
   // A port-channel's key is expanded to its members when the key changes;
   // membership changes reach only ports with an interface of their own, so
   // a member without one is neither set up on joining nor taken down on
   // leaving.
   { "BareMemberJoiningIsNotSetUp",
     { "unit 0 SOURCE_TRUNK_MAP 1/0/9: holds 0, should hold 1 (CFM)", cfmProfileLost },
     "cfm add Port-Channel1 vlan 10; module 1 unit 0; lag Port-Channel1 members 1/0/9" },
   { "BareMemberLeavingIsNotTakenDown",
     { "unit 0 SOURCE_TRUNK_MAP 1/0/9: holds 1, should hold 0 (CFM: the port is not covered)"},
     "module 1 unit 0; lag Port-Channel1 members 1/0/9; cfm add Port-Channel1 vlan 10; lag Port-Channel1 remove" },
};

// Where the rules broke the intent and a local mend now keeps it: each
// sequence leaves the audit clean at every step.
struct Mended {
   const char * name;
   const char * steps;
};

const Mended mended[] = {
   // A removed key takes a port down only when no other present key covers
   // it: another VLAN of its interface, or a key of its port-channel.
   { "TheOtherVlanKeepsThePortUp",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; cfm add Ethernet1 vlan 10; cfm add Ethernet1 vlan 20; "
     "cfm remove Ethernet1 vlan 10" },
   { "ThePortChannelsKeyKeepsItsMemberUp",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; lag Port-Channel1 members 1/0/3; cfm add Ethernet1 vlan 10; "
     "cfm add Port-Channel1 vlan 10; cfm remove Ethernet1 vlan 10" },
   // Only the port holding the last claim clears the profile: after a
   // restart the new slice never claimed the LAG member that leaves, while
   // Ethernet3 holds the one claim left.
   { "AnUnclaimedPortLeavesTheProfileAlone",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; lag Port-Channel1 members 1/0/3; agent restart; intf Ethernet3 port 1/0/4; "
     "cfm add Ethernet3 vlan 10; lag Port-Channel1 remove" },
};

// A difference of a kind some documented divergence gives: the same line
// with its port left out. The random runs meet the divergences all the time,
// on every port, so this is what they can hold the audit to: a difference of
// any other kind (a wrong CPU bit, a tracer entry off its port's settings, a
// profile held by the wrong client) is a new way for the rules or the audit
// to go wrong, and fails the run.
std::string
differenceKind( const std::string & line ) {
   static const std::regex port( "[0-9]+/[0-9]+/[0-9]+" );
   return std::regex_replace( line, port, "PORT" );
}

bool
ofADocumentedKind( const std::string & difference ) {
   static const std::set< std::string > kinds = [] {
      std::set< std::string > all;
      for( const Divergence & d : divergences ) {
         for( const std::string & line : d.differences ) {
            all.insert( differenceKind( line ) );
         }
      }
      return all;
   }();
   return kinds.count( differenceKind( difference ) ) != 0;
}

// Whatever the rules lead to, the plug-in must do exactly what the reference
// model does at every step, and clean up after itself at every stop; and the
// audit, after every step, finds no difference but of a kind a documented
// divergence gives. Each failing seed is reported with its shortest failing
// sequence.
TEST( ModelRun, PluginFollowsTheRulesOnAnySequence ) {
   std::vector< U64 > seeds{ 1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144, 233, 377, 610, 987, 1597 };
   if( std::optional< U64 > extra = environmentNumber( "STRATA_MODEL_SEED" ) ) {
      seeds.push_back( *extra );
   }
   const std::size_t steps = environmentNumber( "STRATA_MODEL_STEPS" ).value_or( 2000 );
   for( U64 seed : seeds ) {
      // Printed first, so that even a run that stops the process can be replayed.
      std::cout << "[ model    ] seed " << seed << ", " << steps << " steps" << std::endl;
      const Sequence sequence = generateSequence( seed, steps );
      if( const std::optional< Failure > failure = runSequence( sequence, true, ofADocumentedKind ) ) {
         ADD_FAILURE() << failureReport( seed, sequence, *failure, ofADocumentedKind );
      }
   }
}

TEST( ModelMended, EachSequenceKeepsTheIntentThroughout ) {
   for( const Mended & m : mended ) {
      const std::optional< Failure > broken = runSequence( parseSequence( m.steps ), true );
      EXPECT_FALSE( broken ) << m.name << ": " << broken->kind << " at step " << broken->step + 1 << ": "
                             << broken->details.front();
   }
}

TEST( ModelDivergence, EachLastStepBreaksTheIntentWhileThePluginFollowsTheRules ) {
   for( const Divergence & d : divergences ) {
      SCOPED_TRACE( d.name );
      const Sequence sequence = parseSequence( d.steps );
      const std::optional< Failure > clean = runSequence( Sequence( sequence.begin(), sequence.end() - 1 ), true );
      EXPECT_FALSE( clean ) << "broken at step " << clean->step + 1 << ": " << clean->details.front();
      const std::optional< Failure > broken = runSequence( sequence, true );
      ASSERT_TRUE( broken ) << "the last step left the audit clean";
      EXPECT_EQ( broken->kind, "intent" ) << broken->details.front();
      EXPECT_EQ( broken->step, sequence.size() - 1 );
      EXPECT_EQ( broken->details, d.differences );
   }
}

} // namespace
} // namespace ModelTest
