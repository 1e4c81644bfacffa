// What a model-based run compares after every step: the state that the
// plug-in's work leaves in the simulated chip, in the agent's source-trunk
// map and in the packet tracer's status, plus each slice's own bookkeeping as
// its public interface shows it. The reference model predicts one, the
// harness reads one off the running plug-in, and `differences` tells them
// apart in words.
#pragma once

#include "Universe.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace ModelTest {

struct SliceView {
   unsigned modId = 0;
   double timeout = 0;
   bool handleClockCalled = false;
   double wakeUp = 0;               // the clock notifiee's wake-up time (infinity: disarmed)
   std::set< U32 > tracerClaims;    // set bits of the packet tracer's bitmap
   std::set< U32 > cfmClaims;       // set bits of CFM's bitmap
   bool operator==( const SliceView & ) const = default;
};

struct Observation {
   using StmKey = std::pair< U16, U16 >; // module id, port number

   // The profile the agent last wrote per (module id, port), from the posted
   // requests it carried out; a key never posted is absent (profile 0).
   std::map< StmKey, U32 > sourceTrunkMap;
   // The chip unit's LPORT_TAB entries that are not all zero, with their
   // non-zero fields.
   std::map< int, FieldValues > lportTab;
   // "unit U LPORT_TAB I" for every non-zero entry on any other unit.
   std::vector< std::string > otherUnitEntries;
   U32 cpuPktProfile2 = 0;
   U32 statusVersion = 0;
   unsigned statusState = 0;
   std::string statusRequestId;
   // The virtual times at which completions were published during the step.
   std::vector< double > completions;
   std::vector< SliceView > slices; // by ascending module id

   U32 sourceTrunkMapOf( const Port & port ) const;
};

// Each way in which `actual` differs from `expected`, one line per item.
std::vector< std::string > differences( const Observation & expected, const Observation & actual );

std::string fieldsText( const FieldValues & fields );

} // namespace ModelTest
