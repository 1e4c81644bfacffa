#include "TypeModule.h"

#include "LportTableFields.h"
#include "PluginTrace.h"
#include "StrataPacketTracerSliceMounter.h"
#include "StrataPacketTracerSliceRootSm.h"
#include "StrataPacketTracerSliceSm.h"

namespace Strata {

const Quill::Module &
typeModule() {
   static Quill::Module * module = new Quill::Module(
      typeModuleName, { &LportTableFields::typeInfo(), &StrataPacketTracerSliceSm::typeInfo(),
                        &StrataPacketTracerSliceRootSm::typeInfo(), &StrataPacketTracerSliceMounter::typeInfo() } );
   return *module;
}

const Quill::TraceHandle &
defaultTraceHandle() {
   static const Quill::TraceHandle handle( "StrataPacketTracerSliceMounter", false );
   return handle;
}

const Quill::TraceHandle &
apiStrataTraceHandle() {
   static const Quill::TraceHandle handle( "ApiStrata", false );
   return handle;
}

namespace {
// Library load: the type module first, then the "ApiStrata" handle.
struct LibraryLoad {
   LibraryLoad() {
      Quill::quillModuleIs( const_cast< Quill::Module & >( typeModule() ) );
      apiStrataTraceHandle();
   }
} const libraryLoad;
} // namespace

} // namespace Strata
