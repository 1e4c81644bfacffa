#include "session/TraceCapture.h"

#include "language/KnownNames.h"
#include "language/ScenarioError.h"
#include "language/Tokens.h"

#include <algorithm>
#include <ostream>

namespace Sim {

bool
TraceFilter::matches( const CapturedTrace & trace ) const {
   if( handle && trace.record.handle != *handle ) {
      return false;
   }
   if( trace.record.level > 15 || !( levels & ( 1u << trace.record.level ) ) ) {
      return false;
   }
   return !text || trace.line.find( *text ) != std::string::npos;
}

TraceCapture::TraceCapture( std::ostream & out, bool quiet, Style style, std::size_t keptPerStream )
      : out_( out ), quiet_( quiet ), style_( style ), keptPerStream_( keptPerStream ) {
   Quill::traceSinkIs( [ this ]( const Quill::TraceRecord & r ) { record( r ); } );
}

TraceCapture::~TraceCapture() {
   Quill::traceSinkIs( nullptr );
}

std::size_t
TraceCapture::siteOf( const Quill::TraceRecord & record ) {
   SiteKey key( record.handle, record.level, record.file, record.line, record.function );
   auto found = siteIndex_.find( key );
   if( found != siteIndex_.end() ) {
      return found->second;
   }
   const auto streamKey = std::make_pair( record.handle, record.level );
   auto stream = streamIndex_.find( streamKey );
   if( stream == streamIndex_.end() ) {
      streams_.push_back( Stream{ record.handle + "/" + std::to_string( record.level ), {}, 0 } );
      stream = streamIndex_.emplace( streamKey, streams_.size() - 1 ).first;
   }
   sites_.push_back( Site{ record.handle, record.level, record.file, record.line, record.function, stream->second } );
   siteIndex_.emplace( std::move( key ), sites_.size() - 1 );
   return sites_.size() - 1;
}

Quill::TraceRecord
TraceCapture::recordOf( const Kept & kept ) const {
   const Site & site = sites_[ kept.site ];
   return Quill::TraceRecord{ kept.time, site.handle, site.level, site.file, site.line, site.function, kept.text };
}

void
TraceCapture::record( const Quill::TraceRecord & record ) {
   std::lock_guard lock( mutex_ );
   if( !quiet_ ) {
      out_ << paintTraceLine( style_, record, Quill::formatTraceLine( record ) ) << "\n";
   }
   const std::size_t site = siteOf( record );
   Stream & stream = streams_[ sites_[ site ].stream ];
   if( stream.kept.size() >= keptPerStream_ ) {
      stream.kept.pop_front();
      ++stream.dropped;
   }
   if( keptPerStream_ > 0 ) {
      stream.kept.push_back( Kept{ sequence_++, record.time, site, record.text } );
   } else {
      ++stream.dropped;
   }
}

void
TraceCapture::forEachMatching( const TraceFilter & filter,
                               const std::function< bool( const CapturedTrace & ) > & visit ) const {
   std::lock_guard lock( mutex_ );
   // The streams merged by sequence: each is in order already.
   std::vector< std::size_t > next( streams_.size(), 0 );
   for( ;; ) {
      const Kept * earliest = nullptr;
      std::size_t from = 0;
      for( std::size_t i = 0; i < streams_.size(); ++i ) {
         const std::deque< Kept > & kept = streams_[ i ].kept;
         if( next[ i ] < kept.size() && ( !earliest || kept[ next[ i ] ].sequence < earliest->sequence ) ) {
            earliest = &kept[ next[ i ] ];
            from = i;
         }
      }
      if( !earliest ) {
         return;
      }
      ++next[ from ];
      const Site & site = sites_[ earliest->site ];
      if( filter.handle && site.handle != *filter.handle ) {
         continue; // decided without formatting the line
      }
      CapturedTrace trace{ recordOf( *earliest ), {} };
      trace.line = Quill::formatTraceLine( trace.record );
      if( filter.matches( trace ) && !visit( trace ) ) {
         return;
      }
   }
}

std::map< std::string, U64 >
TraceCapture::dropped() const {
   std::lock_guard lock( mutex_ );
   std::map< std::string, U64 > counts;
   for( const Stream & stream : streams_ ) {
      if( stream.dropped ) {
         counts[ stream.name ] = stream.dropped;
      }
   }
   return counts;
}

std::string
TraceCapture::droppedNote() const {
   const std::map< std::string, U64 > counts = dropped();
   U64 total = 0;
   std::string each;
   for( const auto & [ stream, count ] : counts ) {
      total += count;
      each += ( each.empty() ? "" : ", " ) + stream + " lost " + std::to_string( count );
   }
   if( total == 0 ) {
      return "";
   }
   return std::to_string( total ) + " older line(s) were dropped since clear (the last " +
          std::to_string( keptPerStream_ ) + " of each handle and level are kept: " + each + ")";
}

void
TraceCapture::clear() {
   std::lock_guard lock( mutex_ );
   for( Stream & stream : streams_ ) {
      stream.kept.clear();
      stream.dropped = 0;
   }
}

void
traceAllLevelsOn() {
   Quill::traceDefaultLevelsIs( 0xFFFF );
   for( const std::string & handle : Quill::traceHandles() ) {
      Quill::traceLevelsIs( handle, 0xFFFF );
   }
}

void
applyTraceSpec( std::string_view spec ) {
   std::size_t start = 0;
   while( start <= spec.size() ) {
      std::size_t stop = spec.find( ';', start );
      if( stop == std::string_view::npos ) {
         stop = spec.size();
      }
      const std::string_view item = spec.substr( start, stop - start );
      const std::size_t equals = item.find( '=' );
      if( equals == std::string_view::npos || equals == 0 ) {
         throw ScenarioError( "trace spec: '" + std::string( item ) +
                              "' is not HANDLE=LEVELS (LEVELS: 0,4,8, all or none)" );
      }
      const std::string handle( item.substr( 0, equals ) );
      requireTraceHandle( handle );
      Quill::traceLevelsIs( handle, parseTraceLevels( item.substr( equals + 1 ) ) );
      start = stop + 1;
   }
}

} // namespace Sim
