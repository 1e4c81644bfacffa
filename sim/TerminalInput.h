// The interactive prompt on a terminal: reads keys in raw mode, feeds them to
// the LineEditor and draws the line after each. Raw mode lasts only while a
// line is being read, so what commands print goes out in the terminal's
// usual mode. Used only when standard input is a terminal.
#pragma once

#include "LineEditor.h"
#include "Runner.h"

#include <string>

namespace Sim {

class TerminalInput : public LineSource {
 public:
   // `in` must be a terminal; `out` is where the line is drawn.
   TerminalInput( int in, int out, CompletionWords words, std::string prompt );

   // The next accepted line; nothing after Ctrl-D on an empty line or at the
   // end of input.
   std::optional< std::string > readLine() override;

 private:
   void write( const std::string & text ) const;
   void redraw() const;
   void listCandidates() const;
   std::size_t screenWidth() const;

   int in_;
   int out_;
   std::string prompt_;
   History history_;
   LineEditor editor_;
};

} // namespace Sim
