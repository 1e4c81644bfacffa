// CFM programming of the slice: the shared CFM LPORT profile, CFM's claims on
// SOURCE_TRUNK_MAP entries, the reaction to CFM forwarding configurations and
// to LAG membership, and the two reactors that feed them.
//
// Every port CFM uses points at one LPORT_TAB entry per slice, the CFM
// profile at lPortCfmProfileIdx. The number of ports CFM holds in
// srcTrunkBitmapCfm is that entry's reference count: programLPortTableCfm
// reads it before programSourceTrunkMapCfm changes it, so the entry is written
// when the first port arrives and cleared when the last one leaves.
#include "CfmToggles.h"
#include "PluginTrace.h"
#include "StrataPacketTracerSliceSm.h"

#include <utility>
#include <vector>

namespace Strata {

namespace {

// The source-trunk-map request kind for a port entry.
constexpr U8 portEntryRequestKind = 2;

// The module information of a chip unit, or null when the shared state has no
// such unit. A slice without shared state knows no unit at all.
const StrataModInfo *
modInfoOfUnit( const Vela::Ptr< StrataCommonSmData > & scsd, U16 unit ) {
   return scsd ? scsd->strataModId.find( unit ) : nullptr;
}

// The port's own interface id, empty when the shared state has none.
Lumo::IntfId
intfOfPort( const StrataCommonSmData & scsd, const StrataTypes::StrataPort & sp ) {
   const Lumo::IntfId * intf = scsd.strataPortToIntf.find( sp );
   return intf ? *intf : Lumo::IntfId();
}

// The CFM profile: all zero but for these fields, set to 1 in this order.
void
setCfmProfileFields( int unit, std::vector< U32 > & lPortEntry ) {
   Shim::Sdk & sdk = *Shim::sdk_;
   const Shim::soc_mem_t mem = sdk.LPORT_TABm();
   const Shim::soc_field_t fields[] = {
      sdk.VFP_ENABLEf(),      sdk.CFM_ONLY_ENABLEf(),   sdk.USE_PORT_TABLE_GROUP_IDf(),
      sdk.TRUST_INCOMING_VIDf(), sdk.PORT_PARITY_ENf(), sdk.OUTER_TPID_ENABLEf(),
      sdk.FILTER_ENABLEf(),   sdk.EN_IFILTERf(),        sdk.DISABLE_STATIC_MOVE_DROPf(),
   };
   for( Shim::soc_field_t field : fields ) {
      sdk.soc_mem_field32_set( unit, mem, lPortEntry.data(), field, 1 );
   }
}

} // namespace

U32
StrataPacketTracerSliceSm::programLPortTableCfm( bool setupLPort, const StrataTypes::StrataPort & sp ) {
   if( !initialized_ ) {
      PT_TRACE( 0, __LINE__, "programLPortTableCfm" ) << "programLPortTableCfm" << " not initialized";
      return lPortRsvdProfileIdx_;
   }
   const U32 lportIdx = lPortCfmProfileIdx_;
   PT_TRACE( 0, __LINE__, "programLPortTableCfm" )
      << "programLPortTableCfm" << " lportIdx: " << lportIdx << " setup: " << setupLPort
      << " for port: " << sp << " allocated: " << allocatedLportCfmIdx();

   const bool firstSetup = setupLPort && allocatedLportCfmIdx() == 0;
   if( setupLPort && !firstSetup ) {
      PT_TRACE( 0, __LINE__, "programLPortTableCfm" )
         << "programLPortTableCfm" << " lportIdx already programmed";
      return lportIdx;
   }
   const bool lastTakeDown = !setupLPort && allocatedLportCfmIdx() == 1;
   if( !firstSetup && !lastTakeDown ) {
      return lportIdx;
   }

   // A port whose unit the shared state does not list is no chip port: the
   // null port of an interface without a chip port (unit 0xFFFF) is one. A
   // write there would fail the checked call and stop the whole agent, so the
   // entry is left alone and the error traced. The index is still returned:
   // the source-trunk step then records CFM's claim and reports the missing
   // unit itself, without posting, just as it does for any unknown unit.
   if( !modInfoOfUnit( scsd_, sp.unit ) ) {
      PT_TRACE( 0, __LINE__, "programLPortTableCfm" )
         << "programLPortTableCfm" << " ERROR: unit: " << sp.unit
         << " not present in scsd->strataModId(), LPORT_TAB entry " << lportIdx << " not "
         << ( setupLPort ? "written" : "cleared" );
      return lportIdx;
   }

   std::vector< U32 > lPortEntry( static_cast< std::size_t >( Shim::sdk_->soc_mem_entry_words_max() ), 0 );
   if( setupLPort ) {
      PT_TRACE( 0, __LINE__, "programLPortTableCfm" )
         << "Set Lport_tab entryfields for lportIdx: " << lportIdx;
      setCfmProfileFields( sp.unit, lPortEntry );
      PT_TRACE( 0, __LINE__, "programLPortTableCfm" )
         << "programLPortTableCfm" << " lportIdx add at idx: " << lportIdx;
   } else {
      PT_TRACE( 0, __LINE__, "programLPortTableCfm" )
         << "programLPortTableCfm" << " lportIdx remove at idx: " << lportIdx;
   }
   const Shim::soc_mem_t mem = Shim::sdk_->LPORT_TABm();
   const int block = Shim::sdk_->MEM_BLOCK_ALL();
   Shim::checkedCall(
      PT_SDK_SITE( __LINE__, "programLPortTableCfm",
                   "soc_mem_write( sp.unit(), LPORT_TABm, MEM_BLOCK_ALL, lportIdx, &lPortEntry )" ),
      [ & ] {
         return Shim::sdk_->soc_mem_write( sp.unit, mem, block, static_cast< int >( lportIdx ),
                                           lPortEntry.data() );
      } );
   return lportIdx;
}

void
StrataPacketTracerSliceSm::programSourceTrunkMapCfm( bool setupLPort, U32 lportIdx,
                                                     const StrataTypes::StrataPort & sp ) {
   if( !initialized_ ) {
      return;
   }
   // CFM's claim follows every call, whether or not a request goes out: it is
   // what the packet tracer consults when it hands the port back.
   if( setupLPort ) {
      allocateSrcTrunkCfmIdx( sp.port );
   } else {
      freeSrcTrunkCfmIdx( sp.port );
   }
   // The packet tracer has priority on the entry; it restores CFM's profile
   // (or 0) itself when it lets the port go.
   if( isAllocatedSrcTrunkIdx( sp.port ) ) {
      PT_TRACE( 0, __LINE__, "programSourceTrunkMapCfm" )
         << "INFO: SOURCE_TRUNK_MAP already programmed for port: " << sp.port
         << " by another client so return";
      return;
   }
   PT_TRACE( 0, __LINE__, "programSourceTrunkMapCfm" )
      << "programSourceTrunkMapCfm" << " setup: " << setupLPort << " for lportIdx: " << lportIdx;

   // Without shared state no unit is present (see modInfoOfUnit).
   const StrataModInfo * modInfo = modInfoOfUnit( scsd_, sp.unit );
   if( !modInfo ) {
      PT_TRACE( 0, __LINE__, "programSourceTrunkMapCfm" )
         << "programSourceTrunkMapCfm" << " ERROR: unit: " << sp.unit
         << " not present in scsd->strataModId()";
      return;
   }

   // The module id is checked before the port number; either range error
   // leaves the claim above as it is.
   StrataCentral::PortTabWriteRequestKey key;
   key.modInfo = modInfo->modInfo;
   key.modId = StrataCentral::ModId( sp.modId );
   key.port = StrataCentral::U10( sp.port );
   key.kind = portEntryRequestKind;

   const U32 value = setupLPort ? lportIdx : 0;
   if( setupLPort ) {
      PT_TRACE( 0, __LINE__, "programSourceTrunkMapCfm" )
         << "Set SOURCE_TRUNK_MAP entry lportProfileIdx to " << lportIdx;
   } else {
      PT_TRACE( 0, __LINE__, "programSourceTrunkMapCfm" )
         << "Reset SOURCE_TRUNK_MAP entry lportProfileIdx to 0";
   }
   // postRequest publishes to the directory's subscribers, and what they do
   // may let the slice go; the local reference keeps the directory alive
   // until the call returns. A slice made without a directory has nowhere to
   // post: the request is dropped with an error line.
   const Vela::Ptr< StrataCentral::PortTabWriteRequestDir > requestDir = sourceTrunkMapRequestDir_;
   if( !requestDir ) {
      PT_TRACE( 0, __LINE__, "programSourceTrunkMapCfm" )
         << "programSourceTrunkMapCfm" << " ERROR: no sourceTrunkMapRequestDir, request for port: " << sp
         << " not posted";
      return;
   }
   requestDir->postRequest( key, value );
}

void
StrataPacketTracerSliceSm::handleLPortTableWriteForCfm( const CfmSw::IntfVlanTuple & intfVlanTuple ) {
   handleCfmKey( intfVlanTuple, false );
}

void
StrataPacketTracerSliceSm::handleCfmKey( const CfmSw::IntfVlanTuple & intfVlanTuple, bool knownPresent ) {
   if( !cfmProgrammingEnabled() || !initialized_ ) {
      return;
   }
   // A slice made without the CFM configuration or the shared state has
   // nothing to program from; the host passes both, so this only guards a
   // broken start-up.
   if( !cfmHwConfig_ || !scsd_ ) {
      PT_TRACE( 8, __LINE__, "handleLPortTableWriteForCfm" )
         << "handleLPortTableWriteForCfm" << " ERROR: no " << ( cfmHwConfig_ ? "scsd" : "cfmHwConfig" )
         << ", intfVlan: " << intfVlanTuple << " ignored";
      return;
   }
   const bool setup = knownPresent || cfmHwConfig_->forwardingConfig.contains( intfVlanTuple );
   PT_TRACE( 8, __LINE__, "handleLPortTableWriteForCfm" )
      << "handleLPortTableWriteForCfm" << " => intfVlan: " << intfVlanTuple << " setup: " << setup;

   const Lumo::IntfId & intfId = intfVlanTuple.intfId();
   if( !Lumo::PortChannelIntfId::isPortChannelIntfId( intfId ) ) {
      const StrataTypes::StrataPort * cached = scsd_->strataIntfToPortCache.find( intfId );
      const StrataTypes::StrataPort sp = cached ? *cached : StrataTypes::StrataPort::nullPort();
      const U32 idx = programLPortTableCfm( setup, sp );
      if( idx == noProfile ) {
         return;
      }
      PT_TRACE( 8, __LINE__, "handleLPortTableWriteForCfm" )
         << "handleLPortTableWriteForCfm" << " sp: " << sp << " lportIndex: " << idx;
      programSourceTrunkMapCfm( setup, idx, sp );
      return;
   }

   PT_TRACE( 8, __LINE__, "handleLPortTableWriteForCfm" )
      << "handleLPortTableWriteForCfm" << " port-channel intf: " << intfId;
   const StrataTypes::StrataPortList * members = scsd_->strataLagToPort.find( intfId );
   if( !members ) {
      PT_TRACE( 8, __LINE__, "handleLPortTableWriteForCfm" )
         << "handleLPortTableWriteForCfm" << " ERROR: lagIntf: " << intfId << " not in scsd()";
      return;
   }
   // A copy: the SDK calls below release the activity lock, and the shared
   // state's member set may change meanwhile.
   const StrataTypes::StrataPortList memberPorts = *members;
   for( const StrataTypes::StrataPort & sp : memberPorts ) {
      PT_TRACE( 8, __LINE__, "handleLPortTableWriteForCfm" )
         << "handleLPortTableWriteForCfm" << " member port: " << sp;
      PT_TRACE( 8, __LINE__, "handleLPortTableWriteForCfm" )
         << "handleLPortTableWriteForCfm" << " member intfId: " << intfOfPort( *scsd_, sp );
      const U32 idx = programLPortTableCfm( setup, sp );
      if( idx == noProfile ) {
         continue;
      }
      PT_TRACE( 8, __LINE__, "handleLPortTableWriteForCfm" )
         << "handleLPortTableWriteForCfm" << " port-channel member port: " << sp << " lportIndex: " << idx;
      programSourceTrunkMapCfm( setup, idx, sp );
   }
}

void
StrataPacketTracerSliceSm::handleLPortTableWriteForCfm() {
   if( !cfmProgrammingEnabled() || !initialized_ ) {
      return;
   }
   // See the per-key form.
   if( !cfmHwConfig_ || !scsd_ ) {
      PT_TRACE( 8, __LINE__, "handleLPortTableWriteForCfm" )
         << "handleLPortTableWriteForCfm" << " ERROR: no " << ( cfmHwConfig_ ? "scsd" : "cfmHwConfig" );
      return;
   }
   PT_TRACE( 8, __LINE__, "handleLPortTableWriteForCfm" ) << "handleLPortTableWriteForCfm";
   // The per-key form releases the activity lock in its SDK calls, and the
   // configuration may change meanwhile: walk a snapshot of the keys taken in
   // one pass, each with the address of its configuration.
   //
   // As long as no change has reached the listening slice since the
   // snapshot, every key of it is still configured with the very same
   // configuration, which the collection keeps alive: the key need not be
   // looked up again and the address is good for a counted reference. Once
   // a change has come, the collection alone can tell, and each key is
   // looked up. The snapshot holds no references itself: taking 100,000 of
   // them up front and dropping them at the end would touch every
   // configuration object twice more, which costs more than the walk.
   struct Entry {
      CfmSw::IntfVlanTuple key;
      CfmSw::CfmForwardingConfig * config;
   };
   const Vela::Ptr< const CfmSw::CfmHwConfig > cfmHwConfig = cfmHwConfig_; // kept for the whole walk
   const auto & forwardingConfig = cfmHwConfig->forwardingConfig;
   std::vector< Entry > entries;
   entries.reserve( forwardingConfig.size() );
   for( const auto & [ key, config ] : forwardingConfig ) {
      entries.push_back( Entry{ key, config.ptr() } );
   }
   const U64 changesAtSnapshot = cfmConfigChanges_;
   for( const Entry & entry : entries ) {
      const bool unchanged =
         cfmHwConfigSubscriber_.isSubscribed() && cfmConfigChanges_ == changesAtSnapshot;
      // The configuration is held while its key is programmed.
      Vela::Ptr< CfmSw::CfmForwardingConfig > config;
      if( unchanged ) {
         config = Vela::Ptr< CfmSw::CfmForwardingConfig >( entry.config );
      } else if( const auto * now = forwardingConfig.find( entry.key ) ) {
         config = *now;
      }
      handleCfmKey( entry.key, config != nullptr );
   }
}

void
StrataPacketTracerSliceSm::handlePortToLag( const StrataTypes::StrataPort & sp ) {
   // LAG membership is followed whether or not the slice is initialised:
   // before that, both programming steps do nothing on their own.
   if( !cfmProgrammingEnabled() ) {
      return;
   }
   if( !scsd_ ) {
      PT_TRACE( 8, __LINE__, "handlePortToLag" )
         << "handlePortToLag" << " ERROR: no scsd, port: " << sp << " ignored";
      return;
   }
   const bool added = scsd_->strataPortToLag.contains( sp );
   const Lumo::IntfId intf = intfOfPort( *scsd_, sp );
   if( intf.empty() ) {
      return;
   }
   PT_TRACE( 8, __LINE__, "handlePortToLag" )
      << "handlePortToLag" << " intf: " << intf << " added: " << added;
   const U32 idx = programLPortTableCfm( added, sp );
   if( idx == noProfile ) {
      return;
   }
   PT_TRACE( 8, __LINE__, "handlePortToLag" )
      << "handlePortToLag" << " port-channel sp: " << sp << " lportIndex: " << idx;
   programSourceTrunkMapCfm( added, idx, sp );
}

// The reactors hold no counted reference to the slice: a slice can hear an
// event while it is still being constructed, with no reference yet, and
// taking and dropping one then would destroy it.
void
StrataPacketTracerSliceSm::cfmHwConfigDispatch( Vela::Publisher *, Vela::Subscriber * subscriber,
                                                short attrId, const void * key, const void * ) {
   if( attrId != CfmSw::CfmHwConfig::forwardingConfigAttr || !key || !subscriber ) {
      return;
   }
   auto * slice = subscriber->ownerAs< StrataPacketTracerSliceSm >();
   if( !slice ) {
      return;
   }
   // Counted even on a slice that is going: a walk in progress must know.
   ++slice->cfmConfigChanges_;
   if( slice->quillMarkedForDeletion() ) {
      return;
   }
   // Added, changed and removed entries alike: the handler looks the key up.
   slice->handleLPortTableWriteForCfm( *static_cast< const CfmSw::IntfVlanTuple * >( key ) );
}

void
StrataPacketTracerSliceSm::scsdDispatch( Vela::Publisher *, Vela::Subscriber * subscriber, short attrId,
                                         const void * key, const void * ) {
   if( attrId != StrataCommonSmData::strataPortToLagAttr || !key || !subscriber ) {
      return;
   }
   auto * slice = subscriber->ownerAs< StrataPacketTracerSliceSm >();
   if( !slice || slice->quillMarkedForDeletion() ) {
      return;
   }
   slice->handlePortToLag( *static_cast< const StrataTypes::StrataPort * >( key ) );
}

} // namespace Strata
