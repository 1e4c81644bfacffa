#include "Generator.h"

#include <algorithm>
#include <numeric>

namespace ModelTest {

namespace {

struct Weighted {
   ActionKind kind;
   unsigned weight;
};

// How often each kind of action is drawn; the clock and the packet tracer
// most, the agent's restart least.
std::vector< Weighted >
weights( const ReferenceModel & model ) {
   const std::size_t modules = model.world().modules.size();
   const bool noModule = modules == 0;
   return {
      { ActionKind::moduleAdd, noModule ? 30u : modules < 2 ? 8u : 3u },
      { ActionKind::moduleRemove, noModule ? 0u : 3u },
      { ActionKind::intfAdd, 9 },
      { ActionKind::intfRemove, 4 },
      { ActionKind::lagSet, 8 },
      { ActionKind::lagRemove, 3 },
      { ActionKind::cfmAdd, 11 },
      { ActionKind::cfmRemove, 8 },
      { ActionKind::tracer, 18 },
      { ActionKind::timeout, 4 },
      { ActionKind::advance, 17 },
      { ActionKind::restart, 1 },
   };
}

} // namespace

std::string
ActionGenerator::knownOrAnyInterface( const ReferenceModel & model, bool withPortOnly ) {
   std::vector< std::string > known;
   for( const std::string & name : universe_.nameableInterfaces() ) {
      const bool hasPort = model.world().intfToPort.count( name ) != 0;
      if( model.world().intfKnown( name ) && ( hasPort || !withPortOnly ) ) {
         known.push_back( name );
      }
   }
   if( !known.empty() && chance( 80 ) ) {
      return pick( known );
   }
   return pick( universe_.nameableInterfaces() );
}

std::vector< Port >
ActionGenerator::lagMembers() {
   std::vector< Port > ports = universe_.ports();
   // A few members, in a random order: the host writes them in the order
   // given.
   for( std::size_t i = ports.size(); i > 1; --i ) {
      std::swap( ports[ i - 1 ], ports[ below( i ) ] );
   }
   ports.resize( 1 + below( 3 ) );
   return ports;
}

Action
ActionGenerator::next( const ReferenceModel & model ) {
   const std::vector< Weighted > table = weights( model );
   const unsigned total = std::accumulate( table.begin(), table.end(), 0u,
                                           []( unsigned sum, const Weighted & w ) { return sum + w.weight; } );
   std::size_t draw = below( total );
   ActionKind kind = ActionKind::advance;
   for( const Weighted & w : table ) {
      if( draw < w.weight ) {
         kind = w.kind;
         break;
      }
      draw -= w.weight;
   }

   Action a;
   a.kind = kind;
   switch( kind ) {
    case ActionKind::moduleAdd:
    case ActionKind::moduleRemove: {
       if( kind == ActionKind::moduleRemove && !model.world().modules.empty() && chance( 80 ) ) {
          std::vector< unsigned > present;
          for( const auto & entry : model.world().modules ) {
             present.push_back( entry.first );
          }
          a.module = pick( present );
       } else {
          a.module = pick( universe_.modules() );
       }
       break;
    }
    case ActionKind::intfAdd:
      a.intf = pick( universe_.addableInterfaces() );
      a.unused = chance( 20 );
      break;
    case ActionKind::intfRemove: a.intf = knownOrAnyInterface( model, false ); break;
    case ActionKind::lagSet:
      a.intf = pick( universe_.portChannels() );
      a.members = lagMembers();
      break;
    case ActionKind::lagRemove: a.intf = pick( universe_.portChannels() ); break;
    case ActionKind::cfmAdd:
      a.intf = chance( 30 ) ? pick( universe_.portChannels() ) : knownOrAnyInterface( model, true );
      a.vlan = pick( universe_.vlans() );
      break;
    case ActionKind::cfmRemove: {
       const std::set< CfmKey > & keys = model.world().cfmKeys;
       if( !keys.empty() && chance( 85 ) ) {
          auto at = keys.begin();
          std::advance( at, below( keys.size() ) );
          a.intf = at->intf;
          a.vlan = at->vlan;
       } else {
          a.intf = pick( universe_.nameableInterfaces() );
          a.vlan = pick( universe_.vlans() );
       }
       break;
    }
    case ActionKind::tracer:
      a.intf = knownOrAnyInterface( model, !chance( 15 ) );
      a.enable = chance( 60 );
      a.cpu = chance( 40 );
      a.requestNumber = ++requestNumber_;
      break;
    case ActionKind::timeout:
      a.seconds = pick( universe_.timeouts() );
      a.viaGeneric = chance( 50 );
      break;
    case ActionKind::advance: a.seconds = pick( universe_.clockSteps() ); break;
    case ActionKind::restart: break;
   }
   return a;
}

Action
ActionGenerator::nextConfined( const ReferenceModel & model ) {
   for( int attempt = 0; attempt < 64; ++attempt ) {
      Action a = next( model );
      if( keepsIntent( model, a ) ) {
         return a;
      }
   }
   Action wait;
   wait.kind = ActionKind::advance;
   wait.seconds = 1.0;
   return wait;
}

bool
keepsIntent( const ReferenceModel & model, const Action & action ) {
   ReferenceModel after = model;
   after.apply( action );
   // Once served, the world stays served: with no slice the clients' changes
   // go unseen, and no later slice can catch up with all of them.
   if( model.served() && !after.served() ) {
      return false;
   }
   return after.holdingsAreSimple() && after.claimsAgreeWithIntent() &&
          after.invariantBreaks( after.expected() ).empty();
}

bool
staysConfined( const Universe & universe, const Sequence & sequence ) {
   ReferenceModel model( universe );
   for( const Action & action : sequence ) {
      if( !keepsIntent( model, action ) ) {
         return false;
      }
      model.apply( action );
   }
   return true;
}

Sequence
generateSequence( const Universe & universe, U64 seed, std::size_t steps, bool confined ) {
   ActionGenerator generator( universe, seed );
   ReferenceModel model( universe );
   Sequence sequence;
   sequence.reserve( steps );
   for( std::size_t i = 0; i < steps; ++i ) {
      Action a = confined ? generator.nextConfined( model ) : generator.next( model );
      model.apply( a );
      sequence.push_back( std::move( a ) );
   }
   return sequence;
}

} // namespace ModelTest
