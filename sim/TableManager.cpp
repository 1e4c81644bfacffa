#include "TableManager.h"

namespace Sim {

void
TableManager::watch( const Vela::Ptr< StrataCentral::PortTabWriteRequestDir > & dir ) {
   if( dir_ ) {
      dir_->publisher().subscriberRemove( &subscriber_ );
   }
   dir_ = dir;
   if( dir_ ) {
      dir_->publisher().subscriberAdd( &subscriber_, false );
   }
}

void
TableManager::logClear() {
   log_.clear();
   if( dir_ ) {
      dir_->requestsClear();
   }
}

std::optional< U32 >
TableManager::entry( U16 modId, U16 port ) const {
   auto found = table_.find( PortKey( modId, port ) );
   if( found == table_.end() ) {
      return std::nullopt;
   }
   return found->second;
}

void
TableManager::dispatch( Vela::Publisher *, Vela::Subscriber * subscriber, short attrId,
                        const void * key, const void * value ) {
   if( attrId != StrataCentral::PortTabWriteRequestDir::requestAttr || !key || !value ) {
      return;
   }
   TableManager & self = *subscriber->ownerAs< TableManager >();
   const auto & requestKey = *static_cast< const StrataCentral::PortTabWriteRequestKey * >( key );
   const U32 profile = *static_cast< const U32 * >( value );
   self.log_.push_back( StrataCentral::PortTabWriteRequest{ requestKey, profile } );
   self.table_[ PortKey( requestKey.modId.value(), requestKey.port.value() ) ] = profile;
}

} // namespace Sim
