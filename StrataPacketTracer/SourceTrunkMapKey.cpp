#include "SourceTrunkMapKey.h"

namespace Strata {

StrataCentral::PortTabWriteRequestKey
sourceTrunkMapKey( const StrataModInfo & modInfo, const StrataTypes::StrataPort & sp ) {
   StrataCentral::PortTabWriteRequestKey key;
   key.modInfo = modInfo.modInfo;
   key.modId = StrataCentral::ModId( sp.modId );
   key.port = StrataCentral::U10( sp.port );
   key.kind = portEntryRequestKind;
   return key;
}

} // namespace Strata
