// The source line that every trace line and every chip SDK call of the
// plug-in reports.
//
// The agent's trace readers know the plug-in as one source file,
// "/src/StrataPacketTracer/StrataPacketTracerSliceMounter", in which each call
// site has a line of its own. The numbers live here, not in __LINE__, so that
// a number found in a field trace or in an SDK error leads to exactly one call
// site, and an edit of a source file changes no trace line. Some numbers are
// fixed because trace readers rely on them (the initialisation, the clock,
// intfOnSlice, the allocators and their two precondition checks); the others
// follow the handlers, a block each. A number used twice fails the build.
#pragma once

namespace Strata {

// X( name, line ) for every call site, in line order.
#define STRATA_TRACE_LINES( X )                                                                                        \
   X( handleInitialized, 21 )                                                                                          \
   X( pendingRequest, 33 )                                                                                             \
   X( tracerClaimResumed, 35 )                                                                                         \
   X( cfmResumedMember, 36 )                                                                                           \
   X( cfmResumedTakeDown, 37 )                                                                                         \
   X( cfmResumedRefused, 38 )                                                                                          \
   X( handleClock, 42 )                                                                                                \
   X( intfOnSlice, 58 )                                                                                                \
   X( isAllocatedSrcTrunkIdx, 64 )                                                                                     \
   X( allocatedLportCfmIdx, 74 )                                                                                       \
   X( allocateSrcTrunkIdx, 82 )                                                                                        \
   X( freeSrcTrunkIdx, 88 )                                                                                            \
   X( freeSrcTrunkIdxCheck, 89 )                                                                                       \
   X( isAllocatedSrcTrunkCfmIdx, 96 )                                                                                  \
   X( allocateSrcTrunkCfmIdx, 106 )                                                                                    \
   X( freeSrcTrunkCfmIdx, 112 )                                                                                        \
   X( freeSrcTrunkCfmIdxCheck, 113 )                                                                                   \
   /* the mounter and the root */                                                                                      \
   X( doMountsComplete, 120 )                                                                                          \
   X( handleModule, 125 )                                                                                              \
   /* the packet tracer */                                                                                             \
   X( programLPortTable, 200 )                                                                                         \
   X( programLPortTableRead, 201 )                                                                                     \
   X( programLPortTableFields, 202 )                                                                                   \
   X( programLPortTableWrite, 203 )                                                                                    \
   X( programSourceTrunkMap, 210 )                                                                                     \
   X( programSourceTrunkMapNoUnit, 211 )                                                                               \
   X( programSourceTrunkMapNoDir, 212 )                                                                                \
   X( programSourceTrunkMapSet, 213 )                                                                                  \
   X( programSourceTrunkMapReset, 214 )                                                                                \
   X( programCpuPktProfile, 220 )                                                                                      \
   X( programCpuPktProfileRead, 221 )                                                                                  \
   X( programCpuPktProfilePrevious, 222 )                                                                              \
   X( programCpuPktProfileNew, 223 )                                                                                   \
   X( programCpuPktProfileWrite, 224 )                                                                                 \
   X( handleLPortTableWriteRequest, 230 )                                                                              \
   X( handleLPortTableWriteRequestNoInput, 231 )                                                                       \
   X( handleLPortTableWriteRequestNoPort, 232 )                                                                        \
   X( handleLPortTableWriteRequestRefused, 233 )                                                                       \
   X( handleLPortTableWriteRequestPortTab, 234 )                                                                       \
   X( handleLPortTableWriteRequestPortTabRead, 235 )                                                                   \
   X( handleLPortTableWriteRequestOtherModule, 236 )                                                                   \
   X( tracerClaimTakenBack, 237 )                                                                                      \
   X( tracerClaimTakeBackWaits, 238 )                                                                                  \
   /* CFM */                                                                                                           \
   X( programLPortTableCfmNotInitialized, 300 )                                                                        \
   X( programLPortTableCfm, 301 )                                                                                      \
   X( programLPortTableCfmProgrammed, 302 )                                                                            \
   X( programLPortTableCfmKept, 303 )                                                                                  \
   X( programLPortTableCfmNoChipUnit, 304 )                                                                            \
   X( programLPortTableCfmFields, 305 )                                                                                \
   X( programLPortTableCfmAdd, 306 )                                                                                   \
   X( programLPortTableCfmRemove, 307 )                                                                                \
   X( programLPortTableCfmWrite, 308 )                                                                                 \
   X( programSourceTrunkMapCfmHeld, 310 )                                                                              \
   X( programSourceTrunkMapCfm, 311 )                                                                                  \
   X( programSourceTrunkMapCfmNoUnit, 312 )                                                                            \
   X( programSourceTrunkMapCfmSet, 313 )                                                                               \
   X( programSourceTrunkMapCfmReset, 314 )                                                                             \
   X( programSourceTrunkMapCfmNoDir, 315 )                                                                             \
   X( cfmTakeDownWaits, 316 )                                                                                          \
   X( handleLPortTableWriteForCfmNoInput, 320 )                                                                        \
   X( handleLPortTableWriteForCfmKey, 321 )                                                                            \
   X( handleLPortTableWriteForCfmRefused, 322 )                                                                        \
   X( handleLPortTableWriteForCfmKept, 323 )                                                                           \
   X( handleLPortTableWriteForCfmPort, 324 )                                                                           \
   X( handleLPortTableWriteForCfmLag, 325 )                                                                            \
   X( handleLPortTableWriteForCfmNoLag, 326 )                                                                          \
   X( handleLPortTableWriteForCfmMember, 327 )                                                                         \
   X( handleLPortTableWriteForCfmMemberIntf, 328 )                                                                     \
   X( handleLPortTableWriteForCfmMemberRefused, 329 )                                                                  \
   X( handleLPortTableWriteForCfmMemberKept, 330 )                                                                     \
   X( handleLPortTableWriteForCfmMemberPort, 331 )                                                                     \
   X( handleLPortTableWriteForCfmOtherModule, 332 )                                                                    \
   X( handleLPortTableWriteForCfmMemberOtherModule, 333 )                                                              \
   X( handleLPortTableWriteForCfmWalkNoInput, 335 )                                                                    \
   X( handleLPortTableWriteForCfmWalk, 336 )                                                                           \
   X( handlePortToLagNoInput, 340 )                                                                                    \
   X( handlePortToLag, 341 )                                                                                           \
   X( handlePortToLagRefused, 342 )                                                                                    \
   X( handlePortToLagPort, 343 )                                                                                       \
   X( handlePortToLagOtherModule, 344 )                                                                                \
   X( handlePortToIntf, 345 )                                                                                          \
   X( handlePortToIntfOtherModule, 346 )                                                                               \
   X( handlePortToIntfRefused, 347 )                                                                                   \
   X( handlePortToIntfPort, 348 )                                                                                      \
   X( handleModInfo, 350 )                                                                                             \
   X( handleModInfoRefused, 351 )                                                                                      \
   X( handleModInfoPort, 352 )

enum class TraceLine : int {
#define STRATA_TRACE_LINE_ENUMERATOR( name, line ) name = line,
   STRATA_TRACE_LINES( STRATA_TRACE_LINE_ENUMERATOR )
#undef STRATA_TRACE_LINE_ENUMERATOR
};

namespace TraceLinesCheck {
#define STRATA_TRACE_LINE_NUMBER( name, line ) line,
inline constexpr int numbers[] = { STRATA_TRACE_LINES( STRATA_TRACE_LINE_NUMBER ) };
#undef STRATA_TRACE_LINE_NUMBER

constexpr bool
ascending() {
   for( unsigned i = 1; i < sizeof( numbers ) / sizeof( numbers[ 0 ] ); ++i ) {
      if( numbers[ i - 1 ] >= numbers[ i ] ) {
         return false;
      }
   }
   return true;
}
// In line order and so each number once: two call sites never share a line.
static_assert( ascending(), "trace lines must be listed in ascending order, each number once" );
} // namespace TraceLinesCheck

constexpr int
lineOf( TraceLine site ) noexcept {
   return static_cast< int >( site );
}

} // namespace Strata
