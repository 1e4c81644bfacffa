// The audit's one rule no scenario reaches: the simulated agent carries every
// source-trunk-map request out as it is posted, while a real agent's table
// manager may lag behind, and an entry with a request on its way is pending.
#include "Audit.h"

#include "Pallet/Pallet.h"

#include <gtest/gtest.h>

namespace {

TEST( Audit, AnEntryWithARequestOnItsWayIsPendingNotADifference ) {
   Shim::SimChip & chip = Shim::simChip();
   chip.reset();
   for( const auto & [ field, value ] : Sim::ClientIntent::cfmProfile() ) {
      chip.entryFieldIs( 0, chip.LPORT_TABm(), int( Sim::cfmProfileIdx ), field, value );
   }
   auto scsd = Pallet::make< Strata::StrataCommonSmData >( "strataCommon" );
   scsd->strataModIdToUnit.set( StrataCentral::ModId( 1 ), 0 );
   scsd->strataModId.set( 0, Strata::StrataModInfo{ 0x100, {} } );
   const Lumo::IntfId ethernet7( "Ethernet7" );
   scsd->intf.set( ethernet7, true );
   scsd->strataIntfToPortCache.set( ethernet7, StrataTypes::StrataPort{ 1, 0, 7, 0 } );
   auto cfm = Pallet::make< CfmSw::CfmHwConfig >( "cfmHwConfig" );
   const CfmSw::IntfVlanTuple key( ethernet7, 10 );
   cfm->forwardingConfig.set( key, Pallet::make< CfmSw::CfmForwardingConfig >( key ) );
   Sim::SourceTrunkMapView table;
   const Sim::WorldView world{ scsd.ptr(), nullptr, nullptr, cfm.ptr(), true, true, &chip, &table };

   EXPECT_EQ( Sim::Audit( world ).lines(),
              std::vector< std::string >{ "unit 0 SOURCE_TRUNK_MAP 1/0/7: holds 0, should hold 1 (CFM)" } );
   table.notCarriedOut.push_back(
      { StrataCentral::PortTabWriteRequestKey{ 0x100, StrataCentral::ModId( 1 ), StrataCentral::U10( 7 ), 2 },
        Sim::cfmProfileIdx } );
   const Sim::Audit audit( world );
   EXPECT_TRUE( audit.clean() ) << audit.lines().front();
   EXPECT_EQ( audit.pending(), std::vector< std::string >{ "SOURCE_TRUNK_MAP request for module 1 port 7 (profile "
                                                           "1): not yet carried out by the agent" } );
   chip.reset();
}

} // namespace
