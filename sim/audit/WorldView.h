// What the audit looks at: the state database the clients write, the chip and
// the agent's SOURCE_TRUNK_MAP. Never the plug-in's own objects: the audit
// derives what should be from what the clients asked for, so that it can
// catch the plug-in's faults instead of repeating them.
//
// A view borrows everything it points at; the caller keeps it alive for as
// long as the view is used.
#pragma once

#include "Agent/PacketTracerTypes.h"
#include "Agent/PortTabWriteRequestDir.h"
#include "Agent/StrataCommonSmData.h"
#include "Shim/SimChip.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// Pointed at only; the rules that read it include it.
namespace CfmSw {
class CfmHwConfig;
}

namespace Sim {

// The agent's SOURCE_TRUNK_MAP: what its table manager wrote from the
// plug-in's requests, per chip unit, and the requests posted but not yet
// carried out.
struct SourceTrunkMapView {
   // (module id, port number) to the LPORT profile index written there; an
   // entry never written holds 0.
   using Entries = std::map< std::pair< U16, U16 >, U32 >;
   std::map< U16, Entries > units;
   std::vector< StrataCentral::PortTabWriteRequest > notCarriedOut;

   // The profile the entry of (module id, port) on `unit` holds.
   U32 holds( U16 unit, U16 modId, U16 port ) const {
      const auto onUnit = units.find( unit );
      if( onUnit == units.end() ) {
         return 0;
      }
      const auto entry = onUnit->second.find( { modId, port } );
      return entry == onUnit->second.end() ? 0 : entry->second;
   }
};

struct WorldView {
   // The state database, as the plug-in would be given it; null where the
   // agent gives the plug-in no such entity.
   const Strata::StrataCommonSmData * scsd = nullptr;
   const StrataPacketTracer::LPortTableWriteRequestConfig * request = nullptr;
   const StrataPacketTracer::LPortTableWriteRequestStatus * status = nullptr;
   const CfmSw::CfmHwConfig * cfmConfig = nullptr;
   // Whether the running plug-in serves CFM: both feature toggles on as the
   // plug-in read them (it keeps each answer for the life of its process).
   bool cfmSwitchedOn = false;
   // Whether the agent runs the plug-in at all.
   bool agentRunning = false;
   // The hardware. The chip is required; a null table means the audit cannot
   // see SOURCE_TRUNK_MAP.
   const Shim::SimChip * chip = nullptr;
   const SourceTrunkMapView * sourceTrunkMap = nullptr;
   // Whether the plug-in has a source-trunk-map request directory to post to.
   bool sourceTrunkMapWritable = true;
   // What the audit shows without counting it: toggles set otherwise since
   // the plug-in read them, which take effect only when its process starts
   // again.
   std::vector< std::string > notes;
};

} // namespace Sim
