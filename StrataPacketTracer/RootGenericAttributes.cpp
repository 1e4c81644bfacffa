// The root's framework type: its inputs (130 to 134), handleModule (135) and
// the collection of slices keyed by module (136), with generic access.
#include "GenericArgs.h"
#include "StrataPacketTracerSliceRootSm.h"

namespace Strata {

namespace {

using Quill::AttrAnswer;
using Quill::AttrKind;
using Quill::AttrOp;
using Quill::opBit;
using Root = StrataPacketTracerSliceRootSm;
namespace Args = GenericArgs;

constexpr const char * collectionName = "strataPacketTracerSliceSm";

AttrAnswer rootGenericAttr( void * object, Quill::AttributeId id, AttrOp op, const Quill::ValueList & args,
                            Quill::Value & result );

Quill::TypeInfo
makeTypeInfo() {
   const unsigned readOnly = opBit( AttrOp::read );
   Quill::TypeInfo t;
   t.name = Root::quillTypeName;
   t.kind = Quill::TypeKind::object;
   t.attributes = {
      { Root::sourceTrunkMapRequestDirId, "sourceTrunkMapRequestDir", AttrKind::constructor,
        "StrataCentral::PortTabWriteRequestDir", readOnly, {} },
      { Root::lPortTableWriteRequestConfigId, "lPortTableWriteRequestConfig", AttrKind::constructor,
        "StrataPacketTracer::LPortTableWriteRequestConfig", readOnly, {} },
      { Root::lPortTableWriteRequestStatusId, "lPortTableWriteRequestStatus", AttrKind::constructor,
        "StrataPacketTracer::LPortTableWriteRequestStatus", readOnly, {} },
      { Root::scsdId, "scsd", AttrKind::constructor, "Strata::StrataCommonSmData", readOnly, {} },
      { Root::cfmHwConfigId, "cfmHwConfig", AttrKind::constructor, "CfmSw::CfmHwConfig", readOnly, {} },
      { Root::handleModuleId, "handleModule", AttrKind::operation, "void", opBit( AttrOp::call ),
        { { "modId", "StrataCentral::ModId" } } },
      { Root::strataPacketTracerSliceSmId, collectionName, AttrKind::collection,
        StrataPacketTracerSliceSm::quillTypeName,
        opBit( AttrOp::read ) | opBit( AttrOp::write ) | opBit( AttrOp::del ) | opBit( AttrOp::count ) |
           opBit( AttrOp::iterate ) | opBit( AttrOp::member ),
        { { "sourceTrunkMapRequestDir", "StrataCentral::PortTabWriteRequestDir" },
          { "lPortTableWriteRequestConfig", "StrataPacketTracer::LPortTableWriteRequestConfig" },
          { "lPortTableWriteRequestStatus", "StrataPacketTracer::LPortTableWriteRequestStatus" },
          { "scsd", "Strata::StrataCommonSmData" },
          { "modId", "StrataCentral::ModId" },
          { "cfmHwConfig", "CfmSw::CfmHwConfig" } } },
   };
   t.genericAttr = &rootGenericAttr;
   return t;
}

// One member as the iterator yields it: [modId, slice].
Quill::Value
member( const StrataCentral::ModId & modId, const Vela::Ptr< StrataPacketTracerSliceSm > & slice ) {
   return Quill::Value( Quill::ValueList{ Quill::Value::boxed( modId ), Quill::Value( slice ) } );
}

AttrAnswer
collectionAccess( Root & root, AttrOp op, const Quill::ValueList & args, Quill::Value & result ) {
   switch( op ) {
    case AttrOp::read:
      Args::countIs( args, 1, "strataPacketTracerSliceSm lookup" );
      result = root.strataPacketTracerSliceSm( Args::modIdArg( args, 0, collectionName, "modId" ) );
      return AttrAnswer::done;
    case AttrOp::write: {
      const char * op = "strataPacketTracerSliceSmIs";
      Args::countIs( args, 6, op );
      result = root.strataPacketTracerSliceSmIs(
         Args::objectArg< StrataCentral::PortTabWriteRequestDir >( args, 0, op, "sourceTrunkMapRequestDir" ),
         Args::objectArg< const StrataPacketTracer::LPortTableWriteRequestConfig >(
            args, 1, op, "lPortTableWriteRequestConfig" ),
         Args::objectArg< StrataPacketTracer::LPortTableWriteRequestStatus >(
            args, 2, op, "lPortTableWriteRequestStatus" ),
         Args::objectArg< Strata::StrataCommonSmData >( args, 3, op, "scsd" ),
         Args::modIdArg( args, 4, op, "modId" ),
         Args::objectArg< const CfmSw::CfmHwConfig >( args, 5, op, "cfmHwConfig" ) );
      return AttrAnswer::done;
    }
    case AttrOp::del:
      Args::countIs( args, 1, "strataPacketTracerSliceSmDel" );
      result = root.strataPacketTracerSliceSmDel( Args::modIdArg( args, 0, "strataPacketTracerSliceSmDel", "modId" ) );
      return AttrAnswer::done;
    case AttrOp::count:
      result = static_cast< U64 >( root.strataPacketTracerSliceSms().size() );
      return AttrAnswer::done;
    case AttrOp::member:
      Args::countIs( args, 1, "strataPacketTracerSliceSm membership" );
      result = static_cast< bool >(
         root.strataPacketTracerSliceSm( Args::modIdArg( args, 0, collectionName, "modId" ) ) );
      return AttrAnswer::done;
    case AttrOp::iterate: {
      // From the first member, or from the given key: that member, or the
      // next one after it when the key has no member.
      const Root::SliceMap & slices = root.strataPacketTracerSliceSms();
      auto from = slices.begin();
      if( !args.empty() ) {
         Args::countIs( args, 1, "strataPacketTracerSliceSm iteration" );
         from = slices.lower_bound( Args::modIdArg( args, 0, collectionName, "modId" ) );
      }
      Quill::ValueList members;
      for( auto at = from; at != slices.end(); ++at ) {
         members.push_back( member( at->first, at->second ) );
      }
      result = Quill::Value( std::move( members ) );
      return AttrAnswer::done;
    }
    default: return AttrAnswer::notSupported;
   }
}

AttrAnswer
rootGenericAttr( void * object, Quill::AttributeId id, AttrOp op, const Quill::ValueList & args,
                 Quill::Value & result ) {
   auto * root = dynamic_cast< Root * >( static_cast< Quill::PtrInterface * >( object ) );
   const Quill::AttrInfo * info = Root::typeInfo().attribute( id );
   if( !root || !info ) {
      return AttrAnswer::noSuchAttribute;
   }
   if( !( info->ops & opBit( op ) ) ) {
      return AttrAnswer::notSupported;
   }
   switch( id ) {
    case Root::sourceTrunkMapRequestDirId: result = root->sourceTrunkMapRequestDir(); break;
    case Root::lPortTableWriteRequestConfigId: result = root->lPortTableWriteRequestConfig(); break;
    case Root::lPortTableWriteRequestStatusId: result = root->lPortTableWriteRequestStatus(); break;
    case Root::scsdId: result = root->scsd(); break;
    case Root::cfmHwConfigId: result = root->cfmHwConfig(); break;
    case Root::handleModuleId:
      Args::countIs( args, 1, "handleModule" );
      root->handleModule( Args::modIdArg( args, 0, "handleModule", "modId" ) );
      break;
    case Root::strataPacketTracerSliceSmId: return collectionAccess( *root, op, args, result );
    default: return AttrAnswer::noSuchAttribute;
   }
   return AttrAnswer::done;
}

} // namespace

Quill::TypeInfo &
StrataPacketTracerSliceRootSm::typeInfo() {
   static Quill::TypeInfo * info = new Quill::TypeInfo( makeTypeInfo() );
   return *info;
}

const Quill::TypeInfo *
StrataPacketTracerSliceRootSm::fwkType() const {
   return &typeInfo();
}

} // namespace Strata
