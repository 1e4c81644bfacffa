#include "SliceModel.h"

namespace ModelTest {

namespace {

bool
isPortChannel( const std::string & intf ) {
   return intf.rfind( "Port-Channel", 0 ) == 0;
}

// The 17 settings the tracer's profile takes over from a port's PORT_TAB
// entry: flags become 1 when their field is non-zero, the two integer
// settings are copied whole.
FieldValues
settingsOf( const FieldValues & portTab ) {
   FieldValues settings;
   const std::vector< std::string > & names = tracerFieldNames();
   for( std::size_t i = 0; i < names.size(); ++i ) {
      auto found = portTab.find( names[ i ] );
      const U32 value = found == portTab.end() ? 0 : found->second;
      settings[ names[ i ] ] = i < tracerFlagCount ? ( value ? 1 : 0 ) : value;
   }
   return settings;
}

FieldValues
cfmProfile() {
   FieldValues fields;
   for( const std::string & name : cfmProfileFieldNames() ) {
      fields[ name ] = 1;
   }
   return fields;
}

} // namespace

SliceView
SliceModel::view() const {
   return SliceView{ modId_, timeout_, handleClockCalled_, wakeUp_, tracerClaims_, cfmClaims_ };
}

std::optional< HandledRequest >
SliceModel::initialize( ModelWorld & world ) {
   tracerClaims_.clear();
   cfmClaims_.clear();
   // Attaching the clock runs handleClock once; nothing waits yet, so it only
   // traces. Then the clock is disarmed.
   wakeUp_ = never;
   std::optional< HandledRequest > handled;
   if( world.request.version != world.status.version ) {
      handled = handleRequest( world );
   }
   // Walk a copy: the keys cannot change underneath, but the walk must not
   // depend on that.
   const std::set< CfmKey > keys = world.cfmKeys;
   for( const CfmKey & key : keys ) {
      handleCfmKey( world, key );
   }
   return handled;
}

std::optional< HandledRequest >
SliceModel::handleRequest( ModelWorld & world ) {
   const RequestState request = world.request;
   if( !world.intfKnown( request.intf ) ) {
      return std::nullopt; // not on the slice: ignored, never answered
   }
   auto cached = world.intfToPort.find( request.intf );
   if( cached == world.intfToPort.end() ) {
      // Known but without a chip port: refused before any chip access.
      return std::nullopt;
   }
   const Port port = cached->second;

   // LPORT_TAB, read-modify-write of the 17 settings in the tracer's entry.
   const FieldValues settings =
      request.enable ? settingsOf( world.universe->portTab( port.port ) ) : settingsOf( {} );
   world.lportFieldsIs( int( tracerProfileIdx ), settings );

   // SOURCE_TRUNK_MAP: apply claims and posts the tracer's profile; withdraw
   // hands the port back to CFM when CFM claims it, else to profile 0.
   if( request.enable ) {
      if( claimable( port.port ) ) {
         tracerClaims_.insert( port.port );
      }
      world.post( port, tracerProfileIdx );
   } else {
      world.post( port, cfmClaims_.count( port.port ) ? cfmProfileIdx : 0 );
      tracerClaims_.erase( port.port );
   }

   if( request.cpu ) {
      const U32 reg = world.cpuPktProfile2;
      const U32 field = request.enable ? ( reg | 4u ) : ( reg & 0xFBu );
      world.cpuPktProfile2 = ( reg & ~0xFFu ) | ( field & 0xFFu );
   }

   handleClockCalled_ = true;
   arm( world, request.enable ? world.now + timeout_ : world.now );
   return HandledRequest{ port, request.enable };
}

void
SliceModel::handleCfmKey( ModelWorld & world, const CfmKey & key ) {
   const bool setup = world.cfmKeys.count( key ) != 0;
   if( !isPortChannel( key.intf ) ) {
      auto cached = world.intfToPort.find( key.intf );
      const Port port = cached == world.intfToPort.end() ? Port::nullPort() : cached->second;
      programCfmPort( world, setup, port );
      return;
   }
   auto lag = world.lagToPort.find( key.intf );
   if( lag == world.lagToPort.end() ) {
      return; // a port-channel the shared state does not know: nothing programmed
   }
   const std::set< Port > members = lag->second;
   for( const Port & member : members ) {
      programCfmPort( world, setup, member );
   }
}

void
SliceModel::handlePortToLag( ModelWorld & world, const Port & port ) {
   const bool added = world.portToLag.count( port ) != 0;
   auto own = world.portToIntf.find( port );
   if( own == world.portToIntf.end() || own->second.empty() ) {
      return; // a port without an interface of its own is ignored
   }
   programCfmPort( world, added, port );
}

void
SliceModel::programCfmPort( ModelWorld & world, bool setup, const Port & port ) {
   if( !world.unitsWithModInfo.count( port.unit ) ) {
      // Not a unit of the shared state (the null port of an interface
      // without a chip port): no chip write and no request. The claim step
      // would still run, but the null port's number is outside the bitmaps.
      if( claimable( port.port ) ) {
         if( setup ) {
            cfmClaims_.insert( port.port );
         } else {
            cfmClaims_.erase( port.port );
         }
      }
      return;
   }
   // The shared CFM profile: counted by the claims as they are before this
   // port's own claim changes.
   const std::size_t claims = cfmClaims_.size();
   if( setup && claims == 0 ) {
      world.lportEntryIs( int( cfmProfileIdx ), cfmProfile() );
   } else if( !setup && claims == 1 ) {
      world.lportEntryIs( int( cfmProfileIdx ), {} );
   }

   if( claimable( port.port ) ) {
      if( setup ) {
         cfmClaims_.insert( port.port );
      } else {
         cfmClaims_.erase( port.port );
      }
   }
   if( tracerClaims_.count( port.port ) ) {
      return; // the packet tracer holds the port's entry: CFM waits
   }
   world.post( port, setup ? cfmProfileIdx : 0 );
}

void
SliceModel::handleClock( ModelWorld & world ) {
   if( !handleClockCalled_ ) {
      return;
   }
   world.status.state = 4;
   world.status.requestId = world.request.requestId;
   world.status.version += 1;
   world.completions.push_back( world.now );
   world.completionsDue.push_back( wakeUp_ );
   handleClockCalled_ = false;
   wakeUp_ = never;
}

void
SliceModel::arm( ModelWorld & world, double wakeUp ) {
   wakeUp_ = wakeUp;
   armSequence_ = ++world.armSequence;
}

} // namespace ModelTest
