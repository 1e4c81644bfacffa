// The packet tracer's requests through one slice: what lands in the simulated
// chip, the source-trunk-map requests posted, the ports claimed and the
// completion published on the status as virtual time passes.
#include "PluginFixture.h"

#include "Quill/Exceptions.h"

namespace {

using Posted = std::vector< std::pair< StrataCentral::PortTabWriteRequestKey, U32 > >;
using Op = Shim::SimChip::Op;

constexpr U16 modInfo0 = 0x55; // unit 0's module information

class PacketTracerTest : public PluginTest::PluginFixture {
 protected:
   void SetUp() override {
      PluginFixture::SetUp();
      unitInfoIs( 0, modInfo0 );
      interfaceIs( "Ethernet7", port( 1, 0, 7 ) );
      // The ingress port's settings; a flag holding 2 must arrive as 1.
      for( const auto & [ field, value ] : std::map< std::string, U32 >{
              { "vfpEnable", 2 }, { "trustDscpV4", 1 }, { "portVid", 0x123 }, { "outerTpidEnable", 3 } } ) {
         chip().entryFieldIs( 0, chip().PORT_TABm(), 7, field, value );
      }
      // The profile entry 5: one field the tracer manages, two it does not.
      for( const auto & [ field, value ] :
           std::map< std::string, U32 >{ { "mplsEnable", 1 }, { "spare", 0xBEEF }, { "cfmOnly", 1 } } ) {
         chip().entryFieldIs( 0, chip().LPORT_TABm(), 5, field, value );
      }
      slice_ = makeSlice();
   }
   void TearDown() override {
      slice_ = nullptr;
      PluginFixture::TearDown();
   }
   // Every field of a LPORT_TAB entry of unit 0 that is not zero.
   std::map< std::string, U32 > entry( int index = 5 ) {
      std::map< std::string, U32 > fields;
      for( const std::string & name : chip().fieldNames( chip().LPORT_TABm() ) ) {
         if( U32 value = chip().entryField( 0, chip().LPORT_TABm(), index, name ) ) {
            fields[ name ] = value;
         }
      }
      return fields;
   }
   static StrataCentral::PortTabWriteRequestKey key( unsigned number, U16 modInfo = modInfo0 ) {
      return { modInfo, StrataCentral::ModId( 1 ), StrataCentral::U10( number ), 2 };
   }
   Posted posted() const {
      Posted requests;
      for( const auto & r : requestDir_->requests() ) {
         requests.emplace_back( r.key, r.value );
      }
      return requests;
   }
   Quill::Seconds wakeUp() const { return slice_->clockNotifiee()->timeMin(); }

