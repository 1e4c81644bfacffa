// The slice's framework type: its attributes and operations in declaration
// order (identifiers 130 to 164) and the generic attribute access to them.
#include "GenericArgs.h"
#include "StrataPacketTracerSliceSm.h"
#include "TypeModule.h"

namespace Strata {

namespace {

using Quill::AttrAnswer;
using Quill::AttrKind;
using Quill::AttrOp;
using Quill::opBit;
using Slice = StrataPacketTracerSliceSm;
namespace Args = GenericArgs;

constexpr unsigned readOnly = opBit( AttrOp::read );
constexpr unsigned readWrite = opBit( AttrOp::read ) | opBit( AttrOp::write );
constexpr unsigned instantiating = opBit( AttrOp::read ) | opBit( AttrOp::write ) | opBit( AttrOp::del );
constexpr unsigned callable = opBit( AttrOp::call );

const char * const portType = "StrataTypes::StrataPort";

Quill::AttrInfo
constructorAttr( Quill::AttributeId id, const char * name, const char * type ) {
   return { id, name, AttrKind::constructor, type, readOnly, {} };
}
Quill::AttrInfo
valueAttr( Quill::AttributeId id, const char * name, const char * type ) {
   return { id, name, AttrKind::value, type, readWrite, {} };
}
Quill::AttrInfo
bitmapAttr( Quill::AttributeId id, const char * name ) {
   return { id, name, AttrKind::instantiating, Ferro::Bitmap::quillTypeName, instantiating,
            { { "id", "U64" }, { "size", "U32" }, { "initialBitState", "U8" } } };
}
Quill::AttrInfo
operation( Quill::AttributeId id, const char * name, const char * result,
           std::vector< Quill::ParamInfo > params = {} ) {
   return { id, name, AttrKind::operation, result, callable, std::move( params ) };
}

Quill::AttrAnswer sliceGenericAttr( void * object, Quill::AttributeId id, AttrOp op,
                                    const Quill::ValueList & args, Quill::Value & result );

Quill::TypeInfo
makeTypeInfo() {
   Quill::TypeInfo t;
   t.name = Slice::quillTypeName;
   t.kind = Quill::TypeKind::object;
   t.attributes = {
      constructorAttr( Slice::sourceTrunkMapRequestDirId, "sourceTrunkMapRequestDir",
                       "StrataCentral::PortTabWriteRequestDir" ),
      constructorAttr( Slice::lPortTableWriteRequestConfigId, "lPortTableWriteRequestConfig",
                       "StrataPacketTracer::LPortTableWriteRequestConfig" ),
      constructorAttr( Slice::lPortTableWriteRequestStatusId, "lPortTableWriteRequestStatus",
                       "StrataPacketTracer::LPortTableWriteRequestStatus" ),
      constructorAttr( Slice::scsdId, "scsd", "Strata::StrataCommonSmData" ),
      constructorAttr( Slice::modIdId, "modId", "StrataCentral::ModId" ),
      constructorAttr( Slice::cfmHwConfigId, "cfmHwConfig", "CfmSw::CfmHwConfig" ),
      valueAttr( Slice::timeoutId, "timeout", "Seconds" ),
      valueAttr( Slice::handleClockCalledId, "handleClockCalled", "bool" ),
      valueAttr( Slice::clockId, "clock", "Quill::Clock" ),
      operation( Slice::handleClockId, "handleClock", "void" ),
      operation( Slice::intfOnSliceId, "intfOnSlice", "bool", { { "intfId", "Lumo::IntfId" } } ),
      valueAttr( Slice::sizeSrcTrunkTblId, "sizeSrcTrunkTbl", "U8" ),
      bitmapAttr( Slice::srcTrunkBitmapId, "srcTrunkBitmap" ),
      operation( Slice::isAllocatedSrcTrunkIdxId, "isAllocatedSrcTrunkIdx", "bool", { { "idx", "U32" } } ),
      operation( Slice::isAllocatedSrcTrunkCfmIdxId, "isAllocatedSrcTrunkCfmIdx", "bool",
                 { { "idx", "U32" } } ),
      operation( Slice::allocatedLportCfmIdxId, "allocatedLportCfmIdx", "U32" ),
      operation( Slice::allocateSrcTrunkIdxId, "allocateSrcTrunkIdx", "U32", { { "idx", "U32" } } ),
      operation( Slice::freeSrcTrunkIdxId, "freeSrcTrunkIdx", "void", { { "idx", "U32" } } ),
      bitmapAttr( Slice::srcTrunkBitmapCfmId, "srcTrunkBitmapCfm" ),
      operation( Slice::allocateSrcTrunkCfmIdxId, "allocateSrcTrunkCfmIdx", "U32", { { "idx", "U32" } } ),
      operation( Slice::freeSrcTrunkCfmIdxId, "freeSrcTrunkCfmIdx", "void", { { "idx", "U32" } } ),
      operation( Slice::programLPortTableCfmId, "programLPortTableCfm", "U32",
                 { { "setupLPort", "bool" }, { "sp", portType } } ),
      operation( Slice::programSourceTrunkMapCfmId, "programSourceTrunkMapCfm", "void",
                 { { "setupLPort", "bool" }, { "lportIdx", "U32" }, { "sp", portType } } ),
      valueAttr( Slice::lPortRsvdProfileIdxId, "lPortRsvdProfileIdx", "U32" ),
      valueAttr( Slice::lPortCfmProfileIdxId, "lPortCfmProfileIdx", "U32" ),
      valueAttr( Slice::lPortProfileIdxId, "lPortProfileIdx", "U32" ),
      valueAttr( Slice::lportProfileIdxRefCountId, "lportProfileIdxRefCount", "U8" ),
      operation( Slice::programLPortTableId, "programLPortTable", "void",
                 { { "sp", portType }, { "lportTableFields", LportTableFields::quillTypeName } } ),
      operation( Slice::programSourceTrunkMapId, "programSourceTrunkMap", "void",
                 { { "setupLPort", "bool" }, { "sp", portType } } ),
      operation( Slice::programCpuPktProfileId, "programCpuPktProfile", "void",
                 { { "setupLPort", "bool" }, { "sp", portType } } ),
      operation( Slice::handleLPortTableWriteRequestId, "handleLPortTableWriteRequest", "void" ),
      // Also callable without its parameter: then it walks every key.
      operation( Slice::handleLPortTableWriteForCfmId, "handleLPortTableWriteForCfm", "void",
                 { { "intfVlanTuple", "CfmSw::IntfVlanTuple" } } ),
      operation( Slice::handlePortToLagId, "handlePortToLag", "void", { { "sp", portType } } ),
      valueAttr( Slice::initializedId, "initialized", "bool" ),
      operation( Slice::handleInitializedId, "handleInitialized", "void" ),
   };
   t.genericAttr = &sliceGenericAttr;
   return t;
}

U32
u32Arg( const Quill::ValueList & args, std::size_t i, const char * op, const char * param ) {
   return static_cast< U32 >( Args::unsignedArg( args, i, op, param, 0xFFFFFFFFu ) );
}
U8
u8Arg( const Quill::ValueList & args, std::size_t i, const char * op, const char * param ) {
   return static_cast< U8 >( Args::unsignedArg( args, i, op, param, 0xFFu ) );
}
StrataTypes::StrataPort
portArg( const Quill::ValueList & args, std::size_t i, const char * op ) {
   return Args::boxedArg< StrataTypes::StrataPort >( args, i, op, "sp" );
}

// Instantiation of a bitmap attribute from (id, size, initialBitState).
Vela::Ptr< Ferro::Bitmap >
bitmapArgsIs( Slice & slice, bool cfm, const Quill::ValueList & args ) {
   const char * op = cfm ? "srcTrunkBitmapCfmIs" : "srcTrunkBitmapIs";
   Args::countIs( args, 3, op );
   const U64 id = Args::unsignedArg( args, 0, op, "id", ~U64( 0 ) );
   const U32 size = u32Arg( args, 1, op, "size" );
   const auto state = static_cast< Ferro::HBitmap::BitState >(
      Args::unsignedArg( args, 2, op, "initialBitState", Ferro::HBitmap::stateClear ) );
   return cfm ? slice.srcTrunkBitmapCfmIs( id, size, state ) : slice.srcTrunkBitmapIs( id, size, state );
}

// Reads and writes of the value attributes.
AttrAnswer
valueAccess( Slice & slice, Quill::AttributeId id, AttrOp op, const Quill::ValueList & args,
             Quill::Value & result ) {
   const bool write = op == AttrOp::write;
   const Quill::AttrInfo * info = Slice::typeInfo().attribute( id );
   const char * name = info->name.c_str();
   if( write ) {
      Args::countIs( args, 1, name );
   }
   switch( id ) {
    case Slice::timeoutId:
      if( write ) slice.timeoutIs( Args::secondsArg( args, 0, name, name ) );
      else result = slice.timeout();
      return AttrAnswer::done;
    case Slice::handleClockCalledId:
      if( write ) slice.handleClockCalledIs( Args::boolArg( args, 0, name, name ) );
      else result = slice.handleClockCalled();
      return AttrAnswer::done;
    case Slice::clockId:
      if( write ) slice.clockIs( Args::objectArg< const Quill::Clock >( args, 0, name, name ) );
      else result = slice.clock();
      return AttrAnswer::done;
    case Slice::sizeSrcTrunkTblId:
      if( write ) slice.sizeSrcTrunkTblIs( u8Arg( args, 0, name, name ) );
      else result = slice.sizeSrcTrunkTbl();
      return AttrAnswer::done;
    case Slice::lPortRsvdProfileIdxId:
      if( write ) slice.lPortRsvdProfileIdxIs( u32Arg( args, 0, name, name ) );
      else result = slice.lPortRsvdProfileIdx();
      return AttrAnswer::done;
    case Slice::lPortCfmProfileIdxId:
      if( write ) slice.lPortCfmProfileIdxIs( u32Arg( args, 0, name, name ) );
      else result = slice.lPortCfmProfileIdx();
      return AttrAnswer::done;
    case Slice::lPortProfileIdxId:
      if( write ) slice.lPortProfileIdxIs( u32Arg( args, 0, name, name ) );
      else result = slice.lPortProfileIdx();
      return AttrAnswer::done;
    case Slice::lportProfileIdxRefCountId:
      if( write ) slice.lportProfileIdxRefCountIs( u8Arg( args, 0, name, name ) );
      else result = slice.lportProfileIdxRefCount();
      return AttrAnswer::done;
    case Slice::initializedId:
      if( write ) slice.initializedIs( Args::boolArg( args, 0, name, name ) );
      else result = slice.initialized();
      return AttrAnswer::done;
    default: return AttrAnswer::notSupported;
   }
}

// Calls of the declared operations, with their parameters checked.
AttrAnswer
operationCall( Slice & slice, Quill::AttributeId id, const Quill::ValueList & args, Quill::Value & result ) {
   const Quill::AttrInfo * info = Slice::typeInfo().attribute( id );
   const char * name = info->name.c_str();
   if( id == Slice::handleLPortTableWriteForCfmId && args.empty() ) {
      slice.handleLPortTableWriteForCfm();
      return AttrAnswer::done;
   }
   Args::countIs( args, info->params.size(), name );
   switch( id ) {
    case Slice::handleClockId: slice.handleClock(); break;
    case Slice::intfOnSliceId:
      result = slice.intfOnSlice( Args::boxedArg< Lumo::IntfId >( args, 0, name, "intfId" ) );
      break;
    case Slice::isAllocatedSrcTrunkIdxId:
      result = slice.isAllocatedSrcTrunkIdx( u32Arg( args, 0, name, "idx" ) );
      break;
    case Slice::isAllocatedSrcTrunkCfmIdxId:
      result = slice.isAllocatedSrcTrunkCfmIdx( u32Arg( args, 0, name, "idx" ) );
      break;
    case Slice::allocatedLportCfmIdxId: result = slice.allocatedLportCfmIdx(); break;
    case Slice::allocateSrcTrunkIdxId:
      result = slice.allocateSrcTrunkIdx( u32Arg( args, 0, name, "idx" ) );
      break;
    case Slice::freeSrcTrunkIdxId: slice.freeSrcTrunkIdx( u32Arg( args, 0, name, "idx" ) ); break;
    case Slice::allocateSrcTrunkCfmIdxId:
      result = slice.allocateSrcTrunkCfmIdx( u32Arg( args, 0, name, "idx" ) );
      break;
    case Slice::freeSrcTrunkCfmIdxId: slice.freeSrcTrunkCfmIdx( u32Arg( args, 0, name, "idx" ) ); break;
    case Slice::programLPortTableCfmId:
      result = slice.programLPortTableCfm( Args::boolArg( args, 0, name, "setupLPort" ), portArg( args, 1, name ) );
      break;
    case Slice::programSourceTrunkMapCfmId:
      slice.programSourceTrunkMapCfm( Args::boolArg( args, 0, name, "setupLPort" ),
                                      u32Arg( args, 1, name, "lportIdx" ), portArg( args, 2, name ) );
      break;
    case Slice::programLPortTableId:
      slice.programLPortTable( portArg( args, 0, name ),
                               Args::boxedArg< LportTableFields >( args, 1, name, "lportTableFields" ) );
      break;
    case Slice::programSourceTrunkMapId:
      slice.programSourceTrunkMap( Args::boolArg( args, 0, name, "setupLPort" ), portArg( args, 1, name ) );
      break;
    case Slice::programCpuPktProfileId:
      slice.programCpuPktProfile( Args::boolArg( args, 0, name, "setupLPort" ), portArg( args, 1, name ) );
      break;
    case Slice::handleLPortTableWriteRequestId: slice.handleLPortTableWriteRequest(); break;
    case Slice::handleLPortTableWriteForCfmId:
      slice.handleLPortTableWriteForCfm(
         Args::boxedArg< CfmSw::IntfVlanTuple >( args, 0, name, "intfVlanTuple" ) );
      break;
    case Slice::handlePortToLagId: slice.handlePortToLag( portArg( args, 0, name ) ); break;
    case Slice::handleInitializedId: slice.handleInitialized(); break;
    default: return AttrAnswer::notSupported;
   }
   return AttrAnswer::done;
}

AttrAnswer
sliceGenericAttr( void * object, Quill::AttributeId id, AttrOp op, const Quill::ValueList & args,
                  Quill::Value & result ) {
   auto * slice = dynamic_cast< Slice * >( static_cast< Quill::PtrInterface * >( object ) );
   const Quill::AttrInfo * info = Slice::typeInfo().attribute( id );
   if( !slice || !info ) {
      return AttrAnswer::noSuchAttribute;
   }
   if( !( info->ops & opBit( op ) ) ) {
      return AttrAnswer::notSupported;
   }
   switch( info->kind ) {
    case AttrKind::constructor:
      switch( id ) {
       case Slice::sourceTrunkMapRequestDirId: result = slice->sourceTrunkMapRequestDir(); break;
       case Slice::lPortTableWriteRequestConfigId: result = slice->lPortTableWriteRequestConfig(); break;
       case Slice::lPortTableWriteRequestStatusId: result = slice->lPortTableWriteRequestStatus(); break;
       case Slice::scsdId: result = slice->scsd(); break;
       case Slice::modIdId: result = Quill::Value::boxed( slice->modId() ); break;
       case Slice::cfmHwConfigId: result = slice->cfmHwConfig(); break;
       default: return AttrAnswer::notSupported;
      }
      return AttrAnswer::done;
    case AttrKind::value: return valueAccess( *slice, id, op, args, result );
    case AttrKind::instantiating: {
      const bool cfm = id == Slice::srcTrunkBitmapCfmId;
      switch( op ) {
       case AttrOp::read: result = cfm ? slice->srcTrunkBitmapCfm() : slice->srcTrunkBitmap(); break;
       case AttrOp::write: result = bitmapArgsIs( *slice, cfm, args ); break;
       case AttrOp::del: result = cfm ? slice->srcTrunkBitmapCfmDel() : slice->srcTrunkBitmapDel(); break;
       default: return AttrAnswer::notSupported;
      }
      return AttrAnswer::done;
    }
    case AttrKind::operation: return operationCall( *slice, id, args, result );
    case AttrKind::collection: break;
   }
   return AttrAnswer::notSupported;
}

} // namespace

Quill::TypeInfo &
StrataPacketTracerSliceSm::typeInfo() {
   static Quill::TypeInfo * info = new Quill::TypeInfo( makeTypeInfo() );
   return *info;
}

const Quill::TypeInfo *
StrataPacketTracerSliceSm::fwkType() const {
   return &typeInfo();
}

} // namespace Strata
