// The fixed world, the actions' and observations' texts, and the reference
// model's rules (see Model.h).
#include "Model.h"

#include "Shim/SimChip.h"
#include "audit/ClientIntent.h"

#include <algorithm>
#include <cstdio>
#include <iomanip>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace ModelTest {

U16
unitOfModule( unsigned modId ) {
   return modId == 3 ? 1 : 0;
}

namespace {
Port
chipPort( U16 modId, U16 number ) {
   return Port{ modId, unitOfModule( modId ), number, 0 };
}
} // namespace

const std::vector< InterfaceDef > &
interfaces() {
   static const std::vector< InterfaceDef > defs{
      { "Ethernet1", chipPort( 1, 3 ) }, { "Ethernet2", chipPort( 2, 3 ) },   { "Ethernet3", chipPort( 1, 4 ) },
      { "Ethernet4", chipPort( 2, 6 ) }, { "Ethernet5", chipPort( 1, 200 ) }, { "Ethernet6", chipPort( 3, 3 ) },
      { "Ethernet7", chipPort( 3, 5 ) }, { "Loopback0", std::nullopt },       { "Port-Channel1", std::nullopt },
      { "Port-Channel2", std::nullopt }
   };
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
                                         chipPort( 1, 4 ), chipPort( 2, 6 ), chipPort( 1, 200 ),
                                         chipPort( 3, 3 ), chipPort( 3, 5 ), chipPort( 3, 9 ) };
   return all;
}

namespace {
U32
widthMask( unsigned width ) {
   return width >= 32 ? ~0u : ( 1u << width ) - 1u;
}
} // namespace

FieldValues
portTab( const Port & port ) {
   // Every field, so that a field the plug-in copies and the clients' intent
   // does not name, or the other way round, shows in the tracer's entry.
   // Distinct per port, with flag values 2 and 3 among them (a flag is on
   // whenever its field is not 0) and values that are never 0 in the wider
   // fields, so that a field copied from the wrong place or not normalised
   // shows up.
   const Shim::SimChip & chip = Shim::simChip();
   const std::vector< std::string > names = chip.fieldNames( chip.PORT_TABm() );
   const U32 portNumber = port.port + 61u * port.unit;
   FieldValues fields;
   for( std::size_t i = 0; i < names.size(); ++i ) {
      const U32 mask = widthMask( chip.fieldWidth( chip.PORT_TABm(), names[ i ] ) );
      const U32 value = mask <= 3u ? ( portNumber * 7u + U32( i ) * 3u ) % 4u & mask
                                   : 1u + ( portNumber * 37u + U32( i ) * 5u ) % mask;
      if( value ) {
         fields[ names[ i ] ] = value;
      }
   }
   return fields;
}

