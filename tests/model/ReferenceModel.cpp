#include "ReferenceModel.h"

#include <algorithm>
#include <sstream>

namespace ModelTest {

namespace {

bool
isPortChannel( const std::string & intf ) {
   return intf.rfind( "Port-Channel", 0 ) == 0;
}

std::string
requestIdText( U32 number ) {
   return "r:" + std::to_string( number );
}

} // namespace

ReferenceModel::ReferenceModel( const Universe & universe ) : world_( universe ) { agentStart(); }

void
ReferenceModel::apply( const Action & action ) {
   world_.completions.clear();
   world_.completionsDue.clear();
   const Universe & universe = *world_.universe;
   switch( action.kind ) {
    case ActionKind::moduleAdd:
      world_.modules[ action.module ] = chipUnit;
      sliceAdd( action.module );
      break;
    case ActionKind::moduleRemove:
      if( world_.modules.erase( action.module ) ) {
         sliceDel( action.module );
      }
      break;
    case ActionKind::intfAdd: {
       ( action.unused ? world_.unusedIntf : world_.intf ).insert( action.intf );
       if( const std::optional< Port > port = universe.portOf( action.intf ) ) {
          world_.intfToPort[ action.intf ] = *port;
          world_.portToIntf[ *port ] = action.intf;
       }
       break;
    }
    case ActionKind::intfRemove: {
       auto cached = world_.intfToPort.find( action.intf );
       if( cached != world_.intfToPort.end() ) {
          world_.portToIntf.erase( cached->second );
          world_.intfToPort.erase( cached );
       }
       world_.intf.erase( action.intf );
       world_.unusedIntf.erase( action.intf );
       break;
    }
    case ActionKind::lagSet: lagSet( action.intf, action.members ); break;
    case ActionKind::lagRemove: lagRemove( action.intf ); break;
    case ActionKind::cfmAdd: {
       const CfmKey key{ action.intf, action.vlan };
       world_.cfmKeys.insert( key ); // written again when present: still a change
       for( SliceModel & slice : slices_ ) {
          slice.handleCfmKey( world_, key );
       }
       break;
    }
    case ActionKind::cfmRemove: {
       const CfmKey key{ action.intf, action.vlan };
       if( world_.cfmKeys.erase( key ) ) {
          for( SliceModel & slice : slices_ ) {
             slice.handleCfmKey( world_, key );
          }
       }
       break;
    }
    case ActionKind::tracer: {
       RequestState & request = world_.request;
       request.requestId = requestIdText( action.requestNumber );
       request.intf = action.intf;
       request.enable = action.enable;
       request.cpu = action.cpu;
       request.version += 1;
       for( SliceModel & slice : slices_ ) {
          noteHandled( slice.handleRequest( world_ ) );
       }
       break;
    }
    case ActionKind::timeout:
      for( SliceModel & slice : slices_ ) {
         slice.timeoutIs( action.seconds );
      }
      break;
    case ActionKind::advance: advance( action.seconds ); break;
    case ActionKind::restart:
      // Stopping destroys every slice and writes nothing to the chip.
      slices_.clear();
      agentRunning_ = false;
      agentStart();
      break;
   }
}

void
ReferenceModel::agentStart() {
   agentRunning_ = true;
   // The root makes a slice for every listed module, in module order.
   for( const auto & entry : world_.modules ) {
      sliceAdd( entry.first );
   }
}

void
ReferenceModel::sliceAdd( unsigned modId ) {
   if( !agentRunning_ ) {
      return;
   }
   for( const SliceModel & slice : slices_ ) {
      if( slice.modId() == modId ) {
         return; // the module's slice stays, whatever its unit
      }
   }
   SliceModel slice( modId );
   noteHandled( slice.initialize( world_ ) );
   slices_.push_back( std::move( slice ) );
}

void
ReferenceModel::sliceDel( unsigned modId ) {
   std::erase_if( slices_, [ modId ]( const SliceModel & s ) { return s.modId() == modId; } );
}

void
ReferenceModel::noteHandled( const std::optional< HandledRequest > & handled ) {
   if( !handled ) {
      return;
   }
   if( handled->applied ) {
      tracerHolds_.insert( handled->port );
   } else {
      tracerHolds_.erase( handled->port );
   }
}

void
ReferenceModel::portToLagChanged( const Port & port ) {
   for( SliceModel & slice : slices_ ) {
      slice.handlePortToLag( world_, port );
   }
}

void
ReferenceModel::lagSet( const std::string & lag, const std::vector< Port > & members ) {
   // As the host keeps its maps: the member set first, then each member's
   // entry in member order, then the entries of ports that left.
   auto current = world_.lagToPort.find( lag );
   const std::set< Port > before = current == world_.lagToPort.end() ? std::set< Port >() : current->second;
   const std::set< Port > after( members.begin(), members.end() );
   world_.lagToPort[ lag ] = after;
   for( const Port & port : members ) {
      world_.portToLag[ port ] = lag;
      portToLagChanged( port );
   }
   for( const Port & port : before ) {
      if( !after.count( port ) && world_.portToLag.erase( port ) ) {
         portToLagChanged( port );
      }
   }
}

void
ReferenceModel::lagRemove( const std::string & lag ) {
   auto current = world_.lagToPort.find( lag );
   const std::set< Port > before = current == world_.lagToPort.end() ? std::set< Port >() : current->second;
   for( const Port & port : before ) {
      if( world_.portToLag.erase( port ) ) {
         portToLagChanged( port );
      }
   }
   world_.lagToPort.erase( lag );
}

void
ReferenceModel::advance( double seconds ) {
   const double target = world_.now + std::max( seconds, 0.0 );
   for( ;; ) {
      // The earliest wake-up; equal times in the order they were set.
      SliceModel * due = nullptr;
      for( SliceModel & slice : slices_ ) {
         if( slice.wakeUp() == never ) {
            continue;
         }
         if( !due || slice.wakeUp() < due->wakeUp() ||
             ( slice.wakeUp() == due->wakeUp() && slice.armSequence() < due->armSequence() ) ) {
            due = &slice;
         }
      }
      if( !due || due->wakeUp() > target ) {
         break;
      }
      world_.now = std::max( world_.now, due->wakeUp() );
      due->handleClock( world_ );
   }
   world_.now = std::max( world_.now, target );
}

Observation
ReferenceModel::expected() const {
   Observation o;
   o.sourceTrunkMap = world_.sourceTrunkMap;
   o.lportTab = world_.lportTab;
   o.cpuPktProfile2 = world_.cpuPktProfile2;
   o.statusVersion = world_.status.version;
   o.statusState = world_.status.state;
   o.statusRequestId = world_.status.requestId;
   o.completions = world_.completions;
   for( const SliceModel & slice : slices_ ) {
      o.slices.push_back( slice.view() );
   }
   std::sort( o.slices.begin(), o.slices.end(),
              []( const SliceView & a, const SliceView & b ) { return a.modId < b.modId; } );
   return o;
}

std::map< Port, unsigned >
ReferenceModel::cfmReasons() const {
   std::map< Port, unsigned > reasons;
   for( const CfmKey & key : world_.cfmKeys ) {
      if( isPortChannel( key.intf ) ) {
         auto lag = world_.lagToPort.find( key.intf );
         if( lag != world_.lagToPort.end() ) {
            for( const Port & member : lag->second ) {
               ++reasons[ member ];
            }
         }
      } else if( auto cached = world_.intfToPort.find( key.intf ); cached != world_.intfToPort.end() ) {
         ++reasons[ cached->second ];
      }
   }
   for( const auto & [ port, lag ] : world_.portToLag ) {
      auto own = world_.portToIntf.find( port );
      if( own != world_.portToIntf.end() && !own->second.empty() ) {
         ++reasons[ port ];
      }
   }
   return reasons;
}

std::set< Port >
ReferenceModel::cfmHolds() const {
   std::set< Port > held;
   for( const auto & entry : cfmReasons() ) {
      held.insert( entry.first );
   }
   return held;
}

bool
ReferenceModel::holdingsAreSimple() const {
   const std::map< Port, unsigned > reasons = cfmReasons();
   std::set< Port > held = tracerHolds_;
   for( const auto & [ port, count ] : reasons ) {
      if( count != 1 ) {
         return false;
      }
      held.insert( port );
   }
   std::set< U16 > numbers;
   for( const Port & port : held ) {
      if( port.port >= claimTableSize || !numbers.insert( port.port ).second ) {
         return false;
      }
   }
   return true;
}

std::vector< std::string >
ReferenceModel::invariantBreaks( const Observation & observation ) const {
   std::vector< std::string > breaks;
   if( !served() ) {
      return breaks;
   }
   const std::set< Port > cfm = cfmHolds();
   std::set< Port > ports( world_.universe->ports().begin(), world_.universe->ports().end() );
   for( const auto & entry : observation.sourceTrunkMap ) {
      ports.insert( Port{ entry.first.first, chipUnit, entry.first.second, 0 } );
   }
   for( const Port & port : ports ) {
      const bool tracer = tracerHolds_.count( port ) != 0;
      const bool held = cfm.count( port ) != 0;
      const U32 want = tracer ? tracerProfileIdx : held ? cfmProfileIdx : 0;
      const U32 got = observation.sourceTrunkMapOf( port );
      if( got != want ) {
         std::ostringstream line;
         line << "port " << portText( port ) << " has SOURCE_TRUNK_MAP " << got << " but "
              << ( tracer ? "the packet tracer holds it" : held ? "CFM holds it" : "nothing holds it" );
         breaks.push_back( line.str() );
      }
   }

   FieldValues profile;
   for( const std::string & name : cfmProfileFieldNames() ) {
      profile[ name ] = 1;
   }
   auto entry = observation.lportTab.find( int( cfmProfileIdx ) );
   const FieldValues got = entry == observation.lportTab.end() ? FieldValues() : entry->second;
   const FieldValues want = cfm.empty() ? FieldValues() : profile;
   if( got != want ) {
      breaks.push_back( "CFM LPORT_TAB entry is " + fieldsText( got ) + " while CFM holds " +
                        std::to_string( cfm.size() ) + " port(s)" );
   }
   return breaks;
}

bool
ReferenceModel::claimsAgreeWithIntent() const {
   std::set< U32 > tracer;
   std::set< U32 > cfm;
   for( const Port & port : tracerHolds_ ) {
      if( port.port < claimTableSize ) {
         tracer.insert( port.port );
      }
   }
   for( const Port & port : cfmHolds() ) {
      if( port.port < claimTableSize ) {
         cfm.insert( port.port );
      }
   }
   return std::all_of( slices_.begin(), slices_.end(), [ & ]( const SliceModel & slice ) {
      return slice.tracerClaims() == tracer && slice.cfmClaims() == cfm;
   } );
}

} // namespace ModelTest
