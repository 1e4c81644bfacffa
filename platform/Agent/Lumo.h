// Interface identifiers.
#pragma once

#include "Quill/Value.h"

#include <compare>
#include <ostream>
#include <string>

namespace Lumo {

class IntfId {
 public:
   IntfId() = default;
   explicit IntfId( std::string name ) : name_( std::move( name ) ) {}
   const std::string & name() const noexcept { return name_; }
   bool empty() const noexcept { return name_.empty(); }
   bool isEq( const IntfId & other ) const noexcept { return name_ == other.name_; }
   auto operator<=>( const IntfId & ) const = default;
   // Its type in the framework's generic interface (Agent/AgentTypeModule.cpp).
   static const Quill::TypeInfo & typeInfo();

 private:
   std::string name_;
};

inline std::ostream &
operator<<( std::ostream & out, const IntfId & intf ) {
   return out << intf.name();
}

class PortChannelIntfId {
 public:
   // Port-channel interfaces are named "Port-Channel..." by the agent.
   static bool isPortChannelIntfId( const IntfId & intf ) noexcept {
      return intf.name().rfind( "Port-Channel", 0 ) == 0;
   }
};

} // namespace Lumo

template <>
struct Quill::ValueTraits< Lumo::IntfId > {
   static const Quill::TypeInfo & type() { return Lumo::IntfId::typeInfo(); }
};
