// The packet tracer's request and status entities.
#pragma once

#include "Agent/Lumo.h"
#include "Quill/Entity.h"

#include <compare>
#include <ostream>
#include <string>

namespace PacketTracer {

struct RequestId {
   std::string name;
   U32 number = 0;
   auto operator<=>( const RequestId & ) const = default;
   // Its type in the framework's generic interface (Agent/AgentTypeModule.cpp).
   static const Quill::TypeInfo & typeInfo();
};

// "NAME:NUMBER".
std::ostream & operator<<( std::ostream & out, const RequestId & id );

enum class State : U8 {
   stateUnknown = 0,
   statePending = 1,
   stateInProgress = 2,
   stateFailed = 3,
   stateHandled = 4, // the request has been carried out
};

} // namespace PacketTracer

template <>
struct Quill::ValueTraits< PacketTracer::RequestId > {
   static const Quill::TypeInfo & type() { return PacketTracer::RequestId::typeInfo(); }
};

namespace StrataPacketTracer {

// Written by the packet tracer: a change of `version` posts a request.
class LPortTableWriteRequestConfig : public Quill::Entity {
 public:
   static constexpr const char * quillTypeName = "StrataPacketTracer::LPortTableWriteRequestConfig";
   static constexpr Quill::AttributeId requestIdAttr = 1;
   static constexpr Quill::AttributeId intfIdAttr = 2;
   static constexpr Quill::AttributeId enableAttr = 3;
   static constexpr Quill::AttributeId cpuPktProfileEnableAttr = 4;
   static constexpr Quill::AttributeId versionAttr = 5;

   explicit LPortTableWriteRequestConfig( std::string name ) : Quill::Entity( std::move( name ) ) {}
   const Quill::TypeInfo * fwkType() const override;

   const PacketTracer::RequestId & requestId() const noexcept { return requestId_; }
   const Lumo::IntfId & intfId() const noexcept { return intfId_; }
   bool enable() const noexcept { return enable_; }
   bool cpuPktProfileEnable() const noexcept { return cpuPktProfileEnable_; }
   U32 version() const noexcept { return version_; }

   void requestIdIs( const PacketTracer::RequestId & id );
   void intfIdIs( const Lumo::IntfId & intf );
   void enableIs( bool enable );
   void cpuPktProfileEnableIs( bool enable );
   void versionIs( U32 version );

 private:
   PacketTracer::RequestId requestId_;
   Lumo::IntfId intfId_;
   bool enable_ = false;
   bool cpuPktProfileEnable_ = false;
   U32 version_ = 0;
};

// Written by the plug-in: the completion of the last handled request.
class LPortTableWriteRequestStatus : public Quill::Entity {
 public:
   static constexpr const char * quillTypeName = "StrataPacketTracer::LPortTableWriteRequestStatus";
   static constexpr Quill::AttributeId stateAttr = 1;
   static constexpr Quill::AttributeId requestIdAttr = 2;
   static constexpr Quill::AttributeId versionAttr = 3;

   explicit LPortTableWriteRequestStatus( std::string name ) : Quill::Entity( std::move( name ) ) {}
   const Quill::TypeInfo * fwkType() const override;

   PacketTracer::State state() const noexcept { return state_; }
   const PacketTracer::RequestId & requestId() const noexcept { return requestId_; }
   U32 version() const noexcept { return version_; }

   void stateIs( PacketTracer::State state );
   void requestIdIs( const PacketTracer::RequestId & id );
   void versionIs( U32 version );

 private:
   PacketTracer::State state_ = PacketTracer::State::stateUnknown;
   PacketTracer::RequestId requestId_;
   U32 version_ = 0;
};

} // namespace StrataPacketTracer