   Vela::Ptr< Strata::StrataPacketTracerSliceSm > slice_;
};

TEST_F( PacketTracerTest, ApplyAndWithdrawProgramTheProfileThePortAndTheCpuBit ) {
   chip().cpuPktProfile2Is( 0, 0x103 );
   requestIs( "Ethernet7", true, true );
   const std::map< std::string, U32 > applied{ { "vfpEnable", 1 }, { "trustDscpV4", 1 }, { "portVid", 0x123 },
                                               { "outerTpidEnable", 3 }, { "spare", 0xBEEF }, { "cfmOnly", 1 } };
   EXPECT_EQ( entry(), applied ); // mplsEnable taken over from the port as 0
   EXPECT_EQ( chip().nonZeroEntries( 0, chip().LPORT_TABm() ), std::vector< int >{ 5 } );
   EXPECT_EQ( posted(), ( Posted{ { key( 7 ), 5 } } ) );
   EXPECT_TRUE( slice_->isAllocatedSrcTrunkIdx( 7 ) );
   EXPECT_EQ( chip().cpuPktProfile2( 0 ), 0x107u );

   // CFM holds the port: the withdrawal hands it back to CFM's profile.
   chip().callCountsClear();
   slice_->allocateSrcTrunkCfmIdx( 7 );
   requestIs( "Ethernet7", false, true );
   EXPECT_EQ( entry(), ( std::map< std::string, U32 >{ { "spare", 0xBEEF }, { "cfmOnly", 1 } } ) );
   EXPECT_EQ( chip().callCount( Op::memRead ), 1u ) << "a withdrawal reads no PORT_TAB";
   EXPECT_EQ( chip().cpuPktProfile2( 0 ), 0x103u );
   EXPECT_FALSE( slice_->isAllocatedSrcTrunkIdx( 7 ) );
   EXPECT_EQ( traceCount( "reset SOURCE_TRUNK_MAP entry lport_Profile_Idx to 0" ), 1u );

   // Nobody holds it: back to no profile; the register is left alone.
   slice_->freeSrcTrunkCfmIdx( 7 );
   requestIs( "Ethernet7", false, false );
   EXPECT_EQ( posted(), ( Posted{ { key( 7 ), 5 }, { key( 7 ), 1 }, { key( 7 ), 0 } } ) );
   EXPECT_EQ( chip().callCount( Op::reg32Get ), 1u );
}

TEST_F( PacketTracerTest, ProfileIndexIsTheSlicesNotTheValues ) {
   Strata::LportTableFields fields;
   fields.portVid = 4094;
   fields.lPortProfileIdx = 9;
   slice_->programLPortTable( port( 1, 0, 300 ), fields );
   EXPECT_EQ( entry()[ "portVid" ], 4094u );
   EXPECT_TRUE( entry( 9 ).empty() );
   slice_->lPortProfileIdxIs( 6 );
   requestIs( "Ethernet7", true, false );
   EXPECT_EQ( entry( 6 )[ "portVid" ], 0x123u );
   EXPECT_EQ( posted(), ( Posted{ { key( 7 ), 6 } } ) );
}

TEST_F( PacketTracerTest, ApplyCompletesAfterTheTimeoutAndWithdrawalAtOnce ) {
   status_->versionIs( 40 );
   requestIs( "Ethernet7", true, false, { "trace", 1 } );
   Quill::System::advanceBy( 1.999 );
   EXPECT_EQ( status_->version(), 40u );
   EXPECT_TRUE( slice_->handleClockCalled() );
   request_->requestIdIs( { "trace", 2 } ); // the id current at completion counts
   Quill::System::advanceBy( 0.001 );
   EXPECT_EQ( status_->state(), PacketTracer::State::stateHandled );
   EXPECT_EQ( status_->requestId(), ( PacketTracer::RequestId{ "trace", 2 } ) );
   EXPECT_EQ( status_->version(), 41u );
   EXPECT_FALSE( slice_->handleClockCalled() );

   requestIs( "Ethernet7", false, false, { "trace", 3 } );
   Quill::System::advanceBy( 0 );
   EXPECT_EQ( status_->requestId(), ( PacketTracer::RequestId{ "trace", 3 } ) );
   EXPECT_EQ( status_->version(), 42u );
   EXPECT_EQ( wakeUp(), Quill::never );
}

TEST_F( PacketTracerTest, TwoVersionsBeforeCompletionCompleteOnce ) {
   requestIs( "Ethernet7", true, false );
   Quill::System::advanceBy( 1.0 );
   requestIs( "Ethernet7", true, false, { "req", 2 } ); // re-armed for t = 3
   Quill::System::advanceBy( 1.5 );
   EXPECT_EQ( status_->version(), 0u );
   Quill::System::advanceBy( 10 );
   EXPECT_EQ( status_->version(), 1u );
   EXPECT_EQ( status_->requestId(), ( PacketTracer::RequestId{ "req", 2 } ) );
}

TEST_F( PacketTracerTest, PortsOutOfRangeAreRefusedBeforeAnyPostOrClaim ) {
   slice_->allocateSrcTrunkIdx( 7 );
   auto refusal = [ & ]( bool setup, const StrataTypes::StrataPort & sp ) -> std::string {
      try {
         slice_->programSourceTrunkMap( setup, sp );
      } catch( const Quill::RangeException & error ) {
         return error.what();
      }
      return "accepted";
   };
   const std::string badModId =
      "StrataCentral::ModId::value < StrataCentral::ModId::min or > StrataCentral::ModId::null not allowed";
   // The module id first, even with the port out of range or the unit unknown.
   EXPECT_EQ( refusal( true, port( 65, 0, 0x400 ) ), badModId );
   EXPECT_EQ( refusal( true, port( 65, 3, 8 ) ), badModId );
   EXPECT_EQ( refusal( false, port( 65, 0, 7 ) ), badModId );
   EXPECT_EQ( refusal( true, port( 1, 0, 0x400 ) ), "U10::value < 0 or > 0x03ff not allowed" );
   EXPECT_TRUE( posted().empty() );
   EXPECT_TRUE( slice_->isAllocatedSrcTrunkIdx( 7 ) );
   EXPECT_FALSE( slice_->isAllocatedSrcTrunkIdx( 8 ) );
}

TEST_F( PacketTracerTest, InterfaceWithoutPortIsRefusedWithoutTouchingTheChip ) {
   scsd_->intf.set( Lumo::IntfId( "Ethernet9" ), true );
   chip().callCountsClear();
   requestIs( "Ethernet9", true, true );
   EXPECT_EQ( chip().callCountAll(), 0u );
   EXPECT_TRUE( posted().empty() );
   EXPECT_FALSE( slice_->handleClockCalled() );
   EXPECT_EQ( wakeUp(), Quill::never );
   EXPECT_TRUE( traceContains( "ERROR: intfId: Ethernet9 not present in scsd->strataIntfToPortCache()" ) );
}

TEST_F( PacketTracerTest, UnitWithoutModuleInformationIsNeitherPostedNorClaimed ) {
   interfaceIs( "Ethernet3", port( 1, 2, 3 ) );
   requestIs( "Ethernet3", true, false );
   EXPECT_TRUE( posted().empty() );
   EXPECT_FALSE( slice_->isAllocatedSrcTrunkIdx( 3 ) );
   EXPECT_EQ( traceCount( "programSourceTrunkMap ERROR: unit: 2 not present in scsd->strataModId()" ), 1u );
}

TEST_F( PacketTracerTest, MissingInputsAreRefusedWithoutFailing ) {
   slice_ = makeSlice( nullptr, request_, status_, scsd_, 1, cfm_ );
   requestIs( "Ethernet7", true, false );
   EXPECT_EQ( entry()[ "portVid" ], 0x123u );
   EXPECT_FALSE( slice_->isAllocatedSrcTrunkIdx( 7 ) );
   chip().callCountsClear();
   for( auto slice : { makeSlice( requestDir_, nullptr, status_, scsd_, 1, cfm_ ),
                       makeSlice( requestDir_, request_, status_, nullptr, 1, cfm_ ) } ) {
      slice->handleLPortTableWriteRequest();
      EXPECT_FALSE( slice->handleClockCalled() );
   }
   EXPECT_EQ( chip().callCountAll(), 0u );
}

TEST_F( PacketTracerTest, FailingPortTabReadStopsBeforeAnythingIsWritten ) {
   chip().failNext( Op::memRead, chip().PORT_TABm(), 0, 7, Shim::SOC_E_INTERNAL );
   chip().failureHookIs( [ this ] {
      std::fprintf( stderr, "writes:%zu posts:%zu\n", chip().callCount( Op::memWrite ),
                    requestDir_->requests().size() );
   } );
   EXPECT_DEATH( requestIs( "Ethernet7", true, false ),
                 "/src/StrataPacketTracer/StrataPacketTracerSliceMounter:[0-9]+ "
                 "soc_mem_read\\( sp\\.unit\\(\\), PORT_TABm, MEM_BLOCK_ANY, portId, &entry \\) "
                 "API ERROR:Internal error \\(-1\\)\nwrites:0 posts:0\n" );
}

} // namespace
