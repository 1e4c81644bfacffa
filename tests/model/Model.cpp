// The fixed world, the actions' and observations' texts, and the reference
// model's rules (see Model.h).
#include "Model.h"

#include "ClientIntent.h"

#include <algorithm>
#include <cstdio>
#include <iomanip>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace ModelTest {

namespace {
Port
chipPort( U16 modId, U16 number ) {
   return Port{ modId, chipUnit, number, 0 };
}
} // namespace

const std::vector< InterfaceDef > &
interfaces() {
   static const std::vector< InterfaceDef > defs{
      { "Ethernet1", chipPort( 1, 3 ) }, { "Ethernet2", chipPort( 2, 3 ) },   { "Ethernet3", chipPort( 1, 4 ) },
      { "Ethernet4", chipPort( 2, 6 ) }, { "Ethernet5", chipPort( 1, 200 ) }, { "Loopback0", std::nullopt },
      { "Port-Channel1", std::nullopt }, { "Port-Channel2", std::nullopt } };
   return defs;
}

std::optional< Port >
portOf( const std::string & intf ) {
   auto def = std::find_if( interfaces().begin(), interfaces().end(),
                            [ & ]( const InterfaceDef & d ) { return d.name == intf; } );
   return def == interfaces().end() ? std::nullopt : def->port;
}

const std::vector< Port > &
ports() {
   static const std::vector< Port > all{ chipPort( 1, 9 ), chipPort( 1, 3 ), chipPort( 2, 3 ),
                                         chipPort( 1, 4 ), chipPort( 2, 6 ), chipPort( 1, 200 ) };
   return all;
}

FieldValues
portTab( U16 portNumber ) {
   // Distinct per port, with flag values 2 and 3 among them (a flag is on
   // whenever its field is not 0) and wide values in the two integer fields,
   // so that a field copied from the wrong place or not normalised shows up.
   FieldValues fields;
   for( std::size_t i = 0; i < tracerFlagCount; ++i ) {
      if( const U32 value = ( portNumber * 7u + U32( i ) * 3u ) % 4u ) {
         fields[ tracerFieldNames()[ i ] ] = value;
      }
   }
   fields[ "portVid" ] = ( portNumber * 37u + 5u ) & 0xFFFu;
   fields[ "outerTpidEnable" ] = 1u + portNumber % 15u;
   return fields;
}

std::map< int, FieldValues >
lportTabPresets() {
   // A field no client touches, in the tracer's entry (its read-modify-write
   // must keep it) and in an entry nobody uses.
   return { { int( tracerProfileIdx ), { { "spare", 0x5A5A } } }, { 2, { { "spare", 0x1234 } } } };
}

const std::vector< std::string > &
tracerFieldNames() {
   return Sim::ClientIntent::tracerSettings();
}

FieldValues
cfmProfile() {
   return Sim::ClientIntent::cfmProfile();
}

std::string
portText( const Port & port ) {
   return std::to_string( port.modId ) + "/" + std::to_string( port.unit ) + "/" + std::to_string( port.port );
}

std::string
fieldsText( const FieldValues & fields ) {
   std::string text;
   for( const auto & [ name, value ] : fields ) {
      text += ( text.empty() ? "" : " " ) + name + "=" + std::to_string( value );
   }
   return text.empty() ? "zero" : text;
}

std::string
numberText( double value ) {
   std::ostringstream text;
   text << std::setprecision( 12 ) << value;
   return text.str();
}

