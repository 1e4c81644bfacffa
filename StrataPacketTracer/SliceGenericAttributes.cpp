// The slice's framework type: its attributes and operations in declaration
// order (identifiers 130 to 164) and the generic attribute access to them.
#include "GenericAttributes.h"
#include "StrataPacketTracerSliceSm.h"

namespace Strata {

namespace {

using Slice = StrataPacketTracerSliceSm;
using Generic::operation;
using Generic::value;
using Quill::AttrOp;

// A bitmap: read, instantiated from (id, size, initialBitState), deleted.
template < auto bitmapIs, auto bitmapDel, auto bitmap >
Generic::Attribute< Slice >
bitmapAttribute( Quill::AttributeId id, const char * name ) {
   Generic::Attribute< Slice > row = operation< bitmapIs, Slice >( id, name, "id", "size", "initialBitState" );
   row.kind = Quill::AttrKind::instantiating;
   row.typeName = Ferro::Bitmap::quillTypeName;
   row.handlers.front().first = AttrOp::write;
   row.handlers.push_back( Generic::readOnly< bitmap, Slice >( id, name ).handlers.front() );
   row.handlers.push_back( { AttrOp::del, [ name ]( Slice & slice, const Quill::ValueList & args ) {
                               Generic::countIs( args, 0, std::string( name ) + "Del" );
                               return Quill::Value( ( slice.*bitmapDel )() );
                            } } );
   return row;
}

// handleLPortTableWriteForCfm: with a key, that key; without, every key.
Generic::Attribute< Slice >
cfmHandlerAttribute() {
   using WithKey = void ( Slice::* )( const CfmSw::IntfVlanTuple & );
   Generic::Attribute< Slice > row = operation< static_cast< WithKey >( &Slice::handleLPortTableWriteForCfm ), Slice >(
      Slice::handleLPortTableWriteForCfmId, "handleLPortTableWriteForCfm", "intfVlanTuple" );
   Generic::Handler< Slice > withKey = row.handlers.front().second;
   row.handlers.front().second = [ withKey ]( Slice & slice, const Quill::ValueList & args ) {
      if( args.empty() ) {
         slice.handleLPortTableWriteForCfm();
         return Quill::Value();
      }
      return withKey( slice, args );
   };
   return row;
}

const std::vector< Generic::Attribute< Slice > > &
attributes() {
   static const std::vector< Generic::Attribute< Slice > > table{
      Generic::input< Slice >( Slice::sourceTrunkMapRequestDirId, "sourceTrunkMapRequestDir", 0 ),
      Generic::input< Slice >( Slice::lPortTableWriteRequestConfigId, "lPortTableWriteRequestConfig", 1 ),
      Generic::input< Slice >( Slice::lPortTableWriteRequestStatusId, "lPortTableWriteRequestStatus", 2 ),
      Generic::input< Slice >( Slice::scsdId, "scsd", 3 ),
      Generic::readOnly< &Slice::modId, Slice >( Slice::modIdId, "modId" ),
      Generic::input< Slice >( Slice::cfmHwConfigId, "cfmHwConfig", 4 ),
      value< &Slice::timeout, &Slice::timeoutIs, Slice >( Slice::timeoutId, "timeout" ),
      value< &Slice::handleClockCalled, &Slice::handleClockCalledIs, Slice >( Slice::handleClockCalledId,
                                                                              "handleClockCalled" ),
      // Writing the clock attaches, re-points or removes the notifiee.
      value< &Slice::clock, &Slice::clockIs, Slice >( Slice::clockId, "clock" ),
      operation< &Slice::handleClock, Slice >( Slice::handleClockId, "handleClock" ),
      operation< &Slice::intfOnSlice, Slice >( Slice::intfOnSliceId, "intfOnSlice", "intfId" ),
      value< &Slice::sizeSrcTrunkTbl, &Slice::sizeSrcTrunkTblIs, Slice >( Slice::sizeSrcTrunkTblId, "sizeSrcTrunkTbl" ),
      bitmapAttribute< &Slice::srcTrunkBitmapIs, &Slice::srcTrunkBitmapDel, &Slice::srcTrunkBitmap >(
         Slice::srcTrunkBitmapId, "srcTrunkBitmap" ),
      operation< &Slice::isAllocatedSrcTrunkIdx, Slice >( Slice::isAllocatedSrcTrunkIdxId, "isAllocatedSrcTrunkIdx",
                                                          "idx" ),
      operation< &Slice::isAllocatedSrcTrunkCfmIdx, Slice >( Slice::isAllocatedSrcTrunkCfmIdxId,
                                                             "isAllocatedSrcTrunkCfmIdx", "idx" ),
      operation< &Slice::allocatedLportCfmIdx, Slice >( Slice::allocatedLportCfmIdxId, "allocatedLportCfmIdx" ),
      operation< &Slice::allocateSrcTrunkIdx, Slice >( Slice::allocateSrcTrunkIdxId, "allocateSrcTrunkIdx", "idx" ),
      operation< &Slice::freeSrcTrunkIdx, Slice >( Slice::freeSrcTrunkIdxId, "freeSrcTrunkIdx", "idx" ),
      bitmapAttribute< &Slice::srcTrunkBitmapCfmIs, &Slice::srcTrunkBitmapCfmDel, &Slice::srcTrunkBitmapCfm >(
         Slice::srcTrunkBitmapCfmId, "srcTrunkBitmapCfm" ),
      operation< &Slice::allocateSrcTrunkCfmIdx, Slice >( Slice::allocateSrcTrunkCfmIdxId, "allocateSrcTrunkCfmIdx",
                                                          "idx" ),
      operation< &Slice::freeSrcTrunkCfmIdx, Slice >( Slice::freeSrcTrunkCfmIdxId, "freeSrcTrunkCfmIdx", "idx" ),
      operation< &Slice::programLPortTableCfm, Slice >( Slice::programLPortTableCfmId, "programLPortTableCfm",
                                                        "setupLPort", "sp" ),
      operation< &Slice::programSourceTrunkMapCfm, Slice >(
         Slice::programSourceTrunkMapCfmId, "programSourceTrunkMapCfm", "setupLPort", "lportIdx", "sp" ),
      value< &Slice::lPortRsvdProfileIdx, &Slice::lPortRsvdProfileIdxIs, Slice >( Slice::lPortRsvdProfileIdxId,
                                                                                  "lPortRsvdProfileIdx" ),
      value< &Slice::lPortCfmProfileIdx, &Slice::lPortCfmProfileIdxIs, Slice >( Slice::lPortCfmProfileIdxId,
                                                                                "lPortCfmProfileIdx" ),
      value< &Slice::lPortProfileIdx, &Slice::lPortProfileIdxIs, Slice >( Slice::lPortProfileIdxId, "lPortProfileIdx" ),
      value< &Slice::lportProfileIdxRefCount, &Slice::lportProfileIdxRefCountIs, Slice >(
         Slice::lportProfileIdxRefCountId, "lportProfileIdxRefCount" ),
      operation< &Slice::programLPortTable, Slice >( Slice::programLPortTableId, "programLPortTable", "sp",
                                                     "lportTableFields" ),
      operation< &Slice::programSourceTrunkMap, Slice >( Slice::programSourceTrunkMapId, "programSourceTrunkMap",
                                                         "setupLPort", "sp" ),
      operation< &Slice::programCpuPktProfile, Slice >( Slice::programCpuPktProfileId, "programCpuPktProfile",
                                                        "setupLPort", "sp" ),
      operation< &Slice::handleLPortTableWriteRequest, Slice >( Slice::handleLPortTableWriteRequestId,
                                                                "handleLPortTableWriteRequest" ),
      cfmHandlerAttribute(),
      operation< &Slice::handlePortToLag, Slice >( Slice::handlePortToLagId, "handlePortToLag", "sp" ),
      value< &Slice::initialized, &Slice::initializedIs, Slice >( Slice::initializedId, "initialized" ),
      operation< &Slice::handleInitialized, Slice >( Slice::handleInitializedId, "handleInitialized" ),
   };
   return table;
}

} // namespace

Quill::TypeInfo &
StrataPacketTracerSliceSm::typeInfo() {
   return Generic::typeInfoOf< StrataPacketTracerSliceSm, &attributes >( quillTypeName, Quill::TypeKind::object );
}

} // namespace Strata
