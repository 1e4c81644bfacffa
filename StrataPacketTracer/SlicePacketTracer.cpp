// Packet-tracer programming of one slice: the request's reactor and handler,
// the tracer's LPORT_TAB profile entry, the port's source-trunk-map request
// and the CPU packet-profile bit.
#include "EntryBuffer.h"
#include "PluginTrace.h"
#include "SourceTrunkMapKey.h"
#include "StrataPacketTracerSliceSm.h"

#include "Quill/Clock.h"
#include "Shim/CheckedCall.h"

#include <vector>

namespace Strata {

namespace {

// CPU_PKT_PROFILE_2's bit that sends the tracer's packets to the CPU.
constexpr U32 cpuPktProfileTracerBit = 0x4;
// Clearing the bit keeps the field's low eight bits only.
constexpr U32 cpuPktProfileClearMask = 0xFB;

} // namespace

void
StrataPacketTracerSliceSm::programLPortTable( const StrataTypes::StrataPort & sp,
                                              const LportTableFields & lportTableFields ) {
   PT_TRACE( 0, TraceLine::programLPortTable, "programLPortTable" ) << "programLPortTable";
   Shim::Sdk & sdk = *Shim::sdk_;
   const Shim::soc_mem_t lportTab = sdk.LPORT_TABm();
   // The profile entry is per unit; the port number plays no part. The value's
   // own lPortProfileIdx member is not the index either: the slice's is.
   const int lportIdx = int( lPortProfileIdx_ );
   std::vector< U32 > lPortEntry = entryBuffer();

   // Read-modify-write, so that every field this slice does not manage keeps
   // what the chip holds.
   Shim::checkedMemRead( PT_SDK_SITE( TraceLine::programLPortTableRead, "programLPortTable",
                                      "soc_mem_read( sp.unit(), LPORT_TABm, MEM_BLOCK_ANY, "
                                      "lPortProfileIdx(), &lPortEntry )" ),
                         sp.unit, lportTab, lportIdx, lPortEntry.data() );
   PT_TRACE( 0, TraceLine::programLPortTableFields, "programLPortTable" )
      << "Set Lport_tab entryfields for lPortProfileIdx";
   lportTableFields.toEntry( sdk, sp.unit, lportTab, lPortEntry.data() );
   Shim::checkedMemWrite( PT_SDK_SITE( TraceLine::programLPortTableWrite, "programLPortTable",
                                       "soc_mem_write( sp.unit(), LPORT_TABm, MEM_BLOCK_ALL, "
                                       "lPortProfileIdx(), &lPortEntry )" ),
                          sp.unit, lportTab, lportIdx, lPortEntry.data() );
}

void
StrataPacketTracerSliceSm::programSourceTrunkMap( bool setupLPort, const StrataTypes::StrataPort & sp ) {
   PT_TRACE( 0, TraceLine::programSourceTrunkMap, "programSourceTrunkMap" ) << "programSourceTrunkMap";
   // The range checks come first, before any lookup, claim or post, and so
   // also before the unit test below: a port that cannot be keyed is the
   // caller's error and is thrown as such, the module id before the port
   // number, whether or not its unit is known.
   static_cast< void >( StrataCentral::ModId( sp.modId ) );
   static_cast< void >( StrataCentral::U10( sp.port ) );

   // A unit without module information cannot be keyed. Rather than read a
   // missing entry, refuse the port: nothing is posted and the bitmap keeps
   // its state, so it never records a claim that was not posted.
   const StrataModInfo * modInfo = modInfoOfUnit( sp.unit );
   if( !modInfo ) {
      PT_TRACE( 0, TraceLine::programSourceTrunkMapNoUnit, "programSourceTrunkMap" )
         << "programSourceTrunkMap ERROR: unit: " << sp.unit << " not present in scsd->strataModId()";
      return;
   }
   // The mounter hands a missing directory over as null; with nowhere to post,
   // refuse the same way.
   if( !inputs_.sourceTrunkMapRequestDir ) {
      PT_TRACE( 0, TraceLine::programSourceTrunkMapNoDir, "programSourceTrunkMap" )
         << "programSourceTrunkMap ERROR: no sourceTrunkMapRequestDir to post port: " << sp;
      return;
   }
   const StrataCentral::PortTabWriteRequestKey key = sourceTrunkMapKey( *modInfo, sp );

   if( setupLPort ) {
      PT_TRACE( 0, TraceLine::programSourceTrunkMapSet, "programSourceTrunkMap" )
         << "Set SOURCE_TRUNK_MAP entry lport_Profile_Idx to " << lPortProfileIdx_;
      allocateSrcTrunkIdx( sp.port );
      portsSetUp_->tracerPortIs( sp, true );
      inputs_.sourceTrunkMapRequestDir->postRequest( key, lPortProfileIdx_ );
   } else {
      PT_TRACE( 0, TraceLine::programSourceTrunkMapReset, "programSourceTrunkMap" )
         << "reset SOURCE_TRUNK_MAP entry lport_Profile_Idx to 0";
      // Hand the port back to CFM when CFM holds it, else to no profile.
      inputs_.sourceTrunkMapRequestDir->postRequest( key,
                                                     isAllocatedSrcTrunkCfmIdx( sp.port ) ? lPortCfmProfileIdx_ : 0u );
      freeSrcTrunkIdx( sp.port );
      portsSetUp_->tracerPortIs( sp, false );
   }
}

void
StrataPacketTracerSliceSm::programCpuPktProfile( bool setupLPort, const StrataTypes::StrataPort & sp ) {
   PT_TRACE( 0, TraceLine::programCpuPktProfile, "programCpuPktProfile" ) << "programCpuPktProfile";
   Shim::Sdk & sdk = *Shim::sdk_;
   const Shim::soc_reg_t cpuPktProfile2 = sdk.CPU_PKT_PROFILE_2r();
   const Shim::soc_port_t anyPort = sdk.REG_PORT_ANY();
   // Register accesses are not checked: a failed read leaves 0 and the
   // computation goes on with it.
   U32 reg = 0;
   Shim::uncheckedCall( PT_SDK_SITE( TraceLine::programCpuPktProfileRead, "programCpuPktProfile",
                                     "soc_reg32_get( sp.unit(), CPU_PKT_PROFILE_2r, REG_PORT_ANY, 0, &reg )" ),
                        [ & ] { Shim::sdk_->soc_reg32_get( sp.unit, cpuPktProfile2, anyPort, 0, &reg ); } );
   PT_TRACE( 0, TraceLine::programCpuPktProfilePrevious, "programCpuPktProfile" )
      << "Previous CPU_PKT_PROFILE_2r: " << reg;

   const U32 field = setupLPort ? ( reg | cpuPktProfileTracerBit ) : ( reg & cpuPktProfileClearMask );
   sdk.soc_reg_field_set( sp.unit, cpuPktProfile2, &reg, sdk.CPU_PKT_PROFILE_BITMAPf(), field );
   PT_TRACE( 0, TraceLine::programCpuPktProfileNew, "programCpuPktProfile" ) << "New CPU_PKT_PROFILE_2r: " << reg;

   Shim::uncheckedCall( PT_SDK_SITE( TraceLine::programCpuPktProfileWrite, "programCpuPktProfile",
                                     "soc_reg32_set( sp.unit(), CPU_PKT_PROFILE_2r, REG_PORT_ANY, 0, reg )" ),
                        [ & ] { Shim::sdk_->soc_reg32_set( sp.unit, cpuPktProfile2, anyPort, 0, reg ); } );
}

void
StrataPacketTracerSliceSm::handleLPortTableWriteRequest() {
   PT_TRACE( 0, TraceLine::handleLPortTableWriteRequest, "handleLPortTableWriteRequest" )
      << "handleLPortTableWriteRequest";
   // The mounter hands missing entities over as null. Without the request
   // there is nothing to act on, and without the shared state no port to act
   // on: leave the slice as it is.
   if( !inputs_.lPortTableWriteRequestConfig || !inputs_.scsd ) {
      PT_TRACE( 0, TraceLine::handleLPortTableWriteRequestNoInput, "handleLPortTableWriteRequest" )
         << "handleLPortTableWriteRequest ERROR: no "
         << ( inputs_.lPortTableWriteRequestConfig ? "scsd" : "lPortTableWriteRequestConfig" );
      return;
   }
   const StrataPacketTracer::LPortTableWriteRequestConfig & request = *inputs_.lPortTableWriteRequestConfig;
   tracerClaimsTakenBack();
   LportTableFields lportTableFields;
   const Lumo::IntfId intfId = request.intfId();
   if( !intfOnSlice( intfId ) ) {
      return;
   }
   // An interface known to the shared state may have no chip port. Going on
   // with the null port would address unit 0xFFFF; refuse the request
   // before the chip is touched and leave the slice idle, as for an
   // interface that is not on the slice.
   const StrataTypes::StrataPort * found = inputs_.scsd->strataIntfToPortCache.find( intfId );
   if( !found ) {
      PT_TRACE( 0, TraceLine::handleLPortTableWriteRequestNoPort, "handleLPortTableWriteRequest" )
         << "handleLPortTableWriteRequest ERROR: intfId: " << intfId << " not present in scsd->strataIntfToPortCache()";
      return;
   }
   const StrataTypes::StrataPort sp = *found;
   // Another module's port is its own slice's request: carried out and
   // answered there, once.
   if( !servesPort( sp, TraceLine::handleLPortTableWriteRequestOtherModule, "handleLPortTableWriteRequest" ) ) {
      return;
   }
   // Everything that could stop the request half-way is decided here, before
   // the first chip access: the profile entry is shared by every port the
   // tracer holds on the unit, so a request that cannot be posted must not
   // rewrite it. Nothing is thrown either: the reaction runs inside the
   // publisher's delivery to every slice, and inside the agent's start.
   if( const std::optional< std::string > refusal = requestRefusal( sp ) ) {
      PT_TRACE( 0, TraceLine::handleLPortTableWriteRequestRefused, "handleLPortTableWriteRequest" )
         << "handleLPortTableWriteRequest ERROR: intfId: " << intfId << " port: " << sp << " " << *refusal
         << ", request refused";
      return;
   }
   // Taken once: the SDK calls below give up the activity lock, and one run
   // must apply or withdraw as a whole.
   const bool enable = request.enable();
   const bool cpuPktProfileEnable = request.cpuPktProfileEnable();

   if( enable ) {
      PT_TRACE( 0, TraceLine::handleLPortTableWriteRequestPortTab, "handleLPortTableWriteRequest" )
         << "Read PORT_TAB entry for the ingress Interface";
      Shim::Sdk & sdk = *Shim::sdk_;
      const Shim::soc_mem_t portTab = sdk.PORT_TABm();
      const int portId = int( sp.port );
      std::vector< U32 > entry = entryBuffer();
      Shim::checkedMemRead( PT_SDK_SITE( TraceLine::handleLPortTableWriteRequestPortTabRead,
                                         "handleLPortTableWriteRequest",
                                         "soc_mem_read( sp.unit(), PORT_TABm, MEM_BLOCK_ANY, portId, &entry )" ),
                            sp.unit, portTab, portId, entry.data() );
      lportTableFields = LportTableFields::fromEntry( sdk, sp.unit, portTab, entry.data() );
   }

   programLPortTable( sp, lportTableFields );
   programSourceTrunkMap( enable, sp );
   if( cpuPktProfileEnable ) {
      programCpuPktProfile( enable, sp );
   }

   handleClockCalled_ = true;
   completingRequestId_ = request.requestId();
   // An applied profile is reported after the configured delay; a withdrawal
   // at the clock's next notification.
   const Quill::Seconds now = Quill::System::currentTime();
   clockWakeUpIs( enable ? now + timeout_ : now );
}

void
StrataPacketTracerSliceSm::tracerClaimsTakenBack() {
   if( !inputs_.lPortTableWriteRequestConfig || !inputs_.scsd ) {
      return;
   }
   const Lumo::IntfId & intfId = inputs_.lPortTableWriteRequestConfig->intfId();
   const StrataTypes::StrataPort * named =
      intfKnown( intfId ) ? inputs_.scsd->strataIntfToPortCache.find( intfId ) : nullptr;
   // (Also the ports an earlier slice of the module steered.)
   for( const StrataTypes::StrataPort & sp : portsSetUp_->tracerPortsOfModule( modId_.value(), named ) ) {
      // Without the unit's module information the entry cannot be re-keyed:
      // the claim stays, and the take-back waits for the information.
      if( const std::optional< std::string > refusal = requestRefusal( sp ) ) {
         PT_TRACE( 0, TraceLine::tracerClaimTakeBackWaits, "handleLPortTableWriteRequest" )
            << "handleLPortTableWriteRequest port: " << sp << " take-back waits: " << *refusal;
         continue;
      }
      PT_TRACE( 0, TraceLine::tracerClaimTakenBack, "handleLPortTableWriteRequest" )
         << "handleLPortTableWriteRequest port: " << sp << " taken back: the current request does not name it";
      programSourceTrunkMap( false, sp );
   }
}

void
StrataPacketTracerSliceSm::lPortTableWriteRequestConfigDispatch( Vela::Publisher *, Vela::Subscriber * subscriber,
                                                                 short attributeId, const void *, const void * ) {
   // Only a new version posts a request; the other attributes are its payload.
   if( attributeId != StrataPacketTracer::LPortTableWriteRequestConfig::versionAttr ) {
      return;
   }
   // No counted reference is taken here: the publisher calls synchronously,
   // the slice outlives its subscription, and a slice still in construction
   // has no count to lean on (releasing one would destroy it).
   auto * slice = subscriber->ownerAs< StrataPacketTracerSliceSm >();
   if( !slice || slice->quillMarkedForDeletion() ) {
      return;
   }
   slice->handleLPortTableWriteRequest();
}

} // namespace Strata
