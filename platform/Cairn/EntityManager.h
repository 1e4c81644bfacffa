// The state database's entity manager: one tree of entities under a root
// directory, reached by "/"-separated paths, and the mount groups of the
// mounters that asked for parts of it.
#pragma once

#include "Cairn/Mount.h"
#include "Quill/Entity.h"

#include <map>
#include <set>
#include <string>

namespace Cairn {

class EntityManager : public Quill::Entity {
 public:
   static constexpr const char * quillTypeName = "Cairn::EntityManager";

   explicit EntityManager( std::string name );
   const Quill::TypeInfo * fwkType() const override;

   const Vela::Ptr< Quill::Dir > & root() const noexcept { return root_; }

   // The entity at `path`, or null when any part of the path is missing.
   Vela::Ptr< Quill::Entity > getEntity( const std::string & path ) const;
   // Creates the entity at `path` with the given type, making missing parent
   // directories; an entity already there is returned as it is. Throws
   // Quill::RangeException naming the path when a parent is not a directory.
   Vela::Ptr< Quill::Entity > entityIs( const std::string & path, const std::string & typeName );
   // Removes the entity at `path`; returns it, or null when it was missing.
   Vela::Ptr< Quill::Entity > entityDel( const std::string & path );

   // The mount group of a mounter, created on first request.
   Vela::Ptr< MountGroup > getMountGroup( const Quill::PtrInterface * mounter );
   Vela::Ptr< MountGroup > mountGroup( const Quill::PtrInterface * mounter ) const;
   void mountGroupDel( const Quill::PtrInterface * mounter );

   // Serves a closed group's mounts: a mount that creates when missing gets
   // its entity made at its path, a read mount of a missing entity stays
   // missing, and an entity of another type is left as it is. Paths listed in
   // `withheld` are removed afterwards, whatever the flags say (a host that
   // simulates an input being unavailable). Returns the group's status.
   MountStatus completeMounts( const MountGroup & group, const std::set< std::string > & withheld = {} );

 private:
   Vela::Ptr< Quill::Dir > root_;
   std::map< const Quill::PtrInterface *, Vela::Ptr< MountGroup > > groups_;
};

} // namespace Cairn
