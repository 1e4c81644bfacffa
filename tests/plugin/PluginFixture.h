// The plug-in tests' common fixture: a small agent around the plug-in.
//
// Every test starts from the same world:
// - a state database (Cairn::EntityManager) holding the four mounted entities
//   at their mount paths: the CFM configuration, the packet tracer's request,
//   the status directory with the status entity "Strata-<context>" in it, and
//   the source-trunk-map request directory "StrataPacketTracer-<context>";
// - the shared Strata state (scsd), which the host shares as "strataCommon"
//   and does not mount; it starts empty (no module, no interface);
// - a host context for mounters, carrying the entity manager, the context
//   name and the shared "strataCommon";
// - the simulated chip reset to all zero, with no hooks;
// - virtual time at 0;
// - every trace level of "StrataPacketTracerSliceMounter" and "ApiStrata"
//   switched on, and every line captured into traces();
// - both CFM feature toggles on. The plug-in reads each toggle once per
//   process and keeps the answer, so the whole test program runs with CFM
//   on; a test that needs CFM off must run in a process of its own.
// - the activity lock held by the test thread, as the host holds it around
//   every callback (chip calls give it up for the call's duration).
//
// The helpers that make slices, roots and mounters hand the only reference
// to the test; the fixture keeps none. TearDown checks that the test left
// nothing behind: no subscriber on any input's publisher, no notifiee on the
// activity clock and, once the fixture has released its entities, no more
// live plug-in objects (slices, roots, mounters, clock notifiees, bitmaps)
// than before the test. A fixture derived from this one must drop its own
// references to plug-in objects in its TearDown before calling
// PluginFixture::TearDown().
// When a test fails, the captured trace lines are printed.
#pragma once

#include "Agent/CfmHwConfig.h"
#include "Agent/PacketTracerTypes.h"
#include "Agent/PortTabWriteRequestDir.h"
#include "Agent/StrataCommonSmData.h"
#include "Cairn/EntityManager.h"
#include "Ferro/Bitmap.h"
#include "Flagpole/Toggle.h"
#include "Pallet/Pallet.h"
#include "PluginTrace.h"
#include "Quill/ActivityLock.h"
#include "Quill/Clock.h"
#include "Quill/Exceptions.h"
#include "Quill/PlatformTypes.h"
#include "Quill/Trace.h"
#include "Quill/Type.h"
#include "Shim/SimChip.h"
#include "StrataLib/MounterBase.h"
#include "StrataPacketTracerSliceMounter.h"
#include "StrataPacketTracerSliceRootSm.h"
#include "StrataPacketTracerSliceSm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace PluginTest {

// Where the mounter finds its inputs.
inline constexpr const char * cfmHwConfigPath = "cfmSw/cfmHwConfig";
inline constexpr const char * requestConfigPath = "stratapackettracer/lPortTableWriteRequestConfig";
inline constexpr const char * statusDirPath = "stratapackettracer/lPortTableWriteRequestStatus";
inline constexpr const char * requestDirPathPrefix =
   "hardware/strata/globalStatus/stratalag/tableMgrDir/sourceTrunkMap/StrataPacketTracer-";
inline constexpr const char * defaultContextName = "agent";

// The plug-in's object types whose live counts TearDown checks.
inline const std::vector< std::string > & trackedTypeNames() {
   static const std::vector< std::string > names{
      Strata::StrataPacketTracerSliceSm::quillTypeName,
      Strata::StrataPacketTracerSliceSm::QuillClock::quillTypeName,
      Strata::StrataPacketTracerSliceRootSm::quillTypeName,
      Strata::StrataPacketTracerSliceMounter::quillTypeName,
      Ferro::Bitmap::quillTypeName,
   };
   return names;
}

// What a generic attribute operation answered, and its result.
struct GenericResult {
   Quill::AttrAnswer answer;
   Quill::Value value;
};

