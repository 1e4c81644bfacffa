#include "Cairn/EntityManager.h"

#include "Pallet/Pallet.h"
#include "Quill/Exceptions.h"
#include "Quill/FrameworkTypes.h"
#include "Quill/Type.h"

#include <vector>

namespace Cairn {

namespace {
std::vector< std::string >
splitPath( const std::string & path ) {
   std::vector< std::string > parts;
   std::string part;
   for( char c : path ) {
      if( c == '/' ) {
         if( !part.empty() ) {
            parts.push_back( std::move( part ) );
         }
         part.clear();
      } else {
         part += c;
      }
   }
   if( !part.empty() ) {
      parts.push_back( std::move( part ) );
   }
   return parts;
}

bool
isOfType( const Vela::Ptr< Quill::Entity > & entity, const std::string & typeName ) {
   const Quill::TypeInfo * type = entity ? entity->fwkType() : nullptr;
   return type && type->name == typeName;
}
} // namespace

EntityManager::EntityManager( std::string name )
      : Quill::Entity( std::move( name ) ), root_( Pallet::make< Quill::Dir >( "" ) ) {}

const Quill::TypeInfo *
EntityManager::fwkType() const {
   return &Quill::FrameworkTypes::entityManager();
}

Vela::Ptr< Quill::Entity >
EntityManager::getEntity( const std::string & path ) const {
   Vela::Ptr< Quill::Entity > at = root_;
   for( const std::string & part : splitPath( path ) ) {
      auto dir = Vela::dynamicPtrCast< Quill::Dir >( at );
      if( !dir ) {
         return {};
      }
      at = dir->entityPtr( part );
   }
   return at;
}

Vela::Ptr< Quill::Entity >
EntityManager::entityIs( const std::string & path, const std::string & typeName ) {
   const std::vector< std::string > parts = splitPath( path );
   if( parts.empty() ) {
      Quill::throwRangeException( "cannot create an entity at the root path \"" + path + "\"" );
   }
   Vela::Ptr< Quill::Dir > dir = root_;
   for( std::size_t i = 0; i + 1 < parts.size(); ++i ) {
      Vela::Ptr< Quill::Entity > next = dir->entityPtr( parts[ i ] );
      if( !next ) {
         next = dir->createEntity( parts[ i ], Quill::Dir::quillTypeName );
      }
      dir = Vela::dynamicPtrCast< Quill::Dir >( next );
      if( !dir ) {
         Quill::throwRangeException( "cannot create \"" + path + "\": \"" + parts[ i ] + "\" is not a directory" );
      }
   }
   if( Vela::Ptr< Quill::Entity > existing = dir->entityPtr( parts.back() ) ) {
      return existing;
   }
   return dir->createEntity( parts.back(), typeName );
}

Vela::Ptr< Quill::Entity >
EntityManager::entityDel( const std::string & path ) {
   // Removed from the directory the path names, which is not always the
   // entity's parent: an entity adopted by another directory since keeps that
   // one as its parent.
   const std::vector< std::string > parts = splitPath( path );
   if( parts.empty() ) {
      return {};
   }
   Vela::Ptr< Quill::Entity > at = root_;
   for( std::size_t i = 0; i + 1 < parts.size() && at; ++i ) {
      auto dir = Vela::dynamicPtrCast< Quill::Dir >( at );
      at = dir ? dir->entityPtr( parts[ i ] ) : Vela::Ptr< Quill::Entity >();
   }
   auto dir = Vela::dynamicPtrCast< Quill::Dir >( at );
   return dir ? dir->entityDel( parts.back() ) : Vela::Ptr< Quill::Entity >();
}

Vela::Ptr< MountGroup >
EntityManager::getMountGroup( const Quill::PtrInterface * mounter ) {
   Vela::Ptr< MountGroup > & group = groups_[ mounter ];
   if( !group ) {
      group = Pallet::make< MountGroup >();
   }
   return group;
}

Vela::Ptr< MountGroup >
EntityManager::mountGroup( const Quill::PtrInterface * mounter ) const {
   auto found = groups_.find( mounter );
   return found == groups_.end() ? Vela::Ptr< MountGroup >() : found->second;
}

void
EntityManager::mountGroupDel( const Quill::PtrInterface * mounter ) {
   groups_.erase( mounter );
}

MountStatus
EntityManager::completeMounts( const MountGroup & group, const std::set< std::string > & withheld ) {
   bool complete = true;
   for( const Mount & mount : group.mounts() ) {
      Vela::Ptr< Quill::Entity > entity = getEntity( mount.path() );
      if( !entity && mount.createsWhenMissing() && !withheld.count( mount.path() ) ) {
         entity = entityIs( mount.path(), mount.typeName() );
      }
      complete = complete && isOfType( entity, mount.typeName() );
   }
   for( const std::string & path : withheld ) {
      if( entityDel( path ) ) {
         complete = false;
      }
   }
   return complete ? MountStatus::mountSuccess : MountStatus::mountIncomplete;
}

} // namespace Cairn