std::map< int, FieldValues >
lportTabPresets() {
   // A field no client touches, in the tracer's entry (its read-modify-write
   // must keep it) and in an entry nobody uses.
   return { { int( tracerProfileIdx ), { { "spare", 0x5A5A } } }, { 2, { { "spare", 0x1234 } } } };
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
      a.module = unsigned( std::stoul( w[ 1 ] ) );
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
lportKey( U16 unit, int index ) {
   return "LPORT_TAB " + std::to_string( unit ) + " " + std::to_string( index );
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

World::World() {
   for( U16 unit : chipUnits ) {
      lportTab[ unit ] = lportTabPresets();
      cpuPktProfile2[ unit ] = cpuPktProfilePreset;
   }
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
// The world's ports are all on units of the chip, with module ids in range.
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

template < typename Map >
std::string
lookup( const Map & map, const Port & port ) {
   const auto found = map.find( port );
   return found == map.end() ? std::string() : found->second;
}

} // namespace

void
ReferenceModel::apply( const Action & action ) {
   world_.completions.clear();
   switch( action.kind ) {
   case ActionKind::moduleAdd:
      world_.modules[ action.module ] = unitOfModule( action.module );
      sliceAdd( action.module );
      break;
   case ActionKind::moduleRemove:
      // The slice goes; the profile's users it set up stay counted, since
      // their entries still point at the profile.
      if( world_.modules.erase( action.module ) ) {
         std::erase_if( slices_, [ & ]( const SliceModel & s ) { return s.modId == action.module; } );
      }
      break;
   case ActionKind::intfAdd: intfAdd( action.intf, action.unused ); break;
   case ActionKind::intfRemove: intfRemove( action.intf ); break;
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
      // Stopping destroys the root and every slice and writes nothing to the
      // chip; the new root counts the profile's users afresh.
      slices_.clear();
      cfmUsers_.clear();
      tracerPorts_.clear();
      agentStart();
      break;
   case ActionKind::unitModInfo:
      if( action.enable ) {
         world_.unitsWithModInfo.insert( U16( action.module ) );
         modInfoArrived( U16( action.module ) );
      } else {
         world_.unitsWithModInfo.erase( U16( action.module ) );
      }
      break;
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
   const bool exists =
      std::any_of( slices_.begin(), slices_.end(), [ & ]( const SliceModel & s ) { return s.modId == modId; } );
   if( exists ) {
      return; // a module's slice stays, whatever its unit
   }
   slices_.push_back( SliceModel{ modId } );
   initialize( slices_.back() );
}

void
ReferenceModel::initialize( SliceModel & slice ) {
   // Attaching the clock runs handleClock once, with nothing waiting. A
   // request still unanswered (versions differ) is handled; otherwise a
   // completed apply keeps its port claimed by the tracer, and the ports an
   // earlier slice of the module steered that it does not name go back.
   const auto & request = world_.request;
   if( request.version != world_.statusVersion ) {
      handleRequest( slice );
   } else {
      const bool applied = request.enable && world_.statusState == 4 &&
                           world_.statusRequestId == "r:" + std::to_string( request.number ) &&
                           world_.intfKnown( request.intf );
      if( auto port = world_.intfToPort.find( request.intf ); applied && port != world_.intfToPort.end() &&
                                                              port->second.modId == slice.modId &&
                                                              claimable( port->second ) ) {
         slice.tracerClaims.insert( port->second.port );
         tracerPorts_.insert( port->second );
      }
      takeBack( slice );
   }
   // CFM: every key present in the configuration's order, then every
   // membership of the slice's module in port order, then the ports an
   // earlier slice of the module left set up.
   const std::vector< CfmKey > keys = world_.cfmKeys;
   for( const CfmKey & key : keys ) {
      handleCfmKey( slice, key );
   }
   std::vector< Port > members;
   for( const auto & [ port, lag ] : world_.portToLag ) {
      if( port.modId == slice.modId ) {
         members.push_back( port );
      }
   }
   for( const Port & port : members ) {
      cfmPortFollows( slice, port );
   }
   std::vector< Port > earlier;
   for( const auto & [ unit, users ] : cfmUsers_ ) {
      for( const Port & port : users ) {
         if( port.modId == slice.modId && !slice.cfmClaims.count( port.port ) ) {
            earlier.push_back( port );
         }
      }
   }
   for( const Port & port : earlier ) {
      programCfmPort( slice, cfmCovers( port ), port );
   }
}

void
ReferenceModel::takeBack( SliceModel & slice ) {
   const auto & request = world_.request;
   const auto named =
      world_.intfKnown( request.intf ) ? world_.intfToPort.find( request.intf ) : world_.intfToPort.end();
   const std::set< Port > steered = tracerPorts_;
   for( const Port & port : steered ) {
      if( port.modId != slice.modId || ( named != world_.intfToPort.end() && named->second == port ) ||
          !world_.unitsWithModInfo.count( port.unit ) ) {
         continue; // another module's, named by the request, or waiting for module information
      }
      post( port, slice.cfmClaims.count( port.port ) ? cfmProfileIdx : 0 );
      slice.tracerClaims.erase( port.port );
      tracerPorts_.erase( port );
   }
}

void
ReferenceModel::handleRequest( SliceModel & slice ) {
   const auto & request = world_.request;
   takeBack( slice );
   auto cached = world_.intfToPort.find( request.intf );
   if( !world_.intfKnown( request.intf ) || cached == world_.intfToPort.end() ) {
      // Not on the slice (ignored, never answered), or known without a chip
      // port (refused before any chip access).
      return;
   }
   const Port port = cached->second;
   if( port.modId != slice.modId ) {
      return; // another module's port: its own slice's request
   }
   if( !claimable( port ) || !world_.unitsWithModInfo.count( port.unit ) ) {
      return; // refused before any chip access, never answered
   }

   // LPORT_TAB of the port's unit: read-modify-write of the tracer's settings
   // in its entry; flags become 1 when their PORT_TAB field is not 0, numbers
   // are copied as far as the entry's field holds them, a withdrawal writes
   // them all 0.
   const FieldValues source = request.enable ? portTab( port ) : FieldValues();
   std::map< int, FieldValues > & table = world_.lportTab[ port.unit ];
   FieldValues & entry = table[ int( tracerProfileIdx ) ];
   const Shim::SimChip & chip = Shim::simChip();
   for( std::size_t i = 0; i < tracerFieldNames().size(); ++i ) {
      const std::string & name = tracerFieldNames()[ i ];
      const U32 held = source.count( name ) ? source.at( name ) : 0;
      const U32 value =
         i < tracerFlagCount() ? U32( held != 0 ) : held & widthMask( chip.fieldWidth( chip.LPORT_TABm(), name ) );
      if( value ) {
         entry[ name ] = value;
      } else {
         entry.erase( name );
      }
   }
   if( entry.empty() ) {
      table.erase( int( tracerProfileIdx ) );
   }

   // SOURCE_TRUNK_MAP: an apply claims and posts the tracer's profile; a
   // withdrawal hands the port back to CFM when CFM claims it, else to 0.
   const U32 posted = request.enable ? tracerProfileIdx : slice.cfmClaims.count( port.port ) ? cfmProfileIdx : 0;
   claimIs( slice.tracerClaims, port.port, request.enable );
   if( request.enable ) {
      tracerPorts_.insert( port );
   } else {
      tracerPorts_.erase( port );
   }
   post( port, posted );

   if( request.cpu ) {
      const U32 reg = world_.cpuPktProfile2[ port.unit ];
      const U32 field = request.enable ? ( reg | 4u ) : ( reg & 0xFBu );
      world_.cpuPktProfile2[ port.unit ] = ( reg & ~0xFFu ) | ( field & 0xFFu );
   }
   slice.handleClockCalled = true;
   slice.completingRequest = request.number;
   slice.wakeUp = request.enable ? world_.now + slice.timeout : world_.now;
   slice.armSequence = ++world_.armSequence;
}

bool
ReferenceModel::cfmCovers( const Port & port ) const {
   const std::string own = lookup( world_.portToIntf, port ), lag = lookup( world_.portToLag, port );
   auto keyed = [ & ]( const std::string & intf ) {
      return !intf.empty() && std::any_of( world_.cfmKeys.begin(), world_.cfmKeys.end(),
                                           [ & ]( const CfmKey & key ) { return key.intf == intf; } );
   };
   return ( !own.empty() && !lag.empty() ) || keyed( own ) || keyed( lag );
}

void
ReferenceModel::handleCfmKey( SliceModel & slice, const CfmKey & key ) {
   const bool setup = world_.cfmKeyPresent( key );
   // A removed key takes down only the ports CFM no longer covers: another
   // key of the same interface still counts as covering its ports.
   auto program = [ & ]( const Port & port ) {
      const bool sameInterfaceKeyed = std::any_of( world_.cfmKeys.begin(), world_.cfmKeys.end(),
                                                   [ & ]( const CfmKey & other ) { return other.intf == key.intf; } );
      if( setup || !( sameInterfaceKeyed || cfmCovers( port ) ) ) {
         programCfmPort( slice, setup, port );
      }
   };
   if( !isPortChannel( key.intf ) ) {
      auto cached = world_.intfToPort.find( key.intf );
      const Port port = cached == world_.intfToPort.end() ? Port::nullPort() : cached->second;
      if( port == Port::nullPort() || port.modId == slice.modId ) {
         program( port );
      }
   } else if( auto lag = world_.lagToPort.find( key.intf ); lag != world_.lagToPort.end() ) {
      const std::set< Port > members = lag->second;
      for( const Port & member : members ) {
         if( member.modId == slice.modId ) {
            program( member );
         }
      }
   } // a port-channel the shared state does not know: nothing programmed
}

void
ReferenceModel::programCfmPort( SliceModel & slice, bool setup, const Port & port ) {
   if( !claimable( port ) ) {
      return; // refused: nothing written, claimed or posted
   }
   const bool modInfo = world_.unitsWithModInfo.count( port.unit ) != 0;
   std::set< Port > & users = cfmUsers_[ port.unit ];
   if( !setup && users.count( port ) && !modInfo ) {
      return; // the take-down waits for the unit's module information
   }
   // The unit's CFM profile, counted by its users before this port's own
   // change; cleared only by the take-down of the last user itself.
   if( setup && users.empty() ) {
      world_.lportTab[ port.unit ][ int( cfmProfileIdx ) ] = cfmProfile();
   } else if( !setup && users.size() == 1 && users.count( port ) ) {
      world_.lportTab[ port.unit ].erase( int( cfmProfileIdx ) );
   }
   claimIs( slice.cfmClaims, port.port, setup );
   if( setup ) {
      users.insert( port );
   } else {
      users.erase( port );
   }
   if( users.empty() ) {
      cfmUsers_.erase( port.unit );
   }
   // The packet tracer holding the entry, CFM waits; a unit without module
   // information cannot be keyed, and the port's request is not posted.
   if( !slice.tracerClaims.count( port.port ) && modInfo ) {
      post( port, setup ? cfmProfileIdx : 0 );
   }
}

void
ReferenceModel::cfmPortFollows( SliceModel & slice, const Port & port ) {
   const bool covered = cfmCovers( port );
   if( covered != ( slice.cfmClaims.count( port.port ) != 0 ) ) {
      programCfmPort( slice, covered, port );
   }
}

void
ReferenceModel::handleClock( SliceModel & slice ) {
   if( slice.handleClockCalled ) {
      world_.statusState = 4;
      world_.statusRequestId = "r:" + std::to_string( slice.completingRequest );
      world_.statusVersion += 1;
      world_.completions.push_back( world_.now );
      slice.handleClockCalled = false;
   }
   slice.wakeUp = never;
}

void
ReferenceModel::portChanged( const Port & port, bool intfChanged ) {
   for( SliceModel & slice : slices_ ) {
      if( slice.modId == port.modId ) {
         if( intfChanged ) {
            takeBack( slice );
         }
         cfmPortFollows( slice, port );
      }
   }
}

void
ReferenceModel::post( const Port & port, U32 profile ) {
   world_.sourceTrunkMap[ { port.modId, port.port } ] = profile;
}

void
ReferenceModel::modInfoArrived( U16 unit ) {
   for( SliceModel & slice : slices_ ) {
      takeBack( slice );
      std::vector< Port > ports;
      for( const Port & port : cfmUsers_.count( unit ) ? cfmUsers_.at( unit ) : std::set< Port >() ) {
         if( port.modId == slice.modId ) {
            ports.push_back( port );
         }
      }
      for( const Port & port : ports ) {
         if( !cfmCovers( port ) ) {
            programCfmPort( slice, false, port ); // a take-down that waited
            continue;
         }
         // The request that could not go; an earlier slice's user is taken over.
         slice.cfmClaims.insert( port.port );
         if( !slice.tracerClaims.count( port.port ) ) {
            post( port, cfmProfileIdx );
         }
      }
   }
}

void
ReferenceModel::intfAdd( const std::string & intf, bool unused ) {
   ( unused ? world_.unusedIntf : world_.intf ).insert( intf );
   if( const std::optional< Port > port = portOf( intf ) ) {
      world_.intfToPort[ intf ] = *port;
      world_.portToIntf[ *port ] = intf;
      portChanged( *port, true );
   }
}

void
ReferenceModel::intfRemove( const std::string & intf ) {
   world_.intf.erase( intf );
   world_.unusedIntf.erase( intf );
   if( auto cached = world_.intfToPort.find( intf ); cached != world_.intfToPort.end() ) {
      const Port port = cached->second;
      world_.intfToPort.erase( cached );
      world_.portToIntf.erase( port );
      portChanged( port, true );
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
      portChanged( port, false );
   }
   for( const Port & port : before ) {
      if( !after.count( port ) && world_.portToLag.erase( port ) ) {
         portChanged( port, false );
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
   for( const auto & [ unit, table ] : world_.lportTab ) {
      for( const auto & [ index, fields ] : table ) {
         o[ lportKey( unit, index ) ] = fieldsText( fields );
      }
   }
   for( const auto & [ unit, reg ] : world_.cpuPktProfile2 ) {
      o[ "CPU_PKT_PROFILE_2 " + std::to_string( unit ) ] = std::to_string( reg );
   }
   o[ "status" ] = statusText( world_.statusState, world_.statusRequestId, world_.statusVersion );
   o[ "completions" ] = timesText( world_.completions );
   for( const SliceModel & s : slices_ ) {
      o[ "slice " + std::to_string( s.modId ) ] =
         sliceText( s.timeout, s.handleClockCalled, numberText( s.wakeUp ), s.tracerClaims, s.cfmClaims );
   }
   return o;
}

} // namespace ModelTest
