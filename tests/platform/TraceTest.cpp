// Trace level masks, the cost of a disabled level, the operands' text form
// and a time however large. (The line's layout, field by field:
// examples/default.scn.)
#include "Quill/Trace.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

// An operand that counts how often it is formatted.
struct CountingOperand {
   int * formatted;
};
std::ostream &
operator<<( std::ostream & out, const CountingOperand & operand ) {
   ++*operand.formatted;
   return out << "operand";
}

TEST( Trace, MasksDecideWhatIsFormattedAndHowOperandsAreWritten ) {
   std::vector< Quill::TraceRecord > records;
   Quill::traceSinkIs( [ & ]( const Quill::TraceRecord & r ) { records.push_back( r ); } );
   const Quill::TraceHandle handle( "TestTrace", false );
   EXPECT_EQ( Quill::traceLevels( "TestTrace" ), 0u ) << "off unless the host says";
   // Each of the sixteen levels has its own bit, and there is no seventeenth.
   for( unsigned level = 0; level < 16; ++level ) {
      Quill::traceLevelsIs( "TestTrace", U16( 1u << level ) );
      for( unsigned probe = 0; probe < 16; ++probe ) {
         EXPECT_EQ( handle.isEnabled( probe ), probe == level ) << "mask level " << level;
      }
   }
   Quill::traceLevelsIs( "TestTrace", 0xFFFF );
   EXPECT_EQ( Quill::traceLevels( "TestTrace" ), 0xFFFFu );
   EXPECT_FALSE( handle.isEnabled( 16 ) );

   // A disabled level formats nothing.
   Quill::traceLevelsIs( "TestTrace", U16( ~( 1u << 3 ) ) );
   int formatted = 0;
   QTRACE_AT( handle, 3, "file", 1, "fn" ) << CountingOperand{ &formatted };
   EXPECT_EQ( formatted, 0 );
   QTRACE_AT( handle, 4, "file", 1, "fn" )
      << true << " " << static_cast< unsigned char >( 65 ) << " " << CountingOperand{ &formatted };
   Quill::traceSinkIs( nullptr );
   ASSERT_EQ( records.size(), 1u );
   EXPECT_EQ( records[ 0 ].text, "true 65 operand" );

   // However late, the time is written whole: 301 digits before the point.
   const std::string late = Quill::traceTime( 1e300 );
   EXPECT_EQ( late.size(), 1u + 301u + 8u );
   EXPECT_EQ( late.substr( late.size() - 8 ), ".000000]" );
}

} // namespace
