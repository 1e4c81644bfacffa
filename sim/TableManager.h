// The simulated agent's table manager: it watches the plug-in's source-trunk-
// map request directory and carries each posted request out at once, keeping
// the resulting SOURCE_TRUNK_MAP profile per (module id, port) and a log of
// the requests posted since the last clear.
#pragma once

#include "Agent/PortTabWriteRequestDir.h"
#include "Vela/Ptr.h"
#include "Vela/Publisher.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace Sim {

class TableManager {
 public:
   using PortKey = std::pair< U16, U16 >; // module id, port number

   TableManager() = default;
   TableManager( const TableManager & ) = delete;
   TableManager & operator=( const TableManager & ) = delete;

   // Watches `dir` from now on (requests it already holds are not replayed);
   // null stops watching.
   void watch( const Vela::Ptr< StrataCentral::PortTabWriteRequestDir > & dir );
   const Vela::Ptr< StrataCentral::PortTabWriteRequestDir > & watched() const noexcept {
      return dir_;
   }

   // Requests carried out since the last logClear, in the order posted.
   const std::vector< StrataCentral::PortTabWriteRequest > & log() const noexcept { return log_; }
   // Empties the log, and the watched directory's own list of requests. The
   // table itself is hardware state and stays.
   void logClear();

   // The profile the last request for (module id, port) wrote, if any.
   std::optional< U32 > entry( U16 modId, U16 port ) const;
   const std::map< PortKey, U32 > & entries() const noexcept { return table_; }

 private:
   static void dispatch( Vela::Publisher *, Vela::Subscriber * subscriber, short attrId,
                         const void * key, const void * value );

   Vela::Ptr< StrataCentral::PortTabWriteRequestDir > dir_;
   Vela::Subscriber subscriber_{ &dispatch, this };
   std::vector< StrataCentral::PortTabWriteRequest > log_;
   std::map< PortKey, U32 > table_;
};

} // namespace Sim
