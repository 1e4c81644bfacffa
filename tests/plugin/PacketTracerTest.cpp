// The packet tracer's programming steps through one slice, at their edges:
// range errors and the profile index. (Apply, withdrawal, completion,
// refusals and the failing PORT_TAB read are shown end to end by
// scenarios/plugin/tracer_*.scn, missing inputs by scenarios/plugin/mounter_start.scn.)
#include "PluginFixture.h"

namespace PluginTest {
namespace {

class PacketTracerTest : public PluginFixture {
 protected:
   void SetUp() override {
      PluginFixture::SetUp();
      unitInfoIs( 0, 0x55 );
      interfaceIs( "Ethernet7", port( 1, 0, 7 ) );
      chip().entryFieldIs( 0, chip().PORT_TABm(), 7, "portVid", 0x123 );
   }
   U32 lportField( int index, const char * field ) { return chip().entryField( 0, chip().LPORT_TABm(), index, field ); }
};

TEST_F( PacketTracerTest, PortsOutOfRangeAreRefusedModuleFirstBeforeAnyPostOrClaim ) {
   auto slice = makeSlice();
   slice->allocateSrcTrunkIdx( 7 );
   auto post = [ & ]( bool setup, const StrataTypes::StrataPort & sp ) {
      return [ &slice, setup, sp ] { slice->programSourceTrunkMap( setup, sp ); };
   };
   const auto badModId = ::testing::ThrowsMessage< Quill::RangeException >(
      "StrataCentral::ModId::value < StrataCentral::ModId::min or > StrataCentral::ModId::null not allowed" );
   EXPECT_THAT( post( true, port( 65, 0, 0x400 ) ), badModId );
   EXPECT_THAT( post( true, port( 65, 3, 8 ) ), badModId ) << "even on a unit without module information";
   EXPECT_THAT( post( false, port( 65, 0, 7 ) ), badModId );
   EXPECT_THAT( post( true, port( 1, 0, 0x400 ) ),
                ::testing::ThrowsMessage< Quill::RangeException >( "U10::value < 0 or > 0x03ff not allowed" ) );
   EXPECT_TRUE( requestDir_->requests().empty() );
   EXPECT_TRUE( slice->isAllocatedSrcTrunkIdx( 7 ) );
   EXPECT_FALSE( slice->isAllocatedSrcTrunkIdx( 8 ) );
}

TEST_F( PacketTracerTest, TheProfileIndexIsTheSlicesNotTheValues ) {
   auto slice = makeSlice();
   Strata::LportTableFields fields;
   fields.portVid = 4094;
   fields.lPortProfileIdx = 9;
   slice->programLPortTable( port( 1, 0, 300 ), fields );
   EXPECT_EQ( lportField( 5, "portVid" ), 4094u );
   EXPECT_TRUE( chip().entryIsZero( 0, chip().LPORT_TABm(), 9 ) );
   slice->lPortProfileIdxIs( 6 );
   requestIs( "Ethernet7", true );
   EXPECT_EQ( lportField( 6, "portVid" ), 0x123u );
   ASSERT_EQ( requestDir_->requests().size(), 1u );
   EXPECT_EQ( requestDir_->requests()[ 0 ].value, 6u );
}

} // namespace
} // namespace PluginTest
