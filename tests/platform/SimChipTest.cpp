// The simulated chip as the plug-in and the scenarios meet it: SDK calls on
// one side, presets and inspection by field name on the other.
#include "Shim/SimChip.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

namespace {

using Shim::SimChip;

class SimChipTest : public ::testing::Test {
 protected:
   SimChip chip;
   const int lport = chip.LPORT_TABm();
   const int port = chip.PORT_TABm();
   const int reg = chip.CPU_PKT_PROFILE_2r();

   // Host-side field names and the SDK identifiers of the same fields.
   std::vector< std::pair< std::string, Shim::soc_field_t > > sdkFields( int mem ) const {
      std::vector< std::pair< std::string, Shim::soc_field_t > > fields = {
         { "vfpEnable", chip.VFP_ENABLEf() },
         { "v4L3Enable", chip.V4L3_ENABLEf() },
         { "v6L3Enable", chip.V6L3_ENABLEf() },
         { "v6IpmcEnable", chip.V6IPMC_ENABLEf() },
         { "v4IpmcEnable", chip.V4IPMC_ENABLEf() },
         { "usePortTableGroupId", chip.USE_PORT_TABLE_GROUP_IDf() },
         { "trustIncomingVid", chip.TRUST_INCOMING_VIDf() },
         { "trustDscpV4", chip.TRUST_DSCP_V4f() },
         { "trustDscpV6", chip.TRUST_DSCP_V6f() },
         { "parity", chip.PORT_PARITY_ENf() },
         { "mplsEnable", chip.MPLS_ENABLEf() },
         { "ipmcDoVlan", chip.IPMC_DO_VLANf() },
         { "filterEnable", chip.FILTER_ENABLEf() },
         { "enIfilter", chip.EN_IFILTERf() },
         { "disableStaticMoveDrop", chip.DISABLE_STATIC_MOVE_DROPf() },
         { "portVid", chip.PORT_VIDf() },
         { "outerTpidEnable", chip.OUTER_TPID_ENABLEf() },
      };
      if( mem == lport ) {
         fields.emplace_back( "cfmOnly", chip.CFM_ONLY_ENABLEf() );
      }
      return fields;
   }

