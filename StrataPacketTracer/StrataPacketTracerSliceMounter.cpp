// The plug-in's mounter: declares the mounts, collects the mounted inputs,
// makes sure the status entity exists and owns the root state machine.
#include "StrataPacketTracerSliceMounter.h"

#include "GenericAttributes.h"
#include "Pallet/Pallet.h"
#include "PluginTrace.h"
#include "Quill/Format.h"

namespace Strata {

namespace {

using Mounter = StrataPacketTracerSliceMounter;

constexpr const char * cfmHwConfigPath = "cfmSw/cfmHwConfig";
constexpr const char * requestConfigPath = "stratapackettracer/lPortTableWriteRequestConfig";
constexpr const char * statusDirPath = "stratapackettracer/lPortTableWriteRequestStatus";
constexpr const char * requestDirPattern =
   "hardware/strata/globalStatus/stratalag/tableMgrDir/sourceTrunkMap/StrataPacketTracer-%s";
constexpr const char * statusNamePattern = "Strata-%s";

struct MountRow {
   Vela::String path;
   const char * typeName;
   const char * flags;
};

// The mounted entity at `path` when it is a T, else null.
template < typename T >
Vela::Ptr< T >
entityAt( const Vela::Ptr< Cairn::EntityManager > & em, const std::string & path ) {
   return em ? Vela::dynamicPtrCast< T >( em->getEntity( path ) ) : Vela::Ptr< T >();
}

// The root: read, instantiated from the five inputs, deleted.
Generic::Attribute< Mounter >
rootAttribute() {
   const std::string instantiate = "strataPacketTracerSliceRootSmIs";
   return { Mounter::strataPacketTracerSliceRootSmId,
            "strataPacketTracerSliceRootSm",
            Quill::AttrKind::instantiating,
            StrataPacketTracerSliceRootSm::quillTypeName,
            SliceInputs::params(),
            { { Quill::AttrOp::read,
                []( Mounter & mounter, const Quill::ValueList & args ) {
                   Generic::countIs( args, 0, "strataPacketTracerSliceRootSm" );
                   return Quill::Value( mounter.strataPacketTracerSliceRootSm() );
                } },
              { Quill::AttrOp::write,
                [ instantiate ]( Mounter & mounter, const Quill::ValueList & args ) {
                   Generic::countIs( args, SliceInputs::count, instantiate );
                   return Quill::Value( mounter.strataPacketTracerSliceRootSmIs(
                      SliceInputs::fromArgs( args, { 0, 1, 2, 3, 4 }, instantiate ) ) );
                } },
              { Quill::AttrOp::del, []( Mounter & mounter, const Quill::ValueList & args ) {
                  Generic::countIs( args, 0, "strataPacketTracerSliceRootSmDel" );
                  return Quill::Value( mounter.strataPacketTracerSliceRootSmDel() );
               } } } };
}

const std::vector< Generic::Attribute< Mounter > > &
attributes() {
   static const std::vector< Generic::Attribute< Mounter > > table{
      Generic::value< &Mounter::cfmHwConfig, &Mounter::cfmHwConfigIs, Mounter >( Mounter::cfmHwConfigId,
                                                                                 "cfmHwConfig" ),
      rootAttribute(),
   };
   return table;
}

} // namespace

StrataPacketTracerSliceMounter::StrataPacketTracerSliceMounter( const std::string & name )
      : StrataLib::MounterBase( name ) {
   Quill::PtrInterface::hasNotificationActiveIs( true );
}

StrataPacketTracerSliceMounter::~StrataPacketTracerSliceMounter() {
   Quill::PtrInterface::hasNotificationActiveIs( false );
   // Switched off even when someone else still holds it: a root that
   // outlives its mounter must not go on creating slices.
   strataPacketTracerSliceRootSmDel();
}

Quill::TypeInfo &
StrataPacketTracerSliceMounter::typeInfo() {
   static Quill::TypeInfo & type = []() -> Quill::TypeInfo & {
      Quill::TypeInfo & made =
         Generic::typeInfoOf< StrataPacketTracerSliceMounter, &attributes >( quillTypeName, Quill::TypeKind::entity );
      made.newEntityForDir = &newEntityForDir;
      return made;
   }();
   return type;
}

Vela::Ptr< Quill::Entity >
StrataPacketTracerSliceMounter::newEntityForDir( const std::string & name, const Quill::ValueList & args ) {
   if( !args.empty() ) {
      Quill::throwNewEntityArgsException( quillTypeName );
   }
   return Pallet::make< StrataPacketTracerSliceMounter >( name );
}

void
StrataPacketTracerSliceMounter::doInit() {
   // Without a host context there is no state database to ask: nothing is
   // mounted, and doMountsComplete will find every input missing.
   Vela::Ptr< Cairn::EntityManager > em = entityManager();
   if( !em ) {
      return;
   }
   const MountRow rows[] = {
      { cfmHwConfigPath, "CfmSw::CfmHwConfig", "r" },
      { requestConfigPath, "StrataPacketTracer::LPortTableWriteRequestConfig", "r" },
      { statusDirPath, "Quill::Dir", "wi" },
      { Quill::_fmt( requestDirPattern, contextName().c_str() ), "StrataCentral::PortTabWriteRequestDir", "cw" },
   };
   Vela::Ptr< Cairn::MountGroup > group = em->getMountGroup( this );
   for( const MountRow & row : rows ) {
      Cairn::Mount mount( row.path, row.typeName );
      mount.flags().valIs( 0 );
      mount.handleFlags( row.flags );
      group->doMount( mount );
   }
   group->doClose( false, "", 0 );
}

void
StrataPacketTracerSliceMounter::doMountsComplete( Cairn::MountStatus status,
                                                  const Vela::Ptr< Cairn::EntityManager > & em ) {
   const std::string context = contextName();
   auto scsd = Vela::dynamicPtrCast< Strata::StrataCommonSmData >( sharedEntity( "strataCommon" ) );
   auto config = entityAt< const StrataPacketTracer::LPortTableWriteRequestConfig >( em, requestConfigPath );
   auto statusDir = entityAt< Quill::Dir >( em, statusDirPath );
   auto requestDir =
      entityAt< StrataCentral::PortTabWriteRequestDir >( em, Quill::_fmt( requestDirPattern, context.c_str() ) );

   // The entity manager prints as the framework prints any object: its type
   // name and serial number ("null" when there is none).
   PT_TRACE( 0, TraceLine::doMountsComplete, "doMountsComplete" )
      << "StrataPacketTracerSliceMounter::"
      << "doMountsComplete"
      << " status: " << status << " em: " << Quill::Value( em ).toString() << " CfmHwConfig";

   cfmHwConfigIs( entityAt< const CfmSw::CfmHwConfig >( em, cfmHwConfigPath ) );

   // Without a status directory there is nowhere to create the status: the
   // root, and its slices, then run without one and publish no completion.
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > statusEntity;
   if( statusDir ) {
      const Vela::String name = Quill::_fmt( statusNamePattern, context.c_str() );
      statusEntity =
         Vela::dynamicPtrCast< StrataPacketTracer::LPortTableWriteRequestStatus >( statusDir->entityPtr( name ) );
      if( !statusEntity ) {
         statusEntity = Vela::dynamicPtrCast< StrataPacketTracer::LPortTableWriteRequestStatus >(
            statusDir->createEntity( name, StrataPacketTracer::LPortTableWriteRequestStatus::quillTypeName ) );
      }
   }

   strataPacketTracerSliceRootSmIs( { requestDir, config, statusEntity, scsd, cfmHwConfig_ } );
}

Vela::Ptr< StrataPacketTracerSliceRootSm >
StrataPacketTracerSliceMounter::strataPacketTracerSliceRootSmIs( const SliceInputs & inputs ) {
   if( strataPacketTracerSliceRootSm_ && strataPacketTracerSliceRootSm_->inputs() == inputs ) {
      return strataPacketTracerSliceRootSm_;
   }
   // The root comes switched on, its slices with it.
   strataPacketTracerSliceRootSm_ = StrataPacketTracerSliceRootSm::StrataPacketTracerSliceRootSmIs( inputs );
   return strataPacketTracerSliceRootSm_;
}

Vela::Ptr< StrataPacketTracerSliceRootSm >
StrataPacketTracerSliceMounter::strataPacketTracerSliceRootSmDel() {
   // Moving leaves the attribute null.
   Vela::Ptr< StrataPacketTracerSliceRootSm > root = std::move( strataPacketTracerSliceRootSm_ );
   if( root ) {
      root->hasNotificationActiveIs( false );
   }
   return root;
}

} // namespace Strata