class PluginFixture : public ::testing::Test {
 protected:
   // ---------------------------------------------------------------- world
   void SetUp() override {
      for( const std::string & name : trackedTypeNames() ) {
         liveBefore_[ name ] = Pallet::liveObjects( name );
      }
      clockNotifieesBefore_ = Quill::activityManager()->clock()->notifiees();
      Quill::System::currentTimeIs( 0 );
      Shim::simChip().reset();
      Shim::simChip().accessHookIs( nullptr );
      Shim::simChip().failureHookIs( nullptr );
      Flagpole::togglesClear();
      Flagpole::toggleStateIs( "StrataCfmOnTH3", true );
      Flagpole::toggleStateIs( "StrataCfmOnTH3Masquerade", true );

      traces_.clear();
      Quill::traceSinkIs( [ this ]( const Quill::TraceRecord & record ) {
         traces_.push_back( record );
      } );
      Quill::traceLevelsIs( "StrataPacketTracerSliceMounter", 0xFFFF );
      Quill::traceLevelsIs( "ApiStrata", 0xFFFF );

      em_ = Pallet::make< Cairn::EntityManager >( "sysdb" );
      cfm_ = Vela::dynamicPtrCast< CfmSw::CfmHwConfig >(
         em_->entityIs( cfmHwConfigPath, CfmSw::CfmHwConfig::quillTypeName ) );
      request_ = Vela::dynamicPtrCast< StrataPacketTracer::LPortTableWriteRequestConfig >(
         em_->entityIs( requestConfigPath,
                        StrataPacketTracer::LPortTableWriteRequestConfig::quillTypeName ) );
      statusDir_ =
         Vela::dynamicPtrCast< Quill::Dir >( em_->entityIs( statusDirPath, Quill::Dir::quillTypeName ) );
      status_ = Vela::dynamicPtrCast< StrataPacketTracer::LPortTableWriteRequestStatus >(
         statusDir_->createEntity( statusName(),
                                   StrataPacketTracer::LPortTableWriteRequestStatus::quillTypeName ) );
      requestDir_ = Vela::dynamicPtrCast< StrataCentral::PortTabWriteRequestDir >( em_->entityIs(
         requestDirPath(), StrataCentral::PortTabWriteRequestDir::quillTypeName ) );
      scsd_ = Pallet::make< Strata::StrataCommonSmData >( "strataCommon" );
      hostContext_ = Pallet::make< StrataLib::HostContext >( em_, contextName_ );
      hostContext_->sharedEntityIs( "strataCommon", scsd_ );

      ASSERT_TRUE( cfm_ && request_ && statusDir_ && status_ && requestDir_ && scsd_ );
      Quill::activityLock().lock();
      lockHeld_ = true;
   }

   void TearDown() override {
      if( lockHeld_ ) {
         Quill::activityLock().unlock();
         lockHeld_ = false;
      }
      // Nothing of the plug-in may still listen to an input.
      EXPECT_EQ( scsd_->publisher().subscribers(), 0u ) << "a subscriber is left on the scsd";
      EXPECT_EQ( request_->publisher().subscribers(), 0u ) << "a subscriber is left on the request";
      EXPECT_EQ( cfm_->publisher().subscribers(), 0u ) << "a subscriber is left on the CFM config";
      EXPECT_EQ( Quill::activityManager()->clock()->notifiees(), clockNotifieesBefore_ )
         << "a notifiee is left on the activity clock";

      hostContext_ = nullptr;
      scsd_ = nullptr;
      requestDir_ = nullptr;
      status_ = nullptr;
      statusDir_ = nullptr;
      request_ = nullptr;
      cfm_ = nullptr;
      em_ = nullptr;

      for( const std::string & name : trackedTypeNames() ) {
         EXPECT_EQ( Pallet::liveObjects( name ), liveBefore_[ name ] ) << "live " << name << " left behind";
      }

      if( HasFailure() ) {
         std::cout << "---- trace lines of the failed test ----\n" << traceDump() << std::flush;
      }
      Quill::traceSinkIs( nullptr );
      Quill::traceLevelsIs( "StrataPacketTracerSliceMounter", 0 );
      Quill::traceLevelsIs( "ApiStrata", 0 );
      Quill::System::currentTimeIs( 0 );
   }

   // Changes the context name before anything uses it: call at the start of
   // a test (it rebuilds the host context, the request directory and the
   // status entity under the new name; the old ones are removed).
   void contextNameIs( const std::string & name ) {
      em_->entityDel( requestDirPath() );
      statusDir_->entityDel( statusName() );
      contextName_ = name;
      requestDir_ = Vela::dynamicPtrCast< StrataCentral::PortTabWriteRequestDir >( em_->entityIs(
         requestDirPath(), StrataCentral::PortTabWriteRequestDir::quillTypeName ) );
      status_ = Vela::dynamicPtrCast< StrataPacketTracer::LPortTableWriteRequestStatus >(
         statusDir_->createEntity( statusName(),
                                   StrataPacketTracer::LPortTableWriteRequestStatus::quillTypeName ) );
      hostContext_ = Pallet::make< StrataLib::HostContext >( em_, contextName_ );
      hostContext_->sharedEntityIs( "strataCommon", scsd_ );
   }
   const std::string & contextName() const noexcept { return contextName_; }
   std::string requestDirPath() const { return requestDirPathPrefix + contextName_; }
   std::string statusName() const { return "Strata-" + contextName_; }

