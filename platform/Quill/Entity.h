// Entities: named framework objects that live in directories of the state
// database and publish their attribute changes.
#pragma once

#include "Quill/PtrInterface.h"
#include "Quill/Value.h"
#include "Vela/Ptr.h"
#include "Vela/Publisher.h"

#include <map>
#include <string>

namespace Quill {

class Dir;

class Entity : public PtrInterface {
 public:
   static constexpr const char * quillTypeName = "Quill::Entity";

   explicit Entity( std::string name ) : name_( std::move( name ) ) {}

   const std::string & name() const noexcept { return name_; }
   Dir * parent() const noexcept { return parent_; }
   // "/"-separated path from the root directory; "" for the root itself.
   std::string fullPath() const;

   // Subscribers register here; const entities publish too (a reader of a
   // const entity still hears its changes).
   Vela::Publisher & publisher() const noexcept { return publisher_; }

 private:
   friend class Dir;
   std::string name_;
   Dir * parent_ = nullptr; // cleared when the directory lets go of the entity
   mutable Vela::Publisher publisher_;
};

class Dir : public Entity {
 public:
   static constexpr const char * quillTypeName = "Quill::Dir";
   static constexpr AttributeId entitiesAttr = 1; // published with the child's name as key

   explicit Dir( std::string name ) : Entity( std::move( name ) ) {}
   ~Dir() override;
   const TypeInfo * fwkType() const override;

   // The child of that name, or null.
   Vela::Ptr< Entity > entityPtr( const std::string & name ) const;
   // Creates a child of a registered entity type under `name`, replacing any
   // child of that name. Throws when the type is unknown or not an entity type.
   Vela::Ptr< Entity > createEntity( const std::string & name, const std::string & typeName,
                                     const ValueList & args = {} );
   // Adopts an entity made elsewhere under its own name.
   void entityIs( const Vela::Ptr< Entity > & entity );
   // Lets go of a child; returns it, or null when there was none.
   Vela::Ptr< Entity > entityDel( const std::string & name );
   const std::map< std::string, Vela::Ptr< Entity > > & entities() const noexcept { return entities_; }

 private:
   std::map< std::string, Vela::Ptr< Entity > > entities_;
};

} // namespace Quill
