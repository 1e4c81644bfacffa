#include "Shim/CheckedCall.h"

#include <cstdio>
#include <cstdlib>

namespace Shim {

void
checkedCallFailed( const CallSite & site, int rc ) {
   std::fprintf( stderr, "%s:%d %s API ERROR:%s (%d)\n", site.file, site.line, site.callText, sdk_->soc_errmsg( rc ),
                 rc );
   std::fflush( stderr );
   sdk_->failureHook();
   std::abort();
}

} // namespace Shim
