// The plug-in tests' common fixture: a small agent around the plug-in.
//
// Every test starts from the same world:
// - a state database holding the four mounted entities at their mount paths:
//   the CFM configuration, the packet tracer's request, the status directory
//   with the status entity "Strata-agent" in it, and the source-trunk-map
//   request directory "StrataPacketTracer-agent";
// - the shared Strata state (scsd), shared by the host as "strataCommon" and
//   not mounted; it starts empty (no module, no interface);
// - a host context for mounters with the entity manager, the context name
//   "agent" and the shared "strataCommon";
// - the simulated chip reset to all zero, virtual time at 0;
// - every trace level of both plug-in handles on, every line captured;
// - both CFM feature toggles on. The plug-in reads each toggle once per
//   process and keeps the answer, so the whole program runs with CFM on (CFM
//   off is shown by scenarios, each a process of its own);
// - the activity lock held by the test thread, as the host holds it around
//   every callback.
//
// The helpers that make slices, roots and mounters hand the only reference
// to the test. TearDown checks that the test left nothing behind: no
// subscriber on any input's publisher, no notifiee on the activity clock
// and, once the fixture has released its entities, no more live plug-in
// objects than before the test. A derived fixture must drop its own
// references to plug-in objects before calling PluginFixture::TearDown().
// When a test fails, the captured trace lines are printed.
#pragma once

#include "Cairn/EntityManager.h"
#include "Flagpole/Toggle.h"
#include "Pallet/Pallet.h"
#include "Quill/ActivityLock.h"
#include "Quill/Clock.h"
#include "Quill/Exceptions.h"
#include "Quill/Trace.h"
#include "Shim/SimChip.h"
#include "StrataPacketTracerSliceMounter.h"
#include "StrataPacketTracerSliceRootSm.h"
#include "StrataPacketTracerSliceSm.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace PluginTest {

using Slice = Strata::StrataPacketTracerSliceSm;
using Root = Strata::StrataPacketTracerSliceRootSm;
using Mounter = Strata::StrataPacketTracerSliceMounter;

inline constexpr const char * cfmHwConfigPath = "cfmSw/cfmHwConfig";
inline constexpr const char * requestConfigPath = "stratapackettracer/lPortTableWriteRequestConfig";
inline constexpr const char * statusDirPath = "stratapackettracer/lPortTableWriteRequestStatus";

// A subscriber whose callback throws: posting a source-trunk-map request,
// and with it whatever posts it, fails.
struct ThrowingSubscriber {
   static void dispatch( Vela::Publisher *, Vela::Subscriber *, short, const void *, const void * ) {
      throw std::runtime_error( "request directory refused the request" );
   }
   Vela::Subscriber subscriber{ &dispatch, nullptr };
};

class PluginFixture : public ::testing::Test {
 protected:
   void SetUp() override {
      for( const char * name : { Slice::quillTypeName, Slice::QuillClock::quillTypeName, Root::quillTypeName,
                                 Mounter::quillTypeName, Ferro::Bitmap::quillTypeName } ) {
         liveBefore_[ name ] = Pallet::liveObjects( name );
      }
      clockNotifieesBefore_ = activityClock()->notifiees();
      Quill::System::currentTimeIs( 0 );
      chip().reset();
      chip().accessHookIs( nullptr );
      chip().failureHookIs( nullptr );
      Flagpole::togglesClear();
      Flagpole::toggleStateIs( "StrataCfmOnTH3", true );
      Flagpole::toggleStateIs( "StrataCfmOnTH3Masquerade", true );
      Quill::traceSinkIs( [ this ]( const Quill::TraceRecord & record ) { traces_.push_back( record ); } );
      Quill::traceLevelsIs( "StrataPacketTracerSliceMounter", 0xFFFF );
      Quill::traceLevelsIs( "ApiStrata", 0xFFFF );

      em_ = Pallet::make< Cairn::EntityManager >( "stateDb" );
      cfm_ = entityAt< CfmSw::CfmHwConfig >( cfmHwConfigPath );
      request_ = entityAt< StrataPacketTracer::LPortTableWriteRequestConfig >( requestConfigPath );
      statusDir_ = entityAt< Quill::Dir >( statusDirPath );
      scsd_ = Pallet::make< Strata::StrataCommonSmData >( "strataCommon" );
      requestDir_ = entityAt< StrataCentral::PortTabWriteRequestDir >(
         "hardware/strata/globalStatus/stratalag/tableMgrDir/sourceTrunkMap/StrataPacketTracer-agent" );
      status_ =
         entityAt< StrataPacketTracer::LPortTableWriteRequestStatus >( std::string( statusDirPath ) + "/Strata-agent" );
      hostContext_ = Pallet::make< StrataLib::HostContext >( em_, "agent" );
      hostContext_->sharedEntityIs( "strataCommon", scsd_ );
      ASSERT_TRUE( cfm_ && request_ && statusDir_ && status_ && requestDir_ );
      Quill::activityLock().lock();
   }