   Shim::SimChip & chip() { return Shim::simChip(); }
   const Vela::Ptr< const Quill::Clock > & activityClock() { return Quill::activityManager()->clock(); }

   // ------------------------------------------------------- shared state
   static StrataTypes::StrataPort port( U16 modId, U16 unit, U16 number ) {
      return StrataTypes::StrataPort{ modId, unit, number, 0 };
   }
   static StrataCentral::ModId mod( unsigned id ) { return StrataCentral::ModId( id ); }

   // Lists a module in strataModIdToUnit (a root follows this map).
   void moduleIs( unsigned modId, U16 unit ) { scsd_->strataModIdToUnit.set( mod( modId ), unit ); }
   void moduleDel( unsigned modId ) { scsd_->strataModIdToUnit.erase( mod( modId ) ); }
   // The module information of a unit (the head of a source-trunk-map key).
   void unitInfoIs( U16 unit, U16 modInfo ) {
      scsd_->strataModId.set( unit, Strata::StrataModInfo{ modInfo, StrataCentral::ChipInfo{} } );
   }
   // A plain interface on a chip port: listed in intf, with its port in
   // strataIntfToPortCache and strataPortToIntf.
   void interfaceIs( const std::string & name, const StrataTypes::StrataPort & sp ) {
      const Lumo::IntfId intf( name );
      scsd_->intf.set( intf, true );
      scsd_->strataIntfToPortCache.set( intf, sp );
      scsd_->strataPortToIntf.set( sp, intf );
   }

   // The packet tracer posts a request: the attributes first, then the
   // version change that the slices react to.
   void requestIs( const std::string & intf, bool enable, bool cpuPktProfileEnable,
                   const PacketTracer::RequestId & id = { "req", 1 } ) {
      request_->requestIdIs( id );
      request_->intfIdIs( Lumo::IntfId( intf ) );
      request_->enableIs( enable );
      request_->cpuPktProfileEnableIs( cpuPktProfileEnable );
      request_->versionIs( request_->version() + 1 );
   }

   // ----------------------------------------------- plug-in objects
   // A slice with the fixture's inputs (or the given ones).
   Vela::Ptr< Strata::StrataPacketTracerSliceSm > makeSlice( unsigned modId = 1 ) {
      return Strata::StrataPacketTracerSliceSm::StrataPacketTracerSliceSmIs(
         requestDir_, request_, status_, scsd_, mod( modId ), cfm_ );
   }
   Vela::Ptr< Strata::StrataPacketTracerSliceSm > makeSlice(
      const Vela::Ptr< StrataCentral::PortTabWriteRequestDir > & requestDir,
      const Vela::Ptr< const StrataPacketTracer::LPortTableWriteRequestConfig > & request,
      const Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > & status,
      const Vela::Ptr< Strata::StrataCommonSmData > & scsd, unsigned modId,
      const Vela::Ptr< const CfmSw::CfmHwConfig > & cfm ) {
      return Strata::StrataPacketTracerSliceSm::StrataPacketTracerSliceSmIs(
         requestDir, request, status, scsd, mod( modId ), cfm );
   }
   // A root with the fixture's inputs; it makes a slice per listed module.
   Vela::Ptr< Strata::StrataPacketTracerSliceRootSm > makeRoot() {
      return Strata::StrataPacketTracerSliceRootSm::StrataPacketTracerSliceRootSmIs(
         requestDir_, request_, status_, scsd_, cfm_ );
   }
   // A mounter made by type name through the framework's factory, with the
   // fixture's host context attached (as the host does before doInit).
   Vela::Ptr< Strata::StrataPacketTracerSliceMounter > makeMounter(
      const std::string & name = "StrataPacketTracerSliceMounter" ) {
      auto mounter = Vela::dynamicPtrCast< Strata::StrataPacketTracerSliceMounter >(
         Quill::newEntityForDir( Strata::StrataPacketTracerSliceMounter::quillTypeName, name ) );
      if( mounter ) {
         mounter->hostContextIs( hostContext_ );
      }
      return mounter;
   }
   // The host's start-up of a mounter: doInit, the state database serves the
   // mounts (paths in `withheld` are made unavailable), doMountsComplete.
   Cairn::MountStatus mountAll( const Vela::Ptr< Strata::StrataPacketTracerSliceMounter > & mounter,
                                const std::set< std::string > & withheld = {} ) {
      mounter->doInit();
      const Cairn::MountStatus status =
         em_->completeMounts( *em_->getMountGroup( mounter.ptr() ), withheld );
      mounter->doMountsComplete( status, em_ );
      return status;
   }
   // --------------------------------------------------- generic access
   template< typename T >
   static GenericResult generic( const Vela::Ptr< T > & object, Quill::AttributeId id, Quill::AttrOp op,
                                 const Quill::ValueList & args = {} ) {
      GenericResult r{ Quill::AttrAnswer::done, Quill::Value() };
      r.answer = Quill::genericAttrOp(
         Vela::Ptr< Quill::PtrInterface >( const_cast< std::remove_const_t< T > * >( object.ptr() ) ),
         id, op, args, r.value );
      return r;
   }
   // Reads an attribute; fails the test when the read is not done.
   template< typename T >
   static Quill::Value genericRead( const Vela::Ptr< T > & object, Quill::AttributeId id ) {
      GenericResult r = generic( object, id, Quill::AttrOp::read );
      EXPECT_EQ( r.answer, Quill::AttrAnswer::done ) << "generic read of attribute " << id;
      return r.value;
   }
   // Calls an operation; fails the test when the call is not done.
   template< typename T >
   static Quill::Value genericCall( const Vela::Ptr< T > & object, Quill::AttributeId id,
                                    const Quill::ValueList & args = {} ) {
      GenericResult r = generic( object, id, Quill::AttrOp::call, args );
      EXPECT_EQ( r.answer, Quill::AttrAnswer::done ) << "generic call of attribute " << id;
      return r.value;
   }

