// Does the chip do what the clients asked for? The audit holds what the chip
// and the agent's SOURCE_TRUNK_MAP hold against what the packet tracer and
// CFM want (ClientIntent.h) and lists every difference, one line each, with
// the work still pending beside them: a request not yet completed, or posted
// but not yet carried out, is pending and no difference.
//
// Audited: the SOURCE_TRUNK_MAP entry of every port a client wants something
// of or that the agent has written; on each chip unit, the tracer's LPORT_TAB
// entry (its copied settings) where a completed request says what it should
// hold, the CFM LPORT_TAB entry (all of it) while CFM is switched on and
// served, and the tracer's CPU_PKT_PROFILE_2 bit where a completed request
// asked for it.
//
// A difference is what the chip holds against what should be there now: the
// agent has done the work, or should have, and the chip is wrong for a client.
// Pending is work the agent has not done and is not expected to have done yet:
// a request not yet completed, a SOURCE_TRUNK_MAP request posted but not yet
// carried out, an entry the agent cannot program (with why: a unit the chip
// does not have, a module id or port number out of range, a unit without
// module information, a key on an interface without a chip port), and every
// entry while nothing serves the clients. What the chip already holds is
// never pending: a port that points at a profile needs that profile, so the
// CFM entry of a unit where a port points at it is held to the CFM profile,
// and a completed request's entry and CPU bit stay held, whatever the agent
// could program now. Toggles set otherwise since the plug-in read them are
// listed with the pending work: they take effect at the next start of the
// agent's process.
#pragma once

#include "audit/ClientIntent.h"
#include "audit/WorldView.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Sim {

struct Difference {
   U16 unit = 0;
   std::string table;            // "SOURCE_TRUNK_MAP", "LPORT_TAB" or "CPU_PKT_PROFILE_2"
   std::string entry;            // the port MOD/UNIT/PORT, the entry index, or "bit 2"
   std::string holds;            // a profile index, a bit, or an entry's differing fields
   std::string shouldHold;       // the same, as the clients want it
   Client client = Client::none; // whose wish is not met
   std::string note;             // why, where the audit can tell; may be empty

   // "unit 0 SOURCE_TRUNK_MAP 1/0/7: holds 5, should hold 1 (CFM: NOTE)"
   std::string line() const;
};

class Audit {
 public:
   // Audits every unit, or `unit` alone (pending work is listed for every
   // unit). `world.chip` must not be null.
   explicit Audit( const WorldView & world, std::optional< U16 > unit = std::nullopt );

   // In order of unit; on a unit SOURCE_TRUNK_MAP by port, then LPORT_TAB,
   // then CPU_PKT_PROFILE_2.
   const std::vector< Difference > & differences() const noexcept { return differences_; }
   const std::vector< std::string > & pending() const noexcept { return pending_; }
   bool clean() const noexcept { return differences_.empty(); }
   // Each difference's line.
   std::vector< std::string > lines() const;

 private:
   bool audits( U16 unit ) const noexcept { return !unit_ || *unit_ == unit; }
   void sourceTrunkMapIs( const WorldView & world, const ClientIntent & intent );
   void lportTabIs( const Shim::SimChip & chip, const ClientIntent & intent );
   void cpuPktProfileIs( const Shim::SimChip & chip, const ClientIntent & intent );

   std::optional< U16 > unit_;
   // Per unit, a port whose SOURCE_TRUNK_MAP entry holds the CFM profile.
   std::map< U16, std::string > cfmPointedAt_;
   std::vector< Difference > differences_;
   std::vector< std::string > pending_;
};

} // namespace Sim
