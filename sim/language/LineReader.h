// Scenario text split into lines, the way the runner reads a file, standard
// input or lines typed without a line editor.
//
// A line ends at '\n' or at the end of input ('\r' before it is a blank to
// the lexer). A UTF-8 byte-order mark at the very start is no part of the
// first line. A line longer than maxLineBytes is refused: no command needs
// that much, and input that is no scenario text (/dev/zero) must not be
// buffered without end. A read error is reported, never taken for the end.
#pragma once

#include "language/ScenarioError.h"

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace Sim {

class LineReader {
 public:
   static constexpr std::size_t maxLineBytes = 64 * 1024;

   // Reads the file descriptor `fd` (not owned), restarting a read a signal
   // interrupted.
   explicit LineReader( int fd );
   // Reads `in`; a stream gone bad is a read error.
   explicit LineReader( std::istream & in );

   // The next line without its end, or nothing at the end of input. Throws
   // InputError saying why ("cannot read: Input/output error", "a line
   // longer than 65536 bytes").
   std::optional< std::string > next();

 private:
   // Reads up to `size` bytes into `into`; 0 at the end of input.
   using ReadSome = std::function< std::size_t( char * into, std::size_t size ) >;
   explicit LineReader( ReadSome readSome );
   bool fill();

   ReadSome readSome_;
   std::vector< char > buffer_;
   std::size_t start_ = 0; // unread bytes are [start_, end_)
   std::size_t end_ = 0;
   bool atStart_ = true;
   bool ended_ = false;
};

} // namespace Sim
