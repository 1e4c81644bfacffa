// The real plug-in, driven as the host agent drives it, and the runs that
// compare it with the reference model step by step.
//
// The harness builds what the host has before the agent starts: the state
// database with the CFM configuration, the packet tracer's request, the
// status directory with "Strata-model" in it and the source-trunk-map request
// directory; the shared Strata state "strataCommon" with the chip unit's
// module information; the simulated chip reset, with the world's PORT_TAB,
// LPORT_TAB and CPU_PKT_PROFILE_2 presets; virtual time 0; both CFM toggles
// on; the activity lock held, as the activity thread holds it around every
// callback. Starting follows the host: the mounter made by type name, given a
// host context, doInit, the database serves the mounts, doMountsComplete.
// Stopping drops the mounter, and with it the root and every slice. Posted
// source-trunk-map requests are carried out as the agent's table manager
// would, keeping the last profile per (module id, port).
#include "Audit.h"
#include "Model.h"
#include "StrataPacketTracerSliceMounter.h"

#include "Agent/CfmHwConfig.h"
#include "Agent/StrataCommonSmData.h"
#include "Cairn/EntityManager.h"
#include "Flagpole/Toggle.h"
#include "Pallet/Pallet.h"
#include "Quill/ActivityLock.h"
#include "Quill/Clock.h"
#include "Quill/Type.h"
#include "Shim/SimChip.h"
#include "StrataLib/MounterBase.h"

#include <exception>
#include <sstream>
#include <utility>

namespace ModelTest {

namespace {

template< typename T >
Vela::Ptr< T >
entityAt( Cairn::EntityManager & em, const std::string & path ) {
   return Vela::dynamicPtrCast< T >( em.entityIs( path, T::quillTypeName ) );
}

// One harness per run: it resets the process-wide state it uses when made,
// and time and chip again when it goes.
class AgentHarness {
 public:
   AgentHarness() {
      Quill::System::currentTimeIs( 0 );
      Shim::SimChip & chip = Shim::simChip();
      chip.reset();
      for( const Port & port : ports() ) {
         for( const auto & [ field, value ] : portTab( port.port ) ) {
            chip.entryFieldIs( port.unit, chip.PORT_TABm(), port.port, field, value );
         }
      }
      for( const auto & [ index, fields ] : lportTabPresets() ) {
         for( const auto & [ field, value ] : fields ) {
            chip.entryFieldIs( chipUnit, chip.LPORT_TABm(), index, field, value );
         }
      }
      chip.cpuPktProfile2Is( chipUnit, cpuPktProfilePreset );
      // The plug-in reads each toggle once per process: on from the first start.
      Flagpole::toggleStateIs( "StrataCfmOnTH3", true );
      Flagpole::toggleStateIs( "StrataCfmOnTH3Masquerade", true );
      em_ = Pallet::make< Cairn::EntityManager >( "stateDb" );
      cfm_ = entityAt< CfmSw::CfmHwConfig >( *em_, "cfmSw/cfmHwConfig" );
      request_ = entityAt< StrataPacketTracer::LPortTableWriteRequestConfig >(
         *em_, "stratapackettracer/lPortTableWriteRequestConfig" );
      status_ = entityAt< StrataPacketTracer::LPortTableWriteRequestStatus >(
         *em_, "stratapackettracer/lPortTableWriteRequestStatus/Strata-model" );
      requestDir_ = entityAt< StrataCentral::PortTabWriteRequestDir >(
         *em_, "hardware/strata/globalStatus/stratalag/tableMgrDir/sourceTrunkMap/StrataPacketTracer-model" );
      scsd_ = Pallet::make< Strata::StrataCommonSmData >( "strataCommon" );
      scsd_->strataModId.set( chipUnit, Strata::StrataModInfo{ chipUnitModInfo, StrataCentral::ChipInfo{} } );
      status_->publisher().subscriberAdd( &statusWatch_, false );
      Quill::activityManager()->clock(); // made on first use: counted as the host's
      for( const auto & [ name, tracker ] : Pallet::trackers() ) {
         liveBefore_[ name ] = tracker.live;
      }
      Quill::activityLock().lock();
      start();
   }
   ~AgentHarness() {
      if( mounter_ ) {
         stop();
      }
      Quill::activityLock().unlock();
      status_->publisher().subscriberRemove( &statusWatch_ );
      Quill::System::currentTimeIs( 0 );
      Shim::simChip().reset();
   }
   AgentHarness( const AgentHarness & ) = delete;
   AgentHarness & operator=( const AgentHarness & ) = delete;