   void TearDown() override {
      Quill::activityLock().unlock();
      EXPECT_EQ(
         scsd_->publisher().subscribers() + request_->publisher().subscribers() + cfm_->publisher().subscribers(), 0u )
         << "a subscriber is left on an input";
      // The plug-in follows changes; a replay of an input's whole state would
      // program everything once more.
      EXPECT_EQ( scsd_->publisher().replaysAsked() + request_->publisher().replaysAsked() +
                    cfm_->publisher().replaysAsked(),
                 0u );
      EXPECT_EQ( activityClock()->notifiees(), clockNotifieesBefore_ ) << "a notifiee is left on the clock";
      hostContext_ = nullptr;
      scsd_ = nullptr;
      requestDir_ = nullptr;
      status_ = nullptr;
      statusDir_ = nullptr;
      request_ = nullptr;
      cfm_ = nullptr;
      em_ = nullptr;
      for( const auto & [ name, before ] : liveBefore_ ) {
         EXPECT_EQ( Pallet::liveObjects( name ), before ) << "live " << name << " left behind";
      }
      if( HasFailure() ) {
         std::cout << "---- trace lines of the failed test ----\n";
         for( const Quill::TraceRecord & r : traces_ ) {
            std::cout << Quill::formatTraceLine( r ) << "\n";
         }
      }
      Quill::traceSinkIs( nullptr );
      Quill::traceLevelsIs( "StrataPacketTracerSliceMounter", 0 );
      Quill::traceLevelsIs( "ApiStrata", 0 );
      Quill::System::currentTimeIs( 0 );
   }

   template < typename T >
   Vela::Ptr< T > entityAt( const std::string & path ) {
      return Vela::dynamicPtrCast< T >( em_->entityIs( path, T::quillTypeName ) );
   }
   static Shim::SimChip & chip() { return Shim::simChip(); }
   static const Vela::Ptr< const Quill::Clock > & activityClock() { return Quill::activityManager()->clock(); }
   static StrataTypes::StrataPort port( U16 modId, U16 unit, U16 number ) {
      return StrataTypes::StrataPort{ modId, unit, number, 0 };
   }
   static StrataCentral::ModId mod( unsigned id ) { return StrataCentral::ModId( id ); }

   // The shared state: a module in strataModIdToUnit, a unit's module
   // information, a plain interface on a chip port (in intf, with its port in
   // strataIntfToPortCache and strataPortToIntf).
   void moduleIs( unsigned modId, U16 unit ) { scsd_->strataModIdToUnit.set( mod( modId ), unit ); }
   void unitInfoIs( U16 unit, U16 modInfo ) {
      scsd_->strataModId.set( unit, Strata::StrataModInfo{ modInfo, StrataCentral::ChipInfo{} } );
   }
   void interfaceIs( const std::string & name, const StrataTypes::StrataPort & sp ) {
      scsd_->intf.set( Lumo::IntfId( name ), true );
      scsd_->strataIntfToPortCache.set( Lumo::IntfId( name ), sp );
      scsd_->strataPortToIntf.set( sp, Lumo::IntfId( name ) );
   }
   // CFM configures a VLAN on an interface or port-channel.
   void cfmKeyIs( const std::string & intf, U16 vlan ) {
      const CfmSw::IntfVlanTuple key( Lumo::IntfId( intf ), vlan );
      cfm_->forwardingConfig.set( key, Pallet::make< CfmSw::CfmForwardingConfig >( key ) );
   }
   // The packet tracer posts a request: the attributes, then the version.
   void requestIs( const std::string & intf, bool enable, bool cpu = false ) {
      request_->intfIdIs( Lumo::IntfId( intf ) );
      request_->enableIs( enable );
      request_->cpuPktProfileEnableIs( cpu );
      request_->versionIs( request_->version() + 1 );
   }

