// The type registry and the state database's directories. (The generic
// attribute interface, entities made by type name, mounting and a module's
// types listed by index are tested on the plug-in's own types:
// plugin/MounterTest.cpp, plugin/GenericAccessTest.cpp, scenarios/plugin/mounter_start.scn.)
#include "Pallet/Pallet.h"
#include "Quill/Entity.h"
#include "Quill/Exceptions.h"
#include "Quill/Type.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST( TypeRegistry, ModulesListTheirTypesAndRegisteringAgainReplacesThem ) {
   static Quill::TypeInfo oldKept, oldDropped, newKept;
   oldKept.name = newKept.name = "Test::Kept";
   oldDropped.name = "Test::Dropped";
   static Quill::Module first( "TestReloaded", { &oldKept, &oldDropped } ), second( "TestReloaded", { &newKept } );
   Quill::quillModuleIs( first );
   EXPECT_EQ( oldDropped.module, &first );
   Quill::quillModuleIs( second );
   EXPECT_EQ( Quill::typeNamed( "Test::Kept" ), &newKept );
   EXPECT_EQ( Quill::typeNamed( "Test::Dropped" ), nullptr );
   EXPECT_EQ( Quill::moduleNamed( "TestReloaded" )->type( 1 ), nullptr );
   // A name the module gave up is another module's to take, and stays so
   // when the first module registers again.
   static Quill::Module other( "TestOther", { &oldDropped } );
   Quill::quillModuleIs( other );
   Quill::quillModuleIs( second );
   EXPECT_EQ( Quill::typeNamed( "Test::Dropped" ), &oldDropped );
}

// Records the directory's child notifications.
struct ChildLog {
   std::vector< std::string > heard;
   Vela::Subscriber subscriber{ &ChildLog::dispatch, this };
   static void dispatch( Vela::Publisher *, Vela::Subscriber * s, short attrId, const void * key, const void * value ) {
      ASSERT_EQ( attrId, Quill::Dir::entitiesAttr );
      s->ownerAs< ChildLog >()->heard.push_back( ( value ? "+" : "-" ) + *static_cast< const std::string * >( key ) );
   }
};

TEST( StateDatabase, DirectoryPublishesChildrenAddedAndRemoved ) {
   auto dir = Pallet::make< Quill::Dir >( "dir" );
   ChildLog log;
   dir->publisher().subscriberAdd( &log.subscriber );
   auto first = dir->createEntity( "a", Quill::Dir::quillTypeName );
   EXPECT_EQ( first->parent(), dir.ptr() );
   dir->createEntity( "a", Quill::Dir::quillTypeName ); // replaces the child of that name
   dir->entityDel( "a" );
   dir->entityDel( "a" ); // nothing there: nothing published
   EXPECT_FALSE( first->parent() );
   // Re-adopting a child through the directory's own slot, and removing one
   // by the directory's own key.
   dir->createEntity( "b", Quill::Dir::quillTypeName );
   dir->entityIs( dir->entities().at( "b" ) );
   ASSERT_TRUE( dir->entityPtr( "b" ) );
   EXPECT_EQ( dir->entityPtr( "b" )->parent(), dir.ptr() );
   dir->entityDel( dir->entities().begin()->first );
   EXPECT_EQ( log.heard, ( std::vector< std::string >{ "+a", "-a", "+a", "-a", "+b", "-b", "+b", "-b" } ) );
   EXPECT_THROW( dir->createEntity( "c", "No::Such" ), Quill::UnknownTypeException );
}

} // namespace
