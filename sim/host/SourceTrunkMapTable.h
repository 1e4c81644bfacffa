// SOURCE_TRUNK_MAP, the chip table the agent writes for the plug-in: as the
// simulated agent's table manager, it watches the plug-in's source-trunk-map
// request directory and carries each posted request out at once, keeping the
// resulting SOURCE_TRUNK_MAP profile per chip unit and (module id, port), and
// a log of the requests posted since the last clear.
#pragma once

#include "Agent/PortTabWriteRequestDir.h"
#include "Vela/Ptr.h"
#include "Vela/Publisher.h"

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace Sim {

class SourceTrunkMapTable {
 public:
   using PortKey = std::pair< U16, U16 >; // module id, port number
   // The chip unit a request is carried out on, or nothing when none can be
   // told (the request is then logged but written nowhere).
   using UnitResolver = std::function< std::optional< U16 >( const StrataCentral::PortTabWriteRequestKey & ) >;
   // A SOURCE_TRUNK_MAP entry as the last request for it left it.
   struct Written {
      U16 modInfo = 0; // the module information that headed the request
      U32 profile = 0; // the LPORT profile index
   };

   SourceTrunkMapTable() = default;
   SourceTrunkMapTable( const SourceTrunkMapTable & ) = delete;
   SourceTrunkMapTable & operator=( const SourceTrunkMapTable & ) = delete;

   // Watches `dir` from now on (requests it already holds are not replayed);
   // null stops watching.
   void watch( const Vela::Ptr< StrataCentral::PortTabWriteRequestDir > & dir );
   const Vela::Ptr< StrataCentral::PortTabWriteRequestDir > & watched() const noexcept { return dir_; }

   // Requests carried out since the last logClear, in the order posted.
   const std::vector< StrataCentral::PortTabWriteRequest > & log() const noexcept { return log_; }
   // Empties the log, and the watched directory's own list of requests. The
   // table itself is hardware state and stays.
   void logClear();

   void unitResolverIs( UnitResolver resolver ) { unitOf_ = std::move( resolver ); }
   // Told of each request as it is carried out, with the unit it was written
   // on (nothing: none could be told); null: none.
   using Listener = std::function< void( const StrataCentral::PortTabWriteRequest &, std::optional< U16 > unit ) >;
   void listenerIs( Listener listener ) { listener_ = std::move( listener ); }

   // The last request carried out for (module id, port), if any: its key and
   // the profile it wrote.
   std::optional< StrataCentral::PortTabWriteRequest > lastRequest( U16 modId, U16 port ) const;
   // The profile the last request for (module id, port) wrote, if any.
   std::optional< U32 > entry( U16 modId, U16 port ) const;
   const std::map< PortKey, StrataCentral::PortTabWriteRequest > & entries() const noexcept { return table_; }
   // SOURCE_TRUNK_MAP of one unit: every (module id, port) a request was
   // carried out for, profile 0 included. Empty for a unit never written.
   const std::map< PortKey, Written > & chipTable( U16 unit ) const;
   // Requests carried out since the start for which no unit could be told.
   std::size_t unplaced() const noexcept { return unplaced_; }

 private:
   static void dispatch( Vela::Publisher *, Vela::Subscriber * subscriber, short attrId, const void * key,
                         const void * value );

   Vela::Ptr< StrataCentral::PortTabWriteRequestDir > dir_;
   Vela::Subscriber subscriber_{ &dispatch, this };
   std::vector< StrataCentral::PortTabWriteRequest > log_;
   std::map< PortKey, StrataCentral::PortTabWriteRequest > table_;
   UnitResolver unitOf_;
   Listener listener_;
   std::map< U16, std::map< PortKey, Written > > chip_;
   std::size_t unplaced_ = 0;
};

} // namespace Sim
