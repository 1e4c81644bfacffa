// The state database: paths, directories, mounts and the host context.
#include "Agent/CfmHwConfig.h"
#include "Agent/PacketTracerTypes.h"
#include "Cairn/EntityManager.h"
#include "Pallet/Pallet.h"
#include "Quill/Exceptions.h"
#include "Quill/Type.h"
#include "StrataLib/MounterBase.h"
#include "ErrorText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Cairn::MountStatus;
using TestSupport::errorText;
using TestSupport::mentions;

const std::string cfmType = CfmSw::CfmHwConfig::quillTypeName;
const std::string configType = StrataPacketTracer::LPortTableWriteRequestConfig::quillTypeName;
const std::string statusType = StrataPacketTracer::LPortTableWriteRequestStatus::quillTypeName;

class StateDatabaseTest : public ::testing::Test {
 protected:
   Vela::Ptr< Cairn::EntityManager > em = Pallet::make< Cairn::EntityManager >( "sysdb" );

   Cairn::Mount mount( const std::string & path, const std::string & type, const std::string & flags ) {
      Cairn::Mount m( path, type );
      m.handleFlags( flags );
      return m;
   }
   bool hasType( const std::string & path, const std::string & type ) {
      auto entity = em->getEntity( path );
      return entity && entity->fwkType() && entity->fwkType()->name == type;
   }
};

TEST_F( StateDatabaseTest, EntitiesByPathWithParentsMadeOnTheWay ) {
   auto created = em->entityIs( "cfmSw/cfmHwConfig", cfmType );
   ASSERT_TRUE( Vela::dynamicPtrCast< CfmSw::CfmHwConfig >( created ) );
   EXPECT_EQ( em->getEntity( "/cfmSw//cfmHwConfig/" ), created );
   EXPECT_EQ( created->fullPath(), "cfmSw/cfmHwConfig" );
   EXPECT_TRUE( Vela::dynamicPtrCast< Quill::Dir >( em->getEntity( "cfmSw" ) ) );
   EXPECT_EQ( em->getEntity( "" ), em->root() );
   EXPECT_FALSE( em->getEntity( "cfmSw/missing" ) );
   EXPECT_FALSE( em->getEntity( "cfmSw/cfmHwConfig/below" ) ) << "not a directory";

   EXPECT_EQ( em->entityIs( "cfmSw/cfmHwConfig", statusType ), created ) << "already there: kept";
   const std::string error = errorText( [ & ] { em->entityIs( "cfmSw/cfmHwConfig/x/y", cfmType ); } );
   EXPECT_TRUE( mentions( error, "cfmSw/cfmHwConfig/x/y" ) );
   EXPECT_TRUE( mentions( error, "cfmHwConfig" ) );

   EXPECT_EQ( em->entityDel( "cfmSw/cfmHwConfig" ), created );
   EXPECT_FALSE( em->getEntity( "cfmSw/cfmHwConfig" ) );
   EXPECT_FALSE( created->parent() );
   EXPECT_FALSE( em->entityDel( "cfmSw/cfmHwConfig" ) );
}

TEST_F( StateDatabaseTest, MountFlagsParseAndUnknownLettersAreRefused ) {
   EXPECT_EQ( mount( "a/b", cfmType, "icwr" ).flags().letters(), "rwci" );
   EXPECT_FALSE( mount( "a/b", cfmType, "ri" ).createsWhenMissing() );
   EXPECT_TRUE( mount( "a/b", cfmType, "w" ).createsWhenMissing() );
   EXPECT_TRUE( mount( "a/b", cfmType, "c" ).createsWhenMissing() );

   Cairn::Mount bad( "stratapackettracer/x", configType );
   const std::string error = errorText( [ & ] { bad.handleFlags( "rq" ); } );
   EXPECT_TRUE( mentions( error, "stratapackettracer/x" ) );
   EXPECT_TRUE( mentions( error, "'q'" ) );
   EXPECT_EQ( bad.flags().val(), 0u ) << "a refused string sets no flag";
}

TEST_F( StateDatabaseTest, CompleteMountsCreatesWhatMayBeCreated ) {
   const auto mounter = Pallet::make< Quill::Entity >( "mounter" );
   auto group = em->getMountGroup( mounter.ptr() );
   EXPECT_EQ( em->getMountGroup( mounter.ptr() ), group );
   group->doMount( mount( "cfmSw/cfmHwConfig", cfmType, "c" ) );
   group->doMount( mount( "pt/config", configType, "wi" ) );
   group->doMount( mount( "pt/status", statusType, "r" ) );
   group->doClose( true, "test", 10 );
   EXPECT_THROW( group->doMount( mount( "late", cfmType, "c" ) ), Quill::RangeException );

   EXPECT_EQ( em->completeMounts( *group ), MountStatus::mountIncomplete );
   EXPECT_TRUE( hasType( "cfmSw/cfmHwConfig", cfmType ) );
   EXPECT_TRUE( hasType( "pt/config", configType ) );
   EXPECT_FALSE( em->getEntity( "pt/status" ) ) << "a read mount creates nothing";

   em->entityIs( "pt/status", statusType );
   const auto cfm = em->getEntity( "cfmSw/cfmHwConfig" );
   EXPECT_EQ( em->completeMounts( *group ), MountStatus::mountSuccess );
   EXPECT_EQ( em->getEntity( "cfmSw/cfmHwConfig" ), cfm ) << "an existing entity is kept";
}

