// Trace level masks, the cost of a disabled level and the line layout.
#include "Quill/Clock.h"
#include "Quill/Trace.h"

#include <gtest/gtest.h>

#include <ostream>
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

TEST( Trace, MasksDecideWhatIsFormattedAndTheLineLayout ) {
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
   EXPECT_FALSE( handle.isEnabled( 16 ) );

   // A disabled level formats nothing.
   Quill::traceLevelsIs( "TestTrace", U16( ~( 1u << 3 ) ) );
   int formatted = 0;
   QTRACE_AT( handle, 3, "file", 1, "fn" ) << CountingOperand{ &formatted };
   EXPECT_EQ( formatted, 0 );
   EXPECT_TRUE( records.empty() );

   Quill::System::currentTimeIs( 2.25 );
   QTRACE_AT( handle, 4, "/src/x", 7, "handleThing" ) << "on " << true << " n " << 5u << " c "
                                                       << static_cast< unsigned char >( 65 ) << " "
                                                       << CountingOperand{ &formatted };
   Quill::System::currentTimeIs( 0 );
   Quill::traceSinkIs( nullptr );
   ASSERT_EQ( records.size(), 1u );
   EXPECT_EQ( Quill::formatTraceLine( records[ 0 ] ),
              "[2.250000] TestTrace/4 /src/x:7 handleThing: on true n 5 c 65 operand" );
   // However late, the time is written whole and the line goes on after it.
   records[ 0 ].time = 1e300;
   const std::string late = Quill::formatTraceLine( records[ 0 ] );
   EXPECT_EQ( late.substr( 0, 2 ), "[1" );
   EXPECT_EQ( late.substr( late.find( ']' ) - 7 ), ".000000] TestTrace/4 /src/x:7 handleThing: on true n 5 c 65 operand" );
}

} // namespace
