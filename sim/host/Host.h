// The agent around the plug-in: the state database with the entities other
// agents write (the packet tracer's request, CFM's configuration), the shared
// Strata state, the host context name, the plug-in's mounter and the
// SOURCE_TRUNK_MAP table it writes by carrying out source-trunk-map requests.
//
// The agent's start follows the real host: load the library, create the
// mounter by type name, attach a host context, doInit, let the state database
// serve the mounter's group, then doMountsComplete. Inputs can be withheld to
// simulate their absence: a withheld entity is taken out of the state database
// when the mounts complete and stays out until the next start, while the host
// keeps it, so the host-side commands still work on it, unseen by the plug-in.
//
// Every call must be made with the activity lock held (the host's activity
// thread is the only thread).
#pragma once

#include "Agent/PacketTracerTypes.h"
#include "Agent/PortTabWriteRequestDir.h"
#include "Agent/StrataCommonSmData.h"
#include "Cairn/EntityManager.h"
#include "StrataLib/MounterBase.h"
#include "Vela/Ptr.h"
#include "host/PluginLoader.h"
#include "host/SourceTrunkMapTable.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

// Held by pointer only: most of the simulator never looks into CFM's
// configuration, and need not be rebuilt when it changes.
namespace CfmSw {
class CfmHwConfig;
}

namespace Sim {

// What `agent start missing ...` can withhold.
enum class AgentInput { cfmConfig, requestConfig, statusDir, requestDir, scsd };
std::optional< AgentInput > agentInputNamed( std::string_view name ) noexcept;
const char * agentInputName( AgentInput input ) noexcept;

class Host {
 public:
   static constexpr const char * cfmConfigPath = "cfmSw/cfmHwConfig";
   static constexpr const char * requestConfigPath = "stratapackettracer/lPortTableWriteRequestConfig";
   static constexpr const char * statusDirPath = "stratapackettracer/lPortTableWriteRequestStatus";
   static constexpr const char * requestDirPathPrefix =
      "hardware/strata/globalStatus/stratalag/tableMgrDir/sourceTrunkMap/StrataPacketTracer-";
   static constexpr const char * scsdName = "strataCommon";
   static constexpr const char * mounterTypeName = "Strata::StrataPacketTracerSliceMounter";
   static constexpr const char * mounterName = "StrataPacketTracerSliceMounter";

   // Makes the state database with the request and CFM entities at their
   // paths, and the empty shared Strata state.
   explicit Host( PluginLoader & loader );
   // Stops the agent, as the host does at shutdown.
   ~Host();
   Host( const Host & ) = delete;
   Host & operator=( const Host & ) = delete;

   const Vela::Ptr< Cairn::EntityManager > & entityManager() const noexcept { return em_; }
   Strata::StrataCommonSmData & scsd() noexcept { return *scsd_; }
   StrataPacketTracer::LPortTableWriteRequestConfig & requestConfig() noexcept { return *requestConfig_; }
   CfmSw::CfmHwConfig & cfmConfig() noexcept { return *cfmConfig_; }
   SourceTrunkMapTable & sourceTrunkMap() noexcept { return sourceTrunkMap_; }
   const PluginLoader & loader() const noexcept { return loader_; }
   // Loads the plug-in without starting the agent, so that the names of its
   // types and attributes can be checked; throws ScenarioError when it cannot
   // be loaded.
   void loadPlugin() { loader_.load(); }

   const std::string & contextName() const noexcept { return contextName_; }
   // Throws ScenarioError while the agent runs: the mounter took the name.
   void contextNameIs( std::string name );
   std::string requestDirPath() const { return requestDirPathPrefix + contextName_; }
   std::string statusEntityName() const { return "Strata-" + contextName_; }

   // The status entity "Strata-CONTEXT" in the status directory, or null.
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > statusEntity() const;
   // The status entity, created (with the directory) when missing.
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > statusEntityIs();
   // Whether the host's copy of the input is out of the state database.
   bool withheld( AgentInput input ) const noexcept { return withheld_.count( input ) != 0; }

   bool started() const noexcept { return bool( mounter_ ); }
   // Throws ScenarioError when the agent runs already or the plug-in cannot
   // be loaded or made; framework errors from the plug-in propagate.
   void start( const std::set< AgentInput > & missing );
   // doMountsComplete again, with the status of the last start.
   void remount();
   void stop();
   const Vela::Ptr< StrataLib::MounterBase > & mounter() const noexcept { return mounter_; }
   Cairn::MountStatus mountStatus() const noexcept { return mountStatus_; }

 private:
   static std::string pathOf( AgentInput input, const std::string & context );
   Vela::Ptr< Quill::Dir > statusDir() const;
   Vela::Ptr< Quill::Dir > statusDirIs();
   void restoreDetached();
   void detach( AgentInput input );

   PluginLoader & loader_;
   Vela::Ptr< Cairn::EntityManager > em_;
   Vela::Ptr< Strata::StrataCommonSmData > scsd_;
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestConfig > requestConfig_;
   Vela::Ptr< CfmSw::CfmHwConfig > cfmConfig_;
   std::string contextName_ = "sim";
   std::set< AgentInput > withheld_;
   // Withheld entities the host keeps, by the path they return to.
   std::map< std::string, Vela::Ptr< Quill::Entity > > detached_;
   Vela::Ptr< StrataLib::MounterBase > mounter_;
   Cairn::MountStatus mountStatus_ = Cairn::MountStatus::mountInProgress;
   SourceTrunkMapTable sourceTrunkMap_;
};

} // namespace Sim
