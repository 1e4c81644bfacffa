// The interactive prompt's line editor, without the terminal: an editing
// buffer with a cursor, a history and completion of command words, fed one
// key at a time. Nothing here reads or writes a terminal (TerminalInput does),
// so every editing rule can be tested by feeding keys and looking at the
// buffer.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Sim {

// One key as the editor understands it.
struct Key {
   enum class Kind {
      text,           // a printable character (`ch`)
      enter,          // accept the line
      backspace,      // delete before the cursor
      del,            // delete under the cursor
      left,           // cursor one back
      right,          // cursor one on
      home,           // cursor to the start (also Ctrl-A)
      end,            // cursor to the end (also Ctrl-E)
      up,             // older history line
      down,           // newer history line
      tab,            // complete the word before the cursor
      interrupt,      // Ctrl-C: abandon the line
      endOfInput,     // Ctrl-D: quit on an empty line, else delete under the cursor
      killToEnd,      // Ctrl-K
      killToStart,    // Ctrl-U
      deleteWordBack, // Ctrl-W
      clearScreen,    // Ctrl-L
   };
   Kind kind;
   char ch = 0;

   bool operator==( const Key & ) const = default;
};

// Turns the bytes a terminal sends into keys: printable characters, control
// keys, and the escape sequences of the arrows, Home, End and Delete (both
// the "ESC [" and the "ESC O" forms).
class KeyDecoder {
 public:
   // The key the byte completes, or nothing while an escape sequence is
   // incomplete, or for a byte or sequence the editor has no use for.
   std::optional< Key > feed( unsigned char byte );

 private:
   std::optional< Key > plain( unsigned char byte ) const;
   std::string sequence_; // the escape sequence so far, ESC included
};

// Lines accepted before, oldest first; empty lines and a repeat of the
// newest one are not kept, and beyond `capacity` the oldest goes.
class History {
 public:
   explicit History( std::size_t capacity = 500 ) : capacity_( capacity ) {}
   void add( const std::string & line );
   std::size_t size() const noexcept { return lines_.size(); }
   const std::string & at( std::size_t i ) const { return lines_.at( i ); }

 private:
   std::size_t capacity_;
   std::vector< std::string > lines_;
};

// The words completion offers: those that start a command, and those that
// may follow a given first word (show, expect, help).
struct CompletionWords {
   std::vector< std::string > first;
   std::map< std::string, std::vector< std::string > > after;
};

// The candidates for the word that ends `before` (the line up to the cursor;
// the word may be empty): first words for the first word, the words after the
// first word for the second, nothing further on.
std::vector< std::string > completionsFor( const CompletionWords & words, std::string_view before );

class LineEditor {
 public:
   // What a key led to, for the terminal to act on.
   enum class Event {
      edited,         // the line or the cursor may have changed: redraw
      accepted,       // the line is done: take it with accepted()
      interrupted,    // Ctrl-C abandoned the line, which is now empty
      quit,           // Ctrl-D on an empty line
      listCandidates, // several completions and none to add: show candidates()
      clearScreen,    // Ctrl-L
   };

   LineEditor( History & history, CompletionWords words )
         : history_( history ), words_( std::move( words ) ) {}

   Event feed( const Key & key );

   const std::string & buffer() const noexcept { return buffer_; }
   std::size_t cursor() const noexcept { return cursor_; }
   // The line of the last `accepted` event (already in the history).
   const std::string & accepted() const noexcept { return accepted_; }
   // The completions of the last `listCandidates` event.
   const std::vector< std::string > & candidates() const noexcept { return candidates_; }

 private:
   void insert( std::string_view text );
   void replaceLine( std::string line );
   void reset();
   Event complete();
   void browse( bool older );

   History & history_;
   CompletionWords words_;
   std::string buffer_;
   std::size_t cursor_ = 0;
   // Where up/down stand in the history: history_.size() is the line being
   // written, whose text waits in draft_ while older lines are shown.
   std::size_t historyAt_ = 0;
   bool browsing_ = false;
   std::string draft_;
   std::string accepted_;
   std::vector< std::string > candidates_;
};

// What to draw for a line that may be wider than the screen: the part of
// `buffer` that fits after the prompt, scrolled so the cursor stays in view,
// and the screen column of the cursor (0 is the first column).
struct LineView {
   std::string text;
   std::size_t cursorColumn = 0;
};
LineView viewOf( std::size_t promptWidth, const std::string & buffer, std::size_t cursor,
                 std::size_t screenWidth );

} // namespace Sim
