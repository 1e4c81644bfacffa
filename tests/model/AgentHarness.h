// The real plug-in, driven as the host agent drives it.
//
// The harness builds what the host has before the agent starts: the state
// database with the CFM configuration, the packet tracer's request, the
// status directory with "Strata-model" in it and the source-trunk-map request
// directory; the shared Strata state "strataCommon" with the chip unit's
// module information; the simulated chip reset, with the universe's PORT_TAB
// and LPORT_TAB presets; virtual time 0; both CFM toggles on; the activity
// lock held, as the activity thread holds it around every callback.
//
// Starting the agent follows the host: the mounter is made by type name,
// given a host context, doInit, the database serves its mounts, then
// doMountsComplete. Stopping drops the mounter, and with it the root and
// every slice. The simulated agent (SourceTrunkMapWriter) watches the request
// directory from before the first start to the end.
//
// One harness per run: it resets process-wide state (chip, time, toggles,
// trace sink) when made and leaves time, chip and traces reset when it goes.
#pragma once

#include "Action.h"
#include "AgentWatchers.h"
#include "Observation.h"
#include "StrataPacketTracerSliceMounter.h"

#include "Agent/CfmHwConfig.h"
#include "Agent/StrataCommonSmData.h"
#include "Cairn/EntityManager.h"
#include "Quill/Trace.h"
#include "StrataLib/MounterBase.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ModelTest {

class AgentHarness {
 public:
   // With `captureTraces`, every trace line of the plug-in is kept (slow:
   // meant for replaying one failing sequence).
   AgentHarness( const Universe & universe, bool captureTraces );
   ~AgentHarness();
   AgentHarness( const AgentHarness & ) = delete;
   AgentHarness & operator=( const AgentHarness & ) = delete;

   // Carries an action out on the host side; the plug-in reacts inside.
   void apply( const Action & action );
   // What the plug-in's work has left, with the completions published since
   // the last observation.
   Observation observe();
   // How many completions the status has received since the harness began.
   std::size_t completionsSeen() const noexcept { return completions_->total(); }
   // What the last agent stop left behind: live framework objects above the
   // counts from before the first start, a subscriber other than the
   // simulated agent's on any input or output, a notifiee left on the
   // activity clock. Empty when the stop was clean; reset by every stop.
   const std::vector< std::string > & stopLeftovers() const noexcept { return stopLeftovers_; }
   // Stops the agent (a run's end) and reports as stopLeftovers does.
   std::vector< std::string > finish();

   const std::vector< Quill::TraceRecord > & traces() const noexcept { return traces_; }

 private:
   void start();
   void stop();
   std::vector< std::string > leftovers() const;
   Vela::Ptr< Strata::StrataPacketTracerSliceRootSm > root() const;
   void timeoutIs( double seconds, bool viaGeneric );
   void lagSet( const Action & action );
   void lagRemove( const std::string & lag );
   void intfAdd( const Action & action );
   void intfRemove( const std::string & name );

   const Universe & universe_;
   bool captureTraces_;
   std::vector< Quill::TraceRecord > traces_;

   Vela::Ptr< Cairn::EntityManager > em_;
   Vela::Ptr< CfmSw::CfmHwConfig > cfm_;
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestConfig > request_;
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > status_;
   Vela::Ptr< StrataCentral::PortTabWriteRequestDir > requestDir_;
   Vela::Ptr< Strata::StrataCommonSmData > scsd_;
   Vela::Ptr< Strata::StrataPacketTracerSliceMounter > mounter_;

   std::unique_ptr< SourceTrunkMapWriter > agentTable_;
   std::unique_ptr< CompletionRecorder > completions_;

   std::map< std::string, std::size_t > liveBefore_;
   std::size_t clockNotifieesBefore_ = 0;
   std::vector< std::string > stopLeftovers_;
};

} // namespace ModelTest
