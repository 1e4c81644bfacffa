#include "LineEditor.h"

#include <algorithm>

namespace Sim {

namespace {

constexpr unsigned char escape = 0x1b;

constexpr unsigned char
control( char letter ) {
   return static_cast< unsigned char >( letter & 0x1f );
}

bool
isBlank( char c ) {
   return c == ' ' || c == '\t';
}

} // namespace

// --- KeyDecoder -------------------------------------------------------------

std::optional< Key >
KeyDecoder::plain( unsigned char byte ) const {
   using K = Key::Kind;
   switch( byte ) {
    case '\r':
    case '\n': return Key{ K::enter };
    case 0x7f:
    case control( 'H' ): return Key{ K::backspace };
    case '\t': return Key{ K::tab };
    case control( 'A' ): return Key{ K::home };
    case control( 'E' ): return Key{ K::end };
    case control( 'B' ): return Key{ K::left };
    case control( 'F' ): return Key{ K::right };
    case control( 'P' ): return Key{ K::up };
    case control( 'N' ): return Key{ K::down };
    case control( 'C' ): return Key{ K::interrupt };
    case control( 'D' ): return Key{ K::endOfInput };
    case control( 'K' ): return Key{ K::killToEnd };
    case control( 'U' ): return Key{ K::killToStart };
    case control( 'W' ): return Key{ K::deleteWordBack };
    case control( 'L' ): return Key{ K::clearScreen };
    default: break;
   }
   // Commands are ASCII: other bytes (and UTF-8 sequences) are not typed.
   if( byte >= 0x20 && byte < 0x7f ) {
      return Key{ K::text, static_cast< char >( byte ) };
   }
   return std::nullopt;
}

std::optional< Key >
KeyDecoder::feed( unsigned char byte ) {
   using K = Key::Kind;
   if( sequence_.empty() ) {
      if( byte == escape ) {
         sequence_.push_back( char( byte ) );
         return std::nullopt;
      }
      return plain( byte );
   }
   if( sequence_.size() == 1 ) {
      if( byte == '[' || byte == 'O' ) {
         sequence_.push_back( char( byte ) );
         return std::nullopt;
      }
      // A lone ESC followed by something else: the ESC meant nothing.
      sequence_.clear();
      return feed( byte );
   }
   // Parameters (digits and ';') run until a final byte from '@' to '~'.
   if( ( byte >= '0' && byte <= '9' ) || byte == ';' ) {
      sequence_.push_back( char( byte ) );
      if( sequence_.size() > 16 ) {
         sequence_.clear(); // not a sequence anyone sends; give up on it
      }
      return std::nullopt;
   }
   const std::string parameters = sequence_.substr( 2 );
   sequence_.clear();
   // Modifiers ("1;5C" is Ctrl-Right) do not change what an arrow does here.
   const std::string first = parameters.substr( 0, parameters.find( ';' ) );
   switch( byte ) {
    case 'A': return Key{ K::up };
    case 'B': return Key{ K::down };
    case 'C': return Key{ K::right };
    case 'D': return Key{ K::left };
    case 'H': return Key{ K::home };
    case 'F': return Key{ K::end };
    case '~':
      if( first == "1" || first == "7" ) {
         return Key{ K::home };
      }
      if( first == "4" || first == "8" ) {
         return Key{ K::end };
      }
      if( first == "3" ) {
         return Key{ K::del };
      }
      return std::nullopt;
    default: return std::nullopt;
   }
}

// --- History ----------------------------------------------------------------

void
History::add( const std::string & line ) {
   const bool blank = std::all_of( line.begin(), line.end(), isBlank );
   if( blank || ( !lines_.empty() && lines_.back() == line ) ) {
      return;
   }
   lines_.push_back( line );
   if( lines_.size() > capacity_ ) {
      lines_.erase( lines_.begin() );
   }
}

// --- Completion -------------------------------------------------------------

std::vector< std::string >
completionsFor( const CompletionWords & words, std::string_view before ) {
   std::vector< std::string_view > done;
   std::size_t at = 0;
   for( ;; ) {
      while( at < before.size() && isBlank( before[ at ] ) ) {
         ++at;
      }
      std::size_t stop = at;
      while( stop < before.size() && !isBlank( before[ stop ] ) ) {
         ++stop;
      }
      if( stop == before.size() ) {
         break; // the word being completed (possibly empty)
      }
      done.push_back( before.substr( at, stop - at ) );
      at = stop;
   }
   const std::string_view partial = before.substr( std::min( at, before.size() ) );
   const std::vector< std::string > * pool = nullptr;
   if( done.empty() ) {
      pool = &words.first;
   } else if( done.size() == 1 ) {
      auto found = words.after.find( std::string( done.front() ) );
      pool = found == words.after.end() ? nullptr : &found->second;
   }
   std::vector< std::string > found;
   if( pool ) {
      for( const std::string & word : *pool ) {
         if( word.compare( 0, partial.size(), partial ) == 0 ) {
            found.push_back( word );
         }
      }
   }
   return found;
}

// --- LineEditor ---------------------------------------------------------------

void
LineEditor::insert( std::string_view text ) {
   buffer_.insert( cursor_, text );
   cursor_ += text.size();
}

void
LineEditor::replaceLine( std::string line ) {
   buffer_ = std::move( line );
   cursor_ = buffer_.size();
}

void
LineEditor::reset() {
   buffer_.clear();
   cursor_ = 0;
   browsing_ = false;
   draft_.clear();
}

LineEditor::Event
LineEditor::complete() {
   const std::vector< std::string > found =
      completionsFor( words_, std::string_view( buffer_ ).substr( 0, cursor_ ) );
   if( found.empty() ) {
      return Event::edited;
   }
   std::size_t start = cursor_;
   while( start > 0 && !isBlank( buffer_[ start - 1 ] ) ) {
      --start;
   }
   const std::size_t typed = cursor_ - start;
   if( found.size() == 1 ) {
      insert( std::string_view( found.front() ).substr( typed ) );
      if( cursor_ == buffer_.size() || !isBlank( buffer_[ cursor_ ] ) ) {
         insert( " " );
      }
      return Event::edited;
   }
   // Several: add what they all share; list them when that adds nothing.
   std::size_t common = found.front().size();
   for( const std::string & word : found ) {
      std::size_t i = 0;
      while( i < common && i < word.size() && word[ i ] == found.front()[ i ] ) {
         ++i;
      }
      common = i;
   }
   if( common > typed ) {
      insert( std::string_view( found.front() ).substr( typed, common - typed ) );
      return Event::edited;
   }
   candidates_ = found;
   return Event::listCandidates;
}

void
LineEditor::browse( bool older ) {
   if( !browsing_ ) {
      historyAt_ = history_.size();
      browsing_ = true;
   }
   if( older ? historyAt_ == 0 : historyAt_ >= history_.size() ) {
      return;
   }
   if( historyAt_ == history_.size() ) {
      draft_ = buffer_; // the line being written waits while older ones show
   }
   if( older ) {
      --historyAt_;
   } else {
      ++historyAt_;
   }
   replaceLine( historyAt_ == history_.size() ? draft_ : history_.at( historyAt_ ) );
}

LineEditor::Event
LineEditor::feed( const Key & key ) {
   using K = Key::Kind;
   switch( key.kind ) {
    case K::text: insert( std::string( 1, key.ch ) ); break;
    case K::enter:
      accepted_ = buffer_;
      history_.add( accepted_ );
      reset();
      return Event::accepted;
    case K::backspace:
      if( cursor_ > 0 ) {
         buffer_.erase( --cursor_, 1 );
      }
      break;
    case K::del:
      if( cursor_ < buffer_.size() ) {
         buffer_.erase( cursor_, 1 );
      }
      break;
    case K::left: cursor_ -= cursor_ > 0 ? 1 : 0; break;
    case K::right: cursor_ += cursor_ < buffer_.size() ? 1 : 0; break;
    case K::home: cursor_ = 0; break;
    case K::end: cursor_ = buffer_.size(); break;
    case K::up: browse( true ); break;
    case K::down: browse( false ); break;
    case K::tab: return complete();
    case K::interrupt: reset(); return Event::interrupted;
    case K::endOfInput:
      if( buffer_.empty() ) {
         return Event::quit;
      }
      if( cursor_ < buffer_.size() ) {
         buffer_.erase( cursor_, 1 );
      }
      break;
    case K::killToEnd: buffer_.erase( cursor_ ); break;
    case K::killToStart:
      buffer_.erase( 0, cursor_ );
      cursor_ = 0;
      break;
    case K::deleteWordBack: {
      std::size_t start = cursor_;
      while( start > 0 && isBlank( buffer_[ start - 1 ] ) ) {
         --start;
      }
      while( start > 0 && !isBlank( buffer_[ start - 1 ] ) ) {
         --start;
      }
      buffer_.erase( start, cursor_ - start );
      cursor_ = start;
      break;
    }
    case K::clearScreen: return Event::clearScreen;
   }
   return Event::edited;
}

// --- LineView -----------------------------------------------------------------

LineView
viewOf( std::size_t promptWidth, const std::string & buffer, std::size_t cursor,
        std::size_t screenWidth ) {
   // One column stays free for the cursor after the last character; a very
   // narrow screen still shows a few characters.
   const std::size_t room = std::max< std::size_t >(
      screenWidth > promptWidth + 1 ? screenWidth - promptWidth - 1 : 0, 8 );
   cursor = std::min( cursor, buffer.size() );
   const std::size_t first = cursor >= room ? cursor - room + 1 : 0;
   return { buffer.substr( first, room ), promptWidth + cursor - first };
}

} // namespace Sim
