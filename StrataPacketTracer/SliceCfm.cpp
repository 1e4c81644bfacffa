// CFM programming of the slice: the shared CFM LPORT profile, CFM's claims on
// SOURCE_TRUNK_MAP entries, the reaction to CFM forwarding configurations and
// to LAG membership, and the two reactors that feed them.
//
// Every port CFM uses points at one LPORT_TAB entry per chip unit, the CFM
// profile at lPortCfmProfileIdx. The ports set up on the unit, counted across
// the root's slices (PortsSetUp), are that entry's users:
// programLPortTableCfm reads them before programSourceTrunkMapCfm changes
// them, so the entry is written when the first port on the unit arrives and
// cleared when the last one leaves. Each slice also claims its own module's
// ports by number (srcTrunkBitmapCfm), which is what the packet tracer
// consults when it hands a port back.
//
// Whether CFM covers a port is one rule (cfmCovers), asked by every handler
// that sets a port up or takes it down.
#include "CfmToggles.h"
#include "EntryBuffer.h"
#include "PluginTrace.h"
#include "SourceTrunkMapKey.h"
#include "StrataPacketTracerSliceSm.h"

#include <utility>
#include <vector>

namespace Strata {

namespace {

// The port's own interface id, empty when the shared state has none.
Lumo::IntfId
intfOfPort( const StrataCommonSmData & scsd, const StrataTypes::StrataPort & sp ) {
   const Lumo::IntfId * intf = scsd.strataPortToIntf.find( sp );
   return intf ? *intf : Lumo::IntfId();
}

// The CFM profile: all zero but for these settings and the CFM-only field,
// each set to 1.
void
setCfmProfileFields( int unit, std::vector< U32 > & lPortEntry ) {
   LportTableFields profile;
   profile.vfpEnable = true;
   profile.usePortTableGroupId = true;
   profile.trustIncomingVid = true;
   profile.parity = true;
   profile.outerTpidEnable = 1;
   profile.filterEnable = true;
   profile.enIfilter = true;
   profile.disableStaticMoveDrop = true;
   Shim::Sdk & sdk = *Shim::sdk_;
   profile.toEntry( sdk, unit, sdk.LPORT_TABm(), lPortEntry.data() );
   sdk.soc_mem_field32_set( unit, sdk.LPORT_TABm(), lPortEntry.data(), sdk.CFM_ONLY_ENABLEf(), 1 );
}

// The name the forwarding-config handler's lines carry.
constexpr const char * cfmKeyHandler = "handleLPortTableWriteForCfm";

} // namespace

U32
StrataPacketTracerSliceSm::programLPortTableCfm( bool setupLPort, const StrataTypes::StrataPort & sp ) {
   if( !initialized_ ) {
      PT_TRACE( 0, TraceLine::programLPortTableCfmNotInitialized, "programLPortTableCfm" ) << "programLPortTableCfm"
                                                                                           << " not initialized";
      return lPortRsvdProfileIdx_;
   }
   const U32 lportIdx = lPortCfmProfileIdx_;
   const std::size_t unitUsers = portsSetUp_->cfmUsers( sp.unit );
   PT_TRACE( 0, TraceLine::programLPortTableCfm, "programLPortTableCfm" )
      << "programLPortTableCfm"
      << " lportIdx: " << lportIdx << " setup: " << setupLPort << " for port: " << sp
      << " allocated: " << allocatedLportCfmIdx() << " on unit: " << unitUsers;

   const bool firstSetup = setupLPort && unitUsers == 0;
   if( setupLPort && !firstSetup ) {
      PT_TRACE( 0, TraceLine::programLPortTableCfmProgrammed, "programLPortTableCfm" )
         << "programLPortTableCfm"
         << " lportIdx already programmed";
      return lportIdx;
   }
   bool lastTakeDown = !setupLPort && unitUsers == 1;
   // The one user left may be another port: that port still points at the
   // profile, so only the take-down of that very port clears it.
   if( lastTakeDown && !portsSetUp_->cfmUses( sp ) ) {
      PT_TRACE( 0, TraceLine::programLPortTableCfmKept, "programLPortTableCfm" )
         << "programLPortTableCfm"
         << " lportIdx kept: port: " << sp << " is no user, another port on the unit is the last one";
      lastTakeDown = false;
   }
   if( !firstSetup && !lastTakeDown ) {
      return lportIdx;
   }

   // A port on no unit of the chip (the null port of an interface without a
   // chip port, unit 0xFFFF) has no entry to write: the write would fail the
   // checked call and stop the whole agent. A real unit's entry is written
   // whether or not its module information has arrived, since the claim that
   // follows counts the port as a user of the entry either way (its request
   // is posted when the information arrives: handleModInfo).
   if( sp == StrataTypes::StrataPort::nullPort() || !Shim::sdk_->soc_unit_valid( sp.unit ) ) {
      PT_TRACE( 0, TraceLine::programLPortTableCfmNoChipUnit, "programLPortTableCfm" )
         << "programLPortTableCfm"
         << " ERROR: unit: " << sp.unit << " is not a unit of the chip, LPORT_TAB entry " << lportIdx << " not "
         << ( setupLPort ? "written" : "cleared" );
      return lportIdx;
   }

   std::vector< U32 > lPortEntry = entryBuffer();
   if( setupLPort ) {
      PT_TRACE( 0, TraceLine::programLPortTableCfmFields, "programLPortTableCfm" )
         << "Set Lport_tab entryfields for lportIdx: " << lportIdx;
      setCfmProfileFields( sp.unit, lPortEntry );
      PT_TRACE( 0, TraceLine::programLPortTableCfmAdd, "programLPortTableCfm" ) << "programLPortTableCfm"
                                                                                << " lportIdx add at idx: " << lportIdx;
   } else {
      PT_TRACE( 0, TraceLine::programLPortTableCfmRemove, "programLPortTableCfm" )
         << "programLPortTableCfm"
         << " lportIdx remove at idx: " << lportIdx;
   }
   Shim::checkedMemWrite( PT_SDK_SITE( TraceLine::programLPortTableCfmWrite, "programLPortTableCfm",
                                       "soc_mem_write( sp.unit(), LPORT_TABm, MEM_BLOCK_ALL, lportIdx, &lPortEntry )" ),
                          sp.unit, Shim::sdk_->LPORT_TABm(), static_cast< int >( lportIdx ), lPortEntry.data() );
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
   cfmClaimIs( sp, setupLPort );
   // The packet tracer has priority on the entry; it restores CFM's profile
   // (or 0) itself when it lets the port go.
   if( isAllocatedSrcTrunkIdx( sp.port ) ) {
      PT_TRACE( 0, TraceLine::programSourceTrunkMapCfmHeld, "programSourceTrunkMapCfm" )
         << "INFO: SOURCE_TRUNK_MAP already programmed for port: " << sp.port << " by another client so return";
      return;
   }
   PT_TRACE( 0, TraceLine::programSourceTrunkMapCfm, "programSourceTrunkMapCfm" )
      << "programSourceTrunkMapCfm"
      << " setup: " << setupLPort << " for lportIdx: " << lportIdx;

   const StrataModInfo * modInfo = modInfoOfUnit( sp.unit );
   if( !modInfo ) {
      PT_TRACE( 0, TraceLine::programSourceTrunkMapCfmNoUnit, "programSourceTrunkMapCfm" )
         << "programSourceTrunkMapCfm"
         << " ERROR: unit: " << sp.unit << " not present in scsd->strataModId()";
      return;
   }
   // Either range error leaves the claim above as it is.
   const StrataCentral::PortTabWriteRequestKey key = sourceTrunkMapKey( *modInfo, sp );

   const U32 value = setupLPort ? lportIdx : 0;
   if( setupLPort ) {
      PT_TRACE( 0, TraceLine::programSourceTrunkMapCfmSet, "programSourceTrunkMapCfm" )
         << "Set SOURCE_TRUNK_MAP entry lportProfileIdx to " << lportIdx;
   } else {
      PT_TRACE( 0, TraceLine::programSourceTrunkMapCfmReset, "programSourceTrunkMapCfm" )
         << "Reset SOURCE_TRUNK_MAP entry lportProfileIdx to 0";
   }
   // postRequest publishes to the directory's subscribers, and what they do
   // may let the slice go; the local reference keeps the directory alive
   // until the call returns. A slice made without a directory has nowhere to
   // post: the request is dropped with an error line.
   const Vela::Ptr< StrataCentral::PortTabWriteRequestDir > requestDir = inputs_.sourceTrunkMapRequestDir;
   if( !requestDir ) {
      PT_TRACE( 0, TraceLine::programSourceTrunkMapCfmNoDir, "programSourceTrunkMapCfm" )
         << "programSourceTrunkMapCfm"
         << " ERROR: no sourceTrunkMapRequestDir, request for port: " << sp << " not posted";
      return;
   }
   requestDir->postRequest( key, value );
}

void
StrataPacketTracerSliceSm::cfmPortIs( bool setup, const StrataTypes::StrataPort & sp, const CfmPortReport & report ) {
   // Refused before anything is written: a port whose claim cannot be kept
   // would leave the profile written for a user that is never counted, and a
   // module id no key can hold would throw out of the reaction.
   if( const std::optional< std::string > refusal = portRefusal( sp ) ) {
      PT_TRACE( 8, report.refused, report.function ) << report.function << " ERROR: port: " << sp << " " << *refusal
                                                     << ", not " << ( setup ? "set up" : "taken down" );
      return;
   }
   // Without the unit's module information a port set up for CFM cannot be
   // re-keyed, and its entry may point at the profile (set up before the
   // information went, or before a restart): its take-down waits for the
   // information (handleModInfo), keeping the profile under it.
   if( !setup && portsSetUp_->cfmUses( sp ) && !modInfoOfUnit( sp.unit ) ) {
      PT_TRACE( 8, TraceLine::cfmTakeDownWaits, "cfmPortIs" )
         << "cfmPortIs"
         << " port: " << sp << " take-down waits: unit: " << sp.unit << " has no module information";
      return;
   }
   const U32 idx = programLPortTableCfm( setup, sp );
   if( idx == noProfile ) {
      return;
   }
   PT_TRACE( 8, report.programmed, report.function )
      << report.function << report.programmedText << sp << " lportIndex: " << idx;
   programSourceTrunkMapCfm( setup, idx, sp );
}

void
StrataPacketTracerSliceSm::cfmClaimIs( const StrataTypes::StrataPort & sp, bool claimed ) {
   if( claimed ) {
      allocateSrcTrunkCfmIdx( sp.port );
   } else {
      freeSrcTrunkCfmIdx( sp.port );
   }
   portsSetUp_->cfmUserIs( sp, claimed );
}

bool
StrataPacketTracerSliceSm::cfmCovers( const StrataTypes::StrataPort & sp ) {
   if( !inputs_.scsd ) {
      return false;
   }
   const Strata::StrataCommonSmData & scsd = *inputs_.scsd;
   const Lumo::IntfId * own = scsd.strataPortToIntf.find( sp );
   const Lumo::IntfId * lag = scsd.strataPortToLag.find( sp );
   const bool ownIntf = own && !own->empty();
   if( ownIntf && lag ) {
      return true; // a port-channel member with an interface of its own
   }
   if( !inputs_.cfmHwConfig ) {
      return false;
   }
   const CfmSw::CfmHwConfig & config = *inputs_.cfmHwConfig;
   return ( ownIntf && presentCfmKeys_.anyPresent( *own, config ) ) ||
          ( lag && presentCfmKeys_.anyPresent( *lag, config ) );
}

bool
StrataPacketTracerSliceSm::stillCovered( const Lumo::IntfId & keyIntf, const StrataTypes::StrataPort & sp ) {
   return presentCfmKeys_.anyPresent( keyIntf, *inputs_.cfmHwConfig ) || cfmCovers( sp );
}

void
StrataPacketTracerSliceSm::cfmPortFollows( const StrataTypes::StrataPort & sp, const CfmPortReport & report ) {
   const bool covered = cfmCovers( sp );
   if( covered != cfmClaims_.holds( sp.port ) ) {
      cfmPortIs( covered, sp, report );
   }
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
   if( !inputs_.cfmHwConfig || !inputs_.scsd ) {
      PT_TRACE( 8, TraceLine::handleLPortTableWriteForCfmNoInput, cfmKeyHandler )
         << cfmKeyHandler << " ERROR: no " << ( inputs_.cfmHwConfig ? "scsd" : "cfmHwConfig" )
         << ", intfVlan: " << intfVlanTuple << " ignored";
      return;
   }
   const bool setup = knownPresent || inputs_.cfmHwConfig->forwardingConfig.contains( intfVlanTuple );
   PT_TRACE( 8, TraceLine::handleLPortTableWriteForCfmKey, cfmKeyHandler )
      << cfmKeyHandler << " => intfVlan: " << intfVlanTuple << " setup: " << setup;
   if( setup ) {
      presentCfmKeys_.keyPresentIs( intfVlanTuple );
   }
   // A removed key takes its ports down only where CFM still does not cover
   // them otherwise (another VLAN of the interface, a key of the port's own
   // interface or of its port-channel, its membership): CFM's claims are per
   // port, not per reason.
   auto keptCovered = [ & ]( const StrataTypes::StrataPort & sp, TraceLine site ) {
      if( setup || !stillCovered( intfVlanTuple.intfId(), sp ) ) {
         return false;
      }
      PT_TRACE( 8, site, cfmKeyHandler ) << cfmKeyHandler << " port: " << sp << " kept: CFM still covers it";
      return true;
   };

   const Lumo::IntfId & intfId = intfVlanTuple.intfId();
   if( !Lumo::PortChannelIntfId::isPortChannelIntfId( intfId ) ) {
      const StrataTypes::StrataPort * cached = inputs_.scsd->strataIntfToPortCache.find( intfId );
      const StrataTypes::StrataPort sp = cached ? *cached : StrataTypes::StrataPort::nullPort();
      // (The null port of an interface without a chip port is every slice's
      // to refuse.)
      if( !( sp == StrataTypes::StrataPort::nullPort() ) &&
          !servesPort( sp, TraceLine::handleLPortTableWriteForCfmOtherModule, cfmKeyHandler ) ) {
         return;
      }
      if( !keptCovered( sp, TraceLine::handleLPortTableWriteForCfmKept ) ) {
         cfmPortIs( setup, sp,
                    { cfmKeyHandler, TraceLine::handleLPortTableWriteForCfmRefused,
                      TraceLine::handleLPortTableWriteForCfmPort, " sp: " } );
      }
      return;
   }

   PT_TRACE( 8, TraceLine::handleLPortTableWriteForCfmLag, cfmKeyHandler )
      << cfmKeyHandler << " port-channel intf: " << intfId;
   const StrataTypes::StrataPortList * members = inputs_.scsd->strataLagToPort.find( intfId );
   if( !members ) {
      PT_TRACE( 8, TraceLine::handleLPortTableWriteForCfmNoLag, cfmKeyHandler )
         << cfmKeyHandler << " ERROR: lagIntf: " << intfId << " not in scsd()";
      return;
   }
   // A copy: the SDK calls below release the activity lock, and the shared
   // state's member set may change meanwhile.
   const StrataTypes::StrataPortList memberPorts = *members;
   for( const StrataTypes::StrataPort & sp : memberPorts ) {
      if( !servesPort( sp, TraceLine::handleLPortTableWriteForCfmMemberOtherModule, cfmKeyHandler ) ) {
         continue;
      }
      PT_TRACE( 8, TraceLine::handleLPortTableWriteForCfmMember, cfmKeyHandler )
         << cfmKeyHandler << " member port: " << sp;
      PT_TRACE( 8, TraceLine::handleLPortTableWriteForCfmMemberIntf, cfmKeyHandler )
         << cfmKeyHandler << " member intfId: " << intfOfPort( *inputs_.scsd, sp );
      if( !keptCovered( sp, TraceLine::handleLPortTableWriteForCfmMemberKept ) ) {
         cfmPortIs( setup, sp,
                    { cfmKeyHandler, TraceLine::handleLPortTableWriteForCfmMemberRefused,
                      TraceLine::handleLPortTableWriteForCfmMemberPort, " port-channel member port: " } );
      }
   }
}

void
StrataPacketTracerSliceSm::handleLPortTableWriteForCfm() {
   if( !cfmProgrammingEnabled() || !initialized_ ) {
      return;
   }
   // See the per-key form.
   if( !inputs_.cfmHwConfig || !inputs_.scsd ) {
      PT_TRACE( 8, TraceLine::handleLPortTableWriteForCfmWalkNoInput, cfmKeyHandler )
         << cfmKeyHandler << " ERROR: no " << ( inputs_.cfmHwConfig ? "scsd" : "cfmHwConfig" );
      return;
   }
   PT_TRACE( 8, TraceLine::handleLPortTableWriteForCfmWalk, cfmKeyHandler ) << cfmKeyHandler;
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
   const Vela::Ptr< const CfmSw::CfmHwConfig > cfmHwConfig = inputs_.cfmHwConfig; // kept for the whole walk
   const auto & forwardingConfig = cfmHwConfig->forwardingConfig;
   std::vector< Entry > entries;
   entries.reserve( forwardingConfig.size() );
   for( const auto & [ key, config ] : forwardingConfig ) {
      entries.push_back( Entry{ key, config.ptr() } );
   }
   const U64 changesAtSnapshot = cfmConfigChanges_;
   for( const Entry & entry : entries ) {
      const bool unchanged = cfmHwConfigSubscriber_.isSubscribed() && cfmConfigChanges_ == changesAtSnapshot;
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
   if( !inputs_.scsd ) {
      PT_TRACE( 8, TraceLine::handlePortToLagNoInput, "handlePortToLag" )
         << "handlePortToLag"
         << " ERROR: no scsd, port: " << sp << " ignored";
      return;
   }
   if( !servesPort( sp, TraceLine::handlePortToLagOtherModule, "handlePortToLag" ) ) {
      return;
   }
   PT_TRACE( 8, TraceLine::handlePortToLag, "handlePortToLag" )
      << "handlePortToLag"
      << " intf: " << intfOfPort( *inputs_.scsd, sp ) << " added: " << inputs_.scsd->strataPortToLag.contains( sp );
   cfmPortFollows( sp, { "handlePortToLag", TraceLine::handlePortToLagRefused, TraceLine::handlePortToLagPort,
                         " port-channel sp: " } );
}

void
StrataPacketTracerSliceSm::handlePortToIntf( const StrataTypes::StrataPort & sp ) {
   // An interface that loses its port may be the one the tracer's request
   // names: the port goes back. For CFM, an interface that gets its port
   // after its key or its membership, or loses it: the same rule decides.
   if( !inputs_.scsd || !servesPort( sp, TraceLine::handlePortToIntfOtherModule, "handlePortToIntf" ) ) {
      return;
   }
   tracerClaimsTakenBack();
   if( !cfmProgrammingEnabled() ) {
      return;
   }
   PT_TRACE( 8, TraceLine::handlePortToIntf, "handlePortToIntf" )
      << "handlePortToIntf"
      << " port: " << sp << " intf: " << intfOfPort( *inputs_.scsd, sp );
   cfmPortFollows(
      sp, { "handlePortToIntf", TraceLine::handlePortToIntfRefused, TraceLine::handlePortToIntfPort, " sp: " } );
}

void
StrataPacketTracerSliceSm::handleModInfo( U16 unit ) {
   if( !initialized_ || !modInfoOfUnit( unit ) ) {
      return;
   }
   tracerClaimsTakenBack();
   if( !cfmProgrammingEnabled() ) {
      return;
   }
   PT_TRACE( 8, TraceLine::handleModInfo, "handleModInfo" ) << "handleModInfo"
                                                            << " unit: " << unit;
   const CfmPortReport report{ "handleModInfo", TraceLine::handleModInfoRefused, TraceLine::handleModInfoPort,
                               " sp: " };
   for( const StrataTypes::StrataPort & sp : portsSetUp_->cfmUsersOfModule( modId_.value() ) ) {
      // (Users an earlier slice of the module left are taken over here.)
      if( sp.unit != unit ) {
         continue;
      }
      if( cfmCovers( sp ) ) {
         // Set up while the entry could not be keyed: the profile is there,
         // the request is what is missing (or keyed by the old information).
         PT_TRACE( 8, report.programmed, report.function )
            << report.function << report.programmedText << sp << " lportIndex: " << lPortCfmProfileIdx_;
         programSourceTrunkMapCfm( true, lPortCfmProfileIdx_, sp );
      } else {
         cfmPortIs( false, sp, report ); // a take-down that waited
      }
   }
}

// The reactors hold no counted reference to the slice: a slice can hear an
// event while it is still being constructed, with no reference yet, and
// taking and dropping one then would destroy it.
void
StrataPacketTracerSliceSm::cfmHwConfigDispatch( Vela::Publisher *, Vela::Subscriber * subscriber, short attrId,
                                                const void * key, const void * ) {
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
   if( !key || !subscriber ) {
      return;
   }
   auto * slice = subscriber->ownerAs< StrataPacketTracerSliceSm >();
   if( !slice || slice->quillMarkedForDeletion() ) {
      return;
   }
   switch( attrId ) {
   case StrataCommonSmData::strataPortToLagAttr:
      slice->handlePortToLag( *static_cast< const StrataTypes::StrataPort * >( key ) );
      break;
   case StrataCommonSmData::strataPortToIntfAttr:
      slice->handlePortToIntf( *static_cast< const StrataTypes::StrataPort * >( key ) );
      break;
   case StrataCommonSmData::strataModIdAttr: slice->handleModInfo( *static_cast< const U16 * >( key ) ); break;
   default: break;
   }
}

} // namespace Strata