Action
parseAction( const std::string & line ) {
   std::istringstream in( line );
   std::vector< std::string > w{ std::istream_iterator< std::string >( in ), {} };
   w.resize( std::max< std::size_t >( w.size(), 5 ) ); // absent words read as ""
   Action a;
   a.intf = w[ 0 ] == "cfm" ? w[ 2 ] : w[ 1 ];
   if( w[ 0 ] == "module" ) {
      a.kind = w[ 2 ] == "remove" ? ActionKind::moduleRemove : ActionKind::moduleAdd;
      a.module = unsigned( std::stoul( w[ 1 ] ) );
   } else if( w[ 0 ] == "intf" || w[ 0 ] == "lag" ) {
      const bool remove = w[ 2 ] == "remove";
      a.kind = w[ 0 ] == "intf" ? ( remove ? ActionKind::intfRemove : ActionKind::intfAdd )
                                : ( remove ? ActionKind::lagRemove : ActionKind::lagSet );
      a.unused = w[ 2 ] == "unused";
      for( std::size_t i = 3; w[ 0 ] == "lag" && i < w.size() && !w[ i ].empty(); ++i ) {
         unsigned mod = 0, unit = 0, port = 0;
         std::sscanf( w[ i ].c_str(), "%u/%u/%u", &mod, &unit, &port );
         a.members.push_back( Port{ U16( mod ), U16( unit ), U16( port ), 0 } );
      }
   } else if( w[ 0 ] == "cfm" ) {
      a.kind = w[ 1 ] == "add" ? ActionKind::cfmAdd : ActionKind::cfmRemove;
      a.vlan = U16( std::stoul( w[ 4 ] ) );
   } else if( w[ 0 ] == "tracer" ) {
      a.kind = ActionKind::tracer;
      a.enable = w[ 1 ] == "apply";
      a.intf = w[ 2 ];
      a.cpu = w[ 3 ] == "cpu";
      const std::size_t id = line.find( " id r:" );
      a.requestNumber = id == std::string::npos ? 0 : U32( std::stoul( line.substr( id + 6 ) ) );
   } else if( w[ 0 ] == "timeout" || w[ 0 ] == "clock" ) {
      a.kind = w[ 0 ] == "timeout" ? ActionKind::timeout : ActionKind::advance;
      a.seconds = std::stod( w[ 0 ] == "timeout" ? w[ 1 ] : w[ 2 ] );
   } else if( w[ 0 ] == "agent" && w[ 1 ] == "restart" ) {
      a.kind = ActionKind::restart;
   } else if( w[ 0 ] == "unit" ) {
      a.kind = ActionKind::unitModInfo;
      a.enable = w[ 2 ] == "modinfo";
   } else if( w[ 0 ] == "toggle" ) {
      a.kind = ActionKind::toggle;
   } else {
      throw std::invalid_argument( "not a model action: '" + line + "'" );
   }
   return a;
}

Sequence
parseSequence( const std::string & text ) {
   Sequence sequence;
   std::istringstream in( text );
   for( std::string line; std::getline( in, line, ';' ); ) {
      sequence.push_back( line.substr( line.find_first_not_of( ' ' ) ) );
   }
   return sequence;
}

std::string
stmKey( U16 modId, U16 port ) {
   return "SOURCE_TRUNK_MAP " + std::to_string( modId ) + "/" + std::to_string( port );
}

std::string
lportKey( int index ) {
   return "LPORT_TAB " + std::to_string( chipUnit ) + " " + std::to_string( index );
}

std::string
statusText( unsigned state, const std::string & requestId, U32 version ) {
   return "state " + std::to_string( state ) + ", request " + requestId + ", version " + std::to_string( version );
}

std::string
timesText( const std::vector< double > & times ) {
   std::string text;
   for( double t : times ) {
      text += ( text.empty() ? "" : ", " ) + numberText( t );
   }
   return "[" + text + "]";
}

std::string
sliceText( double timeout, bool handleClockCalled, const std::string & wakeUp, const std::set< U32 > & tracerClaims,
           const std::set< U32 > & cfmClaims ) {
   std::ostringstream text;
   text << "timeout " << numberText( timeout ) << ", handleClockCalled " << std::boolalpha << handleClockCalled
        << ", wake-up " << wakeUp << ", claims tracer {";
   std::copy( tracerClaims.begin(), tracerClaims.end(), std::ostream_iterator< U32 >( text, " " ) );
   text << "} CFM {";
   std::copy( cfmClaims.begin(), cfmClaims.end(), std::ostream_iterator< U32 >( text, " " ) );
   return text.str() + "}";
}

std::vector< std::string >
differences( const Observation & expected, const Observation & actual ) {
   std::set< std::string > keys;
   for( const Observation * o : { &expected, &actual } ) {
      for( const auto & entry : *o ) {
         keys.insert( entry.first );
      }
   }
   std::vector< std::string > out;
   for( const std::string & key : keys ) {
      auto want = expected.find( key );
      auto got = actual.find( key );
      const std::string wantText = want == expected.end() ? "nothing" : want->second;
      const std::string gotText = got == actual.end() ? "nothing" : got->second;
      if( wantText != gotText ) {
         out.push_back( key + ": expected " + wantText + ", got " + gotText );
      }
   }
   return out;
}

