// The key of a source-trunk-map write request, the one request a slice posts
// for a port's SOURCE_TRUNK_MAP entry, whichever client it posts for.
#pragma once

#include "Agent/PortTabWriteRequestDir.h"
#include "Agent/StrataCommonSmData.h"
#include "Agent/StrataTypes.h"

namespace Strata {

// The kind of request that addresses a port's entry.
inline constexpr U8 portEntryRequestKind = 2;

// The key for `sp`'s entry: the module information of its unit, its module id
// and port number, the port-entry kind. Throws the framework's range error for
// a module id above 64 (tested first) or a port number above 0x3FF.
StrataCentral::PortTabWriteRequestKey sourceTrunkMapKey( const StrataModInfo & modInfo,
                                                         const StrataTypes::StrataPort & sp );

} // namespace Strata
