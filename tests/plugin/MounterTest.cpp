// The plug-in's entry: the registered types, the mounter's creation by
// name, its mounts, the collection of its inputs, the status entity, the
// root it owns and its generic attributes.
#include "PluginFixture.h"
#include "TypeModule.h"

namespace PluginTest {
namespace {

using Mounter = Strata::StrataPacketTracerSliceMounter;
using Root = Strata::StrataPacketTracerSliceRootSm;

class MounterTest : public PluginFixture {
 protected:
   static bool startsWith( const std::string & text, const std::string & head ) {
      return text.rfind( head, 0 ) == 0;
   }
};

TEST_F( MounterTest, TheModuleRegistersItsFourTypesInOrder ) {
   const Quill::Module * module = Quill::moduleNamed( Strata::typeModuleName );
   ASSERT_NE( module, nullptr );
   const char * names[] = { "Strata::LportTableFields", "Strata::StrataPacketTracerSliceSm",
                            "Strata::StrataPacketTracerSliceRootSm", "Strata::StrataPacketTracerSliceMounter" };
   ASSERT_EQ( module->types().size(), 4u );
   for( U32 i = 0; i < 4; ++i ) {
      EXPECT_EQ( module->type( i )->name, names[ i ] );
      EXPECT_EQ( Quill::typeNamed( names[ i ] ), module->type( i ) );
   }
   EXPECT_EQ( module->type( 3 )->kind, Quill::TypeKind::entity );
}

TEST_F( MounterTest, CreatedByNameWithNothingAttached ) {
   auto mounter = makeMounter( "ptMounter" );
   ASSERT_TRUE( mounter );
   EXPECT_EQ( mounter->nameString(), "ptMounter" );
   EXPECT_EQ( mounter->fwkType(), &Mounter::typeInfo() );
   EXPECT_EQ( mounter->fwkType()->index, 3u );
   EXPECT_TRUE( mounter->hasNotificationActive() );
   EXPECT_FALSE( genericRead( mounter, Mounter::cfmHwConfigId ).asObject() );
   EXPECT_FALSE( genericRead( mounter, Mounter::strataPacketTracerSliceRootSmId ).asObject() );
   EXPECT_FALSE( mounter->strataPacketTracerSliceRootSmDel() );
}

TEST_F( MounterTest, ConstructorArgumentsAreRefused ) {
   const std::size_t before = Pallet::liveObjects( Mounter::quillTypeName );
   EXPECT_THROW( Quill::newEntityForDir( Mounter::quillTypeName, "m", { 1 } ), Quill::NewEntityArgsException );
   EXPECT_EQ( Pallet::liveObjects( Mounter::quillTypeName ), before );
}

TEST_F( MounterTest, DoInitDeclaresTheFourMountsAndClosesTheGroup ) {
   auto mounter = makeMounter();
   mounter->doInit();
   auto group = em_->mountGroup( mounter.ptr() );
   ASSERT_TRUE( group );
   EXPECT_TRUE( group->isClosed() );
   struct Row {
      std::string path;
      const char * type;
      const char * flags;
   };
   const Row rows[] = {
      { cfmHwConfigPath, "CfmSw::CfmHwConfig", "r" },
      { requestConfigPath, "StrataPacketTracer::LPortTableWriteRequestConfig", "r" },
      { statusDirPath, "Quill::Dir", "wi" },
      { requestDirPath(), "StrataCentral::PortTabWriteRequestDir", "wc" },
   };
   ASSERT_EQ( group->mounts().size(), 4u );
   for( std::size_t i = 0; i < 4; ++i ) {
      EXPECT_EQ( group->mounts()[ i ].path(), rows[ i ].path );
      EXPECT_EQ( group->mounts()[ i ].typeName(), rows[ i ].type );
      EXPECT_EQ( group->mounts()[ i ].flags().letters(), rows[ i ].flags );
   }
}

TEST_F( MounterTest, MountsCompleteHandsTheMountedInputsToOneRoot ) {
   moduleIs( 1, 0 );
   auto mounter = makeMounter();
   EXPECT_EQ( mountAll( mounter ), Cairn::MountStatus::mountSuccess );
   Vela::Ptr< Root > root = mounter->strataPacketTracerSliceRootSm();
   ASSERT_TRUE( root );
   EXPECT_TRUE( root->hasNotificationActive() );
   EXPECT_EQ( root->sourceTrunkMapRequestDir(), requestDir_ );
   EXPECT_EQ( root->lPortTableWriteRequestConfig(), request_ );
   EXPECT_EQ( root->lPortTableWriteRequestStatus(), status_ );
   EXPECT_EQ( root->scsd(), scsd_ );
   EXPECT_EQ( root->cfmHwConfig(), cfm_ );
   EXPECT_EQ( mounter->cfmHwConfig(), cfm_ );
   EXPECT_TRUE( root->strataPacketTracerSliceSm( mod( 1 ) ) );

   const auto lines = tracesOf( "doMountsComplete" );
   ASSERT_EQ( lines.size(), 1u );
   EXPECT_EQ( lines[ 0 ].text, "StrataPacketTracerSliceMounter::doMountsComplete status: mountSuccess em: " +
                                  Quill::Value( em_ ).toString() + " CfmHwConfig" );
   EXPECT_EQ( lines[ 0 ].level, 0u );
   EXPECT_EQ( lines[ 0 ].file, Strata::traceFile );
}

TEST_F( MounterTest, AnEmptyContextNameLeavesTheNamesEndingInTheDash ) {
   contextNameIs( "" );
   auto mounter = makeMounter();
   statusDir_->entityDel( "Strata-" );
   mountAll( mounter );
   const auto & mounts = em_->mountGroup( mounter.ptr() )->mounts();
   EXPECT_TRUE( mounts[ 3 ].path().ends_with( "/StrataPacketTracer-" ) ) << mounts[ 3 ].path();
   auto created = statusDir_->entityPtr( "Strata-" );
   ASSERT_TRUE( created );
   EXPECT_EQ( mounter->strataPacketTracerSliceRootSm()->lPortTableWriteRequestStatus(), created );
   EXPECT_EQ( mounter->strataPacketTracerSliceRootSm()->sourceTrunkMapRequestDir(), requestDir_ );
}

TEST_F( MounterTest, TheStatusEntityIsReusedOrCreated ) {
   auto mounter = makeMounter();
   mountAll( mounter );
   EXPECT_EQ( mounter->strataPacketTracerSliceRootSm()->lPortTableWriteRequestStatus(), status_ );
   EXPECT_EQ( statusDir_->entities().size(), 1u );

   // Missing, or of another type: a status is made under the name.
   statusDir_->entityDel( statusName() );
   statusDir_->createEntity( statusName(), Quill::Dir::quillTypeName );
   mounter->doMountsComplete( Cairn::MountStatus::mountSuccess, em_ );
   auto made = Vela::dynamicPtrCast< StrataPacketTracer::LPortTableWriteRequestStatus >(
      statusDir_->entityPtr( statusName() ) );
   ASSERT_TRUE( made );
   EXPECT_NE( made, status_ );
   EXPECT_EQ( mounter->strataPacketTracerSliceRootSm()->lPortTableWriteRequestStatus(), made );
}

TEST_F( MounterTest, TheRootIsReplacedOnlyWhenAnInputChanges ) {
   moduleIs( 2, 0 );
   auto mounter = makeMounter();
   mountAll( mounter );
   Vela::Ptr< Root > first = mounter->strataPacketTracerSliceRootSm();
   const std::size_t liveRoots = Pallet::liveObjects( Root::quillTypeName );
   auto firstSlice = first->strataPacketTracerSliceSm( mod( 2 ) );
   mounter->doMountsComplete( Cairn::MountStatus::mountSuccess, em_ );
   EXPECT_EQ( mounter->strataPacketTracerSliceRootSm(), first );
   EXPECT_EQ( first->strataPacketTracerSliceSm( mod( 2 ) ), firstSlice );

   em_->entityDel( cfmHwConfigPath );
   auto newCfm = em_->entityIs( cfmHwConfigPath, CfmSw::CfmHwConfig::quillTypeName );
   mounter->doMountsComplete( Cairn::MountStatus::mountSuccess, em_ );
   Vela::Ptr< Root > second = mounter->strataPacketTracerSliceRootSm();
   EXPECT_NE( second, first );
   EXPECT_EQ( second->cfmHwConfig(), newCfm );
   EXPECT_EQ( mounter->cfmHwConfig(), newCfm );
   firstSlice = nullptr;
   first = nullptr;
   EXPECT_EQ( Pallet::liveObjects( Root::quillTypeName ), liveRoots ) << "the old root is gone";
   EXPECT_EQ( scsd_->publisher().subscribers(), 2u ) << "the new root and its one slice";
   // The fixture checks the original CFM entity; the new one must be free too.
   mounter = nullptr;
   second = nullptr;
   EXPECT_EQ( newCfm->publisher().subscribers(), 0u );
}

TEST_F( MounterTest, MissingOrMistypedInputsArePassedOnAsNull ) {
   moduleIs( 1, 0 );
   hostContext_->sharedEntityIs( "strataCommon", Pallet::make< Quill::Dir >( "notTheSharedState" ) );
   auto mounter = makeMounter();
   const Cairn::MountStatus status = mountAll( mounter, { cfmHwConfigPath, requestConfigPath, statusDirPath } );
   EXPECT_EQ( status, Cairn::MountStatus::mountIncomplete );
   Vela::Ptr< Root > root = mounter->strataPacketTracerSliceRootSm();
   ASSERT_TRUE( root );
   EXPECT_FALSE( root->scsd() );
   EXPECT_FALSE( root->lPortTableWriteRequestConfig() );
   EXPECT_FALSE( root->lPortTableWriteRequestStatus() );
   EXPECT_FALSE( root->cfmHwConfig() );
   EXPECT_EQ( root->sourceTrunkMapRequestDir(), requestDir_ );
   EXPECT_TRUE( root->strataPacketTracerSliceSms().empty() );
   EXPECT_NE( findTrace( "doMountsComplete", "StrataPacketTracerSliceMounter::doMountsComplete status: "
                                             "mountIncomplete em: " +
                                                Quill::Value( em_ ).toString() + " CfmHwConfig" ),
              nullptr );
}

TEST_F( MounterTest, DelHandsOverTheRootSwitchedOff ) {
   moduleIs( 1, 0 );
   auto mounter = makeMounter();
   mountAll( mounter );
   Vela::Ptr< Root > root = mounter->strataPacketTracerSliceRootSm();
   EXPECT_EQ( mounter->strataPacketTracerSliceRootSmDel(), root );
   EXPECT_FALSE( mounter->strataPacketTracerSliceRootSm() );
   EXPECT_FALSE( root->hasNotificationActive() );
   EXPECT_FALSE( root->strataPacketTracerSliceSm( mod( 1 ) )->hasNotificationActive() );
   EXPECT_FALSE( mounter->strataPacketTracerSliceRootSmDel() );
}

TEST_F( MounterTest, GenericAttributes ) {
   auto mounter = makeMounter();
   ASSERT_EQ( generic( mounter, Mounter::cfmHwConfigId, Quill::AttrOp::write, { cfm_ } ).answer,
              Quill::AttrAnswer::done );
   EXPECT_EQ( genericRead( mounter, Mounter::cfmHwConfigId ).asPtr< CfmSw::CfmHwConfig >(), cfm_ );
   EXPECT_THROW( generic( mounter, Mounter::cfmHwConfigId, Quill::AttrOp::write, { scsd_ } ),
                 Quill::RangeException );
   generic( mounter, Mounter::cfmHwConfigId, Quill::AttrOp::write, { Quill::Value() } );
   EXPECT_FALSE( mounter->cfmHwConfig() );

   GenericResult made = generic( mounter, Mounter::strataPacketTracerSliceRootSmId, Quill::AttrOp::write,
                                 { requestDir_, request_, status_, scsd_, cfm_ } );
   ASSERT_EQ( made.answer, Quill::AttrAnswer::done );
   Vela::Ptr< Root > root = made.value.asPtr< Root >();
   ASSERT_TRUE( root );
   EXPECT_EQ( genericRead( mounter, Mounter::strataPacketTracerSliceRootSmId ).asPtr< Root >(), root );
   EXPECT_THROW( generic( mounter, Mounter::strataPacketTracerSliceRootSmId, Quill::AttrOp::write,
                          { requestDir_, request_ } ),
                 Quill::RangeException );
   GenericResult removed = generic( mounter, Mounter::strataPacketTracerSliceRootSmId, Quill::AttrOp::del );
   EXPECT_EQ( removed.value.asPtr< Root >(), root );
   EXPECT_FALSE( mounter->strataPacketTracerSliceRootSm() );

   EXPECT_EQ( generic( mounter, Mounter::cfmHwConfigId, Quill::AttrOp::del ).answer,
              Quill::AttrAnswer::notSupported );
   EXPECT_EQ( generic( mounter, Mounter::strataPacketTracerSliceRootSmId, Quill::AttrOp::count ).answer,
              Quill::AttrAnswer::notSupported );
   EXPECT_EQ( generic( mounter, 641, Quill::AttrOp::read ).answer, Quill::AttrAnswer::noSuchAttribute );
   EXPECT_EQ( generic( mounter, 644, Quill::AttrOp::read ).answer, Quill::AttrAnswer::noSuchAttribute );
}

TEST_F( MounterTest, DestructionTakesTheRootAndItsSlicesAlong ) {
   moduleIs( 1, 0 );
   moduleIs( 2, 0 );
   auto mounter = makeMounter();
   mountAll( mounter );
   const std::size_t roots = Pallet::liveObjects( Root::quillTypeName );
   mounter = nullptr;
   EXPECT_EQ( Pallet::liveObjects( Root::quillTypeName ), roots - 1 );
   EXPECT_EQ( scsd_->publisher().subscribers(), 0u );
   EXPECT_EQ( activityClock()->notifiees(), 0u );
}

} // namespace
} // namespace PluginTest
