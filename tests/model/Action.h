// One step of a model-based run: something the host, a client or time does.
// Every action is valid in every state (removing what is absent, naming an
// unknown interface and so on are all allowed), so that a shrinker can drop
// any step of a sequence and replay the rest.
#pragma once

#include "Universe.h"

#include <string>
#include <vector>

namespace ModelTest {

enum class ActionKind {
   moduleAdd,    // strataModIdToUnit[module] = chip unit
   moduleRemove, // erase strataModIdToUnit[module]
   intfAdd,      // the interface, with its universe port if it has one
   intfRemove,
   lagSet,       // the port-channel's members become `members`
   lagRemove,
   cfmAdd,       // forwardingConfig key (intf, vlan) written
   cfmRemove,
   tracer,       // a packet-tracer request: apply (enable) or withdraw
   timeout,      // every live slice's timeout
   advance,      // virtual time moves on by `seconds`
   restart,      // agent stop, then agent start
};

struct Action {
   ActionKind kind = ActionKind::advance;
   unsigned module = 0;
   std::string intf{};      // interface, port-channel or key interface
   bool unused = false;     // intfAdd: into unusedIntf instead of intf
   std::vector< Port > members{}; // lagSet, in the order the host writes them
   U16 vlan = 0;
   bool enable = false;     // tracer: apply (true) or withdraw
   bool cpu = false;        // tracer: also the CPU packet profile
   U32 requestNumber = 0;   // tracer: the request id's number
   double seconds = 0;      // timeout value, or clock step
   bool viaGeneric = false; // timeout: through the generic attribute interface

   // One readable line, in the simulator's scenario language where the
   // language has the command (a timeout reads "set every slice timeout S").
   std::string text( const Universe & universe ) const;
};

using Sequence = std::vector< Action >;

// Short constructors for hand-written sequences.
namespace Step {
Action moduleAdd( unsigned module );
Action moduleRemove( unsigned module );
Action intfAdd( const std::string & name, bool unused = false );
Action intfRemove( const std::string & name );
Action lag( const std::string & name, std::vector< Port > members );
Action lagRemove( const std::string & name );
Action cfmAdd( const std::string & intf, U16 vlan );
Action cfmRemove( const std::string & intf, U16 vlan );
Action apply( const std::string & intf, U32 requestNumber, bool cpu = false );
Action withdraw( const std::string & intf, U32 requestNumber, bool cpu = false );
Action timeout( double seconds, bool viaGeneric = true );
Action advance( double seconds );
Action restart();
} // namespace Step

} // namespace ModelTest
