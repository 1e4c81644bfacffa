// The interactive line editor without a terminal: the bytes a terminal sends
// for each key edit the line, and the history behaves as at a shell prompt.
#include "LineEditor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Sim::Key;
using Sim::LineEditor;

// The keys a byte string decodes to.
std::vector< Key >
decode( const std::string & bytes ) {
   Sim::KeyDecoder decoder;
   std::vector< Key > keys;
   for( const char c : bytes ) {
      if( auto key = decoder.feed( static_cast< unsigned char >( c ) ) ) {
         keys.push_back( *key );
      }
   }
   return keys;
}

class LineEditorTest : public ::testing::Test {
 protected:
   LineEditor::Event type( const std::string & bytes ) {
      LineEditor::Event last = LineEditor::Event::edited;
      for( const Key & key : decode( bytes ) ) {
         last = editor_.feed( key );
      }
      return last;
   }
   std::string accept( const std::string & bytes ) {
      EXPECT_EQ( type( bytes + "\r" ), LineEditor::Event::accepted );
      return editor_.accepted();
   }
   Sim::History history_{ 3 };
   Sim::CompletionWords words_{ {}, {} };
   LineEditor editor_{ history_, words_ };
};

TEST_F( LineEditorTest, EditsAtTheCursorInterruptsAndQuits ) {
   // Home, insert, End, Backspace; Delete and Backspace at the ends change nothing.
   EXPECT_EQ( accept( "lock advv\x1b[H" "c\x1b[F\x7f" "ance 2" ), "clock advance 2" );
   EXPECT_EQ( accept( "\x7f\x1b[3~ab\x1b[D\x1b[D\x1b[D\x1b[3~\x1b[C\x1b[C\x1b[C\x1b[3~" ), "b" );
   // Ctrl-K cuts to the end, Ctrl-U to the start, Ctrl-W one word back.
   EXPECT_EQ( accept( "show slices json\x1b[D\x1b[D\x1b[D\x1b[D\x1b[D\x0b" ), "show slices" );
   EXPECT_EQ( accept( "junk agent\x1b[D\x1b[D\x1b[D\x1b[D\x1b[D\x15" ), "agent" );
   EXPECT_EQ( accept( "show slice 1  \x17" ), "show slice " );
   EXPECT_EQ( type( "chip fail\x03" ), LineEditor::Event::interrupted );
   EXPECT_EQ( editor_.buffer(), "" );
   // Ctrl-D deletes under the cursor, and quits only on an empty line.
   EXPECT_EQ( type( "ab\x1b[D\x04" ), LineEditor::Event::edited );
   EXPECT_EQ( editor_.buffer(), "a" );
   EXPECT_EQ( type( "\x7f\x04" ), LineEditor::Event::quit );
}

TEST_F( LineEditorTest, HistoryBrowsesAndKeepsTheLineBeingWritten ) {
   for( const char * line : { "one", "two", "two", "   " } ) { // a repeat kept once, blanks not at all
      accept( line );
   }
   ASSERT_EQ( history_.size(), 2u );
   type( "draft\x1b[A" );
   EXPECT_EQ( editor_.buffer(), "two" );
   EXPECT_EQ( editor_.cursor(), 3u );
   type( "\x1b[A\x1b[A" ); // stops at the oldest
   EXPECT_EQ( editor_.buffer(), "one" );
   type( "\x1b[B\x1b[B\x1b[B" ); // nothing newer than the draft
   EXPECT_EQ( editor_.buffer(), "draft" );
   type( "!\x1b[A\x1b[B" ); // an edited draft survives another trip
   EXPECT_EQ( accept( "" ), "draft!" );
   accept( "four" );
   ASSERT_EQ( history_.size(), 3u );
   EXPECT_EQ( history_.at( 0 ), "two" ) << "beyond its capacity the oldest line goes";
}

} // namespace
