// The interactive line editor without a terminal: bytes a terminal sends
// become keys, keys edit the line, history and completion behave as at a
// shell prompt, and a long line scrolls to keep the cursor in view.
#include "LineEditor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Sim::Key;
using Sim::LineEditor;
using K = Key::Kind;

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

TEST( KeyDecoder, EscapeSequencesOfBothFormsAndControlKeys ) {
   EXPECT_EQ( decode( "\x1b[A\x1b[B\x1b[C\x1b[D" ),
              ( std::vector< Key >{ { K::up }, { K::down }, { K::right }, { K::left } } ) );
   // Home and End come as ESC [ H/F, ESC O H/F, or ESC [ 1~ 7~ / 4~ 8~.
   EXPECT_EQ( decode( "\x1b[H\x1bOH\x1b[1~\x1b[7~" ), std::vector< Key >( 4, Key{ K::home } ) );
   EXPECT_EQ( decode( "\x1b[F\x1bOF\x1b[4~\x1b[8~" ), std::vector< Key >( 4, Key{ K::end } ) );
   EXPECT_EQ( decode( "\x1b[3~" ), std::vector< Key >{ { K::del } } );
   // Ctrl-Right carries a modifier and is still a right arrow; an unknown
   // sequence yields nothing and does not eat what follows.
   EXPECT_EQ( decode( "\x1b[1;5C\x1b[5~x" ),
              ( std::vector< Key >{ { K::right }, { K::text, 'x' } } ) );
   // A lone ESC before a letter: the letter is typed.
   EXPECT_EQ( decode( "\x1bq" ), ( std::vector< Key >{ { K::text, 'q' } } ) );
   EXPECT_EQ( decode( "\r\n\x7f\x08\t\x03\x04\x01\x05\x0b\x15\x17\x0c" ),
              ( std::vector< Key >{ { K::enter }, { K::enter }, { K::backspace }, { K::backspace },
                                    { K::tab }, { K::interrupt }, { K::endOfInput }, { K::home },
                                    { K::end }, { K::killToEnd }, { K::killToStart },
                                    { K::deleteWordBack }, { K::clearScreen } } ) );
   // Bytes outside printable ASCII are not typed.
   EXPECT_TRUE( decode( "\xc3\xa9\x1f" ).empty() );
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
   Sim::CompletionWords words_{
      { "agent", "chip", "clear", "clock", "expect", "help", "show" },
      { { "show", { "lport-tab", "port-tab", "slices", "slice" } },
        { "expect", { "lport-tab", "status" } } } };
   LineEditor editor_{ history_, words_ };
};

TEST_F( LineEditorTest, EditsAtTheCursor ) {
   // Type, go home, insert, go to the end, delete back; Delete and Backspace
   // at the ends of the line change nothing.
   EXPECT_EQ( accept( "lock advv\x1b[H" "c\x1b[F\x7f" "ance 2" ), "clock advance 2" );
   EXPECT_EQ( accept( "\x7f\x1b[3~ab\x1b[D\x1b[D\x1b[D\x1b[3~\x1b[C\x1b[C\x1b[C\x1b[3~" ), "b" );
   // Ctrl-K cuts to the end, Ctrl-U to the start, Ctrl-W one word back.
   EXPECT_EQ( accept( "show slices json\x1b[D\x1b[D\x1b[D\x1b[D\x1b[D\x0b" ), "show slices" );
   EXPECT_EQ( accept( "junk agent\x1b[D\x1b[D\x1b[D\x1b[D\x1b[D\x15" ), "agent" );
   EXPECT_EQ( accept( "show slice 1  \x17" ), "show slice " );
}

TEST_F( LineEditorTest, InterruptClearsAndEndOfInputQuitsOnlyAnEmptyLine ) {
   EXPECT_EQ( type( "chip fail\x03" ), LineEditor::Event::interrupted );
   EXPECT_EQ( editor_.buffer(), "" );
   // Ctrl-D on a non-empty line deletes under the cursor instead.
   EXPECT_EQ( type( "ab\x1b[D\x04" ), LineEditor::Event::edited );
   EXPECT_EQ( editor_.buffer(), "a" );
   EXPECT_EQ( type( "\x7f\x04" ), LineEditor::Event::quit );
   EXPECT_EQ( history_.size(), 0u ); // an abandoned line is not history
}

