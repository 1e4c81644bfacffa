#include "AgentHarness.h"

#include "Flagpole/Toggle.h"
#include "Pallet/Pallet.h"
#include "Quill/ActivityLock.h"
#include "Quill/Clock.h"
#include "Quill/Type.h"
#include "Shim/SimChip.h"

#include <limits>
#include <sstream>
#include <stdexcept>

namespace ModelTest {

namespace {

constexpr const char * contextName = "model";
constexpr const char * cfmPath = "cfmSw/cfmHwConfig";
constexpr const char * requestPath = "stratapackettracer/lPortTableWriteRequestConfig";
constexpr const char * statusDirPath = "stratapackettracer/lPortTableWriteRequestStatus";
constexpr const char * requestDirPrefix =
   "hardware/strata/globalStatus/stratalag/tableMgrDir/sourceTrunkMap/StrataPacketTracer-";
constexpr const char * traceHandles[] = { "StrataPacketTracerSliceMounter", "ApiStrata" };

// Values the harness itself keeps alive between starts (one per CFM key).
bool
ownedByHarness( const std::string & typeName ) {
   return typeName == CfmSw::CfmForwardingConfig::quillTypeName;
}

template< typename T >
Vela::Ptr< T >
entityAt( Cairn::EntityManager & em, const std::string & path, const char * typeName ) {
   Vela::Ptr< T > entity = Vela::dynamicPtrCast< T >( em.entityIs( path, typeName ) );
   if( !entity ) {
      throw std::logic_error( "harness: no " + std::string( typeName ) + " at " + path );
   }
   return entity;
}

} // namespace

AgentHarness::AgentHarness( const Universe & universe, bool captureTraces )
      : universe_( universe ), captureTraces_( captureTraces ) {
   Quill::System::currentTimeIs( 0 );
   Shim::SimChip & chip = Shim::simChip();
   chip.reset();
   chip.accessHookIs( nullptr );
   chip.failureHookIs( nullptr );
   for( const Port & port : universe_.ports() ) {
      for( const auto & [ field, value ] : universe_.portTab( port.port ) ) {
         chip.entryFieldIs( port.unit, chip.PORT_TABm(), port.port, field, value );
      }
   }
   for( const auto & [ index, fields ] : universe_.lportTabPresets() ) {
      for( const auto & [ field, value ] : fields ) {
         chip.entryFieldIs( chipUnit, chip.LPORT_TABm(), index, field, value );
      }
   }
   chip.cpuPktProfile2Is( chipUnit, cpuPktProfilePreset );
   // The plug-in reads each toggle once per process: they are on before the
   // first agent start and stay on.
   Flagpole::toggleStateIs( "StrataCfmOnTH3", true );
   Flagpole::toggleStateIs( "StrataCfmOnTH3Masquerade", true );
   if( captureTraces_ ) {
      Quill::traceSinkIs( [ this ]( const Quill::TraceRecord & record ) { traces_.push_back( record ); } );
      for( const char * handle : traceHandles ) {
         Quill::traceLevelsIs( handle, 0xFFFF );
      }
   }

   em_ = Pallet::make< Cairn::EntityManager >( "sysdb" );
   cfm_ = entityAt< CfmSw::CfmHwConfig >( *em_, cfmPath, CfmSw::CfmHwConfig::quillTypeName );
   request_ = entityAt< StrataPacketTracer::LPortTableWriteRequestConfig >(
      *em_, requestPath, StrataPacketTracer::LPortTableWriteRequestConfig::quillTypeName );
   auto statusDir = entityAt< Quill::Dir >( *em_, statusDirPath, Quill::Dir::quillTypeName );
   status_ = Vela::dynamicPtrCast< StrataPacketTracer::LPortTableWriteRequestStatus >( statusDir->createEntity(
      std::string( "Strata-" ) + contextName, StrataPacketTracer::LPortTableWriteRequestStatus::quillTypeName ) );
   requestDir_ = entityAt< StrataCentral::PortTabWriteRequestDir >(
      *em_, std::string( requestDirPrefix ) + contextName, StrataCentral::PortTabWriteRequestDir::quillTypeName );
   scsd_ = Pallet::make< Strata::StrataCommonSmData >( "strataCommon" );
   scsd_->strataModId.set( chipUnit, Strata::StrataModInfo{ chipUnitModInfo, StrataCentral::ChipInfo{} } );
   if( !status_ ) {
      throw std::logic_error( "harness: the status entity could not be made" );
   }
   agentTable_ = std::make_unique< SourceTrunkMapWriter >( requestDir_ );
   completions_ = std::make_unique< CompletionRecorder >( status_ );

   // The activity manager and its clock are made on first use: before the
   // counts are taken, so that they count as the host's.
   clockNotifieesBefore_ = Quill::activityManager()->clock()->notifiees();
   for( const auto & [ name, tracker ] : Pallet::trackers() ) {
      liveBefore_[ name ] = tracker.live;
   }

   Quill::activityLock().lock();
   start();
}

AgentHarness::~AgentHarness() {
   if( mounter_ ) {
      stop();
   }
   Quill::activityLock().unlock();
   if( captureTraces_ ) {
      Quill::traceSinkIs( nullptr );
      for( const char * handle : traceHandles ) {
         Quill::traceLevelsIs( handle, 0 );
      }
   }
   Quill::System::currentTimeIs( 0 );
   Shim::simChip().reset();
}

void
AgentHarness::start() {
   auto made = Quill::newEntityForDir( Strata::StrataPacketTracerSliceMounter::quillTypeName,
                                       "StrataPacketTracerSliceMounter" );
   mounter_ = Vela::dynamicPtrCast< Strata::StrataPacketTracerSliceMounter >( made );
   if( !mounter_ ) {
      throw std::logic_error( "harness: the mounter type made no mounter" );
   }
   auto context = Pallet::make< StrataLib::HostContext >( em_, contextName );
   context->sharedEntityIs( "strataCommon", scsd_ );
   mounter_->hostContextIs( context );
   mounter_->doInit();
   const Cairn::MountStatus status = em_->completeMounts( *em_->getMountGroup( mounter_.ptr() ) );
   mounter_->doMountsComplete( status, em_ );
}

void
AgentHarness::stop() {
   em_->mountGroupDel( mounter_.ptr() );
   // The harness holds the only reference: the mounter goes here, and with it
   // the root and every slice.
   mounter_ = nullptr;
   stopLeftovers_ = leftovers();
}

std::vector< std::string >
AgentHarness::finish() {
   if( mounter_ ) {
      stop();
   }
   return stopLeftovers_;
}

std::vector< std::string >
AgentHarness::leftovers() const {
   std::vector< std::string > found;
   for( const auto & [ name, tracker ] : Pallet::trackers() ) {
      auto before = liveBefore_.find( name );
      const std::size_t expected = before == liveBefore_.end() ? 0 : before->second;
      if( tracker.live != expected && !ownedByHarness( name ) ) {
         found.push_back( "live " + name + ": " + std::to_string( tracker.live ) + ", before the agent started " +
                          std::to_string( expected ) );
      }
   }
   auto subscribers = [ & ]( const char * what, std::size_t count, std::size_t harnessOwn ) {
      if( count != harnessOwn ) {
         found.push_back( std::string( "subscribers left on the " ) + what + ": " +
                          std::to_string( count - harnessOwn ) );
      }
   };
   subscribers( "shared Strata state", scsd_->publisher().subscribers(), 0 );
   subscribers( "request", request_->publisher().subscribers(), 0 );
   subscribers( "CFM configuration", cfm_->publisher().subscribers(), 0 );
   subscribers( "status", status_->publisher().subscribers(), 1 );
   subscribers( "request directory", requestDir_->publisher().subscribers(), 1 );
   const std::size_t notifiees = Quill::activityManager()->clock()->notifiees();
   if( notifiees != clockNotifieesBefore_ ) {
      found.push_back( "activity clock notifiees: " + std::to_string( notifiees ) + ", before " +
                       std::to_string( clockNotifieesBefore_ ) );
   }
   return found;
}

Vela::Ptr< Strata::StrataPacketTracerSliceRootSm >
AgentHarness::root() const {
   return mounter_ ? mounter_->strataPacketTracerSliceRootSm() : nullptr;
}

void
AgentHarness::apply( const Action & action ) {
   Strata::StrataCommonSmData & scsd = *scsd_;
   switch( action.kind ) {
    case ActionKind::moduleAdd:
      scsd.strataModIdToUnit.set( StrataCentral::ModId( action.module ), chipUnit );
      break;
    case ActionKind::moduleRemove: scsd.strataModIdToUnit.erase( StrataCentral::ModId( action.module ) ); break;
    case ActionKind::intfAdd: intfAdd( action ); break;
    case ActionKind::intfRemove: intfRemove( action.intf ); break;
    case ActionKind::lagSet: lagSet( action ); break;
    case ActionKind::lagRemove: lagRemove( action.intf ); break;
    case ActionKind::cfmAdd: {
       const CfmSw::IntfVlanTuple key( Lumo::IntfId( action.intf ), action.vlan );
       cfm_->forwardingConfig.set( key, Pallet::make< CfmSw::CfmForwardingConfig >( key ) );
       break;
    }
    case ActionKind::cfmRemove:
      cfm_->forwardingConfig.erase( CfmSw::IntfVlanTuple( Lumo::IntfId( action.intf ), action.vlan ) );
      break;
    case ActionKind::tracer:
      // As the packet tracer posts: the attributes, then the version change.
      request_->requestIdIs( PacketTracer::RequestId{ "r", action.requestNumber } );
      request_->intfIdIs( Lumo::IntfId( action.intf ) );
      request_->enableIs( action.enable );
      request_->cpuPktProfileEnableIs( action.cpu );
      request_->versionIs( request_->version() + 1 );
      break;
    case ActionKind::timeout: timeoutIs( action.seconds, action.viaGeneric ); break;
    case ActionKind::advance: Quill::System::advanceBy( action.seconds ); break;
    case ActionKind::restart:
      stop();
      start();
      break;
   }
}

void
AgentHarness::intfAdd( const Action & action ) {
   // As the host keeps its maps: the collection entry, then the port cache,
   // then the reverse map.
   const Lumo::IntfId intf( action.intf );
   ( action.unused ? scsd_->unusedIntf : scsd_->intf ).set( intf, true );
   if( const std::optional< Port > port = universe_.portOf( action.intf ) ) {
      scsd_->strataIntfToPortCache.set( intf, *port );
      scsd_->strataPortToIntf.set( *port, intf );
   }
}

void
AgentHarness::intfRemove( const std::string & name ) {
   const Lumo::IntfId intf( name );
   const Port * cached = scsd_->strataIntfToPortCache.find( intf );
   const std::optional< Port > port = cached ? std::optional( *cached ) : std::nullopt;
   scsd_->intf.erase( intf );
   scsd_->unusedIntf.erase( intf );
   scsd_->strataIntfToPortCache.erase( intf );
   if( port ) {
      scsd_->strataPortToIntf.erase( *port );
   }
}

void
AgentHarness::lagSet( const Action & action ) {
   // The member set first, then each member's LAG entry in the order given,
   // then the entries of the ports that left.
   const Lumo::IntfId lag( action.intf );
   const StrataTypes::StrataPortList * current = scsd_->strataLagToPort.find( lag );
   const StrataTypes::StrataPortList before = current ? *current : StrataTypes::StrataPortList();
   const StrataTypes::StrataPortList after( action.members.begin(), action.members.end() );
   scsd_->strataLagToPort.set( lag, after );
   for( const Port & port : action.members ) {
      scsd_->strataPortToLag.set( port, lag );
   }
   for( const Port & port : before ) {
      if( !after.count( port ) ) {
         scsd_->strataPortToLag.erase( port );
      }
   }
}

void
AgentHarness::lagRemove( const std::string & name ) {
   const Lumo::IntfId lag( name );
   const StrataTypes::StrataPortList * current = scsd_->strataLagToPort.find( lag );
   const StrataTypes::StrataPortList before = current ? *current : StrataTypes::StrataPortList();
   for( const Port & port : before ) {
      scsd_->strataPortToLag.erase( port );
   }
   scsd_->strataLagToPort.erase( lag );
}

void
AgentHarness::timeoutIs( double seconds, bool viaGeneric ) {
   auto r = root();
   if( !r ) {
      return;
   }
   for( const auto & [ modId, slice ] : r->strataPacketTracerSliceSms() ) {
      if( !viaGeneric ) {
         slice->timeoutIs( seconds );
         continue;
      }
      Quill::Value result;
      const Quill::AttrAnswer answer =
         Quill::genericAttrOp( Vela::Ptr< Quill::PtrInterface >( slice.ptr() ),
                               Strata::StrataPacketTracerSliceSm::timeoutId, Quill::AttrOp::write,
                               Quill::ValueList{ Quill::Value( seconds ) }, result );
      if( answer != Quill::AttrAnswer::done ) {
         throw std::runtime_error( "writing timeout through the generic interface of slice " +
                                   std::to_string( modId.value() ) + " answered " +
                                   std::to_string( int( answer ) ) );
      }
   }
}

Observation
AgentHarness::observe() {
   Observation o;
   o.sourceTrunkMap = agentTable_->table();
   requestDir_->requestsClear(); // the table above is what the agent keeps

   Shim::SimChip & chip = Shim::simChip();
   const auto lportTab = chip.LPORT_TABm();
   const std::vector< std::string > fields = chip.fieldNames( lportTab );
   for( int index : chip.nonZeroEntries( chipUnit, lportTab ) ) {
      FieldValues & entry = o.lportTab[ index ];
      for( const std::string & field : fields ) {
         if( const U32 value = chip.entryField( chipUnit, lportTab, index, field ) ) {
            entry[ field ] = value;
         }
      }
   }
   for( int unit = 0; unit < Shim::SimChip::unitCount; ++unit ) {
      if( unit == chipUnit ) {
         continue;
      }
      for( int index : chip.nonZeroEntries( unit, lportTab ) ) {
         o.otherUnitEntries.push_back( "unit " + std::to_string( unit ) + " LPORT_TAB " +
                                       std::to_string( index ) );
      }
      if( chip.cpuPktProfile2( unit ) ) {
         o.otherUnitEntries.push_back( "unit " + std::to_string( unit ) + " CPU_PKT_PROFILE_2" );
      }
   }
   o.cpuPktProfile2 = chip.cpuPktProfile2( chipUnit );

   o.statusVersion = status_->version();
   o.statusState = unsigned( status_->state() );
   std::ostringstream id;
   id << status_->requestId();
   o.statusRequestId = id.str();
   o.completions = completions_->take();

   if( auto r = root() ) {
      for( const auto & [ modId, slice ] : r->strataPacketTracerSliceSms() ) {
         SliceView view;
         view.modId = modId.value();
         view.timeout = slice->timeout();
         view.handleClockCalled = slice->handleClockCalled();
         view.wakeUp = slice->clockNotifiee() ? slice->clockNotifiee()->timeMin()
                                              : std::numeric_limits< double >::quiet_NaN();
         auto claims = []( const Vela::Ptr< Ferro::Bitmap > & bitmap ) {
            std::set< U32 > set;
            for( U32 i = 0; bitmap && i < bitmap->size(); ++i ) {
               if( bitmap->isBitSet( i ) ) {
                  set.insert( i );
               }
            }
            return set;
         };
         view.tracerClaims = claims( slice->srcTrunkBitmap() );
         view.cfmClaims = claims( slice->srcTrunkBitmapCfm() );
         o.slices.push_back( std::move( view ) );
      }
   }
   return o;
}

} // namespace ModelTest