   // The five inputs of the fixture's world.
   Strata::SliceInputs inputs() const { return { requestDir_, request_, status_, scsd_, cfm_ }; }
   Vela::Ptr< Slice > makeSlice( unsigned modId = 1 ) {
      return Slice::StrataPacketTracerSliceSmIs( inputs(), mod( modId ) );
   }
   Vela::Ptr< Root > makeRoot() { return Root::StrataPacketTracerSliceRootSmIs( inputs() ); }
   // A mounter made by type name, with the host context attached, as the
   // host does before doInit.
   Vela::Ptr< Mounter > makeMounter() {
      auto mounter = Vela::dynamicPtrCast< Mounter >(
         Quill::newEntityForDir( Mounter::quillTypeName, "StrataPacketTracerSliceMounter" ) );
      mounter->hostContextIs( hostContext_ );
      return mounter;
   }
   // The host's start of a mounter: doInit, the state database serves the
   // mounts (paths in `withheld` made unavailable), doMountsComplete.
   Cairn::MountStatus mountAll( const Vela::Ptr< Mounter > & mounter, const std::set< std::string > & withheld = {} ) {
      mounter->doInit();
      const Cairn::MountStatus status = em_->completeMounts( *em_->getMountGroup( mounter.ptr() ), withheld );
      mounter->doMountsComplete( status, em_ );
      return status;
   }

   // The generic attribute interface: the answer (the result in `value`), or
   // the result alone, failing the test when the operation was not done.
   template < typename T >
   static Quill::AttrAnswer generic( const Vela::Ptr< T > & object, Quill::AttributeId id, Quill::AttrOp op,
                                     const Quill::ValueList & args = {}, Quill::Value * value = nullptr ) {
      Quill::Value result;
      const Quill::AttrAnswer answer = Quill::genericAttrOp(
         Vela::Ptr< Quill::PtrInterface >( const_cast< std::remove_const_t< T > * >( object.ptr() ) ), id, op, args,
         value ? *value : result );
      return answer;
   }
   template < typename T >
   static Quill::Value done( const Vela::Ptr< T > & object, Quill::AttributeId id, Quill::AttrOp op,
                             const Quill::ValueList & args = {} ) {
      Quill::Value value;
      EXPECT_EQ( generic( object, id, op, args, &value ), Quill::AttrAnswer::done ) << "attribute " << id;
      return value;
   }

   // The captured trace lines of one function, and how many lines (of any
   // function) contain a text.
   std::vector< Quill::TraceRecord > tracesOf( const std::string & function ) const {
      std::vector< Quill::TraceRecord > found;
      std::copy_if( traces_.begin(), traces_.end(), std::back_inserter( found ),
                    [ & ]( const Quill::TraceRecord & r ) { return r.function == function; } );
      return found;
   }
   void tracesClear() { traces_.clear(); }
   std::size_t traceCount( const std::string & part ) const {
      return std::size_t( std::count_if( traces_.begin(), traces_.end(), [ & ]( const Quill::TraceRecord & r ) {
         return r.text.find( part ) != std::string::npos;
      } ) );
   }

   Vela::Ptr< Cairn::EntityManager > em_;
   Vela::Ptr< CfmSw::CfmHwConfig > cfm_;
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestConfig > request_;
   Vela::Ptr< Quill::Dir > statusDir_;
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > status_;
   Vela::Ptr< StrataCentral::PortTabWriteRequestDir > requestDir_;
   Vela::Ptr< Strata::StrataCommonSmData > scsd_;
   Vela::Ptr< StrataLib::HostContext > hostContext_;
   std::vector< Quill::TraceRecord > traces_;

 private:
   std::map< std::string, std::size_t > liveBefore_;
   std::size_t clockNotifieesBefore_ = 0;
};

} // namespace PluginTest
