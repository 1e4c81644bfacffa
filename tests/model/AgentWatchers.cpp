#include "AgentWatchers.h"

#include "Quill/Clock.h"

namespace ModelTest {

SourceTrunkMapWriter::SourceTrunkMapWriter( Vela::Ptr< StrataCentral::PortTabWriteRequestDir > dir )
      : dir_( std::move( dir ) ) {
   dir_->publisher().subscriberAdd( &subscriber_, false );
}

SourceTrunkMapWriter::~SourceTrunkMapWriter() { dir_->publisher().subscriberRemove( &subscriber_ ); }

void
SourceTrunkMapWriter::dispatch( Vela::Publisher *, Vela::Subscriber * subscriber, short attrId,
                                const void * key, const void * value ) {
   if( attrId != StrataCentral::PortTabWriteRequestDir::requestAttr || !key || !value ) {
      return;
   }
   auto & self = *subscriber->ownerAs< SourceTrunkMapWriter >();
   const auto & requestKey = *static_cast< const StrataCentral::PortTabWriteRequestKey * >( key );
   self.table_[ Key( requestKey.modId.value(), requestKey.port.value() ) ] =
      *static_cast< const U32 * >( value );
}

CompletionRecorder::CompletionRecorder(
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > status )
      : status_( std::move( status ) ) {
   status_->publisher().subscriberAdd( &subscriber_, false );
}

CompletionRecorder::~CompletionRecorder() { status_->publisher().subscriberRemove( &subscriber_ ); }

void
CompletionRecorder::dispatch( Vela::Publisher *, Vela::Subscriber * subscriber, short attrId,
                              const void *, const void * ) {
   if( attrId != StrataPacketTracer::LPortTableWriteRequestStatus::versionAttr ) {
      return;
   }
   auto & self = *subscriber->ownerAs< CompletionRecorder >();
   self.recent_.push_back( Quill::System::currentTime() );
   ++self.total_;
}

} // namespace ModelTest