bool
World::cfmKeyPresent( const CfmKey & key ) const {
   return std::find( cfmKeys.begin(), cfmKeys.end(), key ) != cfmKeys.end();
}

// The reference model: the slices' rules, applied to the world.

namespace {

bool
isPortChannel( const std::string & intf ) {
   return intf.rfind( "Port-Channel", 0 ) == 0;
}

// Whether a slice programs the port for either client: a chip port (not the
// null port of an interface without one) whose number the claims can hold.
// The world's ports are all on the one chip unit, with module ids in range.
bool
claimable( const Port & port ) {
   return !( port == Port::nullPort() ) && port.port < claimTableSize;
}

void
claimIs( std::set< U32 > & claims, U32 number, bool claimed ) {
   if( claimed ) {
      claims.insert( number );
   } else {
      claims.erase( number );
   }
}

} // namespace

void
ReferenceModel::apply( const Action & action ) {
   world_.completions.clear();
   switch( action.kind ) {
    case ActionKind::moduleAdd:
      world_.modules[ action.module ] = chipUnit;
      sliceAdd( action.module );
      break;
    case ActionKind::moduleRemove:
      if( world_.modules.erase( action.module ) ) {
         std::erase_if( slices_, [ & ]( const SliceModel & s ) { return s.modId == action.module; } );
      }
      break;
    case ActionKind::intfAdd:
      ( action.unused ? world_.unusedIntf : world_.intf ).insert( action.intf );
      if( const std::optional< Port > port = portOf( action.intf ) ) {
         world_.intfToPort[ action.intf ] = *port;
         world_.portToIntf[ *port ] = action.intf;
      }
      break;
    case ActionKind::intfRemove:
      if( auto cached = world_.intfToPort.find( action.intf ); cached != world_.intfToPort.end() ) {
         world_.portToIntf.erase( cached->second );
         world_.intfToPort.erase( cached );
      }
      world_.intf.erase( action.intf );
      world_.unusedIntf.erase( action.intf );
      break;
    case ActionKind::lagSet: lagMembersIs( action.intf, action.members ); break;
    case ActionKind::lagRemove:
      lagMembersIs( action.intf, {} );
      world_.lagToPort.erase( action.intf );
      break;
    case ActionKind::cfmAdd:
    case ActionKind::cfmRemove: {
       const CfmKey key{ action.intf, action.vlan };
       // Writing a present key again is still a change; removing an absent
       // one is none.
       auto & keys = world_.cfmKeys;
       const auto at = std::find( keys.begin(), keys.end(), key );
       bool changed = true;
       if( action.kind == ActionKind::cfmRemove ) {
          changed = at != keys.end();
          if( changed ) {
             keys.erase( at );
          }
       } else if( at == keys.end() ) {
          keys.push_back( key );
       }
       if( changed ) {
          for( SliceModel & slice : slices_ ) {
             handleCfmKey( slice, key );
          }
       }
       break;
    }
    case ActionKind::tracer:
      world_.request = { action.requestNumber, action.intf, action.enable, action.cpu, world_.request.version + 1 };
      for( SliceModel & slice : slices_ ) {
         handleRequest( slice );
      }
      break;
    case ActionKind::timeout:
      for( SliceModel & slice : slices_ ) {
         slice.timeout = action.seconds;
      }
      break;
    case ActionKind::advance: advance( action.seconds ); break;
    case ActionKind::restart:
      // Stopping destroys every slice and writes nothing to the chip.
      slices_.clear();
      agentStart();
      break;
    case ActionKind::unitModInfo: world_.unitModInfo = action.enable; break; // no slice hears it
    case ActionKind::toggle: break; // the plug-in keeps the answers it read
   }
}

void
ReferenceModel::agentStart() {
   for( const auto & entry : world_.modules ) { // the root makes them in module order
      sliceAdd( entry.first );
   }
}

