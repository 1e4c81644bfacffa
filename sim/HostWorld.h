// The host's world as the audit sees it: the host's entities as the agent
// gives them to the plug-in (a withheld input is not there), the CFM toggles
// as the toggle library answers now, the chip and the table manager's
// SOURCE_TRUNK_MAP; never the plug-in's objects. (The plug-in reads each
// toggle once per process: a toggle turned on after that shows as CFM's
// differences until the process starts again.)
#pragma once

#include "Host.h"
#include "WorldView.h"

namespace Sim {

class HostWorld {
 public:
   // A view of `host` as it is now; it refers to the host's objects, so it
   // holds while the host does not change.
   explicit HostWorld( Host & host );
   HostWorld( const HostWorld & ) = delete;
   HostWorld & operator=( const HostWorld & ) = delete;

   const WorldView & view() const noexcept { return view_; }

 private:
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > status_;
   SourceTrunkMapView sourceTrunkMap_;
   WorldView view_;
};

} // namespace Sim
