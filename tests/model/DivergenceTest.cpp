// The known ways in which the plug-in's own rules lead away from what its
// clients mean, each with the shortest sequence found that shows it.
//
// In every one the plug-in does exactly what the reference model does at
// every step; the invariants hold up to the last step and the last step
// breaks one:
// - a port's SOURCE_TRUNK_MAP is the tracer's profile while the tracer holds
//   it, else CFM's while CFM holds it, else 0;
// - the CFM LPORT_TAB entry is the profile while CFM holds a port, else zero.
// The randomized confined runs steer clear of all of these (see Generator.h);
// the unconfined runs and these tests make sure the plug-in still follows
// the rules there.
#include "Runner.h"

#include <gtest/gtest.h>

namespace ModelTest {
namespace {

Port
port( U16 modId, U16 number ) {
   return Port{ modId, chipUnit, number, 0 };
}

class ModelDivergence : public ::testing::Test {
 protected:
   // The sequence runs clean up to its last step, and its last step breaks
   // an invariant with a complaint containing `breakText`, the plug-in still
   // agreeing with the model.
   void expectBrokenByLastStep( const Sequence & sequence, const std::string & breakText ) {
      const RunChecks checks{ .intent = true };
      const Sequence before( sequence.begin(), sequence.end() - 1 );
      const RunResult clean = runSequence( universe_, before, checks );
      EXPECT_FALSE( clean.failure ) << "the sequence breaks before its last step, at step "
                                    << clean.failure->step + 1 << ": " << clean.failure->details.front();

      const RunResult broken = runSequence( universe_, sequence, checks );
      ASSERT_TRUE( broken.failure ) << "the last step kept every invariant";
      EXPECT_EQ( broken.failure->kind, FailureKind::invariant )
         << failureKindName( broken.failure->kind ) << ": " << broken.failure->details.front();
      EXPECT_EQ( broken.failure->step, sequence.size() - 1 );
      bool named = false;
      std::string all;
      for( const std::string & line : broken.failure->details ) {
         named = named || line.find( breakText ) != std::string::npos;
         all += "\n   " + line;
      }
      EXPECT_TRUE( named ) << "expected a break naming \"" << breakText << "\", got:" << all;
   }

