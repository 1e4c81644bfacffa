#include "AgentWorld.h"

#include "Flagpole/Toggle.h"
#include "Pallet/Pallet.h"
#include "Quill/ActivityLock.h"
#include "Quill/Clock.h"
#include "Quill/Trace.h"
#include "Quill/Type.h"
#include "Shim/SimChip.h"

#include <stdexcept>

namespace Bench {

namespace {

constexpr const char * cfmHwConfigPath = "cfmSw/cfmHwConfig";
constexpr const char * requestConfigPath = "stratapackettracer/lPortTableWriteRequestConfig";
constexpr const char * statusDirPath = "stratapackettracer/lPortTableWriteRequestStatus";
constexpr const char * requestDirPathPrefix =
   "hardware/strata/globalStatus/stratalag/tableMgrDir/sourceTrunkMap/StrataPacketTracer-";

constexpr const char * pluginHandles[] = { "StrataPacketTracerSliceMounter", "ApiStrata" };

// The counting sink's tally; only the benchmark thread traces.
std::size_t traceLinesSeen = 0;

template < typename T >
Vela::Ptr< T >
entityAs( const Vela::Ptr< Quill::Entity > & entity, const std::string & what ) {
   Vela::Ptr< T > typed = Vela::dynamicPtrCast< T >( entity );
   if( !typed ) {
      throw std::logic_error( "bench world: " + what + " is not a " + T::quillTypeName );
   }
   return typed;
}

} // namespace

TraceMode::TraceMode( bool on ) {
   traceLinesSeen = 0;
   if( on ) {
      Quill::traceSinkIs( []( const Quill::TraceRecord & ) { ++traceLinesSeen; } );
   } else {
      Quill::traceSinkIs( nullptr );
   }
   for( const char * handle : pluginHandles ) {
      Quill::traceLevelsIs( handle, on ? 0xFFFF : 0 );
   }
}

TraceMode::~TraceMode() {
   for( const char * handle : pluginHandles ) {
      Quill::traceLevelsIs( handle, 0 );
   }
   Quill::traceSinkIs( nullptr );
}

std::size_t
TraceMode::lines() const noexcept {
   return traceLinesSeen;
}

AgentWorld::AgentWorld() {
   Quill::System::currentTimeIs( 0 );
   Shim::simChip().reset();
   Shim::simChip().accessHookIs( nullptr );
   Shim::simChip().failureHookIs( nullptr );
   // The plug-in reads each toggle once per process; every benchmark runs
   // with CFM programming on.
   Flagpole::toggleStateIs( "StrataCfmOnTH3", true );
   Flagpole::toggleStateIs( "StrataCfmOnTH3Masquerade", true );

   em_ = Pallet::make< Cairn::EntityManager >( "stateDb" );
   cfm_ = entityAs< CfmSw::CfmHwConfig >( em_->entityIs( cfmHwConfigPath, CfmSw::CfmHwConfig::quillTypeName ),
                                          cfmHwConfigPath );
   request_ = entityAs< StrataPacketTracer::LPortTableWriteRequestConfig >(
      em_->entityIs( requestConfigPath, StrataPacketTracer::LPortTableWriteRequestConfig::quillTypeName ),
      requestConfigPath );
   statusDir_ = entityAs< Quill::Dir >( em_->entityIs( statusDirPath, Quill::Dir::quillTypeName ), statusDirPath );
   status_ = entityAs< StrataPacketTracer::LPortTableWriteRequestStatus >(
      statusDir_->createEntity( std::string( "Strata-" ) + contextName,
                                StrataPacketTracer::LPortTableWriteRequestStatus::quillTypeName ),
      "status entity" );
   const std::string requestDirPath = std::string( requestDirPathPrefix ) + contextName;
   requestDir_ = entityAs< StrataCentral::PortTabWriteRequestDir >(
      em_->entityIs( requestDirPath, StrataCentral::PortTabWriteRequestDir::quillTypeName ), requestDirPath );
   scsd_ = Pallet::make< Strata::StrataCommonSmData >( "strataCommon" );
   hostContext_ = Pallet::make< StrataLib::HostContext >( em_, contextName );
   hostContext_->sharedEntityIs( "strataCommon", scsd_ );

   Quill::activityLock().lock();
}

AgentWorld::~AgentWorld() {
   stop();
   Quill::activityLock().unlock();
   hostContext_ = nullptr;
   scsd_ = nullptr;
   requestDir_ = nullptr;
   status_ = nullptr;
   statusDir_ = nullptr;
   request_ = nullptr;
   cfm_ = nullptr;
   em_ = nullptr;
   Quill::System::currentTimeIs( 0 );
}

void
AgentWorld::start() {
   if( mounter_ ) {
      throw std::logic_error( "bench world: the agent is started already" );
   }
   mounter_ = Vela::dynamicPtrCast< Strata::StrataPacketTracerSliceMounter >( Quill::newEntityForDir(
      Strata::StrataPacketTracerSliceMounter::quillTypeName, "StrataPacketTracerSliceMounter" ) );
   if( !mounter_ ) {
      throw std::logic_error( "bench world: the plug-in's mounter type is not registered" );
   }
   mounter_->hostContextIs( hostContext_ );
   mounter_->doInit();
   const Cairn::MountStatus status = em_->completeMounts( *em_->getMountGroup( mounter_.ptr() ), {} );
   mounter_->doMountsComplete( status, em_ );
}

void
AgentWorld::stop() {
   if( !mounter_ ) {
      return;
   }
   em_->mountGroupDel( mounter_.ptr() );
   // The host's reference is the last one: the root and every slice go with it.
   mounter_ = nullptr;
}

Vela::Ptr< Strata::StrataPacketTracerSliceSm >
AgentWorld::slice( unsigned modId ) const {
   if( !mounter_ || !mounter_->strataPacketTracerSliceRootSm() ) {
      return {};
   }
   return mounter_->strataPacketTracerSliceRootSm()->strataPacketTracerSliceSm( StrataCentral::ModId( modId ) );
}

void
AgentWorld::moduleIs( unsigned modId, U16 onUnit ) {
   scsd_->strataModIdToUnit.set( StrataCentral::ModId( modId ), onUnit );
}

void
AgentWorld::moduleDel( unsigned modId ) {
   scsd_->strataModIdToUnit.erase( StrataCentral::ModId( modId ) );
}

void
AgentWorld::unitInfoIs( U16 onUnit, U16 modInfo ) {
   scsd_->strataModId.set( onUnit, Strata::StrataModInfo{ modInfo, StrataCentral::ChipInfo{} } );
}

void
AgentWorld::interfaceIs( const std::string & name, const StrataTypes::StrataPort & sp ) {
   const Lumo::IntfId intf( name );
   scsd_->intf.set( intf, true );
   scsd_->strataIntfToPortCache.set( intf, sp );
   scsd_->strataPortToIntf.set( sp, intf );
}

void
AgentWorld::cfmKeyIs( const CfmSw::IntfVlanTuple & key ) {
   cfm_->forwardingConfig.set( key, Pallet::make< CfmSw::CfmForwardingConfig >( key ) );
}

void
AgentWorld::cfmKeyDel( const CfmSw::IntfVlanTuple & key ) {
   cfm_->forwardingConfig.erase( key );
}

} // namespace Bench
