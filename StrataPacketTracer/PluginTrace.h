// The plug-in's two trace handles and the source path its lines carry.
//
// "StrataPacketTracerSliceMounter" is the default handle, made on first use:
// level 0 for handlers, allocators and programming steps, level 8 for the
// CFM and LAG handlers. "ApiStrata", made when the library loads, carries one
// level-4 line per chip SDK call. Every line names the source path below, the
// line number of its call site and the bare name of the function.
#pragma once

#include "Quill/Trace.h"
#include "Shim/CheckedCall.h"

namespace Strata {

inline constexpr const char * traceFile = "/src/StrataPacketTracer/StrataPacketTracerSliceMounter";

const Quill::TraceHandle & defaultTraceHandle();
const Quill::TraceHandle & apiStrataTraceHandle();

} // namespace Strata

// A trace line on the default handle at `level`, at source line `line` of the
// plug-in's file, written by `function`. Formats nothing when the level is off.
#define PT_TRACE( level, line, function )                                                         \
   QTRACE_AT( ::Strata::defaultTraceHandle(), level, ::Strata::traceFile, line, function )

// The call site of an SDK call made at source line `line`, traced on "ApiStrata".
#define PT_SDK_SITE( line, function, callText )                                                   \
   ::Shim::CallSite { ::Strata::apiStrataTraceHandle(), ::Strata::traceFile, line, function, callText }