   const Universe universe_;
};

// A module that appears while the packet tracer holds a port: the new
// slice starts with no claims, and its walk over the CFM keys points the
// tracer's port at the CFM profile. An agent restart does the same to every
// port the tracer holds.
TEST_F( ModelDivergence, ModuleAppearingWhileTheTracerHoldsAPortHandsItToCfm ) {
   const Sequence prefix{ Step::moduleAdd( 1 ), Step::intfAdd( "Ethernet1" ), Step::cfmAdd( "Ethernet1", 10 ),
                          Step::apply( "Ethernet1", 1 ), Step::advance( 2 ) };
   Sequence appears = prefix;
   appears.push_back( Step::moduleAdd( 2 ) );
   expectBrokenByLastStep( appears, "port 1/0/3 has SOURCE_TRUNK_MAP 1 but the packet tracer holds it" );

   Sequence restarts = prefix;
   restarts.push_back( Step::restart() );
   expectBrokenByLastStep( restarts, "port 1/0/3 has SOURCE_TRUNK_MAP 1 but the packet tracer holds it" );
}

// A new slice's start walks the CFM keys but not the LAG memberships, so it
// holds no claim on a LAG member: after an agent restart the tracer's
// withdrawal hands such a port to profile 0. With a module that appears, the
// two slices' claims differ and they post different values for the same
// port; the slice made last wins.
TEST_F( ModelDivergence, NewSlicesKnowNothingOfLagMembers ) {
   expectBrokenByLastStep( { Step::moduleAdd( 1 ), Step::intfAdd( "Ethernet1" ),
                             Step::lag( "Port-Channel1", { port( 1, 3 ) } ), Step::restart(),
                             Step::withdraw( "Ethernet1", 1 ) },
                           "port 1/0/3 has SOURCE_TRUNK_MAP 0 but CFM holds it" );
   expectBrokenByLastStep( { Step::moduleAdd( 1 ), Step::intfAdd( "Ethernet1" ),
                             Step::lag( "Port-Channel1", { port( 1, 3 ) } ), Step::moduleAdd( 2 ),
                             Step::withdraw( "Ethernet1", 1 ) },
                           "port 1/0/3 has SOURCE_TRUNK_MAP 0 but CFM holds it" );
}

// Each slice counts its own CFM claims, but the CFM profile entry is one per
// chip unit: the younger slice's last take-down clears the entry that the
// older slice's ports still point at.
TEST_F( ModelDivergence, PerSliceCountsClearTheSharedCfmProfile ) {
   expectBrokenByLastStep( { Step::moduleAdd( 1 ), Step::intfAdd( "Ethernet1" ),
                             Step::lag( "Port-Channel1", { port( 1, 3 ) } ), Step::moduleAdd( 2 ),
                             Step::intfAdd( "Ethernet3" ), Step::cfmAdd( "Ethernet3", 10 ),
                             Step::cfmRemove( "Ethernet3", 10 ) },
                           "CFM LPORT_TAB entry is zero while CFM holds 1 port(s)" );
}

// While no module is listed there is no slice, and changes go unseen; the
// next slice sets up the keys present but never takes down what went.
TEST_F( ModelDivergence, ChangesWhileNoSliceExistsAreLost ) {
   expectBrokenByLastStep( { Step::moduleAdd( 1 ), Step::intfAdd( "Ethernet1" ), Step::cfmAdd( "Ethernet1", 10 ),
                             Step::moduleRemove( 1 ), Step::cfmRemove( "Ethernet1", 10 ), Step::moduleAdd( 1 ) },
                           "port 1/0/3 has SOURCE_TRUNK_MAP 1 but nothing holds it" );
}

// A new slice treats the last request as unanswered whenever the request's
// version differs from the status's; with two slices every request is
// answered twice, so the versions never meet again and a module that
// appears handles the old request once more, here a withdrawal that hands a
// LAG member back to profile 0 (the new slice holds no CFM claim yet).
TEST_F( ModelDivergence, AnsweredRequestIsHandledAgainByANewSlice ) {
   expectBrokenByLastStep( { Step::moduleAdd( 1 ), Step::moduleAdd( 2 ), Step::intfAdd( "Ethernet1" ),
                             Step::lag( "Port-Channel1", { port( 1, 3 ) } ), Step::withdraw( "Ethernet1", 1 ),
                             Step::advance( 0 ), Step::moduleAdd( 3 ) },
                           "port 1/0/3 has SOURCE_TRUNK_MAP 0 but CFM holds it" );
}

// CFM's claims are per port, not per reason: one of two keys on the same
// interface, or the LAG membership of a port whose own interface has a key,
// takes the port down while the other reason remains.
TEST_F( ModelDivergence, OneOfSeveralReasonsTakesThePortDown ) {
   expectBrokenByLastStep( { Step::moduleAdd( 1 ), Step::intfAdd( "Ethernet1" ), Step::cfmAdd( "Ethernet1", 10 ),
                             Step::cfmAdd( "Ethernet1", 20 ), Step::cfmRemove( "Ethernet1", 10 ) },
                           "port 1/0/3 has SOURCE_TRUNK_MAP 0 but CFM holds it" );
   expectBrokenByLastStep( { Step::moduleAdd( 1 ), Step::intfAdd( "Ethernet1" ),
                             Step::lag( "Port-Channel1", { port( 1, 3 ) } ), Step::cfmAdd( "Ethernet1", 10 ),
                             Step::lagRemove( "Port-Channel1" ) },
                           "port 1/0/3 has SOURCE_TRUNK_MAP 0 but CFM holds it" );
}

// Claims are kept by port number: the tracer's hold on 1/0/3 makes CFM give
// way on 2/0/3, whose entry nobody holds.
TEST_F( ModelDivergence, PortsSharingANumberShareTheirClaims ) {
   expectBrokenByLastStep( { Step::moduleAdd( 1 ), Step::intfAdd( "Ethernet1" ), Step::intfAdd( "Ethernet2" ),
                             Step::apply( "Ethernet1", 1 ), Step::cfmAdd( "Ethernet2", 10 ) },
                           "port 2/0/3 has SOURCE_TRUNK_MAP 0 but CFM holds it" );
}

// A port numbered at or above the bitmaps' 160 indices is never claimed:
// CFM does not give way to the tracer there, the tracer's withdrawal does not
// hand it back to CFM, and it never counts for the CFM profile, which then
// stays written after its only port is taken down.
TEST_F( ModelDivergence, PortsBeyondTheBitmapsAreNeverClaimed ) {
   expectBrokenByLastStep( { Step::moduleAdd( 1 ), Step::intfAdd( "Ethernet5" ), Step::apply( "Ethernet5", 1 ),
                             Step::cfmAdd( "Ethernet5", 10 ) },
                           "port 1/0/200 has SOURCE_TRUNK_MAP 1 but the packet tracer holds it" );
   expectBrokenByLastStep( { Step::moduleAdd( 1 ), Step::intfAdd( "Ethernet5" ), Step::cfmAdd( "Ethernet5", 10 ),
                             Step::withdraw( "Ethernet5", 1 ) },
                           "port 1/0/200 has SOURCE_TRUNK_MAP 0 but CFM holds it" );
   expectBrokenByLastStep( { Step::moduleAdd( 1 ), Step::intfAdd( "Ethernet5" ), Step::cfmAdd( "Ethernet5", 10 ),
                             Step::cfmRemove( "Ethernet5", 10 ) },
                           "CFM LPORT_TAB entry is cfmOnly=1" );
}

// The take-down that finds one CFM claim clears the CFM profile, whichever
// port that claim is for: taking down a port that holds no claim (here one
// beyond the bitmaps) clears the profile under the port that does.
TEST_F( ModelDivergence, TakingDownAnUnclaimedPortClearsTheProfile ) {
   expectBrokenByLastStep( { Step::moduleAdd( 1 ), Step::intfAdd( "Ethernet1" ), Step::cfmAdd( "Ethernet1", 10 ),
                             Step::intfAdd( "Ethernet5" ), Step::cfmAdd( "Ethernet5", 10 ),
                             Step::cfmRemove( "Ethernet5", 10 ) },
                           "CFM LPORT_TAB entry is zero while CFM holds 1 port(s)" );
}

// Interfaces are not watched: a key whose interface gets its port later, or a
// LAG member whose interface comes after it joined, is never set up; a port
// whose interface goes stays set up.
TEST_F( ModelDivergence, InterfaceChangesAreNotFollowed ) {
   expectBrokenByLastStep( { Step::cfmAdd( "Ethernet1", 10 ), Step::moduleAdd( 1 ), Step::intfAdd( "Ethernet1" ) },
                           "port 1/0/3 has SOURCE_TRUNK_MAP 0 but CFM holds it" );
   expectBrokenByLastStep( { Step::moduleAdd( 1 ), Step::lag( "Port-Channel1", { port( 1, 3 ) } ),
                             Step::intfAdd( "Ethernet1" ) },
                           "port 1/0/3 has SOURCE_TRUNK_MAP 0 but CFM holds it" );
   expectBrokenByLastStep( { Step::moduleAdd( 1 ), Step::intfAdd( "Ethernet1" ), Step::cfmAdd( "Ethernet1", 10 ),
                             Step::intfRemove( "Ethernet1" ) },
                           "port 1/0/3 has SOURCE_TRUNK_MAP 1 but nothing holds it" );
}

// A port-channel's key is expanded to its members when the key changes;
// later membership changes reach only ports with an interface of their own,
// so a member without one is neither set up when it joins nor taken down
// when it leaves.
TEST_F( ModelDivergence, LagMembersWithoutAnInterfaceAreNotFollowed ) {
   expectBrokenByLastStep( { Step::cfmAdd( "Port-Channel1", 10 ), Step::moduleAdd( 1 ),
                             Step::lag( "Port-Channel1", { port( 1, 9 ) } ) },
                           "port 1/0/9 has SOURCE_TRUNK_MAP 0 but CFM holds it" );
   expectBrokenByLastStep( { Step::moduleAdd( 1 ), Step::lag( "Port-Channel1", { port( 1, 9 ) } ),
                             Step::cfmAdd( "Port-Channel1", 10 ), Step::lagRemove( "Port-Channel1" ) },
                           "port 1/0/9 has SOURCE_TRUNK_MAP 1 but nothing holds it" );
}

} // namespace
} // namespace ModelTest
