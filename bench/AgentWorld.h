// The benchmarks' stand-in agent: the world the plug-in lives in, built the
// way the host builds it.
//
// An AgentWorld holds a state database with the four entities the plug-in
// mounts (CFM configuration, the packet tracer's request, the status
// directory with "Strata-bench" in it, the source-trunk-map request
// directory), the shared Strata state "strataCommon", the simulated chip
// reset to zero, virtual time at 0, both CFM toggles on, and the activity
// lock held by the calling thread, as the host holds it around every
// callback (the plug-in's chip calls give it up for their duration).
//
// start() runs the plug-in as the host does: the mounter made by type name,
// doInit, the mounts completed, doMountsComplete (which makes the root, and
// the root a slice per listed module). stop() and the destructor undo it.
//
// Benchmarks build one world per run (never per iteration) and drive it only
// through the inputs, so that every figure includes the reactor that a real
// change goes through.
#pragma once

#include "Agent/CfmHwConfig.h"
#include "Agent/PacketTracerTypes.h"
#include "Agent/PortTabWriteRequestDir.h"
#include "Agent/StrataCommonSmData.h"
#include "Cairn/EntityManager.h"
#include "Quill/Entity.h"
#include "StrataLib/MounterBase.h"
#include "StrataPacketTracerSliceMounter.h"
#include "StrataPacketTracerSliceSm.h"

#include <cstddef>
#include <string>

namespace Bench {

// Trace levels and sink for one benchmark run. Off: both plug-in handles at
// level mask 0 and no sink. On: every level of both handles, with a sink that
// only counts lines, so that "on" measures the plug-in's formatting and not
// some output device. The destructor switches traces off again.
class TraceMode {
 public:
   explicit TraceMode( bool on );
   ~TraceMode();
   TraceMode( const TraceMode & ) = delete;
   TraceMode & operator=( const TraceMode & ) = delete;

   // Lines delivered to the sink since construction.
   std::size_t lines() const noexcept;
};

class AgentWorld {
 public:
   static constexpr const char * contextName = "bench";
   // The unit every benchmark port lives on unless told otherwise, and its
   // module information.
   static constexpr U16 unit = 0;
   static constexpr U16 unitModInfo = 0x21;

   AgentWorld();
   ~AgentWorld();
   AgentWorld( const AgentWorld & ) = delete;
   AgentWorld & operator=( const AgentWorld & ) = delete;

   // Starts the plug-in (mounter, mounts, root, slices). Precondition: not started.
   void start();
   // Lets the plug-in go as the host does at agent stop; nothing when not started.
   void stop();

   // --- shared Strata state ---
   static StrataTypes::StrataPort port( U16 number, U16 modId = 1, U16 onUnit = unit ) {
      return StrataTypes::StrataPort{ modId, onUnit, number, 0 };
   }
   // A module listed in strataModIdToUnit on `onUnit` (the root makes a slice).
   void moduleIs( unsigned modId, U16 onUnit = unit );
   void moduleDel( unsigned modId );
   // A unit's module information (needed for source-trunk-map keys).
   void unitInfoIs( U16 onUnit = unit, U16 modInfo = unitModInfo );
   // A plain interface on a chip port (intf, strataIntfToPortCache, strataPortToIntf).
   void interfaceIs( const std::string & name, const StrataTypes::StrataPort & sp );

   // --- CFM configuration ---
   void cfmKeyIs( const CfmSw::IntfVlanTuple & key );
   void cfmKeyDel( const CfmSw::IntfVlanTuple & key );

   // The agent's table manager carries posted source-trunk-map requests out;
   // here they are simply dropped so the directory does not grow.
   void requestsDrain() { requestDir_->requestsClear(); }

   const Vela::Ptr< CfmSw::CfmHwConfig > & cfm() const noexcept { return cfm_; }
   const Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestConfig > & request() const noexcept { return request_; }
   const Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > & status() const noexcept { return status_; }
   const Vela::Ptr< StrataCentral::PortTabWriteRequestDir > & requestDir() const noexcept { return requestDir_; }
   const Vela::Ptr< Strata::StrataCommonSmData > & scsd() const noexcept { return scsd_; }
   const Vela::Ptr< Strata::StrataPacketTracerSliceMounter > & mounter() const noexcept { return mounter_; }
   // The slice of a module, or null (when not started or not listed).
   Vela::Ptr< Strata::StrataPacketTracerSliceSm > slice( unsigned modId ) const;

 private:
   Vela::Ptr< Cairn::EntityManager > em_;
   Vela::Ptr< CfmSw::CfmHwConfig > cfm_;
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestConfig > request_;
   Vela::Ptr< Quill::Dir > statusDir_;
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > status_;
   Vela::Ptr< StrataCentral::PortTabWriteRequestDir > requestDir_;
   Vela::Ptr< Strata::StrataCommonSmData > scsd_;
   Vela::Ptr< StrataLib::HostContext > hostContext_;
   Vela::Ptr< Strata::StrataPacketTracerSliceMounter > mounter_;
};

} // namespace Bench