TEST_F( LineEditorTest, HistoryBrowsesAndKeepsTheLineBeingWritten ) {
   accept( "one" );
   accept( "two" );
   accept( "two" ); // a repeat is kept once
   accept( "   " ); // blank lines are not kept
   ASSERT_EQ( history_.size(), 2u );
   type( "draft" );
   type( "\x1b[A" );
   EXPECT_EQ( editor_.buffer(), "two" );
   EXPECT_EQ( editor_.cursor(), 3u );
   type( "\x1b[A\x1b[A" ); // stops at the oldest
   EXPECT_EQ( editor_.buffer(), "one" );
   type( "\x1b[B\x1b[B" );
   EXPECT_EQ( editor_.buffer(), "draft" );
   type( "\x1b[B" ); // nothing newer than the draft
   EXPECT_EQ( editor_.buffer(), "draft" );
   // An edited draft survives another trip into the history.
   type( "!\x1b[A\x1b[B" );
   EXPECT_EQ( accept( "" ), "draft!" );
   // Beyond its capacity the oldest line goes.
   accept( "four" );
   ASSERT_EQ( history_.size(), 3u );
   EXPECT_EQ( history_.at( 0 ), "two" );
}

TEST_F( LineEditorTest, CompletesCommandWordsAndTheWordAfterShowExpectHelp ) {
   // One candidate: completed, with a blank after it.
   type( "ag\t" );
   EXPECT_EQ( editor_.buffer(), "agent " );
   type( "\x03" "show lp\t" );
   EXPECT_EQ( editor_.buffer(), "show lport-tab " );
   // Several: what they share is added ("cl" -> "cl" shares nothing more
   // with "clock"/"clear"; "s" -> "sl" then "slice").
   type( "\x03" "show s\t" );
   EXPECT_EQ( editor_.buffer(), "show slice" );
   EXPECT_EQ( type( "\t" ), LineEditor::Event::listCandidates );
   EXPECT_EQ( editor_.candidates(), ( std::vector< std::string >{ "slices", "slice" } ) );
   EXPECT_EQ( type( "\x03" "cl\t" ), LineEditor::Event::listCandidates );
   EXPECT_EQ( editor_.candidates(), ( std::vector< std::string >{ "clear", "clock" } ) );
   EXPECT_EQ( editor_.buffer(), "cl" );
   // Nothing offered after an unknown first word or past the second word.
   type( "\x03" "chip l\t" );
   EXPECT_EQ( editor_.buffer(), "chip l" );
   type( "\x03" "expect status s\t" );
   EXPECT_EQ( editor_.buffer(), "expect status s" );
   // Completion works on the word before the cursor, mid-line too, and adds
   // no second blank before one that is there.
   type( "\x03" "sh slices\x1b[H\x1b[C\x1b[C\t" );
   EXPECT_EQ( editor_.buffer(), "show slices" );
   EXPECT_EQ( editor_.cursor(), 4u );
}

TEST( Completion, CandidatesForTheWordBeforeTheCursor ) {
   const Sim::CompletionWords words{ { "show", "set" }, { { "show", { "trace", "toggles" } } } };
   EXPECT_EQ( Sim::completionsFor( words, "" ), ( std::vector< std::string >{ "show", "set" } ) );
   EXPECT_EQ( Sim::completionsFor( words, "  s" ), ( std::vector< std::string >{ "show", "set" } ) );
   EXPECT_EQ( Sim::completionsFor( words, "show " ),
              ( std::vector< std::string >{ "trace", "toggles" } ) );
   EXPECT_EQ( Sim::completionsFor( words, "show tr" ), std::vector< std::string >{ "trace" } );
   EXPECT_TRUE( Sim::completionsFor( words, "set tr" ).empty() );
   EXPECT_TRUE( Sim::completionsFor( words, "show trace " ).empty() );
}

TEST( LineView, ScrollsToKeepTheCursorInView ) {
   // Fits: the whole line, the cursor after the prompt.
   Sim::LineView v = Sim::viewOf( 8, "show slices", 4, 80 );
   EXPECT_EQ( v.text, "show slices" );
   EXPECT_EQ( v.cursorColumn, 12u );
   // 20 columns leave 11 for text after an 8-column prompt and the cursor.
   const std::string line = "expect lport-tab 0 5 vfpEnable=1";
   v = Sim::viewOf( 8, line, line.size(), 20 );
   EXPECT_EQ( v.text, line.substr( line.size() - 10 ) );
   EXPECT_EQ( v.cursorColumn, 18u );
   v = Sim::viewOf( 8, line, 0, 20 );
   EXPECT_EQ( v.text, line.substr( 0, 11 ) );
   EXPECT_EQ( v.cursorColumn, 8u );
   // A screen narrower than the prompt still shows some text.
   EXPECT_EQ( Sim::viewOf( 8, line, 0, 4 ).text.size(), 8u );
}

} // namespace
