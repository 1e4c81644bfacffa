// The slice's two source-trunk claims: which ports' SOURCE_TRUNK_MAP entry
// the packet tracer holds, and which CFM holds (SourceTrunkClaims.h), and the
// profile reference counter.
#include "PluginTrace.h"
#include "StrataPacketTracerSliceSm.h"

namespace Strata {

const SourceTrunkClaims::Report StrataPacketTracerSliceSm::tracerClaimsReport{
   "allocateSrcTrunkIdx",           TraceLine::allocateSrcTrunkIdx,
   " allocated srcTrunkIdx: ",      "freeSrcTrunkIdx",
   TraceLine::freeSrcTrunkIdx,      " free srcTrunkIdx: ",
   TraceLine::freeSrcTrunkIdxCheck, "void Strata::StrataPacketTracerSliceSm::freeSrcTrunkIdx(U32)"
};

const SourceTrunkClaims::Report StrataPacketTracerSliceSm::cfmClaimsReport{
   "allocateSrcTrunkCfmIdx",           TraceLine::allocateSrcTrunkCfmIdx,
   " allocated srcTrunkCfmIdx: ",      "freeSrcTrunkCfmIdx",
   TraceLine::freeSrcTrunkCfmIdx,      " free srcTrunkCfmIdx: ",
   TraceLine::freeSrcTrunkCfmIdxCheck, "void Strata::StrataPacketTracerSliceSm::freeSrcTrunkCfmIdx(U32)"
};

bool
StrataPacketTracerSliceSm::isAllocatedSrcTrunkIdx( U32 idx ) {
   const bool isSet = tracerClaims_.holds( idx );
   PT_TRACE( 0, TraceLine::isAllocatedSrcTrunkIdx, "isAllocatedSrcTrunkIdx" ) << "isAllocatedSrcTrunkIdx"
                                                                              << " " << idx << " is set: " << isSet;
   return isSet;
}

bool
StrataPacketTracerSliceSm::isAllocatedSrcTrunkCfmIdx( U32 idx ) {
   const bool isSet = cfmClaims_.holds( idx );
   PT_TRACE( 0, TraceLine::isAllocatedSrcTrunkCfmIdx, "isAllocatedSrcTrunkCfmIdx" ) << "isAllocatedSrcTrunkCfmIdx";
   return isSet;
}

U32
StrataPacketTracerSliceSm::allocatedLportCfmIdx() {
   const U32 count = cfmClaims_.count();
   PT_TRACE( 0, TraceLine::allocatedLportCfmIdx, "allocatedLportCfmIdx" ) << "allocatedLportCfmIdx"
                                                                          << " num references for lport: " << count;
   return count;
}

U8
StrataPacketTracerSliceSm::lportProfileIdxRefCountInc( U8 by ) noexcept {
   lportProfileIdxRefCount_ = static_cast< U8 >( lportProfileIdxRefCount_ + by );
   return lportProfileIdxRefCount_;
}

U8
StrataPacketTracerSliceSm::lportProfileIdxRefCountDec( U8 by ) noexcept {
   lportProfileIdxRefCount_ = static_cast< U8 >( lportProfileIdxRefCount_ - by );
   return lportProfileIdxRefCount_;
}

} // namespace Strata
