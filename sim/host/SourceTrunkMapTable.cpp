#include "host/SourceTrunkMapTable.h"

namespace Sim {

void
SourceTrunkMapTable::watch( const Vela::Ptr< StrataCentral::PortTabWriteRequestDir > & dir ) {
   if( dir_ ) {
      dir_->publisher().subscriberRemove( &subscriber_ );
   }
   dir_ = dir;
   if( dir_ ) {
      dir_->publisher().subscriberAdd( &subscriber_, false );
   }
}

void
SourceTrunkMapTable::logClear() {
   log_.clear();
   if( dir_ ) {
      dir_->requestsClear();
   }
}

std::optional< StrataCentral::PortTabWriteRequest >
SourceTrunkMapTable::lastRequest( U16 modId, U16 port ) const {
   auto found = table_.find( PortKey( modId, port ) );
   if( found == table_.end() ) {
      return std::nullopt;
   }
   return found->second;
}

std::optional< U32 >
SourceTrunkMapTable::entry( U16 modId, U16 port ) const {
   const std::optional< StrataCentral::PortTabWriteRequest > last = lastRequest( modId, port );
   return last ? std::optional< U32 >( last->value ) : std::nullopt;
}

const std::map< SourceTrunkMapTable::PortKey, SourceTrunkMapTable::Written > &
SourceTrunkMapTable::chipTable( U16 unit ) const {
   static const std::map< PortKey, Written > none;
   auto found = chip_.find( unit );
   return found == chip_.end() ? none : found->second;
}

void
SourceTrunkMapTable::dispatch( Vela::Publisher *, Vela::Subscriber * subscriber, short attrId, const void * key,
                               const void * value ) {
   if( attrId != StrataCentral::PortTabWriteRequestDir::requestAttr || !key || !value ) {
      return;
   }
   SourceTrunkMapTable & self = *subscriber->ownerAs< SourceTrunkMapTable >();
   const auto & requestKey = *static_cast< const StrataCentral::PortTabWriteRequestKey * >( key );
   const U32 profile = *static_cast< const U32 * >( value );
   self.log_.push_back( StrataCentral::PortTabWriteRequest{ requestKey, profile } );
   const PortKey portKey( requestKey.modId.value(), requestKey.port.value() );
   self.table_[ portKey ] = StrataCentral::PortTabWriteRequest{ requestKey, profile };
   const std::optional< U16 > unit = self.unitOf_ ? self.unitOf_( requestKey ) : std::nullopt;
   if( unit ) {
      self.chip_[ *unit ][ portKey ] = Written{ requestKey.modInfo, profile };
   } else {
      ++self.unplaced_;
   }
   if( self.listener_ ) {
      self.listener_( self.log_.back(), unit );
   }
}

} // namespace Sim
