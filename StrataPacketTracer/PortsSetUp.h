// The ports the slices of one root have set up for each client, shared by
// those slices: a slice serves the ports of its own module, but what the chip
// holds outlives slices, and one chip unit carries several modules.
//
// CFM: the CFM profile is one LPORT_TAB entry per chip unit. It is written
// when the first port on its unit is set up and cleared when the last one is
// taken down, so its users are counted here, per unit, for all the slices
// together; each slice still keeps its own claims by port number.
//
// The packet tracer: the ports steered at its profile, so that the next
// slice of a module can take back a port an earlier one steered.
//
// A slice that goes (its module removed) leaves its ports here: their
// SOURCE_TRUNK_MAP entries still point at the profiles. The module's next
// slice takes them over.
#pragma once

#include "Agent/StrataTypes.h"

#include <cstddef>
#include <map>
#include <set>
#include <vector>

namespace Strata {

class PortsSetUp {
 public:
   // The same chip port, whatever the flags the port's name carries.
   static bool samePort( const StrataTypes::StrataPort & a, const StrataTypes::StrataPort & b ) noexcept {
      return a.modId == b.modId && a.unit == b.unit && a.port == b.port;
   }

   // Records `port` as a user of its unit's CFM profile, or as no longer one.
   void cfmUserIs( const StrataTypes::StrataPort & port, bool uses );
   // How many ports on `unit` use the CFM profile.
   std::size_t cfmUsers( U16 unit ) const;
   bool cfmUses( const StrataTypes::StrataPort & port ) const;
   // The CFM users on any unit whose module id is `modId`, in unit and port order.
   std::vector< StrataTypes::StrataPort > cfmUsersOfModule( U16 modId ) const;

   // Records `port` as steered at the packet tracer's profile, or as no longer.
   void tracerPortIs( StrataTypes::StrataPort port, bool steered );
   // The ports steered at the tracer's profile whose module id is `modId`,
   // but for `kept` (when given). Allocates nothing when there are none,
   // which is every request but one that moves the tracer to another port.
   std::vector< StrataTypes::StrataPort > tracerPortsOfModule( U16 modId, const StrataTypes::StrataPort * kept ) const;

 private:
   std::map< U16, std::set< StrataTypes::StrataPort > > cfmUsers_; // by unit
   std::set< StrataTypes::StrataPort > tracerPorts_;
};

} // namespace Strata
