// Tracing: named facilities with a 16-bit level mask (bit n is level n).
//
// QTRACE tests the level before anything else, so a statement whose level is
// off costs one relaxed load and a branch, and its text is never formatted.
// Lines go to the host's sink with the virtual time, the handle, the level,
// the source file and line and the bare function name.
#pragma once

#include "Quill/Types.h"

#include <atomic>
#include <functional>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

namespace Quill {

struct TraceFacility {
   std::string name;
   std::atomic< U16 > levels{ 0 };
};

class TraceHandle {
 public:
   // Opens (or finds) the facility `name`. The second argument is the
   // framework's "register only" switch, accepted and unused here.
   TraceHandle( const char * name, bool registerOnly );
   // Levels above 15 have no bit and are never on.
   bool isEnabled( unsigned level ) const noexcept {
      return level < 16 && ( ( facility_->levels.load( std::memory_order_relaxed ) >> level ) & 1u );
   }
   const std::string & name() const noexcept { return facility_->name; }

 private:
   TraceFacility * facility_;
};

struct TraceRecord {
   Seconds time;
   std::string handle;
   unsigned level;
   std::string file;
   int line;
   std::string function;
   std::string text;
};

using TraceSink = std::function< void( const TraceRecord & ) >;

// Where lines go; without a sink they are dropped.
void traceSinkIs( TraceSink sink );
// Sets the level mask of a facility, opening it when it does not exist yet.
void traceLevelsIs( const std::string & handle, U16 levels );
U16 traceLevels( const std::string & handle );
// The mask a facility gets when it is opened (0 unless the host says).
void traceDefaultLevelsIs( U16 levels );
std::vector< std::string > traceHandles();
// "[TIME] HANDLE/LEVEL FILE:LINE FUNCTION: TEXT", TIME as traceTime() writes it.
std::string formatTraceLine( const TraceRecord & record );
// "[SECONDS]" with six decimals, whole however large the time.
std::string traceTime( Seconds time );

// Writes one value in the framework's text form: booleans as true/false,
// 8-bit integers as numbers, everything else through its operator<<.
template < typename T >
void
traceOut( std::ostream & out, const T & value ) {
   if constexpr( std::is_same_v< T, bool > ) {
      out << ( value ? "true" : "false" );
   } else if constexpr( std::is_same_v< T, unsigned char > || std::is_same_v< T, signed char > ) {
      out << static_cast< int >( value );
   } else {
      out << value;
   }
}

// One trace line, emitted when the helper goes out of scope.
class TraceHelper {
 public:
   TraceHelper( const TraceHandle & handle, unsigned level, const char * file, int line, const char * function );
   ~TraceHelper();
   TraceHelper( const TraceHelper & ) = delete;
   TraceHelper & operator=( const TraceHelper & ) = delete;

   template < typename T >
   TraceHelper & operator<<( const T & value ) {
      traceOut( text_, value );
      return *this;
   }

 private:
   const TraceHandle & handle_;
   unsigned level_;
   const char * file_;
   int line_;
   const char * function_;
   std::ostringstream text_;
};

} // namespace Quill

#define QTRACE_AT( handle, level, file, line, function )                                                               \
   if( !( handle ).isEnabled( level ) ) {                                                                              \
   } else                                                                                                              \
      ::Quill::TraceHelper( handle, level, file, line, function )

#define QTRACE( handle, level, line, function ) QTRACE_AT( handle, level, __FILE__, line, function )
