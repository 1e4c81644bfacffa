// Which VLANs of each interface may carry a present CFM forwarding
// configuration: lets a key's removal tell, at a cost that does not grow with
// the configuration, whether another present key still covers a port.
//
// The index only proposes. It remembers every key the slice has seen present,
// and a question checks the proposals of one interface against the
// configuration itself, forgetting those that have gone. A key added while the
// slice was not listening is missing from it (its port may then be taken down
// although that key still covers it, as without the index); a key removed
// meanwhile is never believed present, so a port no key covers is never kept.
#pragma once

#include "Agent/CfmHwConfig.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace Strata {

class PresentCfmKeys {
 public:
   // Records that `key` is present in the configuration.
   void keyPresentIs( const CfmSw::IntfVlanTuple & key );
   // Whether some key of `intf` is present in `config`. Forgets, on the way,
   // the recorded keys of `intf` that `config` no longer has.
   bool anyPresent( const Lumo::IntfId & intf, const CfmSw::CfmHwConfig & config );

 private:
   // Per interface name, a bit per VLAN.
   std::unordered_map< std::string, std::vector< U64 > > vlans_;
};

} // namespace Strata
