// The agent's types as the framework knows them, registered as the module
// "Agent" when the platform library loads: the state database creates the
// entities by type name, and the generic interface passes the values, prints
// them and reads them back. The framework knows none of these types; each
// value type's header names its type information (ValueTraits), defined here.
#include "Agent/CfmHwConfig.h"
#include "Agent/PacketTracerTypes.h"
#include "Agent/PortTabWriteRequestDir.h"
#include "Agent/StrataCommonSmData.h"
#include "Agent/ValueParsers.h"
#include "Quill/TypeInfoMakers.h"

namespace {

struct AgentTypes {
   Quill::TypeInfo strataCommonSmData = Quill::entityTypeInfo< Strata::StrataCommonSmData >();
   Quill::TypeInfo portTabWriteRequestDir = Quill::entityTypeInfo< StrataCentral::PortTabWriteRequestDir >();
   Quill::TypeInfo lPortTableWriteRequestConfig =
      Quill::entityTypeInfo< StrataPacketTracer::LPortTableWriteRequestConfig >();
   Quill::TypeInfo lPortTableWriteRequestStatus =
      Quill::entityTypeInfo< StrataPacketTracer::LPortTableWriteRequestStatus >();
   Quill::TypeInfo cfmHwConfig = Quill::entityTypeInfo< CfmSw::CfmHwConfig >();
   Quill::TypeInfo strataPort =
      Quill::valueTypeInfo< StrataTypes::StrataPort, &AgentText::parsePort >( "StrataTypes::StrataPort" );
   Quill::TypeInfo intfId = Quill::valueTypeInfo< Lumo::IntfId, &AgentText::parseIntf >( "Lumo::IntfId" );
   Quill::TypeInfo intfVlanTuple =
      Quill::valueTypeInfo< CfmSw::IntfVlanTuple, &AgentText::parseTuple >( "CfmSw::IntfVlanTuple" );
   Quill::TypeInfo modId =
      Quill::valueTypeInfo< StrataCentral::ModId, &AgentText::parseModId >( "StrataCentral::ModId" );
   Quill::TypeInfo requestId =
      Quill::valueTypeInfo< PacketTracer::RequestId, &AgentText::parseRequestId >( "PacketTracer::RequestId" );

   Quill::Module module{ "Agent",
                         { &strataCommonSmData, &portTabWriteRequestDir, &lPortTableWriteRequestConfig,
                           &lPortTableWriteRequestStatus, &cfmHwConfig, &strataPort, &intfId, &intfVlanTuple, &modId,
                           &requestId } };

   AgentTypes() { Quill::quillModuleIs( module ); }
};

AgentTypes &
agentTypes() {
   static auto * instance = new AgentTypes;
   return *instance;
}

// Registered when the platform library loads.
const bool registered = ( agentTypes(), true );

} // namespace

const Quill::TypeInfo *
Strata::StrataCommonSmData::fwkType() const {
   return &agentTypes().strataCommonSmData;
}
const Quill::TypeInfo *
StrataCentral::PortTabWriteRequestDir::fwkType() const {
   return &agentTypes().portTabWriteRequestDir;
}
const Quill::TypeInfo *
StrataPacketTracer::LPortTableWriteRequestConfig::fwkType() const {
   return &agentTypes().lPortTableWriteRequestConfig;
}
const Quill::TypeInfo *
StrataPacketTracer::LPortTableWriteRequestStatus::fwkType() const {
   return &agentTypes().lPortTableWriteRequestStatus;
}
const Quill::TypeInfo *
CfmSw::CfmHwConfig::fwkType() const {
   return &agentTypes().cfmHwConfig;
}

const Quill::TypeInfo &
StrataTypes::StrataPort::typeInfo() {
   return agentTypes().strataPort;
}
const Quill::TypeInfo &
Lumo::IntfId::typeInfo() {
   return agentTypes().intfId;
}
const Quill::TypeInfo &
CfmSw::IntfVlanTuple::typeInfo() {
   return agentTypes().intfVlanTuple;
}
const Quill::TypeInfo &
StrataCentral::ModId::typeInfo() {
   return agentTypes().modId;
}
const Quill::TypeInfo &
PacketTracer::RequestId::typeInfo() {
   return agentTypes().requestId;
}
