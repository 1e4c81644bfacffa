#include "TraceCapture.h"

#include "ScenarioError.h"
#include "Tokens.h"

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

TraceCapture::TraceCapture( std::ostream & out, bool quiet, Style style )
      : out_( out ), quiet_( quiet ), style_( style ) {
   Quill::traceSinkIs( [ this ]( const Quill::TraceRecord & r ) { record( r ); } );
}

TraceCapture::~TraceCapture() {
   Quill::traceSinkIs( nullptr );
}

void
TraceCapture::record( const Quill::TraceRecord & record ) {
   CapturedTrace captured{ record, Quill::formatTraceLine( record ) };
   std::lock_guard lock( mutex_ );
   if( !quiet_ ) {
      out_ << paintTraceLine( style_, captured.record, captured.line ) << "\n";
   }
   lines_.push_back( std::move( captured ) );
}

std::vector< std::string >
TraceCapture::lines() const {
   std::lock_guard lock( mutex_ );
   std::vector< std::string > lines;
   for( const CapturedTrace & trace : lines_ ) {
      lines.push_back( trace.line );
   }
   return lines;
}

std::vector< CapturedTrace >
TraceCapture::matching( const TraceFilter & filter ) const {
   std::lock_guard lock( mutex_ );
   std::vector< CapturedTrace > found;
   for( const CapturedTrace & trace : lines_ ) {
      if( filter.matches( trace ) ) {
         found.push_back( trace );
      }
   }
   return found;
}

std::vector< std::string >
TraceCapture::linesContaining( std::string_view text ) const {
   std::lock_guard lock( mutex_ );
   std::vector< std::string > found;
   for( const CapturedTrace & trace : lines_ ) {
      if( trace.line.find( text ) != std::string::npos ) {
         found.push_back( trace.line );
      }
   }
   return found;
}

void
TraceCapture::clear() {
   std::lock_guard lock( mutex_ );
   lines_.clear();
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
      Quill::traceLevelsIs( std::string( item.substr( 0, equals ) ),
                            parseTraceLevels( item.substr( equals + 1 ) ) );
      start = stop + 1;
   }
}

} // namespace Sim
