#include "Quill/PlatformTypes.h"

#include "Agent/PortTabWriteRequestDir.h"
#include "Agent/StrataCommonSmData.h"
#include "Cairn/EntityManager.h"
#include "Ferro/Bitmap.h"
#include "Pallet/Pallet.h"
#include "Quill/Clock.h"
#include "Quill/Exceptions.h"

#include <charconv>
#include <functional>
#include <sstream>

namespace Quill {

U64
parseUnsigned( const std::string & text, const char * what ) {
   const bool hex = text.size() > 2 && text[ 0 ] == '0' && ( text[ 1 ] == 'x' || text[ 1 ] == 'X' );
   const char * begin = text.data() + ( hex ? 2 : 0 );
   const char * end = text.data() + text.size();
   U64 value = 0;
   auto [ stop, error ] = std::from_chars( begin, end, value, hex ? 16 : 10 );
   if( text.empty() || error != std::errc() || stop != end ) {
      throw ParseException( std::string( "'" ) + text + "' is not " + what );
   }
   return value;
}

namespace {

template< typename E >
Vela::Ptr< Entity >
makeEntity( const std::string & name, const ValueList & args ) {
   if( !args.empty() ) {
      throwNewEntityArgsException( E::quillTypeName );
   }
   return Pallet::make< E >( name );
}

TypeInfo
entityType( const char * name, EntityFactory factory ) {
   TypeInfo t;
   t.name = name;
   t.kind = TypeKind::entity;
   t.newEntityForDir = factory;
   return t;
}

TypeInfo
objectType( const char * name ) {
   TypeInfo t;
   t.name = name;
   t.kind = TypeKind::object;
   return t;
}

// Value-type operations from a value's own ==, operator<< and a parser.
template< typename T, T ( *parse )( const std::string & ) >
TypeInfo
valueType( const char * name ) {
   TypeInfo t;
   t.name = name;
   t.kind = TypeKind::value;
   t.valueOps.construct = []( const void * source ) -> std::shared_ptr< void > {
      return source ? std::make_shared< T >( *static_cast< const T * >( source ) )
                    : std::make_shared< T >();
   };
   t.valueOps.isEq = []( const void * a, const void * b ) {
      return *static_cast< const T * >( a ) == *static_cast< const T * >( b );
   };
   t.valueOps.isDefault = []( const void * a ) { return *static_cast< const T * >( a ) == T(); };
   t.valueOps.toStrep = []( const void * a ) {
      std::ostringstream out;
      out << *static_cast< const T * >( a );
      return out.str();
   };
   t.valueOps.fromStrep = []( const std::string & text ) -> std::shared_ptr< void > {
      return std::make_shared< T >( parse( text ) );
   };
   t.valueOps.hash = []( const void * a ) {
      std::ostringstream out;
      out << *static_cast< const T * >( a );
      return std::hash< std::string >()( out.str() );
   };
   return t;
}

StrataTypes::StrataPort
parsePort( const std::string & text ) {
   const auto first = text.find( '/' );
   const auto second = first == std::string::npos ? first : text.find( '/', first + 1 );
   if( second == std::string::npos ) {
      throw ParseException( "'" + text + "' is not a port MOD/UNIT/PORT" );
   }
   StrataTypes::StrataPort port;
   port.modId = U16( parseUnsigned( text.substr( 0, first ), "a module id" ) );
   port.unit = U16( parseUnsigned( text.substr( first + 1, second - first - 1 ), "a unit" ) );
   const U64 number = parseUnsigned( text.substr( second + 1 ), "a port number" );
   if( number > 0x3FF ) {
      throw ParseException( "port number " + std::to_string( number ) + " in '" + text +
                            "' is above 0x3ff" );
   }
   port.port = U16( number );
   return port;
}

Lumo::IntfId
parseIntf( const std::string & text ) {
   return Lumo::IntfId( text );
}

// "(INTF, VLAN)" as printed, or "INTF:VLAN".
CfmSw::IntfVlanTuple
parseTuple( const std::string & text ) {
   std::string intf;
   std::string vlan;
   if( text.size() > 2 && text.front() == '(' && text.back() == ')' ) {
      const auto comma = text.rfind( ", " );
      if( comma == std::string::npos ) {
         throw ParseException( "'" + text + "' is not an interface and VLAN \"(INTF, VLAN)\"" );
      }
      intf = text.substr( 1, comma - 1 );
      vlan = text.substr( comma + 2, text.size() - comma - 3 );
   } else {
      const auto colon = text.rfind( ':' );
      if( colon == std::string::npos ) {
         throw ParseException( "'" + text + "' is not an interface and VLAN \"INTF:VLAN\"" );
      }
      intf = text.substr( 0, colon );
      vlan = text.substr( colon + 1 );
   }
   const U64 v = parseUnsigned( vlan, "a VLAN" );
   if( v > 0xFFFF ) {
      throw ParseException( "VLAN " + vlan + " does not fit 16 bits" );
   }
   return CfmSw::IntfVlanTuple( Lumo::IntfId( intf ), U16( v ) );
}

StrataCentral::ModId
parseModId( const std::string & text ) {
   const U64 value = parseUnsigned( text, "a module id" );
   return StrataCentral::ModId( unsigned( std::min< U64 >( value, 0xFFFFFFFFu ) ) );
}

PacketTracer::RequestId
parseRequestId( const std::string & text ) {
   const auto colon = text.rfind( ':' );
   if( colon == std::string::npos ) {
      throw ParseException( "'" + text + "' is not a request id NAME:NUMBER" );
   }
   const U64 number = parseUnsigned( text.substr( colon + 1 ), "a request number" );
   if( number > 0xFFFFFFFFu ) {
      throw ParseException( "request number in '" + text + "' does not fit 32 bits" );
   }
   return PacketTracer::RequestId{ text.substr( 0, colon ), U32( number ) };
}

struct Types {
   TypeInfo dir = entityType( Dir::quillTypeName, &makeEntity< Dir > );
   TypeInfo entityManager = entityType( Cairn::EntityManager::quillTypeName, nullptr );
   TypeInfo clock = objectType( Clock::quillTypeName );
   TypeInfo bitmap = objectType( Ferro::Bitmap::quillTypeName );
   TypeInfo strataCommonSmData = entityType( Strata::StrataCommonSmData::quillTypeName,
                                             &makeEntity< Strata::StrataCommonSmData > );
   TypeInfo portTabWriteRequestDir =
      entityType( StrataCentral::PortTabWriteRequestDir::quillTypeName,
                  &makeEntity< StrataCentral::PortTabWriteRequestDir > );
   TypeInfo lPortTableWriteRequestConfig =
      entityType( StrataPacketTracer::LPortTableWriteRequestConfig::quillTypeName,
                  &makeEntity< StrataPacketTracer::LPortTableWriteRequestConfig > );
   TypeInfo lPortTableWriteRequestStatus =
      entityType( StrataPacketTracer::LPortTableWriteRequestStatus::quillTypeName,
                  &makeEntity< StrataPacketTracer::LPortTableWriteRequestStatus > );
   TypeInfo cfmHwConfig =
      entityType( CfmSw::CfmHwConfig::quillTypeName, &makeEntity< CfmSw::CfmHwConfig > );
   TypeInfo strataPort = valueType< StrataTypes::StrataPort, &parsePort >( "StrataTypes::StrataPort" );
   TypeInfo intfId = valueType< Lumo::IntfId, &parseIntf >( "Lumo::IntfId" );
   TypeInfo intfVlanTuple = valueType< CfmSw::IntfVlanTuple, &parseTuple >( "CfmSw::IntfVlanTuple" );
   TypeInfo modId = valueType< StrataCentral::ModId, &parseModId >( "StrataCentral::ModId" );
   TypeInfo requestId = valueType< PacketTracer::RequestId, &parseRequestId >( "PacketTracer::RequestId" );

