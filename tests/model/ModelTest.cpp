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
#include <numeric>
#include <random>
#include <regex>
#include <set>
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
      const unsigned weights[] = {
         modules == 0 ? 30u : modules < 2 ? 8u : 3u, modules ? 3u : 0u, 9, 4, 8, 3, 11, 8, 18, 4, 17, 1, 2, 2
      };
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
   const std::map< int, std::string > fixed{ { 21, "handleInitialized" },
                                             { 33, "handleInitialized" },
                                             { 42, "handleClock" },
                                             { 58, "intfOnSlice" },
                                             { 64, "isAllocatedSrcTrunkIdx" },
                                             { 74, "allocatedLportCfmIdx" },
                                             { 82, "allocateSrcTrunkIdx" },
                                             { 88, "freeSrcTrunkIdx" },
                                             { 96, "isAllocatedSrcTrunkCfmIdx" },
                                             { 106, "allocateSrcTrunkCfmIdx" },
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

// Where no local mend exists, three ways remain, of one root: the plug-in
// reads nothing back from the chip, keeps nothing across a restart, and
// serves a module's ports only while the module has a slice.
const Divergence divergences[] = {
   // A restart forgets what the slices set up: a module without a slice at
   // the time has its next slice start from the configuration, which names
   // neither CFM's port whose key went nor the tracer's port of an earlier
   // apply, and neither can be learnt from the chip.
   { "ARestartForgetsAModulesPorts",
     { "unit 0 SOURCE_TRUNK_MAP 1/0/3: holds 1, should hold 0 (CFM: the port is not covered)",
       "unit 0 SOURCE_TRUNK_MAP 1/0/4: holds 5, should hold 0 (packet tracer: no current request applies it)" },
     "module 1 unit 0; module 2 unit 0; intf Ethernet1 port 1/0/3; intf Ethernet3 port 1/0/4; cfm add Ethernet1 vlan "
     "10; "
     "tracer apply Ethernet3 id r:1; clock advance 2; module 1 remove; cfm remove Ethernet1 vlan 10; "
     "intf Ethernet4 port 2/0/6; tracer apply Ethernet4 id r:2; agent restart; module 1 unit 0" },
   // ... and the users of a unit's CFM profile: the last port the restarted
   // agent knows clears the profile that a port of a module without a slice
   // still points at.
   { "ARestartForgetsTheProfilesUsers",
     { "unit 0 LPORT_TAB 1: holds zero, should hold the CFM profile (CFM: port 1/0/3 points at it)" },
     "module 1 unit 0; module 2 unit 0; intf Ethernet1 port 1/0/3; intf Ethernet4 port 2/0/6; cfm add Ethernet1 vlan "
     "10; "
     "module 1 remove; agent restart; cfm add Ethernet4 vlan 10; cfm remove Ethernet4 vlan 10" },
   // A take-down that has to wait keeps its unit's CFM profile: without the
   // unit's module information the port cannot be keyed, and whether its
   // entry points at the profile (set up before the information went, or
   // before a restart) cannot be told; without a slice for its module
   // nothing takes it down. The profile stays, the harmless side, until the
   // information arrives or the module's next slice takes the port over.
   { "AWaitingTakeDownKeepsTheProfile",
     { "unit 0 LPORT_TAB 1: holds the CFM profile, should hold zero (CFM: no port on the unit is covered)" },
     "unit 0 remove; module 1 unit 0; lag Port-Channel1 members 1/0/9; cfm add Port-Channel1 vlan 10; "
     "lag Port-Channel1 remove" },
};

// Where the rules broke the intent and a local mend now keeps it: each
// sequence leaves the audit clean at every step.
struct Mended {
   const char * name;
   const char * steps;
};

const Mended mended[] = {
   // A removed key takes a port down only when CFM no longer covers it:
   // another VLAN of its interface, a key of its port-channel, membership.
   { "TheOtherVlanKeepsThePortUp",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; cfm add Ethernet1 vlan 10; cfm add Ethernet1 vlan 20; "
     "cfm remove Ethernet1 vlan 10" },
   { "ThePortChannelsKeyKeepsItsMemberUp",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; lag Port-Channel1 members 1/0/3; cfm add Ethernet1 vlan 10; "
     "cfm add Port-Channel1 vlan 10; cfm remove Ethernet1 vlan 10" },
   { "LeavingTheLagKeepsAKeyedPortUp",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; lag Port-Channel1 members 1/0/3; cfm add Ethernet1 vlan 10; "
     "lag Port-Channel1 remove" },
   // Only the last user of a unit's profile clears it.
   { "AnUnclaimedPortLeavesTheProfileAlone",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; lag Port-Channel1 members 1/0/3; agent restart; "
     "intf Ethernet3 port 1/0/4; cfm add Ethernet3 vlan 10; lag Port-Channel1 remove" },
   // Users are counted per chip unit, across the slices of its modules.
   { "TheUnitsProfileOutlivesOneModulesLastPort",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; lag Port-Channel1 members 1/0/3; module 2 unit 0; "
     "intf Ethernet4 port 2/0/6; cfm add Ethernet4 vlan 10; cfm remove Ethernet4 vlan 10" },
   { "EachUnitGetsItsOwnProfile", "module 1 unit 0; module 3 unit 1; intf Ethernet1 port 1/0/3; intf Ethernet6 port "
                                  "3/1/3; cfm add Ethernet1 vlan 10; "
                                  "cfm add Ethernet6 vlan 10; cfm remove Ethernet1 vlan 10" },
   // A slice serves its own module's ports: a request is answered once, and
   // claims kept by port number never mix modules.
   { "ModuleAppearingLeavesTheTracersPortAlone",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; cfm add Ethernet1 vlan 10; tracer apply Ethernet1 id r:1; "
     "clock advance 2; module 2 unit 0" },
   { "NewSlicesLeaveOtherModulesMembersAlone",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; lag Port-Channel1 members 1/0/3; module 2 unit 0; "
     "tracer withdraw Ethernet1 id r:4" },
   { "AnsweredRequestIsNotHandledAgain",
     "module 1 unit 0; module 2 unit 0; intf Ethernet1 port 1/0/3; lag Port-Channel1 members 1/0/3; "
     "tracer withdraw Ethernet1 id r:5; clock advance 0; module 3 unit 1" },
   { "PortsSharingANumberKeepTheirOwnClaims",
     "module 1 unit 0; module 2 unit 0; intf Ethernet1 port 1/0/3; intf Ethernet2 port 2/0/3; "
     "tracer apply Ethernet1 id r:6; cfm add Ethernet2 vlan 10" },
   // A new slice starts from the world as it is: the tracer's completed
   // apply and CFM's memberships; the ports an earlier slice of its module
   // set up are taken over, or down.
   { "RestartKeepsTheTracersPort",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; cfm add Ethernet1 vlan 10; tracer apply Ethernet1 id r:2; "
     "clock advance 2; agent restart" },
   { "RestartedSlicesKnowTheLagMembers",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; lag Port-Channel1 members 1/0/3; agent restart; "
     "tracer withdraw Ethernet1 id r:3" },
   { "AModulesNextSliceTakesItsPortsDown",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; cfm add Ethernet1 vlan 10; module 1 remove; "
     "cfm remove Ethernet1 vlan 10; module 1 unit 0" },
   // The tracer asks for one port at a time: a new request takes back the
   // port an earlier apply steered, also when the interface goes.
   { "ApplyToAnotherPortTakesTheFirstBack",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; intf Ethernet3 port 1/0/4; tracer apply Ethernet1 id r:1; "
     "clock advance 2; tracer apply Ethernet3 id r:2" },
   { "ApplyToAnotherPortHandsACfmPortBack",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; intf Ethernet3 port 1/0/4; cfm add Ethernet1 vlan 10; "
     "tracer apply Ethernet1 id r:1; clock advance 2; tracer apply Ethernet3 id r:2" },
   { "ApplyOnAnotherUnitTakesTheFirstBack",
     "module 1 unit 0; module 3 unit 1; intf Ethernet1 port 1/0/3; intf Ethernet6 port 3/1/3; "
     "tracer apply Ethernet1 cpu id r:1; clock advance 2; tracer apply Ethernet6 cpu id r:2; clock advance 2" },
   { "TheTracersInterfaceGoingTakesItsPortBack", "module 1 unit 0; intf Ethernet1 port 1/0/3; tracer apply Ethernet1 "
                                                 "id r:1; clock advance 2; intf Ethernet1 remove" },
   // Module information, interfaces and memberships in any order.
   { "TakeDownWithoutModuleInformationWaitsForIt",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; cfm add Ethernet1 vlan 10; unit 0 remove; "
     "cfm remove Ethernet1 vlan 10; unit 0 modinfo 256" },
   { "ModuleInformationArrivingPostsTheWaitingPort",
     "unit 1 remove; module 3 unit 1; intf Ethernet6 port 3/1/3; cfm add Ethernet6 vlan 10; unit 1 modinfo 512" },
   { "KeyBeforeItsInterfaceIsSetUpWithThePort",
     "cfm add Ethernet1 vlan 10; module 1 unit 0; intf Ethernet1 port 1/0/3" },
   { "MemberBeforeItsInterfaceIsSetUpWithThePort",
     "module 1 unit 0; lag Port-Channel1 members 1/0/3; intf Ethernet1 port 1/0/3" },
   { "PortOfARemovedInterfaceIsTakenDown",
     "module 1 unit 0; intf Ethernet1 port 1/0/3; cfm add Ethernet1 vlan 10; intf Ethernet1 remove" },
   { "BareMemberJoiningIsSetUp", "cfm add Port-Channel1 vlan 10; module 1 unit 0; lag Port-Channel1 members 1/0/9" },
   { "BareMemberLeavingIsTakenDown",
     "module 1 unit 0; lag Port-Channel1 members 1/0/9; cfm add Port-Channel1 vlan 10; lag Port-Channel1 remove" },
};

// A difference of a kind some documented divergence gives: the same line
// with its unit and port left out. The random runs meet the divergences all the time,
// on every port, so this is what they can hold the audit to: a difference of
// any other kind (a wrong CPU bit, a tracer entry off its port's settings, a
// profile held by the wrong client) is a new way for the rules or the audit
// to go wrong, and fails the run.
std::string
differenceKind( const std::string & line ) {
   static const std::regex port( "[0-9]+/[0-9]+/[0-9]+" );
   static const std::regex unit( "^unit [0-9]+ " );
   return std::regex_replace( std::regex_replace( line, port, "PORT" ), unit, "unit U " );
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
