// Behaviour of the agent's entity types: setters publish their change.
#include "Agent/CfmHwConfig.h"
#include "Agent/PacketTracerTypes.h"
#include "Agent/PortTabWriteRequestDir.h"
#include "Agent/StrataCommonSmData.h"

namespace StrataCentral {

std::ostream &
operator<<( std::ostream & out, const PortTabWriteRequestKey & key ) {
   return out << "(modInfo " << key.modInfo << ", modId " << key.modId.value() << ", port " << key.port.value()
              << ", kind " << unsigned( key.kind ) << ")";
}

void
PortTabWriteRequestDir::postRequest( const PortTabWriteRequestKey & key, U32 value ) {
   requests_.push_back( PortTabWriteRequest{ key, value } );
   const PortTabWriteRequestKey keyCopy = key;
   publisher().publish( requestAttr, &keyCopy, &value );
}

} // namespace StrataCentral

namespace PacketTracer {
std::ostream &
operator<<( std::ostream & out, const RequestId & id ) {
   return out << id.name << ":" << id.number;
}
} // namespace PacketTracer

namespace StrataPacketTracer {

namespace {
template < typename T >
void
assignAndPublish( Quill::Entity & entity, Quill::AttributeId id, T & member, const T & value ) {
   member = value;
   const T copy = value;
   entity.publisher().publish( id, nullptr, &copy );
}
} // namespace

void
LPortTableWriteRequestConfig::requestIdIs( const PacketTracer::RequestId & id ) {
   assignAndPublish( *this, requestIdAttr, requestId_, id );
}
void
LPortTableWriteRequestConfig::intfIdIs( const Lumo::IntfId & intf ) {
   assignAndPublish( *this, intfIdAttr, intfId_, intf );
}
void
LPortTableWriteRequestConfig::enableIs( bool enable ) {
   assignAndPublish( *this, enableAttr, enable_, enable );
}
void
LPortTableWriteRequestConfig::cpuPktProfileEnableIs( bool enable ) {
   assignAndPublish( *this, cpuPktProfileEnableAttr, cpuPktProfileEnable_, enable );
}
void
LPortTableWriteRequestConfig::versionIs( U32 version ) {
   assignAndPublish( *this, versionAttr, version_, version );
}

void
LPortTableWriteRequestStatus::stateIs( PacketTracer::State state ) {
   assignAndPublish( *this, stateAttr, state_, state );
}
void
LPortTableWriteRequestStatus::requestIdIs( const PacketTracer::RequestId & id ) {
   assignAndPublish( *this, requestIdAttr, requestId_, id );
}
void
LPortTableWriteRequestStatus::versionIs( U32 version ) {
   assignAndPublish( *this, versionAttr, version_, version );
}

} // namespace StrataPacketTracer

namespace CfmSw {

std::ostream &
operator<<( std::ostream & out, const IntfVlanTuple & tuple ) {
   return out << "(" << tuple.intf << ", " << tuple.vlan << ")";
}

} // namespace CfmSw
