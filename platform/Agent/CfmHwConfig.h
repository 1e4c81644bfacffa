// CFM's hardware configuration: forwarding configurations keyed by interface
// and VLAN.
#pragma once

#include "Agent/Lumo.h"
#include "Quill/Entity.h"
#include "Quill/PublishedMap.h"

#include <compare>
#include <ostream>

namespace CfmSw {

struct IntfVlanTuple {
   Lumo::IntfId intf;
   U16 vlan = 0;
   IntfVlanTuple() = default;
   IntfVlanTuple( Lumo::IntfId i, U16 v ) : intf( std::move( i ) ), vlan( v ) {}
   const Lumo::IntfId & intfId() const noexcept { return intf; }
   auto operator<=>( const IntfVlanTuple & ) const = default;
};

// "(INTF, VLAN)".
std::ostream & operator<<( std::ostream & out, const IntfVlanTuple & tuple );

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

   Quill::PublishedMap< IntfVlanTuple, Vela::Ptr< CfmForwardingConfig > > forwardingConfig{
      publisher(), forwardingConfigAttr };
};

} // namespace CfmSw
