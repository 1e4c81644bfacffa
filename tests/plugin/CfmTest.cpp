// CFM programming of a slice at its edges: the shared profile's claim count,
// the not-initialised paths and the feature toggles. (Plain interfaces,
// port-channels, LAG membership, the null port and CFM beside the tracer are
// shown end to end by scenarios/cfm_*.scn.)
#include "CfmToggles.h"
#include "PluginFixture.h"

#include <cstdio>
#include <cstdlib>

namespace PluginTest {
namespace {

class CfmTest : public PluginFixture {
 protected:
   void TearDown() override {
      slice = nullptr;
      PluginFixture::TearDown();
   }
   // Unit 0 known with module information 0x21, one slice.
   void sliceIs() {
      unitInfoIs( 0, 0x21 );
      slice = makeSlice( 1 );
      chip().callCountsClear();
   }
   bool profileWritten() { return chip().entryField( 0, chip().LPORT_TABm(), 1, "cfmOnly" ) == 1; }
   void configIs( const std::string & intf, U16 vlan ) {
      const CfmSw::IntfVlanTuple key( Lumo::IntfId( intf ), vlan );
      cfm_->forwardingConfig.set( key, Pallet::make< CfmSw::CfmForwardingConfig >( key ) );
   }
   bool claimed( U32 port ) { return slice->isAllocatedSrcTrunkCfmIdx( port ); }
   Vela::Ptr< Slice > slice;
};

TEST_F( CfmTest, ANotInitialisedSliceDoesNothingUntilItsNextInitialisation ) {
   interfaceIs( "Ethernet3", port( 1, 0, 3 ) );
   sliceIs();
   slice->initializedIs( false );
   slice->lPortRsvdProfileIdxIs( 9 );
   tracesClear();
   EXPECT_EQ( slice->programLPortTableCfm( true, port( 1, 0, 3 ) ), 9u );
   EXPECT_EQ( traceCount( "programLPortTableCfm not initialized" ), 1u );
   slice->programSourceTrunkMapCfm( true, 1, port( 1, 0, 3 ) );
   configIs( "Ethernet3", 10 );
   EXPECT_EQ( traces_.size(), 1u );
   EXPECT_EQ( chip().callCountAll(), 0u );
   EXPECT_TRUE( requestDir_->requests().empty() );
   EXPECT_FALSE( claimed( 3 ) );
   slice->handleInitialized();
   EXPECT_TRUE( claimed( 3 ) );
   EXPECT_TRUE( profileWritten() );
}

// The toggles are read once per process; an earlier test of the same
// process may have made the first read, so the counts are deltas.
TEST_F( CfmTest, TogglesAreReadOncePerProcess ) {
   EXPECT_TRUE( Strata::cfmProgrammingEnabled() ) << "the fixture switches both on";
   const std::size_t reads = Flagpole::toggleReads( "StrataCfmOnTH3" );
   const std::size_t masqueradeReads = Flagpole::toggleReads( "StrataCfmOnTH3Masquerade" );
   EXPECT_LE( reads + masqueradeReads, 2u );
   Flagpole::toggleStateIs( "StrataCfmOnTH3", false );
   for( int i = 0; i < 10; ++i ) {
      EXPECT_TRUE( Strata::toggleStrataCfmOnTH3Enabled() && Strata::toggleStrataCfmOnTH3MasqueradeEnabled() );
   }
   EXPECT_EQ( Flagpole::toggleReads( "StrataCfmOnTH3" ), reads );
   EXPECT_EQ( Flagpole::toggleReads( "StrataCfmOnTH3Masquerade" ), masqueradeReads );
}

// Switching CFM off needs a process whose first toggle read the test
// controls: the case runs in a freshly started copy of the test program, and
// exits 0 when nothing of CFM ran and the masquerade toggle was never read.
// (The masquerade toggle off alone is shown by scenarios/cfm_masquerade_off.scn.)
using CfmGateDeathTest = CfmTest;

TEST_F( CfmGateDeathTest, FirstToggleOffSwitchesCfmOffWithoutReadingTheMasquerade ) {
   GTEST_FLAG_SET( death_test_style, "threadsafe" );
   EXPECT_EXIT(
      {
         Flagpole::toggleStateIs( "StrataCfmOnTH3", false );
         interfaceIs( "Ethernet3", port( 1, 0, 3 ) );
         configIs( "Ethernet3", 10 );
         sliceIs();
         configIs( "Ethernet3", 20 );
         scsd_->strataPortToLag.set( port( 1, 0, 3 ), Lumo::IntfId( "Port-Channel1" ) );
         const bool quiet = chip().callCountAll() == 0 && slice->allocatedLportCfmIdx() == 0 &&
                            requestDir_->requests().empty() && traceCount( "handleLPortTableWriteForCfm" ) == 0 &&
                            traceCount( "handlePortToLag" ) == 0;
         // Asked of "StrataCfm.json", with true: the library's fallback should
         // the file be unreadable.
         const auto question = Flagpole::lastQuestion( "StrataCfmOnTH3" );
         const bool asked = question && question->file == "StrataCfm.json" && question->fallback;
         std::_Exit( quiet && asked && Flagpole::toggleReads( "StrataCfmOnTH3Masquerade" ) == 0 ? 0 : 1 );
      },
      ::testing::ExitedWithCode( 0 ), "" );
}

} // namespace
} // namespace PluginTest
