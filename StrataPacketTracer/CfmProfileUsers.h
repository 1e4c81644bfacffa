// The ports set up for CFM on each chip unit, across every slice of one root.
//
// The CFM profile is one LPORT_TAB entry per chip unit, while a slice serves
// the ports of one module and a unit may carry several modules. The entry is
// written when the first port on its unit is set up and cleared when the last
// one is taken down, so its users are counted here, per unit, for all the
// slices together; each slice still keeps its own claims by port number.
//
// A slice that goes (its module removed) leaves its ports here: their
// SOURCE_TRUNK_MAP entries still point at the profile, which must stay. The
// module's next slice takes them over.
#pragma once

#include "Agent/StrataTypes.h"

#include <cstddef>
#include <map>
#include <set>
#include <vector>

namespace Strata {

class CfmProfileUsers {
 public:
   // Records `port` as a user of its unit's profile, or as no longer one.
   void userIs( const StrataTypes::StrataPort & port, bool uses );
   // How many ports on `unit` use the profile.
   std::size_t count( U16 unit ) const;
   bool uses( const StrataTypes::StrataPort & port ) const;
   // The users on any unit whose module id is `modId`, in port order.
   std::vector< StrataTypes::StrataPort > usersOfModule( U16 modId ) const;

 private:
   std::map< U16, std::set< StrataTypes::StrataPort > > users_; // by unit
};

} // namespace Strata