void
ReferenceModel::sliceAdd( unsigned modId ) {
   const bool exists = std::any_of( slices_.begin(), slices_.end(),
                                    [ & ]( const SliceModel & s ) { return s.modId == modId; } );
   if( exists ) {
      return; // a module's slice stays, whatever its unit
   }
   SliceModel slice{ modId };
   initialize( slice );
   slices_.push_back( std::move( slice ) );
}

void
ReferenceModel::initialize( SliceModel & slice ) {
   // Attaching the clock runs handleClock once, with nothing waiting; then a
   // request still unanswered (versions differ) is handled, then every CFM
   // key present is set up, in the configuration's order.
   if( world_.request.version != world_.statusVersion ) {
      handleRequest( slice );
   }
   const std::vector< CfmKey > keys = world_.cfmKeys;
   for( const CfmKey & key : keys ) {
      handleCfmKey( slice, key );
   }
}

void
ReferenceModel::handleRequest( SliceModel & slice ) {
   const auto & request = world_.request;
   auto cached = world_.intfToPort.find( request.intf );
   if( !world_.intfKnown( request.intf ) || cached == world_.intfToPort.end() ) {
      // Not on the slice (ignored, never answered), or known without a chip
      // port (refused before any chip access).
      return;
   }
   const Port port = cached->second;
   if( !claimable( port ) || !world_.unitModInfo ) {
      return; // refused before any chip access, never answered
   }

   // LPORT_TAB: read-modify-write of the 17 settings in the tracer's entry;
   // flags become 1 when their PORT_TAB field is not 0, the two integer
   // settings are copied whole, a withdrawal writes them all 0.
   const FieldValues source = request.enable ? portTab( port.port ) : FieldValues();
   FieldValues & entry = world_.lportTab[ int( tracerProfileIdx ) ];
   for( std::size_t i = 0; i < tracerFieldNames().size(); ++i ) {
      const std::string & name = tracerFieldNames()[ i ];
      const U32 value = source.count( name ) ? source.at( name ) : 0;
      if( value ) {
         entry[ name ] = i < tracerFlagCount ? 1 : value;
      } else {
         entry.erase( name );
      }
   }
   if( entry.empty() ) {
      world_.lportTab.erase( int( tracerProfileIdx ) );
   }

   // SOURCE_TRUNK_MAP: an apply claims and posts the tracer's profile; a
   // withdrawal hands the port back to CFM when CFM claims it, else to 0.
   const U32 posted = request.enable ? tracerProfileIdx : slice.cfmClaims.count( port.port ) ? cfmProfileIdx : 0;
   claimIs( slice.tracerClaims, port.port, request.enable );
   world_.sourceTrunkMap[ { port.modId, port.port } ] = posted;

   if( request.cpu ) {
      const U32 reg = world_.cpuPktProfile2;
      const U32 field = request.enable ? ( reg | 4u ) : ( reg & 0xFBu );
      world_.cpuPktProfile2 = ( reg & ~0xFFu ) | ( field & 0xFFu );
   }
   slice.handleClockCalled = true;
   slice.wakeUp = request.enable ? world_.now + slice.timeout : world_.now;
   slice.armSequence = ++world_.armSequence;
}

void
ReferenceModel::handleCfmKey( SliceModel & slice, const CfmKey & key ) {
   const bool setup = world_.cfmKeyPresent( key );
   // A removed key takes down only the ports no other present key covers: a
   // key of the same interface, of the port's own interface or of its LAG.
   auto covered = [ & ]( const Port & port ) {
      auto lookup = []( const auto & map, const Port & p ) {
         auto found = map.find( p );
         return found == map.end() ? std::string() : found->second;
      };
      const std::string own = lookup( world_.portToIntf, port ), lag = lookup( world_.portToLag, port );
      return std::any_of( world_.cfmKeys.begin(), world_.cfmKeys.end(), [ & ]( const CfmKey & other ) {
         return other.intf == key.intf || ( !own.empty() && other.intf == own ) || ( !lag.empty() && other.intf == lag );
      } );
   };
   auto program = [ & ]( const Port & port ) {
      if( setup || !covered( port ) ) {
         programCfmPort( slice, setup, port );
      }
   };
   if( !isPortChannel( key.intf ) ) {
      auto cached = world_.intfToPort.find( key.intf );
      program( cached == world_.intfToPort.end() ? Port::nullPort() : cached->second );
   } else if( auto lag = world_.lagToPort.find( key.intf ); lag != world_.lagToPort.end() ) {
      const std::set< Port > members = lag->second;
      for( const Port & member : members ) {
         program( member );
      }
   } // a port-channel the shared state does not know: nothing programmed
}

