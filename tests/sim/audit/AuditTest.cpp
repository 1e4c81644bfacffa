// Every check the audit makes, in both directions: a world the audit finds
// clean, then one thing changed at a time, each with the exact lines it must
// give. Removing any one check from the audit fails a row here.
#include "audit/Audit.h"

#include "Agent/CfmHwConfig.h"
#include "Pallet/Pallet.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using StrataTypes::StrataPort;

// A served unit 0: the packet tracer's completed apply (with the CPU bit) on
// Ethernet7 (1/0/7), CFM's key on Ethernet8 (1/0/8), the chip and
// SOURCE_TRUNK_MAP as the agent leaves them.
struct AuditedWorld {
   AuditedWorld() {
      chip.reset();
      chip.entryFieldIs( 0, chip.PORT_TABm(), 7, "vfpEnable", 1 );
      chip.entryFieldIs( 0, chip.PORT_TABm(), 7, "portVid", 0x64 );
      tracerEntryIs( 1, 0x64 );
      for( const auto & [ field, value ] : Sim::ClientIntent::cfmProfile() ) {
         chip.entryFieldIs( 0, chip.LPORT_TABm(), int( Sim::cfmProfileIdx ), field, value );
      }
      chip.cpuPktProfile2Is( 0, Sim::tracerCpuBit );
      scsd->strataModIdToUnit.set( StrataCentral::ModId( 1 ), 0 );
      scsd->strataModId.set( 0, Strata::StrataModInfo{ 0x100, {} } );
      for( const auto & [ name, port ] : { std::pair( "Ethernet7", 7 ), std::pair( "Ethernet8", 8 ) } ) {
         scsd->intf.set( Lumo::IntfId( name ), true );
         scsd->strataIntfToPortCache.set( Lumo::IntfId( name ), StrataPort{ 1, 0, U16( port ), 0 } );
      }
      cfm->forwardingConfig.set( cfmKey, Pallet::make< CfmSw::CfmForwardingConfig >( cfmKey ) );
      request->intfIdIs( Lumo::IntfId( "Ethernet7" ) );
      request->enableIs( true );
      request->cpuPktProfileEnableIs( true );
      request->requestIdIs( { "t", 1 } );
      status->stateIs( PacketTracer::State::stateHandled );
      status->requestIdIs( { "t", 1 } );
      versionsAre( 1, 1 );
      table.units[ 0 ] = { { { 1, 7 }, Sim::tracerProfileIdx }, { { 1, 8 }, Sim::cfmProfileIdx } };
   }
   ~AuditedWorld() { chip.reset(); }

   void tracerEntryIs( U32 vfpEnable, U32 portVid ) {
      chip.entryFieldIs( 0, chip.LPORT_TABm(), int( Sim::tracerProfileIdx ), "vfpEnable", vfpEnable );
      chip.entryFieldIs( 0, chip.LPORT_TABm(), int( Sim::tracerProfileIdx ), "portVid", portVid );
   }
   void versionsAre( U32 ofRequest, U32 ofStatus ) {
      request->versionIs( ofRequest );
      status->versionIs( ofStatus );
   }
   // The tracer's request withdrawn, carried out and completed.
   void withdrawn() {
      request->enableIs( false );
      versionsAre( 2, 2 );
      table.units[ 0 ][ { 1, 7 } ] = 0;
   }

   Sim::Audit audit() const {
      Sim::WorldView view;
      view.scsd = scsd.ptr();
      view.request = request.ptr();
      view.status = status.ptr();
      view.cfmConfig = cfm.ptr();
      view.cfmSwitchedOn = cfmOn;
      view.agentRunning = true;
      view.chip = &chip;
      view.sourceTrunkMap = &table;
      return Sim::Audit( view );
   }

   Shim::SimChip & chip = Shim::simChip();
   Vela::Ptr< Strata::StrataCommonSmData > scsd = Pallet::make< Strata::StrataCommonSmData >( "strataCommon" );
   Vela::Ptr< CfmSw::CfmHwConfig > cfm = Pallet::make< CfmSw::CfmHwConfig >( "cfmHwConfig" );
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestConfig > request =
      Pallet::make< StrataPacketTracer::LPortTableWriteRequestConfig >( "request" );
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > status =
      Pallet::make< StrataPacketTracer::LPortTableWriteRequestStatus >( "status" );
   const CfmSw::IntfVlanTuple cfmKey{ Lumo::IntfId( "Ethernet8" ), 10 };
   bool cfmOn = true;
   Sim::SourceTrunkMapView table;
};

struct AuditCase {
   const char * name;
   std::function< void( AuditedWorld & ) > change;
   std::vector< std::string > differences;
};

const std::string cfmPortOffItsProfile = "unit 0 SOURCE_TRUNK_MAP 1/0/8: holds 0, should hold 1 (CFM)";
const std::string cfmPortNotCovered =
   "unit 0 SOURCE_TRUNK_MAP 1/0/8: holds 1, should hold 0 (CFM: the port is not covered)";