   // Carries an action out on the host side; the plug-in reacts inside.
   // After a restart, what the stop left behind: see stop().
   std::vector< std::string > apply( const Action & action );
   // What the plug-in's work has left, with the completions published since
   // the last observation.
   Observation observe();
   // The simulator's audit of the world as it is: the differences from what
   // the clients asked for, one line each.
   std::vector< std::string > audit() const;
   // Stops the agent; returns the framework objects left alive above the
   // counts from before the first start. (Subscribers left on the inputs are
   // checked after every plug-in test by plugin/PluginFixture.h.)
   std::vector< std::string > stop();

 private:
   void start() {
      mounter_ = Vela::dynamicPtrCast< Strata::StrataPacketTracerSliceMounter >( Quill::newEntityForDir(
         Strata::StrataPacketTracerSliceMounter::quillTypeName, "StrataPacketTracerSliceMounter" ) );
      auto context = Pallet::make< StrataLib::HostContext >( em_, "model" );
      context->sharedEntityIs( "strataCommon", scsd_ );
      mounter_->hostContextIs( context );
      mounter_->doInit();
      mounter_->doMountsComplete( em_->completeMounts( *em_->getMountGroup( mounter_.ptr() ) ), em_ );
   }
   static void statusDispatch( Vela::Publisher *, Vela::Subscriber * subscriber, short attrId, const void *,
                               const void * ) {
      if( attrId == StrataPacketTracer::LPortTableWriteRequestStatus::versionAttr ) {
         subscriber->ownerAs< AgentHarness >()->completions_.push_back( Quill::System::currentTime() );
      }
   }