   // ----------------------------------------------------------- traces
   const std::vector< Quill::TraceRecord > & traces() const noexcept { return traces_; }
   void tracesClear() { traces_.clear(); }
   // Lines written by `function` (any handle), in order.
   std::vector< Quill::TraceRecord > tracesOf( const std::string & function ) const {
      std::vector< Quill::TraceRecord > found;
      for( const Quill::TraceRecord & r : traces_ ) {
         if( r.function == function ) {
            found.push_back( r );
         }
      }
      return found;
   }
   // The texts of the lines written by `function`, in order.
   std::vector< std::string > traceTexts( const std::string & function ) const {
      std::vector< std::string > texts;
      for( const Quill::TraceRecord & r : traces_ ) {
         if( r.function == function ) {
            texts.push_back( r.text );
         }
      }
      return texts;
   }
   // How many lines have exactly this text (from any function).
   std::size_t traceCount( const std::string & text ) const {
      return static_cast< std::size_t >( std::count_if(
         traces_.begin(), traces_.end(), [ & ]( const Quill::TraceRecord & r ) { return r.text == text; } ) );
   }
   // The first line of `function` with exactly `text`, or null.
   const Quill::TraceRecord * findTrace( const std::string & function, const std::string & text ) const {
      for( const Quill::TraceRecord & r : traces_ ) {
         if( r.function == function && r.text == text ) {
            return &r;
         }
      }
      return nullptr;
   }
   // Whether some line's text contains `part`.
   bool traceContains( const std::string & part ) const {
      return std::any_of( traces_.begin(), traces_.end(), [ & ]( const Quill::TraceRecord & r ) {
         return r.text.find( part ) != std::string::npos;
      } );
   }
   // Every captured line as the framework formats it, one per line.
   std::string traceDump() const {
      std::string text;
      for( const Quill::TraceRecord & r : traces_ ) {
         text += Quill::formatTraceLine( r ) + "\n";
      }
      return text;
   }

   // ------------------------------------------------------------ state
   Vela::Ptr< Cairn::EntityManager > em_;
   Vela::Ptr< CfmSw::CfmHwConfig > cfm_;
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestConfig > request_;
   Vela::Ptr< Quill::Dir > statusDir_;
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > status_;
   Vela::Ptr< StrataCentral::PortTabWriteRequestDir > requestDir_;
   Vela::Ptr< Strata::StrataCommonSmData > scsd_;
   Vela::Ptr< StrataLib::HostContext > hostContext_;

 private:
   std::string contextName_ = defaultContextName;
   std::vector< Quill::TraceRecord > traces_;
   std::map< std::string, std::size_t > liveBefore_;
   std::size_t clockNotifieesBefore_ = 0;
   bool lockHeld_ = false;
};

} // namespace PluginTest
