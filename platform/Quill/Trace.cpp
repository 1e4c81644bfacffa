#include "Quill/Trace.h"

#include "Quill/Clock.h"

#include <cstdio>
#include <deque>
#include <map>
#include <mutex>

namespace Quill {

namespace {
struct Registry {
   std::mutex mutex;
   std::deque< TraceFacility > facilities; // never move: handles point into it
   std::map< std::string, TraceFacility *, std::less<> > byName;
   U16 defaultLevels = 0;
   TraceSink sink;
};

Registry &
registry() {
   static auto * instance = new Registry;
   return *instance;
}

TraceFacility &
facility( Registry & r, const std::string & name ) {
   auto found = r.byName.find( name );
   if( found != r.byName.end() ) {
      return *found->second;
   }
   TraceFacility & created = r.facilities.emplace_back();
   created.name = name;
   created.levels.store( r.defaultLevels );
   r.byName.emplace( name, &created );
   return created;
}
} // namespace

TraceHandle::TraceHandle( const char * name, bool ) {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   facility_ = &facility( r, name );
}

void
traceSinkIs( TraceSink sink ) {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   r.sink = std::move( sink );
}

void
traceLevelsIs( const std::string & handle, U16 levels ) {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   facility( r, handle ).levels.store( levels, std::memory_order_relaxed );
}

U16
traceLevels( const std::string & handle ) {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   auto found = r.byName.find( handle );
   return found == r.byName.end() ? r.defaultLevels : found->second->levels.load( std::memory_order_relaxed );
}

void
traceDefaultLevelsIs( U16 levels ) {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   r.defaultLevels = levels;
}

std::vector< std::string >
traceHandles() {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   std::vector< std::string > names;
   for( const auto & [ name, f ] : r.byName ) {
      names.push_back( name );
   }
   return names;
}

std::string
traceTime( Seconds time ) {
   const int size = std::snprintf( nullptr, 0, "[%.6f]", time );
   std::string text( std::size_t( size ) + 1, '\0' );
   std::snprintf( text.data(), text.size(), "[%.6f]", time );
   text.pop_back();
   return text;
}

std::string
formatTraceLine( const TraceRecord & record ) {
   return traceTime( record.time ) + " " + record.handle + "/" + std::to_string( record.level ) + " " + record.file +
          ":" + std::to_string( record.line ) + " " + record.function + ": " + record.text;
}

TraceHelper::TraceHelper( const TraceHandle & handle, unsigned level, const char * file, int line,
                          const char * function )
      : handle_( handle ), level_( level ), file_( file ), line_( line ), function_( function ) {}

TraceHelper::~TraceHelper() {
   TraceSink sink;
   {
      Registry & r = registry();
      std::lock_guard lock( r.mutex );
      sink = r.sink;
   }
   if( sink ) {
      sink( TraceRecord{ System::currentTime(), handle_.name(), level_, file_, line_, function_, text_.str() } );
   }
}

} // namespace Quill