   Vela::Ptr< Cairn::EntityManager > em_;
   Vela::Ptr< CfmSw::CfmHwConfig > cfm_;
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestConfig > request_;
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > status_;
   Vela::Ptr< StrataCentral::PortTabWriteRequestDir > requestDir_;
   Vela::Ptr< Strata::StrataCommonSmData > scsd_;
   Vela::Ptr< Strata::StrataPacketTracerSliceMounter > mounter_;
   Vela::Subscriber statusWatch_{ &statusDispatch, this }; // notes each completion's time
   std::vector< double > completions_;
   std::map< std::pair< U16, U16 >, U32 > sourceTrunkMap_;
   std::map< std::string, std::size_t > liveBefore_;
};

std::vector< std::string >
AgentHarness::stop() {
   em_->mountGroupDel( mounter_.ptr() );
   mounter_ = nullptr; // the only reference: the root and every slice go with it
   std::vector< std::string > leftovers;
   for( const auto & [ name, tracker ] : Pallet::trackers() ) {
      const std::size_t before = liveBefore_.count( name ) ? liveBefore_[ name ] : 0;
      // The harness itself keeps one forwarding config per present CFM key.
      if( tracker.live != before && name != CfmSw::CfmForwardingConfig::quillTypeName ) {
         leftovers.push_back( "live " + name + ": " + std::to_string( tracker.live ) + ", before " +
                              std::to_string( before ) );
      }
   }
   return leftovers;
}

std::vector< std::string >
AgentHarness::apply( const Action & action ) {
   Strata::StrataCommonSmData & scsd = *scsd_;
   const Lumo::IntfId intf( action.intf );
   switch( action.kind ) {
    case ActionKind::moduleAdd: scsd.strataModIdToUnit.set( StrataCentral::ModId( action.module ), chipUnit ); break;
    case ActionKind::moduleRemove: scsd.strataModIdToUnit.erase( StrataCentral::ModId( action.module ) ); break;
    case ActionKind::intfAdd:
      // The collection entry, then the port cache, then the reverse map.
      ( action.unused ? scsd.unusedIntf : scsd.intf ).set( intf, true );
      if( const std::optional< Port > port = portOf( action.intf ) ) {
         scsd.strataIntfToPortCache.set( intf, *port );
         scsd.strataPortToIntf.set( *port, intf );
      }
      break;
    case ActionKind::intfRemove: {
       const Port * cached = scsd.strataIntfToPortCache.find( intf );
       const std::optional< Port > port = cached ? std::optional( *cached ) : std::nullopt;
       scsd.intf.erase( intf );
       scsd.unusedIntf.erase( intf );
       scsd.strataIntfToPortCache.erase( intf );
       if( port ) {
          scsd.strataPortToIntf.erase( *port );
       }
       break;
    }
    case ActionKind::lagSet:
    case ActionKind::lagRemove: {
       // The member set first, then each member's entry in the order given,
       // then the entries of the ports that left; a removal drops the set last.
       const StrataTypes::StrataPortList * current = scsd.strataLagToPort.find( intf );
       const StrataTypes::StrataPortList before = current ? *current : StrataTypes::StrataPortList();
       const StrataTypes::StrataPortList after( action.members.begin(), action.members.end() );
       if( action.kind == ActionKind::lagSet ) {
          scsd.strataLagToPort.set( intf, after );
       }
       for( const Port & port : action.members ) {
          scsd.strataPortToLag.set( port, intf );
       }
       for( const Port & port : before ) {
          if( !after.count( port ) ) {
             scsd.strataPortToLag.erase( port );
          }
       }
       if( action.kind == ActionKind::lagRemove ) {
          scsd.strataLagToPort.erase( intf );
       }
       break;
    }
    case ActionKind::cfmAdd: {
       const CfmSw::IntfVlanTuple key( intf, action.vlan );
       cfm_->forwardingConfig.set( key, Pallet::make< CfmSw::CfmForwardingConfig >( key ) );
       break;
    }
    case ActionKind::cfmRemove: cfm_->forwardingConfig.erase( CfmSw::IntfVlanTuple( intf, action.vlan ) ); break;
    case ActionKind::tracer:
      // As the packet tracer posts: the attributes, then the version change.
      request_->requestIdIs( PacketTracer::RequestId{ "r", action.requestNumber } );
      request_->intfIdIs( intf );
      request_->enableIs( action.enable );
      request_->cpuPktProfileEnableIs( action.cpu );
      request_->versionIs( request_->version() + 1 );
      break;
    case ActionKind::timeout:
      for( const auto & [ modId, slice ] : mounter_->strataPacketTracerSliceRootSm()->strataPacketTracerSliceSms() ) {
         Quill::Value result;
         if( Quill::genericAttrOp( Vela::Ptr< Quill::PtrInterface >( slice.ptr() ),
                                   Strata::StrataPacketTracerSliceSm::timeoutId, Quill::AttrOp::write,
                                   { Quill::Value( action.seconds ) }, result ) != Quill::AttrAnswer::done ) {
            throw std::runtime_error( "the generic write of timeout was not done" );
         }
      }
      break;
    case ActionKind::advance: Quill::System::advanceBy( action.seconds ); break;
    case ActionKind::restart: {
       std::vector< std::string > leftovers = stop();
       start();
       return leftovers;
    }
   }
   return {};
}

Observation
AgentHarness::observe() {
   Observation o;
   for( const auto & posted : requestDir_->requests() ) {
      sourceTrunkMap_[ { posted.key.modId.value(), posted.key.port.value() } ] = posted.value;
   }
   requestDir_->requestsClear(); // the table above is what the agent keeps
   for( const auto & [ key, profile ] : sourceTrunkMap_ ) {
      o[ stmKey( key.first, key.second ) ] = std::to_string( profile );
   }
   Shim::SimChip & chip = Shim::simChip();
   const auto lportTab = chip.LPORT_TABm();
   for( int unit = 0; unit < Shim::SimChip::unitCount; ++unit ) {
      for( int index : chip.nonZeroEntries( unit, lportTab ) ) {
         FieldValues fields;
         for( const std::string & field : chip.fieldNames( lportTab ) ) {
            if( const U32 value = chip.entryField( unit, lportTab, index, field ) ) {
               fields[ field ] = value;
            }
         }
         o[ "LPORT_TAB " + std::to_string( unit ) + " " + std::to_string( index ) ] = fieldsText( fields );
      }
      if( unit == chipUnit || chip.cpuPktProfile2( unit ) ) {
         o[ "CPU_PKT_PROFILE_2 " + std::to_string( unit ) ] = std::to_string( chip.cpuPktProfile2( unit ) );
      }
   }
   std::ostringstream id;
   id << status_->requestId();
   o[ "status" ] = statusText( unsigned( status_->state() ), id.str(), status_->version() );
   o[ "completions" ] = timesText( std::exchange( completions_, {} ) );
   auto claims = []( const Vela::Ptr< Ferro::Bitmap > & bitmap ) {
      std::set< U32 > set;
      for( U32 i = 0; bitmap && i < bitmap->size(); ++i ) {
         if( bitmap->isBitSet( i ) ) {
            set.insert( i );
         }
      }
      return set;
   };
   for( const auto & [ modId, slice ] : mounter_->strataPacketTracerSliceRootSm()->strataPacketTracerSliceSms() ) {
      const auto notifiee = slice->clockNotifiee();
      o[ "slice " + std::to_string( modId.value() ) ] =
         sliceText( slice->timeout(), slice->handleClockCalled(), notifiee ? numberText( notifiee->timeMin() ) : "none",
                    claims( slice->srcTrunkBitmap() ), claims( slice->srcTrunkBitmapCfm() ) );
   }
   return o;
}

std::vector< std::string >
AgentHarness::audit() const {
   // The world's ports all live on the one chip unit.
   Sim::SourceTrunkMapView sourceTrunkMap;
   sourceTrunkMap.units[ chipUnit ] = sourceTrunkMap_;
   sourceTrunkMap.notCarriedOut = requestDir_->requests();
   Sim::WorldView world;
   world.scsd = scsd_.ptr();
   world.request = request_.ptr();
   world.status = status_.ptr();
   world.cfmConfig = cfm_.ptr();
   world.cfmSwitchedOn = true;
   world.agentRunning = bool( mounter_ );
   world.chip = &Shim::simChip();
   world.sourceTrunkMap = &sourceTrunkMap;
   return Sim::Audit( world ).lines();
}

} // namespace

std::optional< Failure >
runSequence( const Sequence & sequence, bool checkIntent ) {
   std::size_t step = 0;
   try {
      AgentHarness harness;
      ReferenceModel model;
      for( ; step < sequence.size(); ++step ) {
         const Action action = parseAction( sequence[ step ] );
         if( std::vector< std::string > leftovers = harness.apply( action ); !leftovers.empty() ) {
            return Failure{ "leftover", step, leftovers };
         }
         model.apply( action );
         const Observation seen = harness.observe();
         if( std::vector< std::string > diffs = differences( model.expected(), seen ); !diffs.empty() ) {
            return Failure{ "mismatch", step, diffs };
         }
         if( checkIntent ) {
            if( std::vector< std::string > differences = harness.audit(); !differences.empty() ) {
               return Failure{ "intent", step, differences };
            }
         }
      }
      if( std::vector< std::string > leftovers = harness.stop(); !leftovers.empty() ) {
         return Failure{ "leftover", step, leftovers };
      }
   } catch( const std::exception & e ) {
      return Failure{ "exception", step, { e.what() } };
   }
   return std::nullopt;
}

} // namespace ModelTest