TEST_F( StateDatabaseTest, CompleteMountsLeavesEntitiesOfAnotherTypeAndRemovesWithheldOnes ) {
   const auto mounter = Pallet::make< Quill::Entity >( "mounter" );
   auto group = em->getMountGroup( mounter.ptr() );
   const auto squatter = em->entityIs( "cfmSw/cfmHwConfig", Quill::Dir::quillTypeName );
   group->doMount( mount( "cfmSw/cfmHwConfig", cfmType, "c" ) );
   group->doClose( false, "", 0 );
   EXPECT_EQ( em->completeMounts( *group ), MountStatus::mountIncomplete );
   EXPECT_EQ( em->getEntity( "cfmSw/cfmHwConfig" ), squatter );

   Cairn::MountGroup withheldGroup;
   withheldGroup.doMount( mount( "pt/config", configType, "c" ) );
   withheldGroup.doMount( mount( "pt/status", statusType, "r" ) );
   em->entityIs( "pt/status", statusType );
   EXPECT_EQ( em->completeMounts( withheldGroup, { "pt/config", "pt/status" } ),
              MountStatus::mountIncomplete );
   EXPECT_FALSE( em->getEntity( "pt/config" ) ) << "withheld: not created";
   EXPECT_FALSE( em->getEntity( "pt/status" ) ) << "withheld: removed";
}

class TestMounter : public StrataLib::MounterBase {
 public:
   static constexpr const char * quillTypeName = "Test::Mounter";
   using StrataLib::MounterBase::MounterBase;
   void doInit() override {}
   void doMountsComplete( MountStatus, const Vela::Ptr< Cairn::EntityManager > & ) override {}
};

TEST_F( StateDatabaseTest, HostContextSharesEntitiesWithMounters ) {
   auto mounter = Pallet::make< TestMounter >( "m" );
   EXPECT_FALSE( mounter->entityManager() );
   EXPECT_FALSE( mounter->sharedEntity( "strataCommon" ) );

   auto context = Pallet::make< StrataLib::HostContext >( em, "Linecard1" );
   auto common = Pallet::make< Quill::Entity >( "strataCommon" );
   context->sharedEntityIs( "strataCommon", common );
   mounter->hostContextIs( context );
   EXPECT_EQ( mounter->entityManager(), em );
   EXPECT_EQ( mounter->contextName(), "Linecard1" );
   EXPECT_EQ( mounter->sharedEntity( "strataCommon" ), common );
   EXPECT_FALSE( mounter->sharedEntity( "other" ) );
   context->sharedEntityDel( "strataCommon" );
   EXPECT_FALSE( mounter->sharedEntity( "strataCommon" ) );
}

// Records the directory's child notifications.
struct ChildLog {
   std::vector< std::string > heard;
   Vela::Subscriber subscriber{ &ChildLog::dispatch, this };
   static void dispatch( Vela::Publisher *, Vela::Subscriber * s, short attrId, const void * key,
                         const void * value ) {
      ASSERT_EQ( attrId, Quill::Dir::entitiesAttr );
      const auto & name = *static_cast< const std::string * >( key );
      s->ownerAs< ChildLog >()->heard.push_back( ( value ? "+" : "-" ) + name );
   }
};

TEST_F( StateDatabaseTest, DirectoryPublishesChildrenAddedAndRemoved ) {
   auto dir = Pallet::make< Quill::Dir >( "dir" );
   ChildLog log;
   dir->publisher().subscriberAdd( &log.subscriber );
   auto first = dir->createEntity( "a", Quill::Dir::quillTypeName );
   EXPECT_EQ( dir->entityPtr( "a" ), first );
   EXPECT_EQ( first->parent(), dir.ptr() );
   dir->createEntity( "a", cfmType ); // replaces the child of that name
   dir->entityDel( "a" );
   dir->entityDel( "a" ); // nothing there: nothing published
   EXPECT_EQ( log.heard, ( std::vector< std::string >{ "+a", "-a", "+a", "-a" } ) );
   EXPECT_FALSE( first->parent() );

   // Re-adopting a child through the directory's own slot, and removing one
   // by the directory's own key.
   dir->createEntity( "b", cfmType );
   log.heard.clear();
   dir->entityIs( dir->entities().at( "b" ) );
   ASSERT_TRUE( dir->entityPtr( "b" ) );
   EXPECT_EQ( dir->entityPtr( "b" )->parent(), dir.ptr() );
   dir->entityDel( dir->entities().begin()->first );
   EXPECT_EQ( log.heard, ( std::vector< std::string >{ "-b", "+b", "-b" } ) );
   EXPECT_THROW( dir->createEntity( "c", "No::Such" ), Quill::UnknownTypeException );
}

TEST_F( StateDatabaseTest, EntityAdoptedElsewhereKeepsItsNewParent ) {
   auto from = em->entityIs( "from/x", cfmType );
   auto to = Vela::dynamicPtrCast< Quill::Dir >( em->entityIs( "to", Quill::Dir::quillTypeName ) );
   to->entityIs( from );
   EXPECT_EQ( from->fullPath(), "to/x" );
   em->entityDel( "from/x" );
   EXPECT_EQ( from->fullPath(), "to/x" );
   EXPECT_EQ( em->entityDel( "to/x" ), from );
   EXPECT_FALSE( em->getEntity( "to/x" ) );
}

} // namespace
