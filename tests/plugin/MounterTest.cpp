// The plug-in's entry: the registered types, the mounter's creation by name,
// the status entity, the root it owns and its generic attributes. (The
// mounts themselves and the inputs reaching the root are shown end to end
// by scenarios/plugin/mounter_start.scn, with inputs withheld.)
#include "PluginFixture.h"

namespace PluginTest {
namespace {

using MounterTest = PluginFixture;

TEST_F( MounterTest, TheMounterTakesNoArguments ) {
   const std::size_t before = Pallet::liveObjects( Mounter::quillTypeName );
   EXPECT_THROW( Quill::newEntityForDir( Mounter::quillTypeName, "m", { 1 } ), Quill::NewEntityArgsException );
   EXPECT_EQ( Pallet::liveObjects( Mounter::quillTypeName ), before );
   // Made by name, with nothing attached yet.
   auto mounter = makeMounter();
   EXPECT_TRUE( mounter->hasNotificationActive() );
   EXPECT_FALSE( mounter->strataPacketTracerSliceRootSmDel() ) << "no root to hand over";
}

// A status entity of another type under the name is replaced by one of the
// right type. (Reused when it exists, made when missing: mounter_start.scn.)
TEST_F( MounterTest, AMistypedStatusEntityIsReplaced ) {
   statusDir_->entityDel( "Strata-agent" );
   statusDir_->createEntity( "Strata-agent", Quill::Dir::quillTypeName );
   auto mounter = makeMounter();
   mountAll( mounter );
   auto made = Vela::dynamicPtrCast< StrataPacketTracer::LPortTableWriteRequestStatus >(
      statusDir_->entityPtr( "Strata-agent" ) );
   ASSERT_TRUE( made );
   EXPECT_EQ( mounter->strataPacketTracerSliceRootSm()->inputs().lPortTableWriteRequestStatus, made );
}

// A second doMountsComplete collects the inputs again: a new CFM entity makes
// a new root, the old one goes; a root held past its mounter is switched off
// with it. (The same entities keep the root: mounter_start.scn.)
TEST_F( MounterTest, ANewInputMakesANewRootAndTheMounterSwitchesItsRootOff ) {
   moduleIs( 2, 0 );
   auto mounter = makeMounter();
   EXPECT_EQ( mountAll( mounter ), Cairn::MountStatus::mountSuccess );
   EXPECT_EQ( traceCount( "StrataPacketTracerSliceMounter::doMountsComplete status: mountSuccess em: " +
                          Quill::Value( em_ ).toString() + " CfmHwConfig" ),
              1u );
   const std::size_t roots = Pallet::liveObjects( Root::quillTypeName );
   em_->entityDel( cfmHwConfigPath );
   auto newCfm = em_->entityIs( cfmHwConfigPath, CfmSw::CfmHwConfig::quillTypeName );
   mounter->doMountsComplete( Cairn::MountStatus::mountSuccess, em_ );
   EXPECT_EQ( mounter->strataPacketTracerSliceRootSm()->inputs().cfmHwConfig, newCfm );
   EXPECT_EQ( mounter->cfmHwConfig(), newCfm );
   EXPECT_EQ( Pallet::liveObjects( Root::quillTypeName ), roots ) << "the old root is gone, the new one made";
   Vela::Ptr< Root > held = mounter->strataPacketTracerSliceRootSm();
   mounter = nullptr;
   EXPECT_FALSE( held->hasNotificationActive() );
   EXPECT_EQ( scsd_->publisher().subscribers() + newCfm->publisher().subscribers(), 0u );
}

TEST_F( MounterTest, GenericAttributes ) {
   auto mounter = makeMounter();
   const Quill::AttributeId cfmId = Mounter::cfmHwConfigId, rootId = Mounter::strataPacketTracerSliceRootSmId;
   done( mounter, cfmId, Quill::AttrOp::write, { cfm_ } );
   EXPECT_EQ( done( mounter, cfmId, Quill::AttrOp::read ).asPtr< CfmSw::CfmHwConfig >(), cfm_ );
   EXPECT_THROW( generic( mounter, cfmId, Quill::AttrOp::write, { scsd_ } ), Quill::RangeException );
   EXPECT_FALSE( done( mounter, rootId, Quill::AttrOp::read ).asObject() );
   const Vela::Ptr< Root > root =
      done( mounter, rootId, Quill::AttrOp::write, { requestDir_, request_, status_, scsd_, cfm_ } ).asPtr< Root >();
   ASSERT_TRUE( root );
   EXPECT_EQ( done( mounter, rootId, Quill::AttrOp::read ).asPtr< Root >(), root );
   EXPECT_EQ( done( mounter, rootId, Quill::AttrOp::del ).asPtr< Root >(), root );
   EXPECT_FALSE( mounter->strataPacketTracerSliceRootSm() );
   EXPECT_FALSE( root->hasNotificationActive() ) << "handed over switched off";
   EXPECT_EQ( generic( mounter, cfmId, Quill::AttrOp::del ), Quill::AttrAnswer::notSupported );
   EXPECT_EQ( generic( mounter, rootId, Quill::AttrOp::count ), Quill::AttrAnswer::notSupported );
   EXPECT_EQ( generic( mounter, cfmId - 1, Quill::AttrOp::read ), Quill::AttrAnswer::noSuchAttribute );
   EXPECT_EQ( generic( mounter, rootId + 1, Quill::AttrOp::read ), Quill::AttrAnswer::noSuchAttribute );
   // Objects without a type have no attributes.
   for( const Vela::Ptr< Quill::PtrInterface > & untyped :
        { Vela::Ptr< Quill::PtrInterface >(), Pallet::make< Quill::PtrInterface >() } ) {
      EXPECT_EQ( generic( untyped, cfmId, Quill::AttrOp::read ), Quill::AttrAnswer::noSuchAttribute );
   }
}

} // namespace
} // namespace PluginTest
