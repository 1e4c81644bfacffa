// CFM's hardware configuration: forwarding configurations keyed by interface
// and VLAN.
#pragma once

#include "Agent/Lumo.h"
#include "Quill/Entity.h"
#include "Quill/InsertionOrderedMap.h"
#include "Quill/PublishedMap.h"

#include <compare>
#include <cstddef>
#include <functional>
#include <ostream>
#include <string>

namespace CfmSw {

struct IntfVlanTuple {
   Lumo::IntfId intf;
   U16 vlan = 0;
   IntfVlanTuple() = default;
   IntfVlanTuple( Lumo::IntfId i, U16 v ) : intf( std::move( i ) ), vlan( v ) {}
   const Lumo::IntfId & intfId() const noexcept { return intf; }
   auto operator<=>( const IntfVlanTuple & ) const = default;
   // Its type in the framework's generic interface (Agent/AgentTypeModule.cpp).
   static const Quill::TypeInfo & typeInfo();
};

// "(INTF, VLAN)".
std::ostream & operator<<( std::ostream & out, const IntfVlanTuple & tuple );

// Hashes a key by its interface name and VLAN (the configuration's index).
struct IntfVlanTupleHash {
   std::size_t operator()( const IntfVlanTuple & tuple ) const noexcept {
      const std::size_t name = std::hash< std::string >{}( tuple.intf.name() );
      return name ^ ( std::size_t( tuple.vlan ) * 0x9E3779B97F4A7C15ull + ( name << 6 ) + ( name >> 2 ) );
   }
};

class CfmForwardingConfig : public Quill::PtrInterface {
 public:
   static constexpr const char * quillTypeName = "CfmSw::CfmForwardingConfig";
   explicit CfmForwardingConfig( IntfVlanTuple key ) : key_( std::move( key ) ) {}
   const IntfVlanTuple & key() const noexcept { return key_; }

 private:
   IntfVlanTuple key_;
};

class CfmHwConfig : public Quill::Entity {
 public:
   static constexpr const char * quillTypeName = "CfmSw::CfmHwConfig";
   static constexpr Quill::AttributeId forwardingConfigAttr = 1;

   explicit CfmHwConfig( std::string name ) : Quill::Entity( std::move( name ) ) {}
   const Quill::TypeInfo * fwkType() const override;

   // In insertion order, stored contiguously with a hashed index: subscribers
   // look a key up on every change, a late subscriber walks every key, and a
   // configuration may hold 100,000 keys.
   Quill::PublishedMap<
      IntfVlanTuple, Vela::Ptr< CfmForwardingConfig >,
      Quill::InsertionOrderedMap< IntfVlanTuple, Vela::Ptr< CfmForwardingConfig >, IntfVlanTupleHash > >
      forwardingConfig{ publisher(), forwardingConfigAttr };
};

} // namespace CfmSw

template <>
struct Quill::ValueTraits< CfmSw::IntfVlanTuple > {
   static const Quill::TypeInfo & type() { return CfmSw::IntfVlanTuple::typeInfo(); }
};
