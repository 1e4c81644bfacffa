// The simulated chip as the plug-in and the scenarios meet it: SDK calls on
// one side, presets and inspection by field name on the other. (Presets
// masked to their field and read-modify-writes keeping other fields are
// shown by scenarios/language/language.scn and scenarios/plugin/tracer_apply_withdraw.scn;
// every field reaching its host name by the model runs, which copy each
// PORT_TAB setting through the SDK and compare LPORT_TAB field by field.)
#include "Shim/SimChip.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

namespace {

using Shim::SimChip;

class SimChipTest : public ::testing::Test {
 protected:
   int read( int unit, int mem, int index, SimChip::Entry & entry ) {
      return chip.soc_mem_read( unit, mem, chip.MEM_BLOCK_ANY(), index, entry.data() );
   }
   int write( int unit, int mem, int index, SimChip::Entry & entry ) {
      return chip.soc_mem_write( unit, mem, chip.MEM_BLOCK_ALL(), index, entry.data() );
   }
   SimChip chip;
   const int lport = chip.LPORT_TABm();
   const int port = chip.PORT_TABm();
};

TEST_F( SimChipTest, InvalidUnitsAndIndicesAreRefusedAndTouchNothing ) {
   SimChip::Entry entry;
   entry.fill( 0x5A5A5A5A );
   const SimChip::Entry before = entry;
   const int reg = chip.CPU_PKT_PROFILE_2r();
   for( int unit : { -1, 8 } ) {
      EXPECT_EQ( read( unit, lport, 5, entry ), Shim::SOC_E_UNIT );
      EXPECT_EQ( write( unit, lport, 5, entry ), Shim::SOC_E_UNIT );
      U32 data = 0x1234;
      EXPECT_EQ( chip.soc_reg32_get( unit, reg, chip.REG_PORT_ANY(), 0, &data ), Shim::SOC_E_UNIT );
      EXPECT_EQ( chip.soc_reg32_set( unit, reg, chip.REG_PORT_ANY(), 0, 7 ), Shim::SOC_E_UNIT );
      chip.soc_reg_field_set( unit, reg, &data, chip.CPU_PKT_PROFILE_BITMAPf(), 0 );
      EXPECT_EQ( data, 0x1234u );
   }
   EXPECT_EQ( entry, before );
   EXPECT_EQ( read( 0, lport, SimChip::lportTabSize, entry ), Shim::SOC_E_PARAM );
   EXPECT_THROW( chip.entryField( 9, lport, 5, "portVid" ), std::out_of_range );
}

TEST_F( SimChipTest, InjectedFaultMatchesOnceAndLeavesTheChipAlone ) {
   chip.entryFieldIs( 1, lport, 5, "portVid", 10 );
   chip.failNext( SimChip::Op::memWrite, lport, 1, 5, Shim::SOC_E_FAIL );
   SimChip::Entry entry{};
   chip.soc_mem_field32_set( 1, lport, entry.data(), chip.PORT_VIDf(), 20 );
   // Another unit, index, memory or operation does not match.
   EXPECT_EQ( write( 0, lport, 5, entry ), Shim::SOC_E_NONE );
   EXPECT_EQ( write( 1, lport, 4, entry ), Shim::SOC_E_NONE );
   EXPECT_EQ( write( 1, port, 5, entry ), Shim::SOC_E_NONE );
   EXPECT_EQ( read( 1, lport, 6, entry ), Shim::SOC_E_NONE );
   EXPECT_EQ( write( 1, lport, 5, entry ), Shim::SOC_E_FAIL );
   EXPECT_EQ( chip.entryField( 1, lport, 5, "portVid" ), 10u );
   EXPECT_EQ( write( 1, lport, 5, entry ), Shim::SOC_E_NONE );
   EXPECT_EQ( chip.callCount( SimChip::Op::memWrite ), 5u ) << "failed calls count too";
   // Without unit and index any access matches; a failed read leaves the
   // caller's buffer as it was.
   chip.failNext( SimChip::Op::memRead, port, std::nullopt, std::nullopt, Shim::SOC_E_TIMEOUT );
   entry.fill( 7 );
   EXPECT_EQ( read( 6, port, 900, entry ), Shim::SOC_E_TIMEOUT );
   EXPECT_EQ( entry[ 0 ], 7u );
   EXPECT_THROW( chip.failNext( SimChip::Op::memRead, port, 0, 0, 0 ), std::invalid_argument );
}

} // namespace