void
ReferenceModel::programCfmPort( SliceModel & slice, bool setup, const Port & port ) {
   if( !claimable( port ) ) {
      return; // refused: nothing written, claimed or posted
   }
   // The shared CFM profile, counted by the claims before this port's own;
   // cleared only by the port that holds the last claim.
   const std::size_t claims = slice.cfmClaims.size();
   if( setup && claims == 0 ) {
      world_.lportTab[ int( cfmProfileIdx ) ] = cfmProfile();
   } else if( !setup && claims == 1 && slice.cfmClaims.count( port.port ) ) {
      world_.lportTab.erase( int( cfmProfileIdx ) );
   }
   claimIs( slice.cfmClaims, port.port, setup );
   // The packet tracer holding the entry, CFM waits; a unit without module
   // information cannot be keyed, and the port's request is not posted.
   if( !slice.tracerClaims.count( port.port ) && world_.unitModInfo ) {
      world_.sourceTrunkMap[ { port.modId, port.port } ] = setup ? cfmProfileIdx : 0;
   }
}

void
ReferenceModel::handleClock( SliceModel & slice ) {
   if( slice.handleClockCalled ) {
      world_.statusState = 4;
      world_.statusRequestId = "r:" + std::to_string( world_.request.number );
      world_.statusVersion += 1;
      world_.completions.push_back( world_.now );
      slice.handleClockCalled = false;
   }
   slice.wakeUp = never;
}

void
ReferenceModel::portToLagChanged( const Port & port ) {
   // Only a port with an interface of its own is followed.
   auto own = world_.portToIntf.find( port );
   if( own == world_.portToIntf.end() || own->second.empty() ) {
      return;
   }
   for( SliceModel & slice : slices_ ) {
      programCfmPort( slice, world_.portToLag.count( port ) != 0, port );
   }
}

void
ReferenceModel::lagMembersIs( const std::string & lag, const std::vector< Port > & members ) {
   // As the host keeps its maps: a port joining leaves the port-channel it
   // was in (that one's member set), then the member set, then each member's
   // entry in the order given, then the entries of the ports that left.
   for( const Port & port : members ) {
      if( auto other = world_.portToLag.find( port ); other != world_.portToLag.end() && other->second != lag ) {
         world_.lagToPort[ other->second ].erase( port );
      }
   }
   const std::set< Port > before = world_.lagToPort[ lag ];
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
ReferenceModel::advance( double seconds ) {
   const double target = world_.now + std::max( seconds, 0.0 );
   for( ;; ) {
      // The earliest wake-up; equal times in the order they were set.
      auto due = std::min_element( slices_.begin(), slices_.end(), []( const SliceModel & a, const SliceModel & b ) {
         return std::pair( a.wakeUp, a.armSequence ) < std::pair( b.wakeUp, b.armSequence );
      } );
      if( due == slices_.end() || due->wakeUp > target ) {
         break;
      }
      world_.now = std::max( world_.now, due->wakeUp );
      handleClock( *due );
   }
   world_.now = target;
}

Observation
ReferenceModel::expected() const {
   Observation o;
   for( const auto & [ key, profile ] : world_.sourceTrunkMap ) {
      o[ stmKey( key.first, key.second ) ] = std::to_string( profile );
   }
   for( const auto & [ index, fields ] : world_.lportTab ) {
      o[ lportKey( index ) ] = fieldsText( fields );
   }
   o[ "CPU_PKT_PROFILE_2 0" ] = std::to_string( world_.cpuPktProfile2 );
   o[ "status" ] = statusText( world_.statusState, world_.statusRequestId, world_.statusVersion );
   o[ "completions" ] = timesText( world_.completions );
   for( const SliceModel & s : slices_ ) {
      o[ "slice " + std::to_string( s.modId ) ] =
         sliceText( s.timeout, s.handleClockCalled, numberText( s.wakeUp ), s.tracerClaims, s.cfmClaims );
   }
   return o;
}

} // namespace ModelTest