const AuditCase auditCases[] = {
   { "AsTheAgentLeavesIt", []( AuditedWorld & ) {}, {} },
   // SOURCE_TRUNK_MAP, each client's port off its profile and on it unasked.
   { "CfmPortOffItsProfile",
     []( AuditedWorld & w ) {
        w.table.units[ 0 ][ { 1, 8 } ] = 0;
     },
     { cfmPortOffItsProfile } },
   { "UncoveredPortOnCfmsProfile",
     []( AuditedWorld & w ) { w.cfm->forwardingConfig.erase( w.cfmKey ); },
     { cfmPortNotCovered } },
   { "TracerPortOnCfmsProfile",
     []( AuditedWorld & w ) {
        w.table.units[ 0 ][ { 1, 7 } ] = Sim::cfmProfileIdx;
     },
     { "unit 0 SOURCE_TRUNK_MAP 1/0/7: holds 1, should hold 5 (packet tracer)" } },
   { "WithdrawnPortLeftOnTheTracersProfile",
     []( AuditedWorld & w ) {
        w.withdrawn();
        w.tracerEntryIs( 0, 0 );
        w.chip.cpuPktProfile2Is( 0, 0 );
        w.table.units[ 0 ][ { 1, 7 } ] = Sim::tracerProfileIdx;
     },
     { "unit 0 SOURCE_TRUNK_MAP 1/0/7: holds 5, should hold 0 (packet tracer: no current request applies it)" } },
   // The tracer's entry and bit: set after an apply, clear after a withdrawal.
   { "AppliedEntryWiped",
     []( AuditedWorld & w ) { w.tracerEntryIs( 0, 0x64 ); },
     { "unit 0 LPORT_TAB 5: holds vfpEnable=0, should hold vfpEnable=1 (packet tracer)" } },
   { "WithdrawnEntryLeftSet",
     []( AuditedWorld & w ) {
        w.withdrawn();
        w.chip.cpuPktProfile2Is( 0, 0 );
     },
     { "unit 0 LPORT_TAB 5: holds vfpEnable=1,portVid=0x64, should hold vfpEnable=0,portVid=0 (packet tracer)" } },
   { "AppliedCpuBitClear",
     []( AuditedWorld & w ) { w.chip.cpuPktProfile2Is( 0, 0x3 ); },
     { "unit 0 CPU_PKT_PROFILE_2 bit 2: holds 0, should hold 1 (packet tracer)" } },
   { "WithdrawnCpuBitLeftSet",
     []( AuditedWorld & w ) {
        w.withdrawn();
        w.tracerEntryIs( 0, 0 );
     },
     { "unit 0 CPU_PKT_PROFILE_2 bit 2: holds 1, should hold 0 (packet tracer)" } },
   // CFM's entry: the profile while a port is covered, zero when none is.
   { "CfmProfileCorrupted",
     []( AuditedWorld & w ) { w.chip.entryFieldIs( 0, w.chip.LPORT_TABm(), int( Sim::cfmProfileIdx ), "cfmOnly", 0 ); },
     { "unit 0 LPORT_TAB 1: holds cfmOnly=0, should hold cfmOnly=1 (CFM)" } },
   { "CfmProfileLeftWithNoPortCovered",
     []( AuditedWorld & w ) {
        w.cfm->forwardingConfig.erase( w.cfmKey );
        w.table.units[ 0 ][ { 1, 8 } ] = 0;
     },
     { "unit 0 LPORT_TAB 1: holds the CFM profile, should hold zero (CFM: no port on the unit is covered)" } },
   // What a port points at is held whether or not anything serves it now.
   { "PointedAtProfileWipedWhileNothingServes",
     []( AuditedWorld & w ) {
        w.scsd->strataModIdToUnit.erase( StrataCentral::ModId( 1 ) );
        w.chip.entryFieldIs( 0, w.chip.LPORT_TABm(), int( Sim::cfmProfileIdx ), "cfmOnly", 0 );
        w.tracerEntryIs( 0, 0x64 );
     },
     { "unit 0 LPORT_TAB 5: holds vfpEnable=0, should hold vfpEnable=1 (packet tracer)",
       "unit 0 LPORT_TAB 1: holds cfmOnly=0, should hold cfmOnly=1 (CFM: port 1/0/8 points at it)" } },
   { "CfmReadOffLeavesAPortOnItsProfile", []( AuditedWorld & w ) { w.cfmOn = false; }, { cfmPortNotCovered } },
   // Pending is no difference: a request the status has not caught up with
   // (whatever the ids say), and a port off its profile while nothing serves.
   { "RequestAheadOfTheStatus",
     []( AuditedWorld & w ) {
        w.versionsAre( 2, 1 );
        w.tracerEntryIs( 0, 0 );
     },
     {} },
   { "NothingServesThePort",
     []( AuditedWorld & w ) {
        w.scsd->strataModIdToUnit.erase( StrataCentral::ModId( 1 ) );
        w.table.units[ 0 ][ { 1, 8 } ] = 0;
     },
     {} },
};

TEST( Audit, EachCheckFindsItsDifferenceAndNoOther ) {
   for( const AuditCase & c : auditCases ) {
      AuditedWorld world;
      c.change( world );
      EXPECT_EQ( world.audit().lines(), c.differences ) << c.name;
   }
}

// The simulated agent carries every source-trunk-map request out as it is
// posted, while a real agent's table manager may lag behind: an entry with a
// request on its way is pending.
TEST( Audit, AnEntryWithARequestOnItsWayIsPendingNotADifference ) {
   AuditedWorld world;
   world.table.units[ 0 ][ { 1, 8 } ] = 0;
   EXPECT_EQ( world.audit().lines(), std::vector< std::string >{ cfmPortOffItsProfile } );
   world.table.notCarriedOut.push_back(
      { StrataCentral::PortTabWriteRequestKey{ 0x100, StrataCentral::ModId( 1 ), StrataCentral::U10( 8 ), 2 },
        Sim::cfmProfileIdx } );
   const Sim::Audit audit = world.audit();
   EXPECT_TRUE( audit.clean() ) << audit.lines().front();
   EXPECT_EQ( audit.pending(), std::vector< std::string >{ "SOURCE_TRUNK_MAP request for module 1 port 8 (profile "
                                                           "1): not yet carried out by the agent" } );
}

} // namespace
