// The plug-in's two trace handles and the source path its lines carry.
//
// "StrataPacketTracerSliceMounter" is the default handle, made on first use:
// level 0 for handlers, allocators and programming steps, level 8 for the
// CFM, LAG and interface handlers, level 9 for a port a slice leaves to its
// own module's slice. "ApiStrata", made when the library loads, carries one
// level-4 line per chip SDK call. Every line names the source path below, the
// line number of its call site (TraceLines.h) and the bare name of the
// function.
#pragma once

#include "Quill/Trace.h"
#include "Shim/CheckedCall.h"
#include "TraceLines.h"

namespace Strata {

inline constexpr const char * traceFile = "/src/StrataPacketTracer/StrataPacketTracerSliceMounter";

const Quill::TraceHandle & defaultTraceHandle();
const Quill::TraceHandle & apiStrataTraceHandle();

} // namespace Strata

// A trace line on the default handle at `level`, from the call site `site`
// (a TraceLine), written by `function`. Formats nothing when the level is off.
#define PT_TRACE( level, site, function )                                                                              \
   QTRACE_AT( ::Strata::defaultTraceHandle(), level, ::Strata::traceFile, ::Strata::lineOf( site ), function )

// The call site `site` (a TraceLine) of an SDK call, traced on "ApiStrata".
#define PT_SDK_SITE( site, function, callText )                                                                        \
   ::Shim::CallSite {                                                                                                  \
      ::Strata::apiStrataTraceHandle(), ::Strata::traceFile, ::Strata::lineOf( site ), function, callText              \
   }
