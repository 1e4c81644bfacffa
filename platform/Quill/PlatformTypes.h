// The types of the host and of the agent's libraries, registered with the
// framework as the module "Agent" when the platform library loads, so that the
// state database can create them by type name and the generic interface can
// pass their values.
#pragma once

#include "Agent/CfmHwConfig.h"
#include "Agent/Lumo.h"
#include "Agent/PacketTracerTypes.h"
#include "Agent/StrataTypes.h"
#include "Quill/Type.h"

namespace Quill {

struct PlatformTypes {
   static const TypeInfo & dir();
   static const TypeInfo & entityManager();
   static const TypeInfo & clock();
   static const TypeInfo & bitmap();
   static const TypeInfo & strataCommonSmData();
   static const TypeInfo & portTabWriteRequestDir();
   static const TypeInfo & lPortTableWriteRequestConfig();
   static const TypeInfo & lPortTableWriteRequestStatus();
   static const TypeInfo & cfmHwConfig();
   // Value types.
   static const TypeInfo & strataPort();
   static const TypeInfo & intfId();
   static const TypeInfo & intfVlanTuple();
   static const TypeInfo & modId();
   static const TypeInfo & requestId();
};

template<>
struct ValueTraits< StrataTypes::StrataPort > {
   static const TypeInfo & type() { return PlatformTypes::strataPort(); }
};
template<>
struct ValueTraits< Lumo::IntfId > {
   static const TypeInfo & type() { return PlatformTypes::intfId(); }
};
template<>
struct ValueTraits< CfmSw::IntfVlanTuple > {
   static const TypeInfo & type() { return PlatformTypes::intfVlanTuple(); }
};
template<>
struct ValueTraits< StrataCentral::ModId > {
   static const TypeInfo & type() { return PlatformTypes::modId(); }
};
template<>
struct ValueTraits< PacketTracer::RequestId > {
   static const TypeInfo & type() { return PlatformTypes::requestId(); }
};

// Parses an unsigned number, decimal or 0x hexadecimal, the whole text;
// throws ParseException naming `what`.
U64 parseUnsigned( const std::string & text, const char * what );

} // namespace Quill