   SimChip::Entry read( int unit, int mem, int index ) {
      SimChip::Entry entry{};
      EXPECT_EQ( chip.soc_mem_read( unit, mem, chip.MEM_BLOCK_ANY(), index, entry.data() ),
                 Shim::SOC_E_NONE );
      return entry;
   }
};

TEST_F( SimChipTest, FieldsAreMaskedToTheirWidthWithoutTouchingNeighbours ) {
   SimChip::Entry entry{};
   chip.soc_mem_field32_set( 0, lport, entry.data(), chip.PORT_VIDf(), 0x1FFF );
   EXPECT_EQ( chip.soc_mem_field32_get( 0, lport, entry.data(), chip.PORT_VIDf() ), 0xFFFu );
   chip.soc_mem_field32_set( 0, lport, entry.data(), chip.VFP_ENABLEf(), 3 );
   EXPECT_EQ( chip.soc_mem_field32_get( 0, lport, entry.data(), chip.VFP_ENABLEf() ), 3u );
   chip.soc_mem_field32_set( 0, lport, entry.data(), chip.VFP_ENABLEf(), 4 );
   EXPECT_EQ( chip.soc_mem_field32_get( 0, lport, entry.data(), chip.VFP_ENABLEf() ), 0u );
   chip.soc_mem_field32_set( 0, lport, entry.data(), chip.OUTER_TPID_ENABLEf(), 0x1F );
   EXPECT_EQ( chip.soc_mem_field32_get( 0, lport, entry.data(), chip.OUTER_TPID_ENABLEf() ), 0xFu );

   // An all-ones value in every field in turn leaves every other field zero.
   for( int mem : { lport, port } ) {
      for( const auto & [ name, id ] : sdkFields( mem ) ) {
         SimChip::Entry one{};
         chip.soc_mem_field32_set( 0, mem, one.data(), id, 0xFFFFFFFF );
         for( const auto & [ other, otherId ] : sdkFields( mem ) ) {
            const U32 expected = other == name ? ( 1u << chip.fieldWidth( mem, name ) ) - 1 : 0;
            EXPECT_EQ( chip.soc_mem_field32_get( 0, mem, one.data(), otherId ), expected )
               << chip.memoryName( mem ) << " " << name << " set, " << other << " read";
         }
      }
   }
   EXPECT_EQ( chip.fieldWidth( lport, "spare" ), 16u );
   EXPECT_EQ( chip.fieldWidth( lport, "cfmOnly" ), 1u );
   EXPECT_EQ( chip.fieldWidth( port, "cfmOnly" ), 0u );
}

TEST_F( SimChipTest, HostNamesAndSdkFieldsNameTheSameBits ) {
   for( int mem : { lport, port } ) {
      U32 value = 1;
      for( const auto & [ name, id ] : sdkFields( mem ) ) {
         chip.entryFieldIs( 3, mem, 7, name, value++ );
      }
      const SimChip::Entry entry = read( 3, mem, 7 );
      value = 1;
      for( const auto & [ name, id ] : sdkFields( mem ) ) {
         const U32 expected = value++ & ( ( 1u << chip.fieldWidth( mem, name ) ) - 1 );
         EXPECT_EQ( chip.soc_mem_field32_get( 3, mem, entry.data(), id ), expected ) << name;
      }
   }
   // A field the memory lacks reads 0 and is not written.
   SimChip::Entry entry{};
   chip.soc_mem_field32_set( 0, port, entry.data(), chip.CFM_ONLY_ENABLEf(), 1 );
   EXPECT_EQ( entry, SimChip::Entry{} );
   entry.fill( 0xFFFFFFFF );
   EXPECT_EQ( chip.soc_mem_field32_get( 0, port, entry.data(), chip.CFM_ONLY_ENABLEf() ), 0u );
   EXPECT_EQ( chip.soc_mem_field32_get( 0, lport, entry.data(), chip.CPU_PKT_PROFILE_BITMAPf() ),
              0u );
}

TEST_F( SimChipTest, ReadModifyWriteKeepsFieldsItDoesNotSet ) {
   chip.entryFieldIs( 2, lport, 5, "spare", 0xABCD );
   chip.entryFieldIs( 2, lport, 5, "trustDscpV6", 1 );
   SimChip::Entry entry = read( 2, lport, 5 );
   chip.soc_mem_field32_set( 2, lport, entry.data(), chip.PORT_VIDf(), 100 );
   ASSERT_EQ( chip.soc_mem_write( 2, lport, chip.MEM_BLOCK_ALL(), 5, entry.data() ),
              Shim::SOC_E_NONE );
   EXPECT_EQ( chip.entryField( 2, lport, 5, "spare" ), 0xABCDu );
   EXPECT_EQ( chip.entryField( 2, lport, 5, "trustDscpV6" ), 1u );
   EXPECT_EQ( chip.entryField( 2, lport, 5, "portVid" ), 100u );
   EXPECT_EQ( chip.nonZeroEntries( 2, lport ), std::vector< int >{ 5 } );
}

TEST_F( SimChipTest, InvalidUnitFailsAndTouchesNothing ) {
   SimChip::Entry entry;
   entry.fill( 0x5A5A5A5A );
   const SimChip::Entry before = entry;
   for( int unit : { -1, 8, 9 } ) {
      EXPECT_EQ( chip.soc_mem_read( unit, lport, chip.MEM_BLOCK_ANY(), 5, entry.data() ),
                 Shim::SOC_E_UNIT );
      EXPECT_EQ( chip.soc_mem_write( unit, lport, chip.MEM_BLOCK_ALL(), 5, entry.data() ),
                 Shim::SOC_E_UNIT );
      U32 data = 0x1234;
      EXPECT_EQ( chip.soc_reg32_get( unit, reg, chip.REG_PORT_ANY(), 0, &data ), Shim::SOC_E_UNIT );
      EXPECT_EQ( data, 0x1234u );
      EXPECT_EQ( chip.soc_reg32_set( unit, reg, chip.REG_PORT_ANY(), 0, 7 ), Shim::SOC_E_UNIT );
      chip.soc_reg_field_set( unit, reg, &data, chip.CPU_PKT_PROFILE_BITMAPf(), 0 );
      EXPECT_EQ( data, 0x1234u );
   }
   EXPECT_EQ( entry, before );
   for( int unit = 0; unit < SimChip::unitCount; ++unit ) {
      EXPECT_TRUE( chip.nonZeroEntries( unit, lport ).empty() );
      EXPECT_EQ( chip.cpuPktProfile2( unit ), 0u );
   }
   try {
      chip.entryField( 9, lport, 5, "portVid" );
      FAIL() << "unit 9 accepted";
   } catch( const std::out_of_range & e ) {
      EXPECT_STREQ( e.what(), "unit 9 is not a chip unit (0 to 7)" );
   }
}

TEST_F( SimChipTest, BadIndexMemoryOrFieldIsRejected ) {
   SimChip::Entry entry{};
   EXPECT_EQ( chip.soc_mem_read( 0, lport, chip.MEM_BLOCK_ANY(), SimChip::lportTabSize,
                                 entry.data() ),
              Shim::SOC_E_PARAM );
   EXPECT_EQ( chip.soc_mem_write( 0, lport, chip.MEM_BLOCK_ALL(), -1, entry.data() ),
              Shim::SOC_E_PARAM );
   EXPECT_EQ( chip.soc_mem_read( 0, port, chip.MEM_BLOCK_ANY(), SimChip::portTabSize - 1,
                                 entry.data() ),
              Shim::SOC_E_NONE );
   EXPECT_EQ( chip.soc_mem_read( 0, 12345, chip.MEM_BLOCK_ANY(), 0, entry.data() ),
              Shim::SOC_E_PARAM );
   EXPECT_EQ( chip.soc_reg32_set( 0, 12345, chip.REG_PORT_ANY(), 0, 1 ), Shim::SOC_E_PARAM );

   EXPECT_THROW( chip.entryIsZero( 0, lport, SimChip::lportTabSize ), std::out_of_range );
   try {
      chip.entryFieldIs( 0, lport, 5, "foo", 1 );
      FAIL() << "field foo accepted";
   } catch( const std::out_of_range & e ) {
      EXPECT_STREQ( e.what(), "LPORT_TABm has no field 'foo'" );
   }
   EXPECT_THROW( chip.entryFieldIs( 0, port, 5, "spare", 1 ), std::out_of_range );
   EXPECT_EQ( chip.memoryNamed( "PORT_TABm" ), port );
   EXPECT_EQ( chip.memoryNamed( "PORT_TAB" ), std::nullopt );
}

TEST_F( SimChipTest, InjectedFaultMatchesOnceAndLeavesTheChipAlone ) {
   chip.entryFieldIs( 1, lport, 5, "portVid", 10 );
   chip.failNext( SimChip::Op::memWrite, lport, 1, 5, Shim::SOC_E_FAIL );
   SimChip::Entry entry{};
   chip.soc_mem_field32_set( 1, lport, entry.data(), chip.PORT_VIDf(), 20 );
   const int block = chip.MEM_BLOCK_ALL();
   // Another unit, index, memory or operation does not match.
   EXPECT_EQ( chip.soc_mem_write( 0, lport, block, 5, entry.data() ), Shim::SOC_E_NONE );
   EXPECT_EQ( chip.soc_mem_write( 1, lport, block, 4, entry.data() ), Shim::SOC_E_NONE );
   EXPECT_EQ( chip.soc_mem_write( 1, port, block, 5, entry.data() ), Shim::SOC_E_NONE );
   EXPECT_EQ( chip.soc_mem_read( 1, lport, block, 5, entry.data() ), Shim::SOC_E_NONE );
   chip.soc_mem_field32_set( 1, lport, entry.data(), chip.PORT_VIDf(), 20 );

   EXPECT_EQ( chip.soc_mem_write( 1, lport, block, 5, entry.data() ), Shim::SOC_E_FAIL );
   EXPECT_EQ( chip.entryField( 1, lport, 5, "portVid" ), 10u );
   EXPECT_EQ( chip.soc_mem_write( 1, lport, block, 5, entry.data() ), Shim::SOC_E_NONE );
   EXPECT_EQ( chip.entryField( 1, lport, 5, "portVid" ), 20u );

   // Without unit and index any access to the memory matches; a read that
   // fails leaves the caller's buffer as it was.
   chip.failNext( SimChip::Op::memRead, port, std::nullopt, std::nullopt, Shim::SOC_E_TIMEOUT );
   entry.fill( 7 );
   EXPECT_EQ( chip.soc_mem_read( 6, port, chip.MEM_BLOCK_ANY(), 900, entry.data() ),
              Shim::SOC_E_TIMEOUT );
   EXPECT_EQ( entry[ 0 ], 7u );

   EXPECT_THROW( chip.failNext( SimChip::Op::memRead, port, 8, 0, -1 ), std::out_of_range );
   EXPECT_THROW( chip.failNext( SimChip::Op::memRead, port, 0, 0, 0 ), std::invalid_argument );
   EXPECT_THROW( chip.failNext( SimChip::Op::reg32Get, port, 0, 0, -1 ), std::invalid_argument );
   chip.failNext( SimChip::Op::memRead, port, 0, 0, Shim::SOC_E_FAIL );
   chip.reset();
   EXPECT_EQ( chip.soc_mem_read( 0, port, chip.MEM_BLOCK_ANY(), 0, entry.data() ),
              Shim::SOC_E_NONE );
}

TEST_F( SimChipTest, EveryCallIsCountedFailedOrNot ) {
   SimChip::Entry entry{};
   U32 data = 0;
   chip.soc_mem_read( 0, lport, chip.MEM_BLOCK_ANY(), 0, entry.data() );
   chip.soc_mem_read( 8, lport, chip.MEM_BLOCK_ANY(), 0, entry.data() );
   chip.failNext( SimChip::Op::memWrite, lport, 0, 0, Shim::SOC_E_FAIL );
   chip.soc_mem_write( 0, lport, chip.MEM_BLOCK_ALL(), 0, entry.data() );
   chip.soc_reg32_get( 0, reg, chip.REG_PORT_ANY(), 0, &data );
   chip.soc_reg32_set( 0, reg, chip.REG_PORT_ANY(), 1, data );
   chip.soc_reg32_set( 0, reg, chip.REG_PORT_ANY(), 0, data );
   EXPECT_EQ( chip.callCount( SimChip::Op::memRead ), 2u );
   EXPECT_EQ( chip.callCount( SimChip::Op::memWrite ), 1u );
   EXPECT_EQ( chip.callCount( SimChip::Op::reg32Get ), 1u );
   EXPECT_EQ( chip.callCount( SimChip::Op::reg32Set ), 2u );
   EXPECT_EQ( chip.callCountAll(), 6u );
   chip.callCountsClear();
   EXPECT_EQ( chip.callCountAll(), 0u );
}

TEST_F( SimChipTest, RegisterFieldSetChangesOnlyBitsZeroToSeven ) {
   chip.cpuPktProfile2Is( 4, 0x103 );
   const int any = chip.REG_PORT_ANY();
   const Shim::soc_field_t bitmap = chip.CPU_PKT_PROFILE_BITMAPf();

   U32 value = 0;
   ASSERT_EQ( chip.soc_reg32_get( 4, reg, any, 0, &value ), Shim::SOC_E_NONE );
   chip.soc_reg_field_set( 4, reg, &value, bitmap, value | 4 );
   chip.soc_reg32_set( 4, reg, any, 0, value );
   EXPECT_EQ( chip.cpuPktProfile2( 4 ), 0x107u );

   chip.soc_reg32_get( 4, reg, any, 0, &value );
   chip.soc_reg_field_set( 4, reg, &value, bitmap, value & 0xFB );
   chip.soc_reg32_set( 4, reg, any, 0, value );
   EXPECT_EQ( chip.cpuPktProfile2( 4 ), 0x103u );

   value = 0xFFFF0000;
   chip.soc_reg_field_set( 4, reg, &value, bitmap, 0x1A5 );
   EXPECT_EQ( value, 0xFFFF00A5u );
   chip.soc_reg_field_set( 4, reg, &value, chip.PORT_VIDf(), 0 );
   EXPECT_EQ( value, 0xFFFF00A5u );
   EXPECT_EQ( chip.cpuPktProfile2( 3 ), 0u );
}

TEST_F( SimChipTest, NonZeroEntriesListsExactlyTheEntriesSet ) {
   chip.entryFieldIs( 0, port, 900, "vfpEnable", 1 );
   chip.entryFieldIs( 0, port, 3, "portVid", 0x1000 ); // masked to 0: stays zero
   chip.entryFieldIs( 0, port, 17, "outerTpidEnable", 2 );
   chip.entryFieldIs( 1, port, 4, "parity", 1 );
   chip.entryFieldIs( 0, lport, 5, "cfmOnly", 1 );
   EXPECT_EQ( chip.nonZeroEntries( 0, port ), ( std::vector< int >{ 17, 900 } ) );
   EXPECT_TRUE( chip.entryIsZero( 0, port, 3 ) );

   chip.entryFieldIs( 0, port, 17, "outerTpidEnable", 0 );
   SimChip::Entry zero{};
   chip.soc_mem_write( 0, port, chip.MEM_BLOCK_ALL(), 900, zero.data() );
   EXPECT_TRUE( chip.nonZeroEntries( 0, port ).empty() );
   EXPECT_EQ( chip.nonZeroEntries( 1, port ), std::vector< int >{ 4 } );

   // Bits outside every field are not kept by a write.
   SimChip::Entry junk{};
   junk[ 3 ] = 0xFFFFFFFF;
   chip.soc_mem_write( 0, lport, chip.MEM_BLOCK_ALL(), 6, junk.data() );
   EXPECT_TRUE( chip.entryIsZero( 0, lport, 6 ) );

   chip.reset();
   EXPECT_TRUE( chip.nonZeroEntries( 1, port ).empty() );
   EXPECT_TRUE( chip.nonZeroEntries( 0, lport ).empty() );
}

TEST_F( SimChipTest, ErrorTextsAndTheSharedChip ) {
   EXPECT_STREQ( chip.soc_errmsg( Shim::SOC_E_UNIT ), "Invalid unit" );
   EXPECT_STREQ( chip.soc_errmsg( Shim::SOC_E_PARAM ), "Invalid parameter" );
   EXPECT_STREQ( chip.soc_errmsg( Shim::SOC_E_FAIL ), "Operation failed" );
   EXPECT_STREQ( chip.soc_errmsg( Shim::SOC_E_PORT ), "Invalid port" );
   EXPECT_STREQ( chip.soc_errmsg( -99 ), "Unknown error" );
   EXPECT_STREQ( chip.soc_errmsg( 0 ), "Ok" );
   EXPECT_EQ( Shim::sdk_, &Shim::simChip() );
}

} // namespace
