// The plug-in's mounter: declares the mounts, collects the mounted inputs,
// makes sure the status entity exists and owns the root state machine.
#include "StrataPacketTracerSliceMounter.h"

#include "GenericArgs.h"
#include "Pallet/Pallet.h"
#include "PluginTrace.h"
#include "Quill/Format.h"

namespace Strata {

namespace {

using Quill::AttrAnswer;
using Quill::AttrKind;
using Quill::AttrOp;
using Quill::opBit;
using Mounter = StrataPacketTracerSliceMounter;
namespace Args = GenericArgs;

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
template< typename T >
Vela::Ptr< T >
entityAt( const Vela::Ptr< Cairn::EntityManager > & em, const std::string & path ) {
   return em ? Vela::dynamicPtrCast< T >( em->getEntity( path ) ) : Vela::Ptr< T >();
}

AttrAnswer mounterGenericAttr( void * object, Quill::AttributeId id, AttrOp op,
                               const Quill::ValueList & args, Quill::Value & result );

Quill::TypeInfo
makeTypeInfo() {
   Quill::TypeInfo t;
   t.name = Mounter::quillTypeName;
   t.kind = Quill::TypeKind::entity;
   t.attributes = {
      { Mounter::cfmHwConfigId, "cfmHwConfig", AttrKind::value, "CfmSw::CfmHwConfig",
        opBit( AttrOp::read ) | opBit( AttrOp::write ), {} },
      { Mounter::strataPacketTracerSliceRootSmId, "strataPacketTracerSliceRootSm", AttrKind::instantiating,
        StrataPacketTracerSliceRootSm::quillTypeName,
        opBit( AttrOp::read ) | opBit( AttrOp::write ) | opBit( AttrOp::del ),
        { { "sourceTrunkMapRequestDir", "StrataCentral::PortTabWriteRequestDir" },
          { "lPortTableWriteRequestConfig", "StrataPacketTracer::LPortTableWriteRequestConfig" },
          { "lPortTableWriteRequestStatus", "StrataPacketTracer::LPortTableWriteRequestStatus" },
          { "scsd", "Strata::StrataCommonSmData" },
          { "cfmHwConfig", "CfmSw::CfmHwConfig" } } },
   };
   t.genericAttr = &mounterGenericAttr;
   t.newEntityForDir = &Mounter::newEntityForDir;
   return t;
}

AttrAnswer
mounterGenericAttr( void * object, Quill::AttributeId id, AttrOp op, const Quill::ValueList & args,
                    Quill::Value & result ) {
   auto * mounter = dynamic_cast< Mounter * >( static_cast< Quill::PtrInterface * >( object ) );
   const Quill::AttrInfo * info = Mounter::typeInfo().attribute( id );
   if( !mounter || !info ) {
      return AttrAnswer::noSuchAttribute;
   }
   if( !( info->ops & opBit( op ) ) ) {
      return AttrAnswer::notSupported;
   }
   if( id == Mounter::cfmHwConfigId ) {
      if( op == AttrOp::read ) {
         result = mounter->cfmHwConfig();
      } else {
         Args::countIs( args, 1, "cfmHwConfig" );
         mounter->cfmHwConfigIs( Args::objectArg< const CfmSw::CfmHwConfig >( args, 0, "cfmHwConfig", "cfmHwConfig" ) );
      }
      return AttrAnswer::done;
   }
   switch( op ) {
    case AttrOp::read: result = mounter->strataPacketTracerSliceRootSm(); break;
    case AttrOp::write: {
      const char * name = "strataPacketTracerSliceRootSmIs";
      Args::countIs( args, 5, name );
      result = mounter->strataPacketTracerSliceRootSmIs(
         Args::objectArg< StrataCentral::PortTabWriteRequestDir >( args, 0, name, "sourceTrunkMapRequestDir" ),
         Args::objectArg< const StrataPacketTracer::LPortTableWriteRequestConfig >(
            args, 1, name, "lPortTableWriteRequestConfig" ),
         Args::objectArg< StrataPacketTracer::LPortTableWriteRequestStatus >(
            args, 2, name, "lPortTableWriteRequestStatus" ),
         Args::objectArg< Strata::StrataCommonSmData >( args, 3, name, "scsd" ),
         Args::objectArg< const CfmSw::CfmHwConfig >( args, 4, name, "cfmHwConfig" ) );
      break;
    }
    case AttrOp::del: result = mounter->strataPacketTracerSliceRootSmDel(); break;
    default: return AttrAnswer::notSupported;
   }
   return AttrAnswer::done;
}

} // namespace

StrataPacketTracerSliceMounter::StrataPacketTracerSliceMounter( const std::string & name )
      : StrataLib::MounterBase( name ) {
   Quill::PtrInterface::hasNotificationActiveIs( true );
}

StrataPacketTracerSliceMounter::~StrataPacketTracerSliceMounter() {
   Quill::PtrInterface::hasNotificationActiveIs( false );
   if( Vela::Ptr< StrataPacketTracerSliceRootSm > root = std::move( strataPacketTracerSliceRootSm_ ) ) {
      strataPacketTracerSliceRootSm_ = nullptr;
      root->hasNotificationActiveIs( false );
   }
   cfmHwConfig_ = nullptr;
}

Quill::TypeInfo &
StrataPacketTracerSliceMounter::typeInfo() {
   static Quill::TypeInfo * info = new Quill::TypeInfo( makeTypeInfo() );
   return *info;
}

const Quill::TypeInfo *
StrataPacketTracerSliceMounter::fwkType() const {
   return &typeInfo();
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
   auto requestDir = entityAt< StrataCentral::PortTabWriteRequestDir >(
      em, Quill::_fmt( requestDirPattern, context.c_str() ) );

   // The entity manager prints as the framework prints any object: its type
   // name and serial number ("null" when there is none).
   PT_TRACE( 0, TraceLine::doMountsComplete, "doMountsComplete" )
      << "StrataPacketTracerSliceMounter::" << "doMountsComplete" << " status: " << status
      << " em: " << Quill::Value( em ).toString() << " CfmHwConfig";

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

   strataPacketTracerSliceRootSmIs( requestDir, config, statusEntity, scsd, cfmHwConfig_ );
}

Vela::Ptr< StrataPacketTracerSliceRootSm >
StrataPacketTracerSliceMounter::strataPacketTracerSliceRootSmIs(
   const Vela::Ptr< StrataCentral::PortTabWriteRequestDir > & sourceTrunkMapRequestDir,
   const Vela::Ptr< const StrataPacketTracer::LPortTableWriteRequestConfig > & lPortTableWriteRequestConfig,
   const Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > & lPortTableWriteRequestStatus,
   const Vela::Ptr< Strata::StrataCommonSmData > & scsd,
   const Vela::Ptr< const CfmSw::CfmHwConfig > & cfmHwConfig ) {
   const Vela::Ptr< StrataPacketTracerSliceRootSm > & current = strataPacketTracerSliceRootSm_;
   if( current && current->sourceTrunkMapRequestDir() == sourceTrunkMapRequestDir &&
       current->lPortTableWriteRequestConfig() == lPortTableWriteRequestConfig &&
       current->lPortTableWriteRequestStatus() == lPortTableWriteRequestStatus &&
       current->scsd() == scsd && current->cfmHwConfig() == cfmHwConfig ) {
      return current;
   }
   Vela::Ptr< StrataPacketTracerSliceRootSm > root = StrataPacketTracerSliceRootSm::StrataPacketTracerSliceRootSmIs(
      sourceTrunkMapRequestDir, lPortTableWriteRequestConfig, lPortTableWriteRequestStatus, scsd, cfmHwConfig );
   strataPacketTracerSliceRootSm_ = root;
   root->hasNotificationActiveIs( true );
   return root;
}

Vela::Ptr< StrataPacketTracerSliceRootSm >
StrataPacketTracerSliceMounter::strataPacketTracerSliceRootSmDel() {
   Vela::Ptr< StrataPacketTracerSliceRootSm > root = std::move( strataPacketTracerSliceRootSm_ );
   strataPacketTracerSliceRootSm_ = nullptr;
   if( root ) {
      root->hasNotificationActiveIs( false );
   }
   return root;
}

} // namespace Strata
