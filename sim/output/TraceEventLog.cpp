#include "output/TraceEventLog.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace Sim {

namespace {

std::string
argsJson( const TraceEventLog::EventArgs & args ) {
   std::string json = "{";
   for( const auto & [ key, value ] : args ) {
      json += ( json.size() > 1 ? ", " : "" ) + jsonString( key ) + ": " +
              ( value.json.empty() ? jsonString( value.text ) : value.json );
   }
   return json + "}";
}

std::string
metadata( int process, int thread, const std::string & what, const std::string & argsObject ) {
   return "{\"ph\": \"M\", \"pid\": " + std::to_string( process ) + ", \"tid\": " + std::to_string( thread ) +
          ", \"name\": " + jsonString( what ) + ", \"args\": " + argsObject + "}";
}

} // namespace

std::string
microseconds( double seconds ) {
   char text[ 48 ];
   std::snprintf( text, sizeof text, "%.3f", seconds * 1e6 );
   return text;
}

TraceEventLog::Track
TraceEventLog::track( const std::string & process, const std::string & thread, int order ) {
   auto [ p, newProcess ] = processes_.try_emplace( process, int( processes_.size() ) + 1 );
   if( newProcess ) {
      events_.push_back( metadata( p->second, 0, "process_name", argsJson( { { "name", process } } ) ) );
      events_.push_back( metadata( p->second, 0, "process_sort_index",
                                   argsJson( { { "sort_index", Cell::number( U64( p->second ) ) } } ) ) );
   }
   auto [ t, newThread ] = threads_.try_emplace( { p->second, thread }, int( threads_.size() ) + 1 );
   if( newThread ) {
      events_.push_back( metadata( p->second, t->second, "thread_name", argsJson( { { "name", thread } } ) ) );
      events_.push_back( metadata( p->second, t->second, "thread_sort_index",
                                   argsJson( { { "sort_index", Cell::signedNumber( order ) } } ) ) );
   }
   return { p->second, t->second };
}

void
TraceEventLog::add( Track track, double seconds, const std::string & name, const std::string & category,
                    const std::string & phase, const EventArgs & args ) {
   events_.push_back( "{\"ph\": " + phase + ", \"pid\": " + std::to_string( track.process ) +
                      ", \"tid\": " + std::to_string( track.thread ) + ", \"ts\": " + microseconds( seconds ) +
                      ", \"name\": " + jsonString( name ) + ", \"cat\": " + jsonString( category ) +
                      ", \"args\": " + argsJson( args ) + "}" );
}

void
TraceEventLog::instant( Track track, double seconds, const std::string & name, const std::string & category,
                        const EventArgs & args ) {
   add( track, seconds, name, category, "\"i\", \"s\": \"t\"", args );
}

void
TraceEventLog::globalInstant( double seconds, const std::string & name, const std::string & category,
                              const EventArgs & args ) {
   add( {}, seconds, name, category, "\"i\", \"s\": \"g\"", args );
}

void
TraceEventLog::span( Track track, double start, double end, const std::string & name, const std::string & category,
                     const EventArgs & args ) {
   add( track, start, name, category, "\"X\", \"dur\": " + microseconds( std::max( end - start, 0.0 ) ), args );
}

void
TraceEventLog::write( std::ostream & out ) const {
   out << "{\"displayTimeUnit\": \"ms\", \"traceEvents\": [";
   for( std::size_t i = 0; i < events_.size(); ++i ) {
      out << ( i ? ",\n  " : "\n  " ) << events_[ i ];
   }
   out << "\n]}\n";
}

} // namespace Sim
