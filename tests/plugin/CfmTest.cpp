// CFM programming of a slice at its edges: the not-initialised paths.
// (Plain interfaces, port-channels, LAG membership, the null port, CFM beside
// the tracer and the feature toggles are shown end to end by
// scenarios/cfm_*.scn and the examples.)
#include "PluginFixture.h"

namespace PluginTest {
namespace {

using CfmTest = PluginFixture;

TEST_F( CfmTest, ANotInitialisedSliceDoesNothingUntilItsNextInitialisation ) {
   unitInfoIs( 0, 0x21 );
   interfaceIs( "Ethernet3", port( 1, 0, 3 ) );
   auto slice = makeSlice();
   slice->initializedIs( false );
   slice->lPortRsvdProfileIdxIs( 9 );
   chip().callCountsClear();
   tracesClear();
   EXPECT_EQ( slice->programLPortTableCfm( true, port( 1, 0, 3 ) ), 9u );
   EXPECT_EQ( traceCount( "programLPortTableCfm not initialized" ), 1u );
   slice->programSourceTrunkMapCfm( true, 1, port( 1, 0, 3 ) );
   cfmKeyIs( "Ethernet3", 10 );
   EXPECT_EQ( traces_.size(), 1u );
   EXPECT_EQ( chip().callCountAll(), 0u );
   EXPECT_TRUE( requestDir_->requests().empty() );
   EXPECT_FALSE( slice->isAllocatedSrcTrunkCfmIdx( 3 ) );
   slice->handleInitialized();
   EXPECT_TRUE( slice->isAllocatedSrcTrunkCfmIdx( 3 ) );
   EXPECT_EQ( chip().entryField( 0, chip().LPORT_TABm(), 1, "cfmOnly" ), 1u ) << "the CFM profile is written";
}

} // namespace
} // namespace PluginTest
