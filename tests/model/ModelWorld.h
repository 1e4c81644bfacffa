// The reference model's picture of everything outside the plug-in: the
// shared Strata state as the host keeps it, the request, status and CFM
// entities, the chip unit's LPORT_TAB and CPU_PKT_PROFILE_2, the agent's
// SOURCE_TRUNK_MAP as carried out from posted requests, and virtual time.
// Plain data; the model's slices read and write it by the plug-in's rules.
#pragma once

#include "Universe.h"

#include <compare>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace ModelTest {

inline constexpr double never = std::numeric_limits< double >::infinity();

struct CfmKey {
   std::string intf;
   U16 vlan = 0;
   // Interface first, then VLAN, as the CFM configuration orders its keys.
   auto operator<=>( const CfmKey & ) const = default;
};

struct RequestState {
   std::string requestId = ":0"; // "NAME:NUMBER"
   std::string intf;
   bool enable = false;
   bool cpu = false;
   U32 version = 0;
};

struct StatusState {
   unsigned state = 0;
   std::string requestId = ":0";
   U32 version = 0;
};

struct ModelWorld {
   explicit ModelWorld( const Universe & u ) : universe( &u ), lportTab( u.lportTabPresets() ) {}

   const Universe * universe;

   // Shared Strata state.
   std::map< unsigned, U16 > modules; // strataModIdToUnit
   std::set< U16 > unitsWithModInfo{ chipUnit };
   std::set< std::string > intf;
   std::set< std::string > unusedIntf;
   std::map< std::string, Port > intfToPort;
   std::map< Port, std::string > portToIntf;
   std::map< std::string, std::set< Port > > lagToPort;
   std::map< Port, std::string > portToLag;

   // Client entities.
   std::set< CfmKey > cfmKeys;
   RequestState request;
   StatusState status;

   // The chip unit and the agent's table.
   std::map< int, FieldValues > lportTab; // non-zero entries, non-zero fields
   U32 cpuPktProfile2 = cpuPktProfilePreset;
   std::map< std::pair< U16, U16 >, U32 > sourceTrunkMap;

   // Time and the completions of the current step.
   double now = 0;
   U64 armSequence = 0; // orders wake-ups set for the same time
   std::vector< double > completions;
   // For each completion of the step, the earliest time it was allowed:
   // when its request was handled, plus the timeout for an applied profile.
   std::vector< double > completionsDue;

   bool intfKnown( const std::string & name ) const {
      return intf.count( name ) != 0 || unusedIntf.count( name ) != 0;
   }
   // Sets fields of an LPORT_TAB entry (0 clears a field).
   void lportFieldsIs( int index, const FieldValues & fields ) {
      FieldValues & entry = lportTab[ index ];
      for( const auto & [ name, value ] : fields ) {
         if( value ) {
            entry[ name ] = value;
         } else {
            entry.erase( name );
         }
      }
      if( entry.empty() ) {
         lportTab.erase( index );
      }
   }
   // Replaces a whole LPORT_TAB entry.
   void lportEntryIs( int index, const FieldValues & fields ) {
      lportTab.erase( index );
      lportFieldsIs( index, fields );
   }
   void post( const Port & port, U32 profile ) {
      sourceTrunkMap[ { port.modId, port.port } ] = profile;
   }
};

} // namespace ModelTest
