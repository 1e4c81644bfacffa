// The shared directory through which clients ask the agent to write
// SOURCE_TRUNK_MAP entries: each posted request is kept in order and
// published, and the agent's table manager carries it out.
#pragma once

#include "Agent/StrataTypes.h"
#include "Quill/Entity.h"

#include <compare>
#include <ostream>
#include <vector>

namespace StrataCentral {

struct PortTabWriteRequestKey {
   U16 modInfo = 0; // the unit's module information value
   ModId modId;
   U10 port;
   U8 kind = 0;
   auto operator<=>( const PortTabWriteRequestKey & ) const = default;
};

std::ostream & operator<<( std::ostream & out, const PortTabWriteRequestKey & key );

struct PortTabWriteRequest {
   PortTabWriteRequestKey key;
   U32 value;
};

class PortTabWriteRequestDir : public Quill::Entity {
 public:
   static constexpr const char * quillTypeName = "StrataCentral::PortTabWriteRequestDir";
   // Published per request with the key and a pointer to the value.
   static constexpr Quill::AttributeId requestAttr = 1;

   explicit PortTabWriteRequestDir( std::string name ) : Quill::Entity( std::move( name ) ) {}
   const Quill::TypeInfo * fwkType() const override;

   void postRequest( const PortTabWriteRequestKey & key, U32 value );
   const std::vector< PortTabWriteRequest > & requests() const noexcept { return requests_; }
   void requestsClear() { requests_.clear(); }

 private:
   std::vector< PortTabWriteRequest > requests_;
};

} // namespace StrataCentral
