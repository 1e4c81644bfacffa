#include "Quill/Entity.h"

#include "Quill/FrameworkTypes.h"
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
      if( child->parent_ == this ) {
         child->parent_ = nullptr;
      }
   }
}

const TypeInfo *
Dir::fwkType() const {
   return &FrameworkTypes::dir();
}

Vela::Ptr< Entity >
Dir::entityPtr( const std::string & name ) const {
   auto found = entities_.find( name );
   return found == entities_.end() ? Vela::Ptr< Entity >() : found->second;
}

Vela::Ptr< Entity >
Dir::createEntity( const std::string & name, const std::string & typeName, const ValueList & args ) {
   Vela::Ptr< Entity > created = newEntityForDir( typeName, name, args );
   entityIs( created );
   return created;
}

void
Dir::entityIs( const Vela::Ptr< Entity > & entityRef ) {
   // `entityRef` may be this directory's own slot for the name (re-adopting a
   // child), which the removal below empties: work on a held copy.
   const Vela::Ptr< Entity > entity = entityRef;
   if( !entity ) {
      return;
   }
   const std::string name = entity->name();
   Vela::Ptr< Entity > replaced = entityDel( name );
   entity->parent_ = this;
   entities_[ name ] = entity;
   // Subscribers may change this directory: publish what is held here.
   publisher().publish( entitiesAttr, &name, entity.ptr() );
}

Vela::Ptr< Entity >
Dir::entityDel( const std::string & nameRef ) {
   auto found = entities_.find( nameRef );
   if( found == entities_.end() ) {
      return {};
   }
   // `nameRef` may be the map's own key, gone with the entry.
   const std::string name = nameRef;
   Vela::Ptr< Entity > removed = std::move( found->second );
   entities_.erase( found );
   // An entity adopted by another directory since then keeps that parent.
   if( removed->parent_ == this ) {
      removed->parent_ = nullptr;
   }
   publisher().publish( entitiesAttr, &name, nullptr );
   return removed;
}

} // namespace Quill
