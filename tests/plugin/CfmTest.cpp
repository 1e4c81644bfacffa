// CFM programming of a slice: the shared CFM LPORT profile, CFM's
// source-trunk-map claims and requests, forwarding configurations, LAG
// membership and the feature toggles that switch it all.
#include "CfmToggles.h"
#include "PluginFixture.h"
#include "Quill/Exceptions.h"

#include <cstdio>
#include <cstdlib>

namespace {

using StrataTypes::StrataPort;

class CfmTest : public PluginTest::PluginFixture {
 protected:
   void TearDown() override {
      slice_ = nullptr;
      PluginFixture::TearDown();
   }
   // Unit 0 known with module information 0x21, one slice.
   void sliceIs() {
      unitInfoIs( 0, 0x21 );
      slice_ = makeSlice( 1 );
      chip().callCountsClear();
   }
   std::size_t memWrites() { return chip().callCount( Shim::SimChip::Op::memWrite ); }

   // Only LPORT_TAB entry 1 of unit 0 is set, and to the nine-field profile.
   void expectCfmProfile() {
      const Shim::soc_mem_t mem = chip().LPORT_TABm();
      static const std::set< std::string > ones{ "vfpEnable", "cfmOnly", "usePortTableGroupId",
                                                 "trustIncomingVid", "parity", "outerTpidEnable",
                                                 "filterEnable", "enIfilter", "disableStaticMoveDrop" };
      EXPECT_EQ( chip().nonZeroEntries( 0, mem ), std::vector< int >{ 1 } );
      for( const std::string & field : chip().fieldNames( mem ) ) {
         EXPECT_EQ( chip().entryField( 0, mem, 1, field ), ones.count( field ) ) << field;
      }
   }
   bool profileClear() { return chip().entryIsZero( 0, chip().LPORT_TABm(), 1 ); }

   // The values posted so far for `sp` (key with unit 0's module information).
   std::vector< U32 > posted( const StrataPort & sp ) {
      const StrataCentral::PortTabWriteRequestKey key{ 0x21, StrataCentral::ModId( sp.modId ),
                                                       StrataCentral::U10( sp.port ), 2 };
      std::vector< U32 > values;
      for( const auto & request : requestDir_->requests() ) {
         EXPECT_TRUE( request.key == key ) << "request for another port";
         values.push_back( request.value );
      }
      return values;
   }
   void configIs( const std::string & intf, U16 vlan ) {
      const CfmSw::IntfVlanTuple key( Lumo::IntfId( intf ), vlan );
      cfm_->forwardingConfig.set( key, Pallet::make< CfmSw::CfmForwardingConfig >( key ) );
   }
   void configDel( const std::string & intf, U16 vlan ) {
      cfm_->forwardingConfig.erase( CfmSw::IntfVlanTuple( Lumo::IntfId( intf ), vlan ) );
   }
   bool claimed( U32 port ) { return slice_->isAllocatedSrcTrunkCfmIdx( port ); }

