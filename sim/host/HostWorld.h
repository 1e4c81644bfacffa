// The host's world as the audit sees it: the host's entities as the agent
// gives them to the plug-in (a withheld input is not there), the CFM toggles
// as the toggle library answered the plug-in, the chip and the table
// manager's SOURCE_TRUNK_MAP; never the plug-in's objects. The plug-in reads
// each toggle once per process and keeps the answer: a toggle set otherwise
// after that is a note for the next start of the process, not CFM's intent
// now. A toggle never asked is asked at first use, and answered as it is set.
#pragma once

#include "audit/WorldView.h"
#include "host/Host.h"

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
