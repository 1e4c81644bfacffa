// The agent's discipline around chip SDK calls.
//
// A checked call (every memory read and write): the access hook, then the
// call with the interpreter and activity locks released, then the locks
// retaken. A negative return code writes one line to standard error
//    PATH:LINE CALLTEXT API ERROR:ERRORTEXT (RC)
// calls the failure hook and stops the process: that is the agent's
// deliberate stop in every build type, not a debug assertion. A good return
// code is traced at level 4 on the caller's API handle as
//    PATH:LINE CALLTEXT (rc:RC)
// Register calls are unchecked: no hooks, the code is not looked at, and the
// trace ends in " no rc check".
#pragma once

#include "Quill/ActivityLock.h"
#include "Quill/Trace.h"
#include "Shim/Sdk.h"

namespace Shim {

// Where a call is made: the source path and line the agent reports.
struct CallSite {
   const Quill::TraceHandle & api;
   const char * file;
   int line;
   const char * function;
   const char * callText;
};

[[noreturn]] void checkedCallFailed( const CallSite & site, int rc );

template < typename Call >
int
checkedCall( const CallSite & site, Call && call ) {
   sdk_->accessHook();
   int rc;
   {
      Quill::MaybeGilUnlockAnchor gil;
      Quill::UnlockAnchor unlocked( Quill::activityLock() );
      rc = call();
   }
   if( rc < 0 ) {
      checkedCallFailed( site, rc );
   }
   QTRACE_AT( site.api, 4, site.file, site.line, site.function )
      << site.file << ":" << site.line << " " << site.callText << " (rc:" << rc << ")";
   return rc;
}

// The checked memory accesses of one entry: a read from any copy
// (MEM_BLOCK_ANY), a write to all of them (MEM_BLOCK_ALL).
inline int
checkedMemRead( const CallSite & site, int unit, soc_mem_t mem, int index, void * entry ) {
   return checkedCall( site, [ & ] { return sdk_->soc_mem_read( unit, mem, sdk_->MEM_BLOCK_ANY(), index, entry ); } );
}
inline int
checkedMemWrite( const CallSite & site, int unit, soc_mem_t mem, int index, void * entry ) {
   return checkedCall( site, [ & ] { return sdk_->soc_mem_write( unit, mem, sdk_->MEM_BLOCK_ALL(), index, entry ); } );
}

template < typename Call >
void
uncheckedCall( const CallSite & site, Call && call ) {
   {
      Quill::MaybeGilUnlockAnchor gil;
      Quill::UnlockAnchor unlocked( Quill::activityLock() );
      call();
   }
   QTRACE_AT( site.api, 4, site.file, site.line, site.function )
      << site.file << ":" << site.line << " " << site.callText << " no rc check";
}

} // namespace Shim