   Module module{ "Agent",
                  { &dir, &entityManager, &clock, &bitmap, &strataCommonSmData,
                    &portTabWriteRequestDir, &lPortTableWriteRequestConfig,
                    &lPortTableWriteRequestStatus, &cfmHwConfig, &strataPort, &intfId,
                    &intfVlanTuple, &modId, &requestId } };

   Types() { quillModuleIs( module ); }
};

Types &
types() {
   static auto * instance = new Types;
   return *instance;
}

// Registered when the platform library loads.
const bool registered = ( types(), true );

} // namespace

const TypeInfo & PlatformTypes::dir() { return types().dir; }
const TypeInfo & PlatformTypes::entityManager() { return types().entityManager; }
const TypeInfo & PlatformTypes::clock() { return types().clock; }
const TypeInfo & PlatformTypes::bitmap() { return types().bitmap; }
const TypeInfo & PlatformTypes::strataCommonSmData() { return types().strataCommonSmData; }
const TypeInfo & PlatformTypes::portTabWriteRequestDir() { return types().portTabWriteRequestDir; }
const TypeInfo & PlatformTypes::lPortTableWriteRequestConfig() {
   return types().lPortTableWriteRequestConfig;
}
const TypeInfo & PlatformTypes::lPortTableWriteRequestStatus() {
   return types().lPortTableWriteRequestStatus;
}
const TypeInfo & PlatformTypes::cfmHwConfig() { return types().cfmHwConfig; }
const TypeInfo & PlatformTypes::strataPort() { return types().strataPort; }
const TypeInfo & PlatformTypes::intfId() { return types().intfId; }
const TypeInfo & PlatformTypes::intfVlanTuple() { return types().intfVlanTuple; }
const TypeInfo & PlatformTypes::modId() { return types().modId; }
const TypeInfo & PlatformTypes::requestId() { return types().requestId; }

} // namespace Quill
