#include "Quill/Entity.h"

#include "Quill/PlatformTypes.h"
#include "Quill/Type.h"

namespace Quill {

std::string
Entity::fullPath() const {
   if( !parent_ ) {
      return "";
   }
   const std::string above = parent_->fullPath();
   return above.empty() ? name_ : above + "/" + name_;
}

Dir::~Dir() {
   for( auto & [ name, child ] : entities_ ) {
      child->parent_ = nullptr;
   }
}

const TypeInfo *
Dir::fwkType() const {
   return &PlatformTypes::dir();
}

Vela::Ptr< Entity >
Dir::entityPtr( const std::string & name ) const {
   auto found = entities_.find( name );
   return found == entities_.end() ? Vela::Ptr< Entity >() : found->second;
}

Vela::Ptr< Entity >
Dir::createEntity( const std::string & name, const std::string & typeName,
                   const ValueList & args ) {
   Vela::Ptr< Entity > created = newEntityForDir( typeName, name, args );
   entityIs( created );
   return created;
}

void
Dir::entityIs( const Vela::Ptr< Entity > & entity ) {
   if( !entity ) {
      return;
   }
   Vela::Ptr< Entity > replaced = entityDel( entity->name() );
   entity->parent_ = this;
   auto & slot = entities_[ entity->name() ];
   slot = entity;
   publisher().publish( entitiesAttr, &slot->name(), slot.ptr() );
}

Vela::Ptr< Entity >
Dir::entityDel( const std::string & name ) {
   auto found = entities_.find( name );
   if( found == entities_.end() ) {
      return {};
   }
   Vela::Ptr< Entity > removed = std::move( found->second );
   entities_.erase( found );
   removed->parent_ = nullptr;
   publisher().publish( entitiesAttr, &name, nullptr );
   return removed;
}

} // namespace Quill
