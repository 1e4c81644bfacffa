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

class TraceTest : public ::testing::Test {
 protected:
   void SetUp() override {
      Quill::traceSinkIs( [ this ]( const Quill::TraceRecord & r ) { records.push_back( r ); } );
   }
   void TearDown() override {
      Quill::traceSinkIs( nullptr );
      Quill::System::currentTimeIs( 0 );
   }
   std::vector< Quill::TraceRecord > records;
};

TEST_F( TraceTest, DisabledLevelFormatsNothing ) {
   const Quill::TraceHandle handle( "TestTraceDisabled", false );
   Quill::traceLevelsIs( "TestTraceDisabled", U16( ~( 1u << 3 ) ) );
   int formatted = 0;
   QTRACE_AT( handle, 3, "file", 1, "fn" ) << CountingOperand{ &formatted };
   EXPECT_EQ( formatted, 0 );
   EXPECT_TRUE( records.empty() );

   Quill::traceLevelsIs( "TestTraceDisabled", 1u << 3 );
   QTRACE_AT( handle, 3, "file", 1, "fn" ) << CountingOperand{ &formatted };
   EXPECT_EQ( formatted, 1 );
   ASSERT_EQ( records.size(), 1u );
   EXPECT_EQ( records[ 0 ].text, "operand" );
}

TEST_F( TraceTest, EachOfTheSixteenLevelsHasItsOwnBit ) {
   const Quill::TraceHandle handle( "TestTraceLevels", false );
   for( unsigned level = 0; level < 16; ++level ) {
      Quill::traceLevelsIs( "TestTraceLevels", U16( 1u << level ) );
      EXPECT_EQ( Quill::traceLevels( "TestTraceLevels" ), 1u << level );
      for( unsigned probe = 0; probe < 16; ++probe ) {
         EXPECT_EQ( handle.isEnabled( probe ), probe == level ) << "mask level " << level;
      }
   }
   Quill::traceLevelsIs( "TestTraceLevels", 0xFFFF );
   EXPECT_FALSE( handle.isEnabled( 16 ) );
   EXPECT_FALSE( handle.isEnabled( 40 ) );
}

TEST_F( TraceTest, NewHandlesStartWithTheDefaultMask ) {
   const Quill::TraceHandle before( "TestTraceBeforeDefault", false );
   EXPECT_EQ( Quill::traceLevels( "TestTraceBeforeDefault" ), 0u ) << "off unless the host says";
   Quill::traceDefaultLevelsIs( 0x0101 );
   const Quill::TraceHandle after( "TestTraceAfterDefault", false );
   Quill::traceDefaultLevelsIs( 0 );
   EXPECT_TRUE( after.isEnabled( 0 ) );
   EXPECT_TRUE( after.isEnabled( 8 ) );
   EXPECT_FALSE( after.isEnabled( 4 ) );
   EXPECT_FALSE( before.isEnabled( 0 ) ) << "an open handle keeps its mask";
   // A second handle of the same name is the same facility.
   const Quill::TraceHandle again( "TestTraceAfterDefault", false );
   EXPECT_TRUE( again.isEnabled( 8 ) );
}

TEST_F( TraceTest, LineLayout ) {
   EXPECT_EQ( Quill::formatTraceLine( { 1.5, "Handle", 8, "/src/dir/File", 42, "function", "text" } ),
              "[1.500000] Handle/8 /src/dir/File:42 function: text" );

   const Quill::TraceHandle handle( "TestTraceLayout", false );
   Quill::traceLevelsIs( "TestTraceLayout", 1u << 4 );
   Quill::System::currentTimeIs( 2.25 );
   QTRACE_AT( handle, 4, "/src/x", 7, "handleThing" )
      << "on " << true << " off " << false << " n " << 5u << " s " << static_cast< unsigned short >( 9 )
      << " c " << static_cast< unsigned char >( 65 ) << " i " << -3;
   ASSERT_EQ( records.size(), 1u );
   EXPECT_EQ( Quill::formatTraceLine( records[ 0 ] ),
              "[2.250000] TestTraceLayout/4 /src/x:7 handleThing: on true off false n 5 s 9 c 65 i -3" );
}

} // namespace