   Vela::Ptr< Strata::StrataPacketTracerSliceSm > slice_;
};

// The profile follows CFM's claim count: written at the first set-up
// (count 0), cleared at the last take-down (count exactly 1), else untouched.
TEST_F( CfmTest, ProfileFollowsTheClaimCount ) {
   sliceIs();
   const StrataPort p3 = port( 1, 0, 3 ), p4 = port( 1, 0, 4 );
   EXPECT_EQ( slice_->programLPortTableCfm( true, p3 ), 1u );
   EXPECT_EQ( memWrites(), 1u );
   expectCfmProfile();
   EXPECT_EQ( traceTexts( "programLPortTableCfm" ).front(),
              "programLPortTableCfm lportIdx: 1 setup: true for port: 1/0/3 allocated: 0" );
   EXPECT_TRUE( traceContains(
      " soc_mem_write( sp.unit(), LPORT_TABm, MEM_BLOCK_ALL, lportIdx, &lPortEntry ) (rc:0)" ) );

   slice_->allocateSrcTrunkCfmIdx( 3 );
   EXPECT_EQ( slice_->programLPortTableCfm( true, p4 ), 1u );      // count 1
   slice_->allocateSrcTrunkCfmIdx( 4 );
   EXPECT_EQ( slice_->programLPortTableCfm( false, p3 ), 1u );     // count 2
   EXPECT_EQ( memWrites(), 1u );
   slice_->freeSrcTrunkCfmIdx( 3 );
   EXPECT_EQ( slice_->programLPortTableCfm( false, p3 ), 1u );     // count 1
   EXPECT_EQ( memWrites(), 2u );
   EXPECT_TRUE( profileClear() );
   slice_->freeSrcTrunkCfmIdx( 4 );
   slice_->programLPortTableCfm( false, p4 );                      // count 0
   EXPECT_EQ( memWrites(), 2u );
}

TEST_F( CfmTest, NotInitialisedSliceDoesNothing ) {
   sliceIs();
   slice_->initializedIs( false );
   slice_->lPortRsvdProfileIdxIs( 9 );
   tracesClear();
   EXPECT_EQ( slice_->programLPortTableCfm( true, port( 1, 0, 3 ) ), 9u );
   EXPECT_EQ( chip().callCountAll(), 0u );
   EXPECT_EQ( traceTexts( "programLPortTableCfm" ),
              std::vector< std::string >{ "programLPortTableCfm not initialized" } );
   tracesClear();
   slice_->programSourceTrunkMapCfm( true, 1, port( 1, 0, 3 ) );
   EXPECT_TRUE( traces().empty() );
   EXPECT_TRUE( requestDir_->requests().empty() );
   EXPECT_FALSE( claimed( 3 ) );
}

TEST_F( CfmTest, SourceTrunkMapClaimsPostsAndGivesWay ) {
   sliceIs();
   const StrataPort p3 = port( 1, 0, 3 );
   slice_->programSourceTrunkMapCfm( true, 1, p3 );
   slice_->programSourceTrunkMapCfm( true, 1, p3 );
   EXPECT_EQ( slice_->allocatedLportCfmIdx(), 1u ) << "one claim per port";
   slice_->programSourceTrunkMapCfm( false, 1, p3 );
   EXPECT_FALSE( claimed( 3 ) );
   EXPECT_EQ( posted( p3 ), ( std::vector< U32 >{ 1, 1, 0 } ) );

   // The packet tracer holds port 5: CFM's claim still follows, nothing posted.
   slice_->allocateSrcTrunkIdx( 5 );
   slice_->programSourceTrunkMapCfm( true, 1, port( 1, 0, 5 ) );
   EXPECT_TRUE( claimed( 5 ) );
   EXPECT_EQ(
      traceCount( "INFO: SOURCE_TRUNK_MAP already programmed for port: 5 by another client so return" ), 1u );
   // Unit 3 is unknown: claimed, traced, nothing posted.
   slice_->programSourceTrunkMapCfm( true, 1, port( 1, 3, 6 ) );
   EXPECT_TRUE( claimed( 6 ) );
   EXPECT_EQ( traceCount( "programSourceTrunkMapCfm ERROR: unit: 3 not present in scsd->strataModId()" ),
              1u );
   EXPECT_EQ( requestDir_->requests().size(), 3u );

   // Range errors: the module id is checked first, after the claim.
   try {
      slice_->programSourceTrunkMapCfm( true, 1, port( 65, 0, 8 ) );
      ADD_FAILURE() << "no range error";
   } catch( const Quill::RangeException & e ) {
      EXPECT_STREQ( e.what(), "StrataCentral::ModId::value < StrataCentral::ModId::min or > "
                              "StrataCentral::ModId::null not allowed" );
   }
   EXPECT_TRUE( claimed( 8 ) );
   EXPECT_THROW( slice_->programSourceTrunkMapCfm( true, 1, port( 1, 0, 0x400 ) ), Quill::RangeException );
}

TEST_F( CfmTest, PlainInterfaceConfigSetsUpAndTakesDownItsPort ) {
   const StrataPort p3 = port( 1, 0, 3 );
   interfaceIs( "Ethernet3", p3 );
   interfaceIs( "Ethernet4", port( 1, 0, 4 ) );
   configIs( "Ethernet3", 10 ); // present before the slice: programmed at creation
   sliceIs();
   expectCfmProfile();
   EXPECT_TRUE( claimed( 3 ) );
   EXPECT_EQ( traceCount( "handleLPortTableWriteForCfm => intfVlan: (Ethernet3, 10) setup: true" ), 1u );

   // Two VLANs on one port make one claim: removing either takes it down.
   configIs( "Ethernet3", 20 );
   configDel( "Ethernet3", 10 );
   EXPECT_FALSE( claimed( 3 ) );
   EXPECT_TRUE( profileClear() );
   EXPECT_EQ( posted( p3 ), ( std::vector< U32 >{ 1, 1, 0 } ) );

   // Ignored while not initialised, picked up by the next initialisation.
   slice_->initializedIs( false );
   configIs( "Ethernet4", 10 );
   EXPECT_FALSE( claimed( 4 ) );
   slice_->handleInitialized();
   EXPECT_TRUE( claimed( 3 ) && claimed( 4 ) );
}

TEST_F( CfmTest, PortChannelConfigSetsUpEveryMemberWithOneProfileWrite ) {
   const StrataPort m1 = port( 1, 0, 11 ), m2 = port( 1, 0, 12 ), m3 = port( 1, 0, 13 );
   interfaceIs( "Ethernet11", m1 );
   scsd_->strataLagToPort.set( Lumo::IntfId( "Port-Channel1" ), { m1, m2, m3 } );
   sliceIs();
   configIs( "Port-Channel1", 10 );
   EXPECT_EQ( memWrites(), 1u );
   expectCfmProfile();
   EXPECT_EQ( slice_->allocatedLportCfmIdx(), 3u );
   EXPECT_EQ( requestDir_->requests().size(), 3u );
   EXPECT_EQ( traceCount( "handleLPortTableWriteForCfm member intfId: Ethernet11" ), 1u );
   EXPECT_EQ( traceCount( "handleLPortTableWriteForCfm member intfId: " ), 2u );

   configDel( "Port-Channel1", 10 );
   EXPECT_EQ( slice_->allocatedLportCfmIdx(), 0u );
   EXPECT_TRUE( profileClear() );

   configIs( "Port-Channel7", 10 );
   EXPECT_EQ( traceCount( "handleLPortTableWriteForCfm ERROR: lagIntf: Port-Channel7 not in scsd()" ), 1u );
   EXPECT_EQ( memWrites(), 2u );
}

// An interface without a chip port maps to the null port (unit 0xFFFF):
// the profile write there would fail and stop the agent, so it is skipped;
// the port number is outside the bitmap, so nothing is claimed either.
TEST_F( CfmTest, NullPortDoesNotStopTheAgent ) {
   interfaceIs( "Ethernet3", port( 1, 0, 3 ) );
   sliceIs();
   configIs( "Ethernet99", 10 );
   EXPECT_EQ( chip().callCountAll(), 0u );
   EXPECT_TRUE( traceContains( "programLPortTableCfm ERROR: unit: 65535 not present" ) );
   EXPECT_EQ( traceCount( "programSourceTrunkMapCfm ERROR: unit: 65535 not present in scsd->strataModId()" ),
              1u );
   EXPECT_TRUE( requestDir_->requests().empty() );

   configIs( "Ethernet3", 10 );
   expectCfmProfile();
}

TEST_F( CfmTest, LagMembershipSetsUpMovesAndTakesDown ) {
   const StrataPort p5 = port( 1, 0, 5 );
   interfaceIs( "Ethernet5", p5 );
   sliceIs();
   scsd_->strataPortToLag.set( p5, Lumo::IntfId( "Port-Channel2" ) );
   expectCfmProfile();
   EXPECT_EQ( traceTexts( "handlePortToLag" ),
              ( std::vector< std::string >{ "handlePortToLag intf: Ethernet5 added: true",
                                            "handlePortToLag port-channel sp: 1/0/5 lportIndex: 1" } ) );
   scsd_->strataPortToLag.set( p5, Lumo::IntfId( "Port-Channel3" ) ); // moved: posted again
   configIs( "Ethernet5", 10 );
   scsd_->strataPortToLag.erase( p5 ); // down despite its own interface's config
   EXPECT_FALSE( claimed( 5 ) );
   EXPECT_TRUE( profileClear() );
   EXPECT_EQ( posted( p5 ), ( std::vector< U32 >{ 1, 1, 1, 0 } ) );

   // A port without an interface id is ignored; so is a slice being deleted.
   tracesClear();
   scsd_->strataPortToLag.set( port( 1, 0, 9 ), Lumo::IntfId( "Port-Channel2" ) );
   EXPECT_TRUE( tracesOf( "handlePortToLag" ).empty() );
   slice_->quillDoZombieReactors( true );
   scsd_->strataPortToLag.set( p5, Lumo::IntfId( "Port-Channel2" ) );
   configIs( "Ethernet5", 20 );
   EXPECT_EQ( slice_->allocatedLportCfmIdx(), 0u );
}

// The toggles are read once per process; an earlier test of the same
// process may have made the first read, so the counts are deltas.
TEST_F( CfmTest, TogglesAreReadOncePerProcess ) {
   EXPECT_TRUE( Strata::cfmProgrammingEnabled() ) << "the fixture switches both on";
   const std::size_t reads = Flagpole::toggleReads( "StrataCfmOnTH3" );
   const std::size_t masqueradeReads = Flagpole::toggleReads( "StrataCfmOnTH3Masquerade" );
   EXPECT_LE( reads + masqueradeReads, 2u );
   Flagpole::toggleStateIs( "StrataCfmOnTH3", false );
   for( int i = 0; i < 100; ++i ) {
      EXPECT_TRUE( Strata::toggleStrataCfmOnTH3Enabled() && Strata::toggleStrataCfmOnTH3MasqueradeEnabled() );
   }
   EXPECT_EQ( Flagpole::toggleReads( "StrataCfmOnTH3" ), reads );
   EXPECT_EQ( Flagpole::toggleReads( "StrataCfmOnTH3Masquerade" ), masqueradeReads );
}

// Switching CFM off needs a process whose first toggle read the test
// controls: each case runs in a freshly started copy of the test program,
// and exits 0 when nothing of CFM ran.
class CfmGateDeathTest : public CfmTest {
 protected:
   void SetUp() override {
      GTEST_FLAG_SET( death_test_style, "threadsafe" );
      CfmTest::SetUp();
   }
   [[noreturn]] void runAndExit( const char * toggleOff ) {
      Flagpole::toggleStateIs( toggleOff, false );
      interfaceIs( "Ethernet3", port( 1, 0, 3 ) );
      configIs( "Ethernet3", 10 );
      sliceIs();
      configIs( "Ethernet3", 20 );
      scsd_->strataPortToLag.set( port( 1, 0, 3 ), Lumo::IntfId( "Port-Channel1" ) );
      const bool quiet = chip().callCountAll() == 0 && slice_->allocatedLportCfmIdx() == 0 &&
                         requestDir_->requests().empty() &&
                         tracesOf( "handleLPortTableWriteForCfm" ).empty() &&
                         tracesOf( "handlePortToLag" ).empty();
      const bool masqueradeUnread = Flagpole::toggleReads( "StrataCfmOnTH3Masquerade" ) == 0;
      std::fprintf( stderr, "quiet: %d masquerade unread: %d\n", quiet, masqueradeUnread );
      std::_Exit( quiet && ( masqueradeUnread || toggleOff != std::string( "StrataCfmOnTH3" ) ) ? 0 : 1 );
   }
};

TEST_F( CfmGateDeathTest, FirstToggleOffSwitchesCfmOffWithoutReadingTheMasquerade ) {
   EXPECT_EXIT( runAndExit( "StrataCfmOnTH3" ), ::testing::ExitedWithCode( 0 ), "" );
}

TEST_F( CfmGateDeathTest, MasqueradeToggleOffSwitchesCfmOff ) {
   EXPECT_EXIT( runAndExit( "StrataCfmOnTH3Masquerade" ), ::testing::ExitedWithCode( 0 ), "" );
}

} // namespace
